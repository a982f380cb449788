#include "ui/windows/titles_window.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QToolButton>

#include "base/files.h"
#include "base/notifier.h"
#include "base/services.h"
#include "base/settings_store.h"
#include "media/media_info.h"
#include "media/read_failure_text.h"
#include "media/video_frame.h"
#include "project/version_question_settings.h"
#include "titles/caption_format.h"
#include "titles/caption_spans.h"
#include "titles/reading_checks.h"
#include "titles/text_encodings.h"
#include "ui/kit/alert.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/task_delivery.h"
#include "ui/kit/text_field.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/result_line.h"
#include "ui/windows/title_preview.h"
#include "ui/windows/titles_presets_bar.h"
#include "ui/windows/titles_style_panel.h"
#include "ui/windows/titles_table_model.h"
#include "writers/cue_output.h"
#include "writers/titles_fcpxml.h"
#include "writers/titles_project.h"

namespace quelvo::ui {

namespace {

const char* const kDropSubtitles = "Drop an SRT File";
const char* const kDropVideo = "Drop a Video (optional)";

bool isMissing(const std::string& path) {
    return !path.empty() && !quelvo::fileExists(path, 0);
}

// The settings that decide how the file is read, as one text: when they
// change, the file is read again; other changes only re-time and re-draw.
std::string parseSignature(const TitlesSettings& s, bool captions) {
    const SplitText split = s.splitText.value_or(SplitText{});
    return std::to_string(s.ignore.ignoreITags) + std::to_string(s.ignore.ignoreBTags) +
           std::to_string(s.ignore.ignoreFontTags) + std::to_string(s.ignore.ignoreUTags) +
           std::to_string(split.split) + ":" + std::to_string(split.length) +
           (captions ? "c" : "t");
}

QString timeText(double seconds) {
    return QString::fromStdString(Timecode::withMilliseconds(seconds, false));
}

} // namespace

TitlesWindow::TitlesWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Titles"));
    buildLayout();
    connect(m_exportButton, &QPushButton::clicked, this, &TitlesWindow::exportProject);
    connect(m_saveAsButton, &QPushButton::clicked, this, &TitlesWindow::saveAs);
    connect(m_clearVideoButton, &QToolButton::clicked, this, &TitlesWindow::clearVideo);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex&) { refreshPreview(); });
    m_observer = Notifier::observe(TitlesStylePanel::kSettingsChangedKey,
                                   [self = QPointer<TitlesWindow>(this)] {
                                       if (self) self->settingsChanged();
                                   });
    setUpDropAreas();
    restoreChoices();
    buildEncodingMenu();
    readSubtitles();
}

TitlesWindow::~TitlesWindow() {
    Notifier::removeObserver(m_observer);
    // The export's file must be whole before the window goes.
    if (m_export.valid()) m_export.wait();
}

void TitlesWindow::setUpDropAreas() {
    m_subtitleDrop->acceptedExtensions = {"srt"};
    m_videoDrop->acceptedExtensions = {"mov", "mp4", "m4v", "mxf", "mkv", "avi", "mts"};
    for (FileDropArea* area : {m_subtitleDrop, m_videoDrop})
        area->dropMode = FileDropArea::kFilesOnly;
    m_subtitleDrop->setText(tr(kDropSubtitles));
    m_videoDrop->setText(tr(kDropVideo));
    m_subtitleDrop->onDrop = [this](const std::vector<std::string>& paths) {
        setSubtitleFile(paths.front());
    };
    m_videoDrop->onDrop = [this](const std::vector<std::string>& paths) {
        setVideoFile(paths.front());
    };
}

void TitlesWindow::restoreChoices() {
    // The version and the event are this window's choices, remembered for
    // the next one; the version starts from the ducking preference.
    const bool prefer19 = VersionQuestionSettings::shared().preferFcpxml19();
    const std::string version = quelvo::storedString(kVersionKey, prefer19 ? "1.9" : "1.6");
    m_versionChoice->setCurrentIndex(
        std::max(0, m_versionChoice->findData(QString::fromStdString(version))));
    connect(m_versionChoice, &QComboBox::currentIndexChanged, this, [this](int i) {
        quelvo::storeString(kVersionKey, m_versionChoice->itemData(i).toString().toStdString());
    });
    // Titles or captions, and the captions' format and language, are
    // remembered like the version.
    const auto choose = [](QComboBox* box, const char* key, const char* fallback) {
        const std::string stored = quelvo::storedString(key, fallback);
        box->setCurrentIndex(std::max(0, box->findData(QString::fromStdString(stored))));
        connect(box, &QComboBox::currentIndexChanged, box, [box, key](int i) {
            quelvo::storeString(key, box->itemData(i).toString().toStdString());
        });
    };
    choose(m_outputChoice, kAsKey, "titles");
    choose(m_captionFormat, kCaptionFormatKey, "srt");
    connect(m_outputChoice, &QComboBox::currentIndexChanged, this, [this] { outputChanged(); });
    m_language->configure(
        quelvo::storedString(kLanguageKey, ""), true, false, [this](const std::string& text) {
            quelvo::storeString(kLanguageKey, text);
            const bool fits = text.empty() || quelvo::titles::isLanguageTag(text);
            m_language->setStyleSheet(fits ? QString() : QStringLiteral("color: #c0392b;"));
        });
    connect(m_failingOnly, &QCheckBox::toggled, this, [this](bool only) { showOnlyFailing(only); });
    outputChanged();
    m_eventName->configure(quelvo::storedString(kEventKey, ""), true, true,
                           [](const std::string& text) { quelvo::storeString(kEventKey, text); });
}

void TitlesWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_fileWatch.isActive())
        m_fileWatch.loop("", 0.5, std::nullopt, false, [this] { refreshMarkers(); });
}

void TitlesWindow::buildEncodingMenu() {
    auto* menu = new QMenu(m_encodingButton);
    menu->addAction(tr("Guess the Encoding"), this, [this] { readInEncoding(""); });
    menu->addSeparator();
    for (const char* name : quelvo::kSubtitleEncodings)
        menu->addAction(QString::fromLatin1(name), this, [this, name] { readInEncoding(name); });
    m_encodingButton->setMenu(menu);
    m_encodingButton->setPopupMode(QToolButton::InstantPopup);
}

void TitlesWindow::setSubtitleFile(const std::string& path) {
    m_srtPath = path;
    m_encodingChoice.clear(); // a new file gets its own guess
    m_subtitleDrop->setText(QString::fromStdString(quelvo::fileNameOf(path)));
    m_subtitleDrop->setToolTip(QString::fromStdString(path));
    setWindowTitle(tr("Titles – %1").arg(QString::fromStdString(quelvo::fileNameOf(path))));
    m_result->clear();
    readSubtitles();
    refreshMarkers();
}

void TitlesWindow::setVideoFile(const std::string& path) {
    m_videoPath = path;
    m_videoFrameRate.reset();
    m_videoDrop->setText(QString::fromStdString(quelvo::fileNameOf(path)));
    m_videoDrop->setToolTip(QString::fromStdString(path));
    m_clearVideoButton->setEnabled(true);
    m_videoInfo->clear();
    m_videoProblem.clear();
    refreshMarkers();
    // Probing opens the file, which may be slow: a task.
    using Facts = MediaInfo;
    TaskRequest<Facts> probe("probe video", [path](TaskControl&) -> TaskReturn<Facts> {
        return quelvo::probeMedia(path);
    });
    probe.onDone = [this, path](const TaskResult<Facts>& result) {
        if (m_videoPath == path && result.value) showVideoFacts(*result.value);
    };
    probe.delivery = quelvo::mainThreadDelivery(this);
    TaskRunner::shared().start(std::move(probe));
    refreshPreview();
}

void TitlesWindow::showVideoFacts(const MediaInfo& facts) {
    m_videoProblem = facts.status ? std::string() : facts.status.message();
    refreshMarkers();
    if (!facts.status) {
        showVideoProblem();
    } else {
        m_videoInfo->setStyleSheet(QString());
        m_videoInfo->setToolTip(QString());
        QString info = tr("Video Duration: %1").arg(timeText(facts.duration.value_or(0)));
        if (facts.frameRate) info += tr(" · %1 fps").arg(QString::number(*facts.frameRate, 'g', 5));
        m_videoInfo->setText(info);
        m_videoFrameRate = facts.frameRate;
    }
    refreshTable();
}

void TitlesWindow::clearVideo() {
    m_videoPath.clear();
    m_videoProblem.clear();
    m_videoFrameRate.reset();
    m_videoDrop->setText(tr(kDropVideo));
    m_videoDrop->setToolTip(QString());
    m_videoInfo->clear();
    m_clearVideoButton->setEnabled(false);
    refreshMarkers();
    refreshTable();
}

void TitlesWindow::readInEncoding(const std::string& encoding) {
    m_encodingChoice = encoding;
    readSubtitles();
}

bool TitlesWindow::makesCaptions() const {
    return m_outputChoice->currentData().toString() == QLatin1String("captions");
}

void TitlesWindow::outputChanged() {
    // Captions exist in 1.9 only: the version shows it without forgetting
    // the choice made for titles.
    const bool captions = makesCaptions();
    if (captions) {
        const QSignalBlocker quiet(m_versionChoice);
        m_versionChoice->setCurrentIndex(m_versionChoice->findData(QStringLiteral("1.9")));
    } else {
        const bool prefer19 = VersionQuestionSettings::shared().preferFcpxml19();
        const std::string version = quelvo::storedString(kVersionKey, prefer19 ? "1.9" : "1.6");
        const QSignalBlocker quiet(m_versionChoice);
        m_versionChoice->setCurrentIndex(
            std::max(0, m_versionChoice->findData(QString::fromStdString(version))));
    }
    m_versionChoice->setEnabled(!captions);
    m_versionChoice->setToolTip(captions ? tr("Captions are written in FCPXML 1.9: 1.6 has none")
                                         : QString());
    m_captionFormat->setVisible(captions);
    m_language->setVisible(captions);
    // Captions read the file's tags and lines their own way.
    if (!m_srtPath.empty())
        settingsChanged();
    else
        refreshTable();
}

void TitlesWindow::showOnlyFailing(bool only) {
    if (m_failingOnly->isChecked() != only) m_failingOnly->setChecked(only);
    applyRowFilter();
}

void TitlesWindow::applyRowFilter() {
    const bool only = m_failingOnly->isChecked();
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_table->setRowHidden(row, only && m_model->rows()[size_t(row)].failedChecks.isEmpty());
}

quelvo::titles::CaptionRequest TitlesWindow::captionRequest() const {
    const TitlesSettings& settings = TitlesSettings::shared();
    quelvo::titles::CaptionRequest request;
    request.eventName = m_eventName->text().trimmed().isEmpty()
                            ? quelvo::titles::defaultEventName(m_srtPath)
                            : m_eventName->stdText();
    request.comment = quelvo::titles::projectComment(m_srtPath);
    request.cues = m_srt.titles;
    request.format =
        quelvo::titles::captionFormatNamed(m_captionFormat->currentData().toString().toStdString())
            .value_or(quelvo::titles::CaptionFormat::srt);
    const std::string language = m_language->text().trimmed().toStdString();
    request.language = language.empty() ? "en" : language;
    request.timelineRate = TitlesTableModel::timelineRate(settings, std::nullopt);
    request.width = static_cast<int>(settings.frameSize.width);
    request.height = static_cast<int>(settings.frameSize.height);
    return request;
}

void TitlesWindow::readSubtitles() {
    const bool captions = makesCaptions();
    const TitlesSettings settings = quelvo::titles::readingSettings(
        captions ? quelvo::titles::CueOutput::captions : quelvo::titles::CueOutput::titles,
        TitlesSettings::shared());
    m_parsedWith = parseSignature(TitlesSettings::shared(), captions);
    std::string problem;
    if (m_srtPath.empty())
        m_srt = {};
    else if (m_encodingChoice.empty())
        m_srt = SubtitleFile::fromFileUrl(m_srtPath, settings, &problem);
    else
        m_srt = SubtitleFile::fromFileInEncoding(m_srtPath, m_encodingChoice, settings, &problem);

    m_encodingButton->setEnabled(!m_srtPath.empty());
    const QString encoding =
        QString::fromStdString(m_srt.encoding.empty() ? m_encodingChoice : m_srt.encoding);
    m_encodingButton->setText(encoding.isEmpty() ? tr("Encoding")
                                                 : tr("Encoding: %1").arg(encoding));
    m_encodingButton->setToolTip(
        tr("The encoding the file was read in; choose another to read it again"));
    if (m_srtPath.empty()) {
        m_subtitleInfo->clear();
    } else if (m_srt.titles.empty()) {
        m_subtitleInfo->setText(
            tr("No subtitles could be read: %1").arg(QString::fromStdString(problem)));
        m_subtitleInfo->setStyleSheet(QStringLiteral("color: #c0392b;"));
    } else {
        m_subtitleInfo->setStyleSheet(QString());
        const QString count =
            m_srt.titles.size() == 1 ? tr("1 title") : tr("%1 titles").arg(m_srt.titles.size());
        m_subtitleInfo->setText(tr("%1, to %2").arg(count, timeText(m_srt.lastEndTime())));
    }
    // Broken blocks (a counter without its time line) are left out of the
    // project; the editor learns how much of the file that was.
    if (m_srt.skippedBlocks > 0) {
        const QString blocks = m_srt.skippedBlocks == 1
                                   ? tr("1 broken subtitle block")
                                   : tr("%1 broken subtitle blocks").arg(m_srt.skippedBlocks);
        const QString lines =
            m_srt.skippedLines == 1 ? tr("1 line") : tr("%1 lines").arg(m_srt.skippedLines);
        m_skippedNote->setText(
            tr("Skipped %1 (%2 of text): a block needs its number and a time line.")
                .arg(blocks, lines));
        m_skippedNote->show();
    } else {
        m_skippedNote->hide();
    }
    refreshTable();
}

void TitlesWindow::settingsChanged() {
    if (parseSignature(TitlesSettings::shared(), makesCaptions()) != m_parsedWith)
        readSubtitles();
    else
        refreshTable();
}

QSize TitlesWindow::sizeHint() const {
    const int unit = fontMetrics().height();
    return QSize(80 * unit, 50 * unit).boundedTo(QSize(1 << 14, 1 << 14));
}

int TitlesWindow::selectedRow() const {
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TitlesWindow::selectRow(int row) {
    m_table->selectRow(row);
    m_table->scrollTo(m_model->index(row, 0));
}

void TitlesWindow::refreshTable() {
    const int row = selectedRow();
    const TitlesSettings& settings = TitlesSettings::shared();
    const double rate = TitlesTableModel::timelineRate(settings, m_videoFrameRate);
    // The checks run on the times the document will hold, as the command
    // line's do.
    std::vector<TitleRow> rows;
    std::vector<quelvo::titles::CueTiming> timings;
    if (makesCaptions()) {
        const auto places = quelvo::titles::placeCaptions(m_srt.titles, rate);
        rows = TitlesTableModel::planCaptions(m_srt.titles, places, rate);
        timings = quelvo::titles::captionTimings(places, rate);
    } else {
        rows = TitlesTableModel::plan(m_srt.titles, settings, m_videoFrameRate);
        timings = quelvo::titles::titleTimings(
            TitlesFcpxml("", m_srt.titles, std::nullopt, settings), m_videoFrameRate);
    }
    TitlesTableModel::markFailures(
        rows,
        quelvo::titles::checkCues(m_srt.titles, timings, quelvo::titles::storedReadingLimits()));
    m_model->setRows(std::move(rows), rate);
    applyRowFilter();
    const int changed = m_model->changedCount();
    const int failing = m_model->failingCount();
    QStringList notes;
    if (changed > 0)
        notes << (changed == 1 ? tr("1 changed on the way (see Changed)")
                               : tr("%1 changed on the way (see Changed)").arg(changed));
    if (failing > 0)
        notes << (failing == 1 ? tr("1 hard to read (marked)")
                               : tr("%1 hard to read (marked)").arg(failing));
    m_tableNotes->setText(notes.join(QStringLiteral(" · ")));
    m_failingOnly->setEnabled(failing > 0 || m_failingOnly->isChecked());
    if (m_model->rowCount() > 0 && (row < 0 || row >= m_model->rowCount())) selectRow(0);
    m_exportButton->setEnabled(!m_srt.titles.empty() && !m_exporting);
    m_saveAsButton->setEnabled(!m_srt.titles.empty() && !m_exporting);
    refreshPreview();
    emit titlesShown();
}

void TitlesWindow::refreshMarkers() {
    m_subtitleMarker->setVisible(isMissing(m_srtPath));
    const bool missing = isMissing(m_videoPath);
    const bool unreadable = !m_videoPath.empty() && !m_videoProblem.empty();
    if (missing || unreadable)
        m_videoMarker->setKind(missing ? MissingFileMarker::kMissing
                                       : MissingFileMarker::kUnreadable);
    m_videoMarker->setVisible(missing || unreadable);
}

void TitlesWindow::showVideoProblem() {
    // The user's words from the one table; the decoder's own in the tooltip.
    const ReadFailureText text = quelvo::videoReadFailureText(m_videoProblem);
    m_videoInfo->setText(QString::fromStdString(text.brief));
    m_videoInfo->setToolTip(QString::fromStdString("\u201C" + quelvo::fileNameOf(m_videoPath) +
                                                   "\u201D " + text.problem + ". " + text.advice +
                                                   "\n(" + m_videoProblem + ")"));
    m_videoInfo->setStyleSheet(QStringLiteral("color: #c0392b;"));
}

void TitlesWindow::refreshPreview() {
    m_preview->setSettings(TitlesSettings::shared());
    const int row = selectedRow();
    // Captions keep their tags until the document is made; the preview
    // shows the text they carry.
    const bool shown = row >= 0 && size_t(row) < m_srt.titles.size();
    const std::string text = !shown ? std::string()
                             : makesCaptions()
                                 ? quelvo::titles::displayedText(m_srt.titles[size_t(row)].text)
                                 : m_srt.titles[size_t(row)].text;
    m_preview->setText(QString::fromStdString(text));
    requestFrame();
}

void TitlesWindow::requestFrame() {
    if (m_videoPath.empty() || isMissing(m_videoPath)) {
        ++m_frameGeneration; // a frame still on its way is stale now
        m_frameKey.clear();
        m_preview->setBackground(QImage());
        return;
    }
    const int row = selectedRow();
    const double at =
        row >= 0 && size_t(row) < m_srt.titles.size() ? m_srt.titles[size_t(row)].startTime : 0;
    const QSize size = m_preview->wantedBackgroundSize();
    // A style change redraws the title, not the picture behind it.
    const QString key = QStringLiteral("%1|%2|%3x%4")
                            .arg(QString::fromStdString(m_videoPath))
                            .arg(at, 0, 'f', 3)
                            .arg(size.width())
                            .arg(size.height());
    if (key == m_frameKey) return;
    m_frameKey = key;
    const unsigned generation = ++m_frameGeneration;
    TaskRequest<QImage> read(
        "read video frame", [path = m_videoPath, at, size](TaskControl&) -> TaskReturn<QImage> {
            const FrameResult frame = quelvo::readFrame(path, at, size.width(), size.height());
            if (!frame.status) return QImage();
            return QImage(frame.image.pixels.data(), frame.image.width, frame.image.height,
                          frame.image.width * 3, QImage::Format_RGB888)
                .copy();
        });
    read.onDone = [this, generation](const TaskResult<QImage>& result) {
        // Only the newest request may draw: an older frame is stale.
        if (generation != m_frameGeneration || !result.value) return;
        m_preview->setBackground(*result.value);
        emit frameShown();
    };
    read.delivery = quelvo::mainThreadDelivery(this);
    TaskRunner::shared().start(std::move(read));
}

void TitlesWindow::exportProject() {
    if (m_srtPath.empty()) return Alert::ok("Warning", "Subtitle File Not Specified.", this);
    exportProjectTo(quelvo::titles::defaultProjectPath(m_srtPath));
}

void TitlesWindow::saveAs() {
    if (m_srtPath.empty()) return Alert::ok("Warning", "Subtitle File Not Specified.", this);
    const QString start = QString::fromStdString(quelvo::titles::defaultProjectPath(m_srtPath));
    QPointer<TitlesWindow> self(this);
    auto* dialog =
        new QFileDialog(this, tr("Save Titles Project"), start, tr("Final Cut Pro XML (*.fcpxml)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("fcpxml"));
    // The dialog asks before replacing; the export then does not ask again.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [self](const QString& file) {
        if (self && !file.isEmpty()) self->startExport(file.toStdString());
    });
    dialog->open();
}

void TitlesWindow::exportProjectTo(const std::string& path) {
    if (m_srtPath.empty()) return Alert::ok("Warning", "Subtitle File Not Specified.", this);
    if (!quelvo::fileExists(m_srtPath, 0))
        return Alert::ok("Warning", "Subtitle File Not Found.", this);
    if (isMissing(m_videoPath)) return Alert::ok("Warning", "Video File Not Found.", this);
    if (m_srt.titles.empty())
        return Alert::ok("Warning", "The subtitle file holds no title that could be read.", this);
    if (makesCaptions() && !m_language->text().trimmed().isEmpty() &&
        !quelvo::titles::isLanguageTag(m_language->text().trimmed().toStdString()))
        return Alert::ok("Warning", "The language is not a language tag such as en, en-US or de.",
                         this);
    if (m_exporting) return;
    if (!quelvo::fileExists(path, 0)) return startExport(path);
    // An editor's existing project is never replaced silently.
    QPointer<TitlesWindow> self(this);
    // Appended, not `"\"" + name`: GCC 12 warns falsely (-Wrestrict) on that.
    std::string question = "\"";
    question += quelvo::fileNameOf(path) + "\" already exists.\nDo you want to replace it?";
    Alert::twoButtons(
        "Warning", question, "Cancel", nullptr, "Replace",
        [self, path] {
            if (self) self->startExport(path);
        },
        this);
}

} // namespace quelvo::ui
