#include "ui/windows/main_window.h"

#include <cmath>
#include <iterator>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

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
#include "titles/titles_settings.h"
#include "ui/kit/alert.h"
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/release_notes.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/task_delivery.h"
#include "ui/kit/text_field.h"
#include "ui/kit/window_growth.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/job_questions.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/mix_export.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::ui {

namespace {

MainWindow::RoleChooser& roleChooser() {
    static MainWindow::RoleChooser chooser;
    return chooser;
}

const char* const kDragHere = "Drag Here";

// A file the user gave that is no longer there.
bool isMissing(const std::string& path) {
    return !path.empty() && !fileExists(path, 0);
}

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
    const MediaInfo media = quelvo::probeMedia(path);
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
    const FrameResult frame = quelvo::readFrame(path, std::min(1.0, f.duration / 2), 320, 180);
    if (!frame.status) return;
    const RgbImage& rgb = frame.image;
    f.poster =
        QImage(rgb.pixels.data(), rgb.width, rgb.height, rgb.width * 3, QImage::Format_RGB888)
            .copy();
}

} // namespace

void MainWindow::setRoleChooser(RoleChooser chooser) {
    roleChooser() = std::move(chooser);
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Quelvo"));
    buildLayout();
    setTabOrder();
    m_mixExport = new MixExport(this);
    connectControls();
    m_roleButton->setEnabled(bool(roleChooser()));
    // A result below the controls lengthens the window instead of the preview giving way.
    growWindowWith(m_result);
}

void MainWindow::connectControls() {
    connect(m_duck, &QPushButton::clicked, this, &MainWindow::duck);
    connect(m_exportMix, &QPushButton::clicked, this, &MainWindow::exportMix);
    connect(m_mixExport, &MixExport::mixWritten, m_result,
            [this](const QString& file, const QString& contents, const QString& warnings) {
                m_result->showMix(file.toStdString(), contents, warnings);
            });
    connect(m_clearFiller, &QToolButton::clicked, this, &MainWindow::clearFiller);
    connect(m_roleButton, &QPushButton::clicked, this, &MainWindow::chooseRole);
    connect(m_newsButton, &QToolButton::clicked, this, &MainWindow::showNews);
}

MainWindow::~MainWindow() {
    if (m_roleObserver) Notifier::removeObserver(m_roleObserver);
    // Nobody is left to read the facts.
    if (m_durations.valid()) m_durations.cancel();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
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

void MainWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

void MainWindow::showStoredState() {
    m_decreaseToZeroBox->configure(m_decreaseToZero, [this](bool on) {
        m_decreaseToZero.set(on);
        applyDecreaseToZero();
    });
    applyDecreaseToZero();
    m_musicLevel->configure(m_musicLevelValue, quelvo::settings::kOverallMusicLevel,
                            [this](double) { refreshPreview(); });
    setUpDropAreas();
    m_fillerPath = quelvo::storedString(kFillerKey, "");
    if (!m_fillerPath.empty()) {
        m_fillerArea->setText(QString::fromStdString(fileNameOf(m_fillerPath)));
        m_fillerArea->setToolTip(QString::fromStdString(m_fillerPath));
    }
    m_projectName->setText(QString::fromStdString(quelvo::storedString(kProjectNameKey, "")));
    refreshMarkers();
}

void MainWindow::setUpDropAreas() {
    const std::vector<std::string> extensions{"wav", "wave", "mp3", "m4a", "aif", "aiff"};
    for (FileDropArea* area : {m_dialogueArea, m_musicArea, m_fillerArea}) {
        area->dropMode = FileDropArea::kFilesOnly;
        area->setText(kDragHere);
        area->acceptedExtensions = extensions;
    }
    // The dialogue may be an editor's video clip, and several microphones.
    for (const char* video : {"mov", "mp4", "m4v", "mkv", "mxf", "avi"})
        m_dialogueArea->acceptedExtensions.push_back(video);
    m_dialogueArea->multipleFiles = true;
    m_dialogueArea->kindsName = tr("Audio and video files");
    m_dialogueArea->setLastFolderKey(kLastDialogueFolderKey);
    m_musicArea->setLastFolderKey(kLastMusicFolderKey);
    m_fillerArea->setLastFolderKey(kLastFillerFolderKey);
    m_dialogueArea->onDrop = [this](const std::vector<std::string>& paths) {
        addDialogueFiles(paths);
    };
    connect(m_dialogueRows, &DialogueFileRows::removeRequested, this,
            &MainWindow::removeDialogueFile);
    connect(m_removeDialogue, &QToolButton::clicked, this, [this] { removeDialogueFile(0); });
    refreshDialogueArea();
    m_musicArea->onDrop = [this](const std::vector<std::string>& paths) {
        m_musicPath = paths.front();
        refreshDurations();
        refreshMarkers();
    };
    m_fillerArea->onDrop = [this](const std::vector<std::string>& paths) {
        m_fillerPath = paths.front();
        quelvo::storeString(kFillerKey, m_fillerPath);
        refreshDurations();
        refreshMarkers();
    };
}

std::vector<std::string> MainWindow::placeFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> refused;
    FileDropArea* const areas[] = {m_dialogueArea, m_musicArea, m_fillerArea};
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (i >= std::size(areas) || !areas[i]->place({paths[i]})) refused.push_back(paths[i]);
    return refused;
}

void MainWindow::refreshOnShow() {
    refreshRoleLabel();
    if (!m_roleObserver) {
        // The role chooser announces its changes from the GUI thread, but an
        // observer may be called from anywhere: hop over and check we exist.
        const QPointer<QObject> self(this);
        m_roleObserver = Notifier::observe(SecondFileRole::kNotificationKey, [this, self] {
            quelvo::onMainThread(self, [this] { refreshRoleLabel(); });
        });
    }
    refreshDurations();
}

void MainWindow::startWatching() {
    if (!m_news) m_news = new ReleaseNotes(m_newsButton, ReleaseNotes::kNewsUrl);
    if (!m_fileWatch.isActive())
        m_fileWatch.loop("", 0.5, std::nullopt, false, [this] { checkFilesAndDepthMode(); });
}

void MainWindow::checkFilesAndDepthMode() {
    std::vector<bool> missing;
    for (const std::string& path : m_dialoguePaths)
        missing.push_back(isMissing(path));
    missing.push_back(isMissing(m_musicPath));
    missing.push_back(isMissing(m_fillerPath));
    bool cameBack = false;
    if (missing.size() == m_missingAtLastLook.size()) {
        const size_t dialogues = m_dialoguePaths.size();
        for (size_t i = 0; i < missing.size(); ++i) {
            if (!m_missingAtLastLook[i] || missing[i]) continue;
            cameBack = true;
            // What was read while it was away no longer holds.
            if (i < dialogues && i < m_dialogueProblems.size()) m_dialogueProblems[i].clear();
            m_problems[i < dialogues ? 0 : i - dialogues + 1].clear();
        }
    }
    m_missingAtLastLook = std::move(missing);
    if (cameBack) refreshDurations();
    refreshMarkers();
    refreshDepthMode();
}

void MainWindow::setTabOrder() {
    // The order of reading: the three files left to right, the filler's
    // Clear, the levels top to bottom, the name and role, Export Mix, then Duck.
    QWidget* const chain[] = {m_dialogueArea, m_removeDialogue, m_musicArea,         m_fillerArea,
                              m_clearFiller,  m_depth,          m_decreaseToZeroBox, m_musicLevel,
                              m_projectName,  m_roleButton,     m_newsButton,        m_exportMix,
                              m_duck};
    for (size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    // Buttons take Tab focus also where the style would leave them out.
    for (QWidget* w : std::initializer_list<QWidget*>{m_clearFiller, m_removeDialogue, m_newsButton,
                                                      m_roleButton, m_exportMix, m_duck})
        w->setFocusPolicy(Qt::StrongFocus);
    // Return on the focused role button opens the chooser, as Space does.
    m_roleButton->setAutoDefault(true);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Keys reach the window only when the focused control did not use
    // them. A focused button (Clear, What's New) is pressed by Return as by
    // Space; anywhere else Return starts the job, like a dialog's default
    // button, also from a drop area (which opens its picker with Space).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget());
            button && button != m_duck && !qobject_cast<QCheckBox*>(button)) {
            button->click();
            return;
        }
        if (m_duck->isEnabled()) m_duck->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::applyDecreaseToZero() {
    m_depth->configure(m_depthValue, quelvo::settings::kDecrease,
                       [this](double) { refreshPreview(); });
    refreshDepthMode(true);
}

void MainWindow::refreshDepthMode(bool force) {
    // The preferences window stores the mode without a notice: the
    // half-second look (checkFilesAndDepthMode) finds it.
    const std::optional<double> under = quelvo::mix::storedUnderLU();
    if (!force && under == m_underLU) return;
    m_underLU = under;
    if (under) m_depthModeNote->setText(tr("set by loudness: %1 LU under speech").arg(*under));
    m_depthModeNote->setVisible(under.has_value());
    const bool enabled = !m_decreaseToZero && !under;
    m_depth->setEnabled(enabled);
    m_depthValue->setEnabled(enabled);
    m_depthUnit->setEnabled(enabled);
    refreshPreview();
}

void MainWindow::refreshPreview() {
    quelvo::preview::PreviewSettings settings;
    settings.rolls = quelvo::currentEnvelopeTiming();
    settings.duckingDecrease = static_cast<int>(std::trunc(m_depth->value()));
    settings.overallMusicLevel = static_cast<int>(quelvo::truncateToInt(m_musicLevel->value()));
    settings.decreaseToZero = m_decreaseToZero;
    settings.underLU = m_underLU;
    m_preview->setSettings(settings);
    m_preview->setFiles(m_dialoguePaths, m_musicPath, m_fillerPath);
}

void MainWindow::clearFiller() {
    m_fillerPath.clear();
    m_fillerArea->setText(kDragHere);
    quelvo::storeString(kFillerKey, "");
    refreshDurations();
    refreshMarkers();
}

void MainWindow::chooseRole() {
    if (roleChooser()) roleChooser()(this);
}

void MainWindow::showNews() {
    if (m_news) m_news->showNews();
}

void MainWindow::refreshRoleLabel() {
    m_roleName->setText(
        capitalizedWords(QString::fromStdString(SecondFileRole::shared().roleName())));
}

void MainWindow::refreshDurations() {
    // Every change of a file comes here; the preview follows it.
    refreshPreview();
    for (QLabel* label : {m_dialogueDuration, m_musicDuration, m_fillerDuration})
        label->clear();
    m_musicShorter->hide();
    for (std::string& problem : m_problems)
        problem.clear();
    // Reading durations and checking that the files are usable opens them,
    // which may be slow (network drives), so it runs as a task. A newer
    // refresh makes older answers stale: the older work is asked to stop and
    // only the latest generation may fill the labels.
    if (m_durations.valid()) m_durations.cancel();
    const unsigned generation = ++m_durationGeneration;
    std::vector<std::string> paths = m_dialoguePaths;
    if (paths.empty()) paths.emplace_back();
    const std::size_t dialogues = paths.size();
    paths.push_back(m_musicPath);
    paths.push_back(m_fillerPath);
    using Facts = std::vector<FileFacts>;
    TaskRequest<Facts> request("file facts",
                               [paths, dialogues](TaskControl& control) -> TaskReturn<Facts> {
                                   return readFacts(paths, dialogues, control);
                               });
    request.onDone = [this, generation](const TaskResult<Facts>& result) {
        if (result.value) showDurations(generation, *result.value);
    };
    request.delivery = quelvo::mainThreadDelivery(this);
    m_durations = TaskRunner::shared().start(std::move(request));
}

std::vector<MainWindow::FileFacts> MainWindow::readFacts(const std::vector<std::string>& paths,
                                                         std::size_t dialogues,
                                                         const TaskControl& control) {
    std::vector<FileFacts> facts;
    for (const std::string& path : paths) {
        // Stale work: what it would read is thrown away.
        if (control.cancelled()) return facts;
        FileFacts f;
        // A file not given or gone is not unreadable: it has its own words.
        if (!path.empty() && fileExists(path, 0)) {
            if (facts.size() < dialogues) readPictureFacts(path, f);
            Status usable = f.noSound ? Status::failure("the video has no sound")
                                      : quelvo::checkUsableAudio(path, &f.duration);
            // The music and the filler become clips: a frame at least.
            if (usable && facts.size() >= dialogues) usable = quelvo::checkClipLength(f.duration);
            if (!usable) f.problem = usable.message();
            if (f.video && usable) readPoster(path, f);
        }
        facts.push_back(f);
    }
    return facts;
}

void MainWindow::showDurations(unsigned generation, const std::vector<FileFacts>& all) {
    if (generation != m_durationGeneration) return;
    // The dialogue files first (one empty entry for none), then music and filler.
    const std::vector<FileFacts> dialogue(all.begin(), all.end() - 2);
    const std::vector<FileFacts> facts{dialogueSummary(dialogue), all[all.size() - 2], all.back()};
    const struct {
        QLabel* label;
        const char* prefix;
    } lines[] = {{m_dialogueDuration, "Dialogue File Duration: "},
                 {m_musicDuration, "Music File Duration: "},
                 {m_fillerDuration, "Filler File Duration: "}};
    for (size_t i = 0; i < std::size(lines); ++i) {
        QLabel* label = lines[i].label;
        const FileFacts& f = facts[i];
        m_problems[i] = f.problem;
        label->setToolTip(QString());
        label->setForegroundRole(QPalette::WindowText);
        if (!f.problem.empty()) {
            // Why the file cannot be used, in a few words; the advice and the
            // audio layer's reason in the tooltip.
            const ReadFailureText text = quelvo::readFailureText(f.problem);
            label->setText(QString::fromStdString(text.brief));
            label->setToolTip(QString::fromStdString(text.advice + "\n(" + f.problem + ")"));
            continue;
        }
        // A duration that cannot be read (0, or nonsense) leaves the label empty.
        if (f.duration == 0 || !std::isfinite(f.duration)) continue;
        label->setText(QString::fromLatin1(lines[i].prefix) +
                       QString::fromStdString(Timecode::withMilliseconds(f.duration, false)));
    }
    showMusicLengthNote(facts);
    showDialogueFacts(dialogue);
    refreshMarkers();
    emit durationsShown();
}

void MainWindow::showMusicLengthNote(const std::vector<FileFacts>& facts) {
    const double dialogue = facts[0].duration, music = facts[1].duration;
    // Only two durations that were both read; a millisecond is no difference.
    const bool shorter = facts[0].problem.empty() && facts[1].problem.empty() &&
                         std::isfinite(dialogue) && std::isfinite(music) && music > 0 &&
                         dialogue - music >= 0.001;
    m_musicShorter->setVisible(shorter);
    if (!shorter) return m_musicShorter->clear();
    m_musicShorter->setText(
        tr("The music is %1 shorter than the dialogue.")
            .arg(QString::fromStdString(Timecode::withMilliseconds(dialogue - music, false))));
    const auto time = [](double s) {
        return QString::fromStdString(Timecode::withMilliseconds(s, false));
    };
    m_musicShorter->setToolTip(tr("Dialogue %1, music %2").arg(time(dialogue), time(music)));
}

void MainWindow::refreshMarkers() {
    const struct {
        MissingFileMarker* marker;
        const std::string& path;
        const std::string& problem;
    } areas[] = {{m_dialogueMarker, m_firstDialoguePath, m_problems[0]},
                 {m_musicMarker, m_musicPath, m_problems[1]},
                 {m_fillerMarker, m_fillerPath, m_problems[2]}};
    for (const auto& a : areas) {
        const bool missing = isMissing(a.path);
        const bool unreadable = !a.path.empty() && !a.problem.empty();
        if (missing || unreadable)
            a.marker->setKind(missing ? MissingFileMarker::kMissing
                                      : MissingFileMarker::kUnreadable);
        a.marker->setVisible(missing || unreadable);
    }
    refreshDialogueMarkers();
}

void MainWindow::refreshDialogueMarkers() {
    // Listed files carry their own badges; the area's says one of them is wanting.
    bool anyMissing = false, anyUnreadable = false;
    for (int i = 0; i < static_cast<int>(m_dialoguePaths.size()); ++i) {
        const bool missing = isMissing(m_dialoguePaths[static_cast<size_t>(i)]);
        const bool unreadable = static_cast<size_t>(i) < m_dialogueProblems.size() &&
                                !m_dialogueProblems[static_cast<size_t>(i)].empty();
        anyMissing = anyMissing || missing;
        anyUnreadable = anyUnreadable || unreadable;
        if (i < m_dialogueRows->count())
            m_dialogueRows->setMarker(i, missing || unreadable,
                                      missing ? MissingFileMarker::kMissing
                                              : MissingFileMarker::kUnreadable);
    }
    if (anyMissing || anyUnreadable)
        m_dialogueMarker->setKind(anyMissing ? MissingFileMarker::kMissing
                                             : MissingFileMarker::kUnreadable);
    m_dialogueMarker->setVisible(anyMissing || anyUnreadable);
}

bool MainWindow::warnIfUnreadable(const std::string& role, const std::string& path,
                                  const std::string& problem) {
    if (problem.empty()) return false;
    Alert::okWithDetails("Warning", quelvo::readFailureSentence(role, fileNameOf(path), problem),
                         problem, this);
    return true;
}

void MainWindow::duck() {
    if (!checkDialogueFiles()) return;
    if (m_musicPath.empty()) return Alert::ok("Warning", "Music File Not Specified.", this);
    if (!fileExists(m_musicPath, 0)) return Alert::ok("Warning", "Music File Not Found.", this);
    if (warnIfUnreadable("music", m_musicPath, musicProblem())) return;
    if (isMissing(m_fillerPath)) {
        QPointer<MainWindow> self(this);
        Alert::twoButtons(
            "Warning", "Filler File Not found.\nWould you like to remove it and continue?", "OK",
            nullptr, "Remove Filler File and Continue",
            [self] {
                // This job runs without the filler; the stored path stays, as
                // an alert changes nothing else: a drive that was briefly
                // away brings the filler back for the next job.
                if (self) self->startJob("");
            },
            this);
        return;
    }
    if (warnIfUnreadable("filler", m_fillerPath, fillerProblem())) return;
    startJob(m_fillerPath);
}

void MainWindow::exportMix() {
    MixExportRequest request;
    request.dialoguePaths = m_dialoguePaths;
    request.musicPath = m_musicPath;
    request.fillerPath = isMissing(m_fillerPath) ? std::string() : m_fillerPath;
    request.decrease = static_cast<int>(std::trunc(m_depth->value()));
    request.overall = static_cast<int>(quelvo::truncateToInt(m_musicLevel->value()));
    request.toZero = m_decreaseToZero;
    request.underLU = quelvo::mix::storedUnderLU();
    request.rolls = quelvo::currentEnvelopeTiming();
    request.speech = m_preview->correctedSpeech();
    m_mixExport->start(request);
}

DuckRequest MainWindow::jobRequest(const std::string& filler) const {
    const std::string name = m_projectName->text().toStdString();
    DuckRequest request;
    request.inputs = {m_dialoguePaths, m_musicPath, filler};
    request.rolls = quelvo::currentEnvelopeTiming();
    request.depth.decrease = static_cast<int>(std::trunc(m_depth->value()));
    request.depth.toZero = m_decreaseToZero;
    request.depth.overallMusicLevel =
        static_cast<int>(quelvo::truncateToInt(m_musicLevel->value()));
    request.depth.underLU = quelvo::mix::storedUnderLU();
    request.eventName = name + "_duck_event";
    request.projectName = name + "_duck_project";
    request.musicRole = SecondFileRole::shared().roleName();
    request.output.sendToFinalCutPro = TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile;
    // The job asks before an existing project is replaced.
    request.output.replaceAllowed = false;
    // The speech as the preview shows it when the editor corrected it.
    request.speech = m_preview->correctedSpeech();
    return request;
}

void MainWindow::startJob(const std::string& filler) {
    quelvo::storeString(kProjectNameKey, m_projectName->text().toStdString());
    // The last result stays until the next job starts.
    m_result->clear();
    // The project's name follows the editor chosen in the job, so the job
    // asks before replacing one that is there (DuckJobContext::onExistingProject).
    ProgressDialog* progress = ProgressDialog::showProgress(this, jobRequest(filler));
    if (!progress) return;
    connect(progress, &ProgressDialog::jobSucceeded, m_result,
            [panel = m_result](const DuckOutcome& outcome, const QString& file) {
                panel->showOutcome(outcome, file.toStdString());
            });
    connect(progress, &ProgressDialog::jobCancelled, m_result, &JobResultPanel::showCancelled);
}

} // namespace quelvo::ui
