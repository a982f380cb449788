#include "ui/windows/titles_table_model.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QStringList>
#include <QStyle>

#include "base/services.h"
#include "titles/caption_spans.h"

namespace quelvo::ui {

std::vector<TitleRow> TitlesTableModel::plan(const std::vector<SubtitleCue>& subtitles,
                                             const TitlesSettings& settings,
                                             std::optional<double> fps) {
    // No video path: the video's start time only shifts every offset alike,
    // and the table counts as the subtitle file does.
    const TitlesFcpxml titles("", subtitles, std::nullopt, settings);
    const bool avoidOverlap = settings.avoidOverlap.value_or(false);
    std::vector<TitleRow> rows;
    rows.reserve(subtitles.size());
    for (size_t i = 0; i < subtitles.size(); ++i) {
        const TitlePlacement place = titles.placement(i, fps, avoidOverlap);
        TitleRow row;
        row.number = subtitles[i].id;
        row.start = subtitles[i].startTime;
        row.duration = place.duration;
        row.lane = place.lane;
        row.text =
            QString::fromStdString(subtitles[i].text).split('\n').join(QStringLiteral(" / "));
        QStringList why;
        if (place.raisedToMinimum) why << QObject::tr("raised to the minimum duration");
        if (place.shortenedForNext) why << QObject::tr("shortened to end before the next title");
        if (place.raisedToOneFrame) why << QObject::tr("raised to one frame");
        if (place.overlapsNext) why << QObject::tr("overlaps the next title");
        row.reason = why.join(QStringLiteral("; "));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TitleRow>
TitlesTableModel::planCaptions(const std::vector<SubtitleCue>& cues,
                               const std::vector<quelvo::titles::CaptionPlacement>& places,
                               double rate) {
    std::vector<TitleRow> rows;
    rows.reserve(cues.size());
    for (size_t i = 0; i < cues.size() && i < places.size(); ++i) {
        TitleRow row;
        row.number = cues[i].id;
        row.start = static_cast<double>(places[i].startFrame) / rate;
        row.duration = static_cast<double>(places[i].frames) / rate;
        row.lane = places[i].lane;
        row.text = QString::fromStdString(quelvo::titles::displayedText(cues[i].text))
                       .split('\n')
                       .join(QStringLiteral(" / "));
        if (places[i].overlapsEarlier) row.reason = QObject::tr("overlaps an earlier caption");
        rows.push_back(std::move(row));
    }
    return rows;
}

void TitlesTableModel::markFailures(std::vector<TitleRow>& rows,
                                    const std::vector<quelvo::titles::CueFinding>& findings) {
    for (const quelvo::titles::CueFinding& f : findings)
        if (f.index < rows.size())
            rows[f.index].failedChecks =
                QString::fromStdString(quelvo::titles::failuresText(f.failures));
}

double TitlesTableModel::timelineRate(const TitlesSettings& settings, std::optional<double> fps) {
    return TitlesFcpxml("", std::vector<SubtitleCue>{}, std::nullopt, settings).timebase(fps);
}

QString TitlesTableModel::timecode(double seconds) const {
    return QString::fromStdString(Timecode::withFrames(seconds, m_fps));
}

void TitlesTableModel::setRows(std::vector<TitleRow> rows, double fps) {
    // A new rate changes every time shown, as a change of rows does.
    if (fps != m_fps) {
        m_fps = fps;
        if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
    // Same count: the view keeps its selection and scroll position.
    if (rows.size() == m_rows.size()) {
        m_rows = std::move(rows);
        if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
        return;
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int TitlesTableModel::changedCount() const {
    int n = 0;
    for (const TitleRow& r : m_rows)
        n += r.reason.isEmpty() ? 0 : 1;
    return n;
}

int TitlesTableModel::failingCount() const {
    int n = 0;
    for (const TitleRow& r : m_rows)
        n += r.failedChecks.isEmpty() ? 0 : 1;
    return n;
}

int TitlesTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TitlesTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TitlesTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size()) return {};
    const TitleRow& r = m_rows[size_t(index.row())];
    const double seconds[] = {0, r.start, r.start + r.duration, r.duration};
    const bool isTime = index.column() >= kStart && index.column() <= kDuration;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case kNumber:
            return QString::number(r.number);
        case kStart:
        case kEnd:
        case kDuration:
            return timecode(seconds[index.column()]);
        case kLane:
            return QString::number(r.lane);
        case kText:
            return r.text;
        case kChanged:
            return r.reason;
        }
    }
    // The times to the millisecond, as the subtitle file counts them.
    // A row that fails a reading check is tinted, and says why wherever
    // the pointer rests on it.
    if (!r.failedChecks.isEmpty()) {
        if (role == Qt::BackgroundRole) return QBrush(QColor(0xF6, 0xD5, 0xCF));
        if (role == Qt::DecorationRole && index.column() == kNumber)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        if (role == Qt::ForegroundRole && index.column() != kChanged)
            return QBrush(QColor(0x80, 0x1C, 0x10));
        if (role == Qt::ToolTipRole) return tr("Hard to read: %1").arg(r.failedChecks);
        if (role == Qt::AccessibleDescriptionRole)
            return tr("Hard to read: %1").arg(r.failedChecks);
    }
    if (role == Qt::ToolTipRole && isTime)
        return QString::fromStdString(Timecode::withMilliseconds(seconds[index.column()], false));
    if (role == Qt::ToolTipRole && !r.reason.isEmpty()) return r.reason;
    if (role == Qt::ForegroundRole && index.column() == kChanged)
        return QBrush(QColor(0xB0, 0x60, 0x00));
    if (role == Qt::TextAlignmentRole && index.column() != kText && index.column() != kChanged)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TitlesTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case kNumber:
        return tr("#");
    case kStart:
        return tr("Start");
    case kEnd:
        return tr("End");
    case kDuration:
        return tr("Duration");
    case kLane:
        return tr("Lane");
    case kText:
        return tr("Text");
    case kChanged:
        return tr("Changed");
    }
    return {};
}

} // namespace quelvo::ui
