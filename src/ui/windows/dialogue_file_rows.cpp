#include "ui/windows/dialogue_file_rows.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelvo::ui {

DialogueFileRows::DialogueFileRows(QWidget* parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(fontMetrics().height() / 4);
}

DialogueFileRows::Row DialogueFileRows::makeRow(const std::string& path, int index) {
    const int unit = fontMetrics().height();
    const QFileInfo info(QString::fromStdString(path));
    Row row;
    row.widget = new QWidget(this);
    row.poster = new QLabel(row.widget);
    // A 16:9 box two lines high: a vertical video is fitted inside it.
    row.poster->setFixedSize(unit * 32 / 9, 2 * unit);
    row.poster->setAlignment(Qt::AlignCenter);
    row.poster->hide();
    row.name = new QLabel(row.widget);
    QFont bold = row.name->font();
    bold.setBold(true);
    row.name->setFont(bold);
    // A microphone's long name keeps its start and its end (often the take
    // or the speaker) within the column; the whole path is in the tooltip.
    row.name->setText(QFontMetrics(bold).elidedText(info.fileName(), Qt::ElideMiddle, 12 * unit));
    row.name->setToolTip(info.filePath());
    row.name->setMinimumWidth(unit);
    row.facts = new QLabel(row.widget);
    row.facts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row.marker = new MissingFileMarker(row.widget);
    row.marker->hide();
    row.remove = new QToolButton(row.widget);
    row.remove->setText(QStringLiteral("×"));
    row.remove->setToolTip(tr("Remove %1 from the dialogue").arg(info.fileName()));
    row.remove->setAccessibleName(tr("Remove %1").arg(info.fileName()));
    row.remove->setAutoRaise(true);
    row.remove->setFocusPolicy(Qt::StrongFocus);
    connect(row.remove, &QToolButton::clicked, this,
            [this, index] { emit removeRequested(index); });

    auto* grid = new QGridLayout(row.widget);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(unit / 2);
    grid->setVerticalSpacing(0);
    grid->addWidget(row.poster, 0, 0, 2, 1);
    grid->addWidget(row.name, 0, 1);
    grid->addWidget(row.facts, 1, 1);
    grid->addWidget(row.marker, 0, 2, 2, 1, Qt::AlignVCenter);
    grid->addWidget(row.remove, 0, 3, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(1, 1);
    return row;
}

void DialogueFileRows::setPaths(const std::vector<std::string>& paths) {
    // Later: a row's own remove button may be what asked for this.
    for (Row& row : m_rows) {
        row.widget->hide();
        row.widget->deleteLater();
    }
    m_rows.clear();
    for (const std::string& path : paths) {
        m_rows.push_back(makeRow(path, count()));
        m_layout->addWidget(m_rows.back().widget);
    }
}

void DialogueFileRows::setFacts(int row, const QString& facts, const QImage& poster) {
    if (row < 0 || row >= count()) return;
    Row& r = m_rows[static_cast<size_t>(row)];
    r.facts->setText(facts);
    r.poster->setVisible(!poster.isNull());
    if (!poster.isNull())
        r.poster->setPixmap(QPixmap::fromImage(poster).scaled(r.poster->size(), Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation));
}

void DialogueFileRows::setMarker(int row, bool show, MissingFileMarker::Kind kind) {
    if (row < 0 || row >= count()) return;
    MissingFileMarker* m = m_rows[static_cast<size_t>(row)].marker;
    if (show) m->setKind(kind);
    m->setVisible(show);
}

} // namespace quelvo::ui
