#include "ui/windows/quelvo_main_vc.h"

#include <cmath>
#include <iterator>

#include <QAbstractButton>
#include <QCheckBox>

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

#include "ducking/qv_roll.h"
#include "platform/audio/audio_file.h"
#include "platform/movie/second_file_role.h"
#include "platform/toolkit/concurrency.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/notify.h"
#include "platform/toolkit/numbers.h"
#include "platform/toolkit/services.h"
#include "ui/kit/ky_alert.h"
#include "ui/kit/ky_check_button.h"
#include "ui/kit/ky_drag_area.h"
#include "ui/kit/ky_news.h"
#include "ui/kit/ky_slider.h"
#include "ui/kit/ky_text_field.h"
#include "ui/kit/main_thread.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/progress_vc.h"

namespace kyui {

using kykit::fu_fileExists;
using kykit::fu_getFileNameFromPath;
using kykit::fu_getFileNameWithoutExtension;

namespace {

QuelvoMainVC::Presenter& roleChooser() {
    static QuelvoMainVC::Presenter presenter;
    return presenter;
}

const char* const kDragHere = "Drag Here";

// A file the user gave that is no longer there.
bool isMissing(const std::string& path) { return !path.empty() && !fu_fileExists(path, 0); }

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

} // namespace

void QuelvoMainVC::setRoleChooser(Presenter presenter) { roleChooser() = std::move(presenter); }

QuelvoMainVC::QuelvoMainVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(QStringLiteral("Quelvo"));
    buildLayout();
    setTabOrder();
    connect(btnDuck, &QPushButton::clicked, this, &QuelvoMainVC::doDuck);
    connect(btnClear, &QToolButton::clicked, this, &QuelvoMainVC::clearPressed);
    connect(btnRole, &QPushButton::clicked, this, &QuelvoMainVC::btnRolePressed);
    connect(btnKyNews, &QToolButton::clicked, this, &QuelvoMainVC::btnKyNewsPressed);
    btnRole->setEnabled(bool(roleChooser()));
}

QuelvoMainVC::~QuelvoMainVC() {
    if (m_roleObserver) kykit::KyNotify::removeObserver(m_roleObserver);
}

void QuelvoMainVC::viewDidLoad() {
    chkDecreaseToZero->configure(decreaseToZero, [this](bool on) {
        decreaseToZero.set(on);
        applyDecreaseToZero();
    });
    applyDecreaseToZero();
    overallMusicLevelSlider->configure(overallMusicLevelLabel, kOverallDefault, kOverallMusicLevelKey, 0,
                                       [this](double) { refreshPreview(); });

    const std::vector<std::string> extensions{"wav", "wave", "mp3", "m4a", "aif", "aiff"};
    for (KyDragArea* area : {drgSpeaker, drgMusic, drgFiller}) {
        area->dropMode = KyDragArea::kFilesOnly;
        area->setText(kDragHere);
        area->acceptedExtensions = extensions;
    }
    drgSpeaker->onDrop = [this](const std::vector<std::string>& paths) {
        speakerPath = paths.front();
        projectName->setText(
            QString::fromStdString(fu_getFileNameWithoutExtension(fu_getFileNameFromPath(speakerPath))));
        refreshDurations();
        refreshMarkers();
    };
    drgMusic->onDrop = [this](const std::vector<std::string>& paths) {
        musicPath = paths.front();
        refreshDurations();
        refreshMarkers();
    };
    drgFiller->onDrop = [this](const std::vector<std::string>& paths) {
        fillerPath = paths.front();
        kykit::prefs_setValueString(kFillerKey, fillerPath, false);
        refreshDurations();
        refreshMarkers();
    };

    fillerPath = kykit::prefs_getValueString(kFillerKey, "", false);
    if (!fillerPath.empty()) {
        drgFiller->setText(QString::fromStdString(fu_getFileNameFromPath(fillerPath)));
        drgFiller->setToolTip(QString::fromStdString(fillerPath));
    }
    projectName->setText(QString::fromStdString(kykit::prefs_getValueString(kProjectNameKey, "", false)));
    refreshMarkers();
}

void QuelvoMainVC::viewWillAppear() {
    KyViewController::viewWillAppear();
    refreshRoleLabel();
    if (!m_roleObserver) {
        // The role chooser announces its changes from the GUI thread, but an
        // observer may be called from anywhere: hop over and check we exist.
        QPointer<QuelvoMainVC> self(this);
        m_roleObserver = kykit::KyNotify::observe(kymovie::QVSecondFileRole::kNotificationKey, [self] {
            runOnMain([self] {
                if (self) self->refreshRoleLabel();
            });
        });
    }
    refreshDurations();
}

void QuelvoMainVC::viewDidAppear() {
    KyViewController::viewDidAppear();
    if (!kyNews) kyNews = new KyNews(btnKyNews, KyNews::kNewsUrl);
    if (!timer.isActive()) timer.loop("", 0.5, std::nullopt, false, [this] { idle(); });
}

void QuelvoMainVC::idle() { refreshMarkers(); }

void QuelvoMainVC::setTabOrder() {
    // The order of reading: the three files left to right, the filler's
    // Clear, the levels top to bottom, the name and role, then Duck.
    QWidget* const chain[] = {drgSpeaker, drgMusic,          drgFiller,
                              btnClear,   decrease,          chkDecreaseToZero,
                              overallMusicLevelSlider, projectName, btnRole,
                              btnKyNews,  btnDuck};
    for (size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    // Buttons take Tab focus also where the style would leave them out.
    for (QWidget* w : {static_cast<QWidget*>(btnClear), static_cast<QWidget*>(btnKyNews),
                       static_cast<QWidget*>(btnRole), static_cast<QWidget*>(btnDuck)})
        w->setFocusPolicy(Qt::StrongFocus);
    // Return on the focused role button opens the chooser, as Space does.
    btnRole->setAutoDefault(true);
}

void QuelvoMainVC::keyPressEvent(QKeyEvent* event) {
    // Keys reach the controller only when the focused control did not use
    // them. A focused button (Clear, What's New) is pressed by Return as by
    // Space; anywhere else Return starts the job, like a dialog's default
    // button. The drop areas keep Return for their file picker.
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
    decrease->configure(decreaseLabel, kDecreaseDefault, kDecreaseKey, 0, [this](double) { refreshPreview(); });
    const bool enabled = !decreaseToZero;
    decrease->setEnabled(enabled);
    decreaseLabel->setEnabled(enabled);
    decreaseDBLabel->setEnabled(enabled);
    refreshPreview();
}

void QuelvoMainVC::refreshPreview() {
    quelvo::preview::PreviewSettings settings;
    settings.rolls = quelvo::currentRolls();
    settings.duckingDecrease = static_cast<int>(std::trunc(decrease->value()));
    settings.overallMusicLevel = static_cast<int>(kykit::truncateToInt(overallMusicLevelSlider->value()));
    settings.decreaseToZero = decreaseToZero;
    preview->setSettings(settings);
    preview->setFiles(speakerPath, musicPath, fillerPath);
}

void QuelvoMainVC::clearPressed() {
    fillerPath.clear();
    drgFiller->setText(kDragHere);
    kykit::prefs_setValueString(kFillerKey, "", false);
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
    lblRole->setText(capitalizedWords(QString::fromStdString(kymovie::QVSecondFileRole::shared().roleName())));
}

void QuelvoMainVC::refreshDurations() {
    // Every change of a file comes here; the preview follows it.
    refreshPreview();
    for (QLabel* label : {lblDialogueDuration, lblMusicDuration, lblFillerDuration}) label->clear();
    // Reading durations opens the files, which may be slow (network drives),
    // so it runs on the toolkit's queue. A newer refresh makes older answers
    // stale: only the latest generation may fill the labels.
    const unsigned generation = ++m_durationGeneration;
    QPointer<QuelvoMainVC> self(this);
    kykit::Queue::execute(false, [self, generation, dialogue = speakerPath, music = musicPath,
                                  filler = fillerPath] {
        const double d = kyaudio::aUt_getAudioDuration(dialogue);
        const double m = kyaudio::aUt_getAudioDuration(music);
        const double f = kyaudio::aUt_getAudioDuration(filler);
        runOnMain([self, generation, d, m, f] {
            if (self) self->showDurations(generation, d, m, f);
        });
    });
}

void QuelvoMainVC::showDurations(unsigned generation, double dialogue, double music, double filler) {
    if (generation != m_durationGeneration) return;
    const auto show = [](QLabel* label, const char* prefix, double seconds) {
        // A duration that cannot be read (0, or nonsense) leaves the label empty.
        if (seconds == 0 || !std::isfinite(seconds)) return;
        label->setText(QString::fromLatin1(prefix) +
                       QString::fromStdString(kykit::TC::getFloatTimecode(seconds, false)));
    };
    show(lblDialogueDuration, "Dialogue File Duration: ", dialogue);
    show(lblMusicDuration, "Music File Duration: ", music);
    show(lblFillerDuration, "Filler File Duration: ", filler);
    emit durationsShown();
}

void QuelvoMainVC::refreshMarkers() {
    imgDialogueFileMissing->setVisible(isMissing(speakerPath));
    imgMusicFileMissing->setVisible(isMissing(musicPath));
    imgFillerFileMissing->setVisible(isMissing(fillerPath));
}

void QuelvoMainVC::doDuck() {
    if (speakerPath.empty()) return KyAlert::ok("Warning", "Speaker File Not Specified.", this);
    if (!fu_fileExists(speakerPath, 0)) return KyAlert::ok("Warning", "Speaker File Not Found.", this);
    if (musicPath.empty()) return KyAlert::ok("Warning", "Music File Not Specified.", this);
    if (!fu_fileExists(musicPath, 0)) return KyAlert::ok("Warning", "Music File Not Found.", this);
    if (isMissing(fillerPath)) {
        QPointer<QuelvoMainVC> self(this);
        KyAlert::twoButtons(
            "Warning", "Filler File Not found.\nWould you like to remove it and continue?", "OK", nullptr,
            "Remove Filler File and Continue",
            [self] {
                if (!self) return;
                // Removing means what it says: the filler is gone from the
                // window too, so the next job does not ask again.
                self->clearPressed();
                self->startJob("");
            },
            this);
        return;
    }
    startJob(fillerPath);
}

void QuelvoMainVC::startJob(const std::string& filler) {
    const std::string name = projectName->text().toStdString();
    kykit::prefs_setValueString(kProjectNameKey, name, false);
    const std::string eventName = name + "_duck_event";
    const std::string project = name + "_duck_project";
    const int depth = static_cast<int>(std::trunc(decrease->value()));
    const int overall = static_cast<int>(kykit::truncateToInt(overallMusicLevelSlider->value()));
    const quelvo::QVRoll rolls = quelvo::currentRolls();
    ProgressVC::showProgress(this, speakerPath, musicPath, filler, depth, overall, decreaseToZero, eventName,
                             project, rolls);
}

} // namespace kyui
