#include "ui/windows/titles_vc.h"

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
#include <QTableView>
#include <QToolButton>

#include "base/concurrency.h"
#include "base/files.h"
#include "base/notify.h"
#include "base/prefs.h"
#include "base/services.h"
#include "media/media_info.h"
#include "media/read_failure_text.h"
#include "media/video_frame.h"
#include "project/fcp106_prefs.h"
#include "titles/caption_format.h"
#include "titles/caption_spans.h"
#include "titles/reading_checks.h"
#include "titles/text_encodings.h"
#include "ui/kit/ky_alert.h"
#include "ui/kit/ky_drag_area.h"
#include "ui/kit/ky_text_field.h"
#include "ui/kit/main_thread.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/result_line.h"
#include "ui/windows/title_preview.h"
#include "ui/windows/titles_presets_bar.h"
#include "ui/windows/titles_style_panel.h"
#include "ui/windows/titles_table_model.h"
#include "writers/cue_output.h"
#include "writers/fcpxml_titles.h"
#include "writers/titles_project.h"

namespace kyui {

using quelvo::FCPXML_Titles_Settings;

namespace {

std::atomic<int> g_running{0};

const char* const kDropSubtitles = "Drop an SRT File";
const char* const kDropVideo = "Drop a Video (optional)";

bool isMissing(const std::string& path) { return !path.empty() && !kykit::fu_fileExists(path, 0); }

// The settings that decide how the file is read, as one text: when they
// change, the file is read again; other changes only re-time and re-draw.
std::string parseSignature(const FCPXML_Titles_Settings& s, bool captions) {
    const quelvo::SplitText split = s.splitText.value_or(quelvo::SplitText{});
    return std::to_string(s.ignore.ignoreITags) + std::to_string(s.ignore.ignoreBTags) +
           std::to_string(s.ignore.ignoreFontTags) + std::to_string(s.ignore.ignoreUTags) +
           std::to_string(split.split) + ":" + std::to_string(split.length) +
           (captions ? "c" : "t");
}

QString timeText(double seconds) { return QString::fromStdString(kykit::TC::getFloatTimecode(seconds, false)); }

} // namespace

int TitlesVC::exportsRunning() { return g_running.load(); }

TitlesVC::TitlesVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(tr("Titles"));
    buildLayout();
    connect(btnExport, &QPushButton::clicked, this, &TitlesVC::exportProject);
    connect(btnSaveAs, &QPushButton::clicked, this, &TitlesVC::saveAs);
    connect(btnClearVideo, &QToolButton::clicked, this, &TitlesVC::clearVideo);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex&) { refreshPreview(); });
    m_observer = kykit::KyNotify::observe(TitlesStylePanel::kSettingsChangedKey, [self = QPointer<TitlesVC>(this)] {
        if (self) self->settingsChanged();
    });
}

TitlesVC::~TitlesVC() {
    kykit::KyNotify::removeObserver(m_observer);
    // The worker writes into this object's file only; it must end first.
    if (m_export.valid()) m_export.wait();
}

void TitlesVC::viewDidLoad() {
    drgSrt->acceptedExtensions = {"srt"};
    drgVideo->acceptedExtensions = {"mov", "mp4", "m4v", "mxf", "mkv", "avi", "mts"};
    for (KyDragArea* area : {drgSrt, drgVideo}) area->dropMode = KyDragArea::kFilesOnly;
    drgSrt->setText(tr(kDropSubtitles));
    drgVideo->setText(tr(kDropVideo));
    drgSrt->onDrop = [this](const std::vector<std::string>& paths) { setSubtitleFile(paths.front()); };
    drgVideo->onDrop = [this](const std::vector<std::string>& paths) { setVideoFile(paths.front()); };

    // The version and the event are this window's choices, remembered for
    // the next one; the version starts from the ducking preference.
    const bool prefer19 = kymovie::KyFCP106Prefs::shared().preferFCP106();
    const std::string version = kykit::prefs_getValueString(kVersionKey, prefer19 ? "1.9" : "1.6");
    cmbVersion->setCurrentIndex(std::max(0, cmbVersion->findData(QString::fromStdString(version))));
    connect(cmbVersion, &QComboBox::currentIndexChanged, this, [this](int i) {
        kykit::prefs_setValueString(kVersionKey, cmbVersion->itemData(i).toString().toStdString());
    });
    // Titles or captions, and the captions' format and language, are
    // remembered like the version.
    const auto choose = [](QComboBox* box, const char* key, const char* fallback) {
        const std::string stored = kykit::prefs_getValueString(key, fallback);
        box->setCurrentIndex(std::max(0, box->findData(QString::fromStdString(stored))));
        connect(box, &QComboBox::currentIndexChanged, box, [box, key](int i) {
            kykit::prefs_setValueString(key, box->itemData(i).toString().toStdString());
        });
    };
    choose(cmbAs, kAsKey, "titles");
    choose(cmbCaptionFormat, kCaptionFormatKey, "srt");
    connect(cmbAs, &QComboBox::currentIndexChanged, this, [this] { outputChanged(); });
    fldLanguage->configure(
        kykit::prefs_getValueString(kLanguageKey, ""), true, false,
        [this](const std::string& text) {
            kykit::prefs_setValueString(kLanguageKey, text);
            const bool fits = text.empty() || quelvo::titles::isLanguageTag(text);
            fldLanguage->setStyleSheet(fits ? QString() : QStringLiteral("color: #c0392b;"));
        });
    connect(chkFailingOnly, &QCheckBox::toggled, this,
            [this](bool only) { showOnlyFailing(only); });
    outputChanged();
    fldEvent->configure(kykit::prefs_getValueString(kEventKey, ""), true, true,
                        [](const std::string& text) { kykit::prefs_setValueString(kEventKey, text); });
    buildEncodingMenu();
    readSubtitles();
}

void TitlesVC::viewDidAppear() {
    KyViewController::viewDidAppear();
    if (!timer.isActive()) timer.loop("", 0.5, std::nullopt, false, [this] { refreshMarkers(); });
}

void TitlesVC::buildEncodingMenu() {
    auto* menu = new QMenu(btnEncoding);
    menu->addAction(tr("Guess the Encoding"), this, [this] { readInEncoding(""); });
    menu->addSeparator();
    for (const char* name : quelvo::kSubtitleEncodings)
        menu->addAction(QString::fromLatin1(name), this, [this, name] { readInEncoding(name); });
    btnEncoding->setMenu(menu);
    btnEncoding->setPopupMode(QToolButton::InstantPopup);
}

void TitlesVC::setSubtitleFile(const std::string& path) {
    srtPath = path;
    encodingChoice.clear(); // a new file gets its own guess
    drgSrt->setText(QString::fromStdString(kykit::fu_getFileNameFromPath(path)));
    drgSrt->setToolTip(QString::fromStdString(path));
    setWindowTitle(tr("Titles – %1").arg(QString::fromStdString(kykit::fu_getFileNameFromPath(path))));
    if (window() != this) window()->setWindowTitle(windowTitle());
    result->clear();
    readSubtitles();
    refreshMarkers();
}

void TitlesVC::setVideoFile(const std::string& path) {
    videoPath = path;
    videoFrameRate.reset();
    drgVideo->setText(QString::fromStdString(kykit::fu_getFileNameFromPath(path)));
    drgVideo->setToolTip(QString::fromStdString(path));
    btnClearVideo->setEnabled(true);
    lblVideoInfo->clear();
    m_videoProblem.clear();
    refreshMarkers();
    // Probing opens the file, which may be slow: on the toolkit's queue.
    QPointer<TitlesVC> self(this);
    kykit::Queue::execute(false, [self, path] {
        const kymediainfo::MediaFacts facts = kymediainfo::probeMedia(path);
        runOnMain([self, path, facts] {
            if (!self || self->videoPath != path) return;
            self->m_videoProblem = facts.status ? std::string() : facts.status.message();
            self->refreshMarkers();
            if (!facts.status) {
                self->showVideoProblem();
            } else {
                self->lblVideoInfo->setStyleSheet(QString());
                self->lblVideoInfo->setToolTip(QString());
                QString info = tr("Video Duration: %1").arg(timeText(facts.duration.value_or(0)));
                if (facts.frameRate) info += tr(" · %1 fps").arg(QString::number(*facts.frameRate, 'g', 5));
                self->lblVideoInfo->setText(info);
                self->videoFrameRate = facts.frameRate;
            }
            self->refreshTable();
        });
    });
    refreshPreview();
}

void TitlesVC::clearVideo() {
    videoPath.clear();
    m_videoProblem.clear();
    videoFrameRate.reset();
    drgVideo->setText(tr(kDropVideo));
    drgVideo->setToolTip(QString());
    lblVideoInfo->clear();
    btnClearVideo->setEnabled(false);
    refreshMarkers();
    refreshTable();
}

void TitlesVC::readInEncoding(const std::string& encoding) {
    encodingChoice = encoding;
    readSubtitles();
}

bool TitlesVC::makesCaptions() const {
    return cmbAs->currentData().toString() == QLatin1String("captions");
}

void TitlesVC::outputChanged() {
    // Captions exist in 1.9 only: the version shows it without forgetting
    // the choice made for titles.
    const bool captions = makesCaptions();
    if (captions) {
        const QSignalBlocker quiet(cmbVersion);
        cmbVersion->setCurrentIndex(cmbVersion->findData(QStringLiteral("1.9")));
    } else {
        const bool prefer19 = kymovie::KyFCP106Prefs::shared().preferFCP106();
        const std::string version =
            kykit::prefs_getValueString(kVersionKey, prefer19 ? "1.9" : "1.6");
        const QSignalBlocker quiet(cmbVersion);
        cmbVersion->setCurrentIndex(
            std::max(0, cmbVersion->findData(QString::fromStdString(version))));
    }
    cmbVersion->setEnabled(!captions);
    cmbVersion->setToolTip(captions ? tr("Captions are written in FCPXML 1.9: 1.6 has none")
                                    : QString());
    cmbCaptionFormat->setVisible(captions);
    fldLanguage->setVisible(captions);
    // Captions read the file's tags and lines their own way.
    if (!srtPath.empty())
        settingsChanged();
    else
        refreshTable();
}

void TitlesVC::showOnlyFailing(bool only) {
    if (chkFailingOnly->isChecked() != only) chkFailingOnly->setChecked(only);
    applyRowFilter();
}

void TitlesVC::applyRowFilter() {
    const bool only = chkFailingOnly->isChecked();
    for (int row = 0; row < model->rowCount(); ++row)
        table->setRowHidden(row, only && model->rows()[size_t(row)].failedChecks.isEmpty());
}

quelvo::titles::CaptionRequest TitlesVC::captionRequest() const {
    const FCPXML_Titles_Settings& settings = FCPXML_Titles_Settings::shared();
    quelvo::titles::CaptionRequest request;
    request.eventName = fldEvent->text().trimmed().isEmpty()
                            ? quelvo::titles::defaultEventName(srtPath)
                            : fldEvent->stdText();
    request.comment = quelvo::titles::projectComment(srtPath);
    request.cues = srt.titles;
    request.format =
        quelvo::titles::captionFormatNamed(cmbCaptionFormat->currentData().toString().toStdString())
            .value_or(quelvo::titles::CaptionFormat::srt);
    const std::string language = fldLanguage->text().trimmed().toStdString();
    request.language = language.empty() ? "en" : language;
    request.timelineRate = TitlesTableModel::timelineRate(settings, std::nullopt);
    request.width = static_cast<int>(settings.frameSize.width);
    request.height = static_cast<int>(settings.frameSize.height);
    return request;
}

void TitlesVC::readSubtitles() {
    const bool captions = makesCaptions();
    const FCPXML_Titles_Settings settings = quelvo::titles::readingSettings(
        captions ? quelvo::titles::CueOutput::captions : quelvo::titles::CueOutput::titles,
        FCPXML_Titles_Settings::shared());
    m_parsedWith = parseSignature(FCPXML_Titles_Settings::shared(), captions);
    std::string problem;
    if (srtPath.empty()) srt = {};
    else if (encodingChoice.empty()) srt = quelvo::KySRT::fromFileUrl(srtPath, settings, &problem);
    else srt = quelvo::KySRT::fromFileInEncoding(srtPath, encodingChoice, settings, &problem);

    btnEncoding->setEnabled(!srtPath.empty());
    const QString encoding = QString::fromStdString(srt.encoding.empty() ? encodingChoice : srt.encoding);
    btnEncoding->setText(encoding.isEmpty() ? tr("Encoding") : tr("Encoding: %1").arg(encoding));
    btnEncoding->setToolTip(tr("The encoding the file was read in; choose another to read it again"));
    if (srtPath.empty()) {
        lblSrtInfo->clear();
    } else if (srt.titles.empty()) {
        lblSrtInfo->setText(tr("No subtitles could be read: %1").arg(QString::fromStdString(problem)));
        lblSrtInfo->setStyleSheet(QStringLiteral("color: #c0392b;"));
    } else {
        lblSrtInfo->setStyleSheet(QString());
        const QString count = srt.titles.size() == 1 ? tr("1 title") : tr("%1 titles").arg(srt.titles.size());
        lblSrtInfo->setText(tr("%1, to %2").arg(count, timeText(srt.lastEndTime())));
    }
    // Broken blocks (a counter without its time line) are left out of the
    // project; the editor learns how much of the file that was.
    if (srt.skippedBlocks > 0) {
        const QString blocks = srt.skippedBlocks == 1 ? tr("1 broken subtitle block")
                                                      : tr("%1 broken subtitle blocks").arg(srt.skippedBlocks);
        const QString lines = srt.skippedLines == 1 ? tr("1 line") : tr("%1 lines").arg(srt.skippedLines);
        lblSkipped->setText(tr("Skipped %1 (%2 of text): a block needs its number and a time line.").arg(blocks, lines));
        lblSkipped->show();
    } else {
        lblSkipped->hide();
    }
    refreshTable();
}

void TitlesVC::settingsChanged() {
    if (parseSignature(FCPXML_Titles_Settings::shared(), makesCaptions()) != m_parsedWith)
        readSubtitles();
    else refreshTable();
}

QSize TitlesVC::sizeHint() const {
    const int unit = fontMetrics().height();
    return QSize(80 * unit, 50 * unit).boundedTo(QSize(1 << 14, 1 << 14));
}

int TitlesVC::selectedRow() const {
    const QModelIndex current = table->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TitlesVC::selectRow(int row) {
    table->selectRow(row);
    table->scrollTo(model->index(row, 0));
}

void TitlesVC::refreshTable() {
    const int row = selectedRow();
    const FCPXML_Titles_Settings& settings = FCPXML_Titles_Settings::shared();
    const double rate = TitlesTableModel::timelineRate(settings, videoFrameRate);
    // The checks run on the times the document will hold, as the command
    // line's do.
    std::vector<TitleRow> rows;
    std::vector<quelvo::titles::CueTiming> timings;
    if (makesCaptions()) {
        const auto places = quelvo::titles::placeCaptions(srt.titles, rate);
        rows = TitlesTableModel::planCaptions(srt.titles, places, rate);
        timings = quelvo::titles::captionTimings(places, rate);
    } else {
        rows = TitlesTableModel::plan(srt.titles, settings, videoFrameRate);
        timings = quelvo::titles::titleTimings(
            quelvo::FCPXML_Titles("", srt.titles, std::nullopt, settings), videoFrameRate);
    }
    TitlesTableModel::markFailures(
        rows,
        quelvo::titles::checkCues(srt.titles, timings, quelvo::titles::storedReadingLimits()));
    model->setRows(std::move(rows), rate);
    applyRowFilter();
    const int changed = model->changedCount();
    const int failing = model->failingCount();
    QStringList notes;
    if (changed > 0)
        notes << (changed == 1 ? tr("1 changed on the way (see Changed)")
                               : tr("%1 changed on the way (see Changed)").arg(changed));
    if (failing > 0)
        notes << (failing == 1 ? tr("1 hard to read (marked)")
                               : tr("%1 hard to read (marked)").arg(failing));
    lblTableNotes->setText(notes.join(QStringLiteral(" · ")));
    chkFailingOnly->setEnabled(failing > 0 || chkFailingOnly->isChecked());
    if (model->rowCount() > 0 && (row < 0 || row >= model->rowCount())) selectRow(0);
    btnExport->setEnabled(!srt.titles.empty() && !m_exporting);
    btnSaveAs->setEnabled(!srt.titles.empty() && !m_exporting);
    refreshPreview();
    emit titlesShown();
}

void TitlesVC::refreshMarkers() {
    imgSrtMissing->setVisible(isMissing(srtPath));
    const bool missing = isMissing(videoPath);
    const bool unreadable = !videoPath.empty() && !m_videoProblem.empty();
    if (missing || unreadable)
        imgVideoMissing->setKind(missing ? MissingFileMarker::kMissing
                                         : MissingFileMarker::kUnreadable);
    imgVideoMissing->setVisible(missing || unreadable);
}

void TitlesVC::showVideoProblem() {
    // The user's words from the one table; the decoder's own in the tooltip.
    const kyaudio::ReadFailureText text = kyaudio::videoReadFailureText(m_videoProblem);
    lblVideoInfo->setText(QString::fromStdString(text.brief));
    lblVideoInfo->setToolTip(
        QString::fromStdString("\u201C" + kykit::fu_getFileNameFromPath(videoPath) + "\u201D " +
                               text.problem + ". " + text.advice + "\n(" + m_videoProblem + ")"));
    lblVideoInfo->setStyleSheet(QStringLiteral("color: #c0392b;"));
}

void TitlesVC::refreshPreview() {
    preview->setSettings(FCPXML_Titles_Settings::shared());
    const int row = selectedRow();
    // Captions keep their tags until the document is made; the preview
    // shows the text they carry.
    const bool shown = row >= 0 && size_t(row) < srt.titles.size();
    const std::string text = !shown ? std::string()
                             : makesCaptions()
                                 ? quelvo::titles::displayedText(srt.titles[size_t(row)].text)
                                 : srt.titles[size_t(row)].text;
    preview->setText(QString::fromStdString(text));
    requestFrame();
}

void TitlesVC::requestFrame() {
    if (videoPath.empty() || isMissing(videoPath)) {
        ++m_frameGeneration; // a frame still on its way is stale now
        m_frameKey.clear();
        preview->setBackground(QImage());
        return;
    }
    const int row = selectedRow();
    const double at = row >= 0 && size_t(row) < srt.titles.size() ? srt.titles[size_t(row)].startTime : 0;
    const QSize size = preview->wantedBackgroundSize();
    // A style change redraws the title, not the picture behind it.
    const QString key = QStringLiteral("%1|%2|%3x%4")
                            .arg(QString::fromStdString(videoPath))
                            .arg(at, 0, 'f', 3)
                            .arg(size.width())
                            .arg(size.height());
    if (key == m_frameKey) return;
    m_frameKey = key;
    const unsigned generation = ++m_frameGeneration;
    QPointer<TitlesVC> self(this);
    kykit::Queue::execute(false, [self, generation, path = videoPath, at, size] {
        const kyvideo::FrameResult frame = kyvideo::readFrame(path, at, size.width(), size.height());
        QImage image;
        if (frame.status)
            image = QImage(frame.image.pixels.data(), frame.image.width, frame.image.height, frame.image.width * 3,
                           QImage::Format_RGB888)
                        .copy();
        runOnMain([self, generation, image] {
            // Only the newest request may draw: an older frame is stale.
            if (!self || generation != self->m_frameGeneration) return;
            self->preview->setBackground(image);
            emit self->frameShown();
        });
    });
}

void TitlesVC::exportProject() {
    if (srtPath.empty()) return KyAlert::ok("Warning", "Subtitle File Not Specified.", this);
    exportProjectTo(quelvo::titles::defaultProjectPath(srtPath));
}

void TitlesVC::saveAs() {
    if (srtPath.empty()) return KyAlert::ok("Warning", "Subtitle File Not Specified.", this);
    const QString start = QString::fromStdString(quelvo::titles::defaultProjectPath(srtPath));
    QPointer<TitlesVC> self(this);
    auto* dialog = new QFileDialog(this, tr("Save Titles Project"), start, tr("Final Cut Pro XML (*.fcpxml)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("fcpxml"));
    // The dialog asks before replacing; the export then does not ask again.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [self](const QString& file) {
        if (self && !file.isEmpty()) self->startExport(file.toStdString());
    });
    dialog->open();
}

void TitlesVC::exportProjectTo(const std::string& path) {
    if (srtPath.empty()) return KyAlert::ok("Warning", "Subtitle File Not Specified.", this);
    if (!kykit::fu_fileExists(srtPath, 0)) return KyAlert::ok("Warning", "Subtitle File Not Found.", this);
    if (isMissing(videoPath)) return KyAlert::ok("Warning", "Video File Not Found.", this);
    if (srt.titles.empty()) return KyAlert::ok("Warning", "The subtitle file holds no title that could be read.", this);
    if (makesCaptions() && !fldLanguage->text().trimmed().isEmpty() &&
        !quelvo::titles::isLanguageTag(fldLanguage->text().trimmed().toStdString()))
        return KyAlert::ok("Warning", "The language is not a language tag such as en, en-US or de.",
                           this);
    if (m_exporting) return;
    if (!kykit::fu_fileExists(path, 0)) return startExport(path);
    // An editor's existing project is never replaced silently.
    QPointer<TitlesVC> self(this);
    KyAlert::twoButtons(
        "Warning",
        "\"" + kykit::fu_getFileNameFromPath(path) + "\" already exists.\nDo you want to replace it?", "Cancel",
        nullptr, "Replace",
        [self, path] {
            if (self) self->startExport(path);
        },
        this);
}

void TitlesVC::startExport(const std::string& path) {
    if (m_exporting) return;
    m_exporting = true;
    ++g_running;
    btnExport->setEnabled(false);
    btnSaveAs->setEnabled(false);
    result->clear();
    progress->setRange(0, int(srt.titles.size()));
    progress->setValue(0);
    progress->show();

    // Everything the worker needs is copied now: the settings as they are at
    // the press, exactly what the command line would read from the store.
    const FCPXML_Titles_Settings settings = FCPXML_Titles_Settings::shared();
    const std::string event =
        fldEvent->text().trimmed().isEmpty() ? quelvo::titles::defaultEventName(srtPath) : fldEvent->stdText();
    const bool useV19 = cmbVersion->currentData().toString() == QLatin1String("1.9");
    const std::optional<std::string> video = videoPath.empty() ? std::nullopt : std::optional(videoPath);
    const std::string comment = quelvo::titles::projectComment(srtPath);
    const std::vector<quelvo::KySRTTitle> titles = srt.titles;
    QPointer<TitlesVC> self(this);
    if (makesCaptions()) {
        quelvo::titles::CaptionRequest request = captionRequest();
        m_export = std::async(std::launch::async, [self, path, video, request]() mutable {
            if (video)
                request.video =
                    quelvo::titles::CaptionVideo{*video, quelvo::titles::readVideoFacts(*video)};
            const kykit::Status status = quelvo::titles::writeCaptionDocument(request, path);
            --g_running;
            runOnMain([self, path, status] {
                if (self) self->finishExport(path, status);
            });
        });
        return;
    }
    m_export = std::async(std::launch::async, [self, path, settings, event, useV19, video, comment, titles] {
        quelvo::FCPXML_Titles project(event, titles, video, settings);
        size_t lastShown = 0;
        project.onTitleMade = [self, &lastShown](size_t made, size_t total) {
            // About a hundred steps whatever the length of the film.
            if (made != total && made - lastShown < std::max<size_t>(1, total / 100)) return;
            lastShown = made;
            runOnMain([self, made] {
                if (self) self->progress->setValue(int(made));
            });
        };
        const kykit::Status status = project.exportXML(path, useV19, comment);
        // Counted down here: the window may be gone before the hand-over runs.
        --g_running;
        runOnMain([self, path, status] {
            if (self) self->finishExport(path, status);
        });
    });
}

void TitlesVC::finishExport(const std::string& path, const kykit::Status& status) {
    m_exporting = false;
    progress->hide();
    btnExport->setEnabled(true);
    btnSaveAs->setEnabled(true);
    if (status)
        result->showWritten(QString::fromStdString(path));
    else
        result->showFailed(QString::fromStdString(status.message()));
    emit exportFinished(status.ok());
}

} // namespace kyui
