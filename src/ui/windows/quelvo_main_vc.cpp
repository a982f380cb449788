#include "ui/windows/quelvo_main_vc.h"

#include <cmath>
#include <iterator>

#include <QAbstractButton>
#include <QCheckBox>
#include <QShowEvent>

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

#include "base/concurrency.h"
#include "base/files.h"
#include "base/notifier.h"
#include "base/numbers.h"
#include "base/services.h"
#include "jobs/duck_job.h"
#include "media/audio_file.h"
#include "media/media_info.h"
#include "media/read_failure_text.h"
#include "media/video_frame.h"
#include "mix/depth_mode.h"
#include "project/envelope_timing.h"
#include "project/second_file_role.h"
#include "titles/fcpxml_titles_settings.h"
#include "ui/kit/ky_alert.h"
#include "ui/kit/ky_check_button.h"
#include "ui/kit/ky_drag_area.h"
#include "ui/kit/ky_news.h"
#include "ui/kit/ky_slider.h"
#include "ui/kit/ky_text_field.h"
#include "ui/kit/ky_window_growth.h"
#include "ui/kit/main_thread.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/export_mix_controller.h"
#include "ui/windows/job_questions.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/progress_dialog.h"

namespace kyui {

using kykit::fileExists;
using kykit::fileNameOf;
using kykit::pathWithoutExtension;

namespace {

QuelvoMainVC::Presenter& roleChooser() {
    static QuelvoMainVC::Presenter presenter;
    return presenter;
}

const char* const kDragHere = "Drag Here";

// A file the user gave that is no longer there.
bool isMissing(const std::string& path) { return !path.empty() && !fileExists(path, 0); }

// "sound effects" -> "Sound Effects".
QString capitalizedWords(const QString& text) {
    QString out = text;
    bool atWordStart = true;
    for (QChar& c : out) {
        if (c.isSpace()) {
            atWordStart = true;
        } else if (atWordStart) {
            c = c.toUpper();
            atWordStart = false;
        }
    }
    return out;
}

// A video's frame rate and size, and whether it has sound at all.
template <typename Facts> void readPictureFacts(const std::string& path, Facts& f) {
    const kymediainfo::MediaFacts media = kymediainfo::probeMedia(path);
    if (!media.status || !media.hasVideo) return;
    f.video = true;
    f.noSound = !media.hasAudio;
    f.frameRate = media.frameRate.value_or(0);
    if (media.videoSize) {
        f.width = media.videoSize->width;
        f.height = media.videoSize->height;
    }
}

// The frame a second in (the first may be black), small enough for a row.
template <typename Facts> void readPoster(const std::string& path, Facts& f) {
    const kyvideo::FrameResult frame =
        kyvideo::readFrame(path, std::min(1.0, f.duration / 2), 320, 180);
    if (!frame.status) return;
    const kyvideo::RgbImage& rgb = frame.image;
    f.poster =
        QImage(rgb.pixels.data(), rgb.width, rgb.height, rgb.width * 3, QImage::Format_RGB888)
            .copy();
}

} // namespace

void QuelvoMainVC::setRoleChooser(Presenter presenter) { roleChooser() = std::move(presenter); }

QuelvoMainVC::QuelvoMainVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(QStringLiteral("Quelvo"));
    buildLayout();
    setTabOrder();
    connect(btnDuck, &QPushButton::clicked, this, &QuelvoMainVC::doDuck);
    m_exportMix = new ExportMixController(this);
    connect(btnExportMix, &QPushButton::clicked, this, &QuelvoMainVC::doExportMix);
    connect(m_exportMix, &ExportMixController::mixWritten, resultPanel,
            [this](const QString& file, const QString& contents, const QString& warnings) {
                resultPanel->showMix(file.toStdString(), contents, warnings);
            });
    connect(btnClear, &QToolButton::clicked, this, &QuelvoMainVC::clearPressed);
    connect(btnRole, &QPushButton::clicked, this, &QuelvoMainVC::btnRolePressed);
    connect(btnKyNews, &QToolButton::clicked, this, &QuelvoMainVC::btnKyNewsPressed);
    btnRole->setEnabled(bool(roleChooser()));
    // A result below the controls lengthens the window instead of the preview giving way.
    growWindowWith(resultPanel);
}

QuelvoMainVC::~QuelvoMainVC() {
    if (m_roleObserver) kykit::Notifier::removeObserver(m_roleObserver);
}

void QuelvoMainVC::showEvent(QShowEvent* event) {
    KyViewController::showEvent(event);
    // Un-minimising is a spontaneous show: the window never left the screen.
    if (event->spontaneous()) return;
    // The stored files and settings are read when the window first shows, so
    // that whatever was stored after it was made is what it shows.
    if (!m_storedStateShown) {
        m_storedStateShown = true;
        showStoredState();
    }
    refreshOnShow();
    // Queued, so that it runs once the window is actually on screen.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible()) startWatching();
        },
        Qt::QueuedConnection);
}

void QuelvoMainVC::showStoredState() {
    chkDecreaseToZero->configure(decreaseToZero, [this](bool on) {
        decreaseToZero.set(on);
        applyDecreaseToZero();
    });
    applyDecreaseToZero();
    overallMusicLevelSlider->configure(overallMusicLevelLabel, quelvo::settings::kOverallMusicLevel,
                                       [this](double) { refreshPreview(); });

    const std::vector<std::string> extensions{"wav", "wave", "mp3", "m4a", "aif", "aiff"};
    for (KyDragArea* area : {drgSpeaker, drgMusic, drgFiller}) {
        area->dropMode = KyDragArea::kFilesOnly;
        area->setText(kDragHere);
        area->acceptedExtensions = extensions;
    }
    // The dialogue may be an editor's video clip, and several microphones.
    for (const char* video : {"mov", "mp4", "m4v", "mkv", "mxf", "avi"})
        drgSpeaker->acceptedExtensions.push_back(video);
    drgSpeaker->multipleFiles = true;
    drgSpeaker->kindsName = tr("Audio and video files");
    drgSpeaker->setLastFolderKey(kLastDialogueFolderKey);
    drgMusic->setLastFolderKey(kLastMusicFolderKey);
    drgFiller->setLastFolderKey(kLastFillerFolderKey);
    drgSpeaker->onDrop = [this](const std::vector<std::string>& paths) { addDialogueFiles(paths); };
    connect(dialogueRows, &DialogueFileRows::removeRequested, this,
            &QuelvoMainVC::removeDialogueFile);
    connect(btnRemoveDialogue, &QToolButton::clicked, this, [this] { removeDialogueFile(0); });
    refreshDialogueArea();
    drgMusic->onDrop = [this](const std::vector<std::string>& paths) {
        musicPath = paths.front();
        refreshDurations();
        refreshMarkers();
    };
    drgFiller->onDrop = [this](const std::vector<std::string>& paths) {
        fillerPath = paths.front();
        kykit::storeString(kFillerKey, fillerPath);
        refreshDurations();
        refreshMarkers();
    };

    fillerPath = kykit::storedString(kFillerKey, "");
    if (!fillerPath.empty()) {
        drgFiller->setText(QString::fromStdString(fileNameOf(fillerPath)));
        drgFiller->setToolTip(QString::fromStdString(fillerPath));
    }
    projectName->setText(QString::fromStdString(kykit::storedString(kProjectNameKey, "")));
    refreshMarkers();
}

std::vector<std::string> QuelvoMainVC::placeFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> refused;
    KyDragArea* const areas[] = {drgSpeaker, drgMusic, drgFiller};
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (i >= std::size(areas) || !areas[i]->place({paths[i]})) refused.push_back(paths[i]);
    return refused;
}

void QuelvoMainVC::refreshOnShow() {
    refreshRoleLabel();
    if (!m_roleObserver) {
        // The role chooser announces its changes from the GUI thread, but an
        // observer may be called from anywhere: hop over and check we exist.
        QPointer<QuelvoMainVC> self(this);
        m_roleObserver = kykit::Notifier::observe(kymovie::SecondFileRole::kNotificationKey, [self] {
            runOnMain([self] {
                if (self) self->refreshRoleLabel();
            });
        });
    }
    refreshDurations();
}

void QuelvoMainVC::startWatching() {
    if (!kyNews) kyNews = new KyNews(btnKyNews, KyNews::kNewsUrl);
    if (!timer.isActive()) timer.loop("", 0.5, std::nullopt, false, [this] { idle(); });
}

void QuelvoMainVC::idle() {
    refreshMarkers();
    refreshDepthMode();
}

void QuelvoMainVC::setTabOrder() {
    // The order of reading: the three files left to right, the filler's
    // Clear, the levels top to bottom, the name and role, Export Mix, then Duck.
    QWidget* const chain[] = {
        drgSpeaker,  btnRemoveDialogue, drgMusic,          drgFiller,
        btnClear,    decrease,          chkDecreaseToZero, overallMusicLevelSlider,
        projectName, btnRole,           btnKyNews,         btnExportMix,
        btnDuck};
    for (size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    // Buttons take Tab focus also where the style would leave them out.
    for (QWidget* w : {static_cast<QWidget*>(btnClear), static_cast<QWidget*>(btnRemoveDialogue),
                       static_cast<QWidget*>(btnKyNews), static_cast<QWidget*>(btnRole),
                       static_cast<QWidget*>(btnExportMix), static_cast<QWidget*>(btnDuck)})
        w->setFocusPolicy(Qt::StrongFocus);
    // Return on the focused role button opens the chooser, as Space does.
    btnRole->setAutoDefault(true);
}

void QuelvoMainVC::keyPressEvent(QKeyEvent* event) {
    // Keys reach the controller only when the focused control did not use
    // them. A focused button (Clear, What's New) is pressed by Return as by
    // Space; anywhere else Return starts the job, like a dialog's default
    // button, also from a drop area (which opens its picker with Space).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget());
            button && button != btnDuck && !qobject_cast<QCheckBox*>(button)) {
            button->click();
            return;
        }
        if (btnDuck->isEnabled()) btnDuck->click();
        return;
    }
    KyViewController::keyPressEvent(event);
}

void QuelvoMainVC::applyDecreaseToZero() {
    decrease->configure(decreaseLabel, quelvo::settings::kDecrease,
                        [this](double) { refreshPreview(); });
    refreshDepthMode(true);
}

void QuelvoMainVC::refreshDepthMode(bool force) {
    // The preferences window stores the mode without a notice: idle() looks.
    const std::optional<double> under = quelvo::mix::storedUnderLU();
    if (!force && under == m_underLU) return;
    m_underLU = under;
    if (under) depthModeNote->setText(tr("set by loudness: %1 LU under speech").arg(*under));
    depthModeNote->setVisible(under.has_value());
    const bool enabled = !decreaseToZero && !under;
    decrease->setEnabled(enabled);
    decreaseLabel->setEnabled(enabled);
    decreaseDBLabel->setEnabled(enabled);
    refreshPreview();
}

void QuelvoMainVC::refreshPreview() {
    quelvo::preview::PreviewSettings settings;
    settings.rolls = quelvo::currentEnvelopeTiming();
    settings.duckingDecrease = static_cast<int>(std::trunc(decrease->value()));
    settings.overallMusicLevel = static_cast<int>(kykit::truncateToInt(overallMusicLevelSlider->value()));
    settings.decreaseToZero = decreaseToZero;
    settings.underLU = m_underLU;
    preview->setSettings(settings);
    preview->setFiles(dialoguePaths, musicPath, fillerPath);
}

void QuelvoMainVC::clearPressed() {
    fillerPath.clear();
    drgFiller->setText(kDragHere);
    kykit::storeString(kFillerKey, "");
    refreshDurations();
    refreshMarkers();
}

void QuelvoMainVC::btnRolePressed() {
    if (roleChooser()) roleChooser()(this);
}

void QuelvoMainVC::btnKyNewsPressed() {
    if (kyNews) kyNews->showNews();
}

void QuelvoMainVC::refreshRoleLabel() {
    lblRole->setText(capitalizedWords(QString::fromStdString(kymovie::SecondFileRole::shared().roleName())));
}

void QuelvoMainVC::refreshDurations() {
    // Every change of a file comes here; the preview follows it.
    refreshPreview();
    for (QLabel* label : {lblDialogueDuration, lblMusicDuration, lblFillerDuration}) label->clear();
    lblMusicShorter->hide();
    for (std::string& problem : m_problems) problem.clear();
    // Reading durations and checking that the files are usable opens them,
    // which may be slow (network drives), so it runs on the toolkit's queue.
    // A newer refresh makes older answers stale: only the latest generation
    // may fill the labels.
    const unsigned generation = ++m_durationGeneration;
    QPointer<QuelvoMainVC> self(this);
    std::vector<std::string> paths = dialoguePaths;
    if (paths.empty()) paths.emplace_back();
    const std::size_t dialogues = paths.size();
    paths.push_back(musicPath);
    paths.push_back(fillerPath);
    kykit::Queue::execute(false, [self, generation, paths, dialogues] {
        std::vector<FileFacts> facts;
        for (const std::string& path : paths) {
            FileFacts f;
            // A file not given or gone is not unreadable: it has its own words.
            if (!path.empty() && fileExists(path, 0)) {
                if (facts.size() < dialogues) readPictureFacts(path, f);
                kykit::Status usable = f.noSound ? kykit::Status::failure("the video has no sound")
                                                 : kyaudio::checkUsableAudio(path, &f.duration);
                // The music and the filler become clips: a frame at least.
                if (usable && facts.size() >= dialogues)
                    usable = quelvo::checkClipLength(f.duration);
                if (!usable) f.problem = usable.message();
                if (f.video && usable) readPoster(path, f);
            }
            facts.push_back(f);
        }
        runOnMain([self, generation, facts] {
            if (self) self->showDurations(generation, facts);
        });
    });
}

void QuelvoMainVC::showDurations(unsigned generation, const std::vector<FileFacts>& all) {
    if (generation != m_durationGeneration) return;
    // The dialogue files first (one empty entry for none), then music and filler.
    const std::vector<FileFacts> dialogue(all.begin(), all.end() - 2);
    const std::vector<FileFacts> facts{dialogueSummary(dialogue), all[all.size() - 2], all.back()};
    const struct {
        QLabel* label;
        const char* prefix;
    } lines[] = {{lblDialogueDuration, "Dialogue File Duration: "},
                 {lblMusicDuration, "Music File Duration: "},
                 {lblFillerDuration, "Filler File Duration: "}};
    for (size_t i = 0; i < std::size(lines); ++i) {
        QLabel* label = lines[i].label;
        const FileFacts& f = facts[i];
        m_problems[i] = f.problem;
        label->setToolTip(QString());
        label->setForegroundRole(QPalette::WindowText);
        if (!f.problem.empty()) {
            // Why the file cannot be used, in a few words; the advice and the
            // audio layer's reason in the tooltip.
            const kyaudio::ReadFailureText text = kyaudio::readFailureText(f.problem);
            label->setText(QString::fromStdString(text.brief));
            label->setToolTip(QString::fromStdString(text.advice + "\n(" + f.problem + ")"));
            continue;
        }
        // A duration that cannot be read (0, or nonsense) leaves the label empty.
        if (f.duration == 0 || !std::isfinite(f.duration)) continue;
        label->setText(QString::fromLatin1(lines[i].prefix) +
                       QString::fromStdString(kykit::TC::getFloatTimecode(f.duration, false)));
    }
    showMusicLengthNote(facts);
    showDialogueFacts(dialogue);
    refreshMarkers();
    emit durationsShown();
}

void QuelvoMainVC::showMusicLengthNote(const std::vector<FileFacts>& facts) {
    const double dialogue = facts[0].duration, music = facts[1].duration;
    // Only two durations that were both read; a millisecond is no difference.
    const bool shorter = facts[0].problem.empty() && facts[1].problem.empty() &&
                         std::isfinite(dialogue) && std::isfinite(music) && music > 0 &&
                         dialogue - music >= 0.001;
    lblMusicShorter->setVisible(shorter);
    if (!shorter) return lblMusicShorter->clear();
    lblMusicShorter->setText(
        tr("The music is %1 shorter than the dialogue.")
            .arg(QString::fromStdString(kykit::TC::getFloatTimecode(dialogue - music, false))));
    const auto time = [](double s) {
        return QString::fromStdString(kykit::TC::getFloatTimecode(s, false));
    };
    lblMusicShorter->setToolTip(tr("Dialogue %1, music %2").arg(time(dialogue), time(music)));
}

void QuelvoMainVC::refreshMarkers() {
    const struct {
        MissingFileMarker* marker;
        const std::string& path;
        const std::string& problem;
    } areas[] = {{imgDialogueFileMissing, speakerPath, m_problems[0]},
                 {imgMusicFileMissing, musicPath, m_problems[1]},
                 {imgFillerFileMissing, fillerPath, m_problems[2]}};
    for (const auto& a : areas) {
        const bool missing = isMissing(a.path);
        const bool unreadable = !a.path.empty() && !a.problem.empty();
        if (missing || unreadable)
            a.marker->setKind(missing ? MissingFileMarker::kMissing : MissingFileMarker::kUnreadable);
        a.marker->setVisible(missing || unreadable);
    }
    // Listed files carry their own badges; the area's says one of them is wanting.
    bool anyMissing = false, anyUnreadable = false;
    for (int i = 0; i < static_cast<int>(dialoguePaths.size()); ++i) {
        const bool missing = isMissing(dialoguePaths[static_cast<size_t>(i)]);
        const bool unreadable = static_cast<size_t>(i) < m_dialogueProblems.size() &&
                                !m_dialogueProblems[static_cast<size_t>(i)].empty();
        anyMissing = anyMissing || missing;
        anyUnreadable = anyUnreadable || unreadable;
        if (i < dialogueRows->count())
            dialogueRows->setMarker(i, missing || unreadable,
                                    missing ? MissingFileMarker::kMissing
                                            : MissingFileMarker::kUnreadable);
    }
    if (anyMissing || anyUnreadable)
        imgDialogueFileMissing->setKind(anyMissing ? MissingFileMarker::kMissing
                                                   : MissingFileMarker::kUnreadable);
    imgDialogueFileMissing->setVisible(anyMissing || anyUnreadable);
}

bool QuelvoMainVC::warnIfUnreadable(const std::string& role, const std::string& path, const std::string& problem) {
    if (problem.empty()) return false;
    KyAlert::okWithDetails("Warning", kyaudio::readFailureSentence(role, fileNameOf(path), problem),
                           problem, this);
    return true;
}

void QuelvoMainVC::doDuck() {
    if (!checkDialogueFiles()) return;
    if (musicPath.empty()) return KyAlert::ok("Warning", "Music File Not Specified.", this);
    if (!fileExists(musicPath, 0)) return KyAlert::ok("Warning", "Music File Not Found.", this);
    if (warnIfUnreadable("music", musicPath, musicProblem())) return;
    if (isMissing(fillerPath)) {
        QPointer<QuelvoMainVC> self(this);
        KyAlert::twoButtons(
            "Warning", "Filler File Not found.\nWould you like to remove it and continue?", "OK", nullptr,
            "Remove Filler File and Continue",
            [self] {
                // This job runs without the filler; the stored path stays, as
                // an alert changes nothing else: a drive that was briefly
                // away brings the filler back for the next job.
                if (self) self->startJob("");
            },
            this);
        return;
    }
    if (warnIfUnreadable("filler", fillerPath, fillerProblem())) return;
    startJob(fillerPath);
}

void QuelvoMainVC::doExportMix() {
    ExportMixInputs inputs;
    inputs.dialoguePaths = dialoguePaths;
    inputs.musicPath = musicPath;
    inputs.fillerPath = isMissing(fillerPath) ? std::string() : fillerPath;
    inputs.decrease = static_cast<int>(std::trunc(decrease->value()));
    inputs.overall = static_cast<int>(kykit::truncateToInt(overallMusicLevelSlider->value()));
    inputs.toZero = decreaseToZero;
    inputs.underLU = quelvo::mix::storedUnderLU();
    inputs.rolls = quelvo::currentEnvelopeTiming();
    inputs.speech = preview->correctedSpeech();
    m_exportMix->exportMix(inputs);
}

quelvo::DuckRequest QuelvoMainVC::jobRequest(const std::string& filler) const {
    const std::string name = projectName->text().toStdString();
    quelvo::DuckRequest request;
    request.inputs = {dialoguePaths, musicPath, filler};
    request.rolls = quelvo::currentEnvelopeTiming();
    request.depth.decrease = static_cast<int>(std::trunc(decrease->value()));
    request.depth.toZero = decreaseToZero;
    request.depth.overallMusicLevel = static_cast<int>(kykit::truncateToInt(overallMusicLevelSlider->value()));
    request.depth.underLU = quelvo::mix::storedUnderLU();
    request.eventName = name + "_duck_event";
    request.projectName = name + "_duck_project";
    request.musicRole = kymovie::SecondFileRole::shared().roleName();
    request.output.sendToFinalCutPro = quelvo::FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile;
    // The job asks before an existing project is replaced.
    request.output.replaceAllowed = false;
    // The speech as the preview shows it when the editor corrected it.
    request.speech = preview->correctedSpeech();
    return request;
}

void QuelvoMainVC::startJob(const std::string& filler) {
    kykit::storeString(kProjectNameKey, projectName->text().toStdString());
    // The last result stays until the next job starts.
    resultPanel->clear();
    // The project's name follows the editor chosen in the job, so the job
    // asks before replacing one that is there (DuckJobContext::onExistingProject).
    ProgressDialog* progress = ProgressDialog::showProgress(this, jobRequest(filler));
    if (!progress) return;
    connect(progress, &ProgressDialog::jobSucceeded, resultPanel,
            [panel = resultPanel](const quelvo::DuckOutcome& outcome, const QString& file) {
                panel->showOutcome(outcome, file.toStdString());
            });
    connect(progress, &ProgressDialog::jobCancelled, resultPanel, &JobResultPanel::showCancelled);
}

} // namespace kyui
