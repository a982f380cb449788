#include "ui/windows/preview_panel.h"

#include <cmath>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "media/audio_file.h"
#include "media/media_info.h"
#include "media/read_failure_text.h"
#include "project/envelope_timing.h"
#include "project/project_builder.h"
#include "project/volume_keyframes.h"
#include "ui/kit/window_growth.h"
#include "ui/windows/preview_analysis.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_microphones.h"
#include "ui/windows/preview_player.h"

namespace quelvo::ui {

namespace pv = quelvo::preview;

namespace {

QToolButton* toolButton(const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

// Scroll bar steps: milliseconds keep a one-hour file far inside int's range.
constexpr double kScrollUnit = 0.001;

} // namespace

PreviewPanel::PreviewPanel(QWidget* parent)
    : QWidget(parent), m_analysis(new PreviewAnalysis(this)),
      m_microphones(new PreviewMicrophones(this)), m_player(new PreviewPlayer(this)),
      m_rollsWatch(new QTimer(this)) {
    buildLayout();
    growWindowWith(m_body);
    connectControls();
    connectAnalysis();
    connect(m_player, &PreviewPlayer::positionChanged, m_canvas, &PreviewCanvas::setPlayhead);
    connect(m_player, &PreviewPlayer::stopped, this, &PreviewPanel::refreshPlayButton);
    // The preferences window changes the timings in the shared record without
    // a notice; a cheap look ten times a second keeps the picture in step.
    m_rollsWatch->setInterval(100);
    connect(m_rollsWatch, &QTimer::timeout, this, &PreviewPanel::pollRolls);
    m_rollsWatch->start();
    m_settings.rolls = quelvo::currentEnvelopeTiming();
    refreshPlayButton();
}

void PreviewPanel::buildLayout() {
    m_toggle = new QToolButton(this);
    m_toggle->setText(tr("Preview"));
    m_toggle->setCheckable(true);
    m_toggle->setChecked(true);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setArrowType(Qt::DownArrow);
    m_toggle->setAutoRaise(true);
    m_toggle->setToolTip(tr("Show or hide the preview"));
    m_zoomOut = toolButton(QStringLiteral("−"), tr("Zoom out"), this);
    m_zoomIn = toolButton(QStringLiteral("+"), tr("Zoom in"), this);
    m_fit = toolButton(tr("Fit"), tr("Show the whole length"), this);
    m_play = toolButton(tr("Play"), tr("Play the mix from the chosen point (Space)"), this);
    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.00   music silent")) * 3 / 2);

    m_body = new QWidget(this);
    m_progress = new QProgressBar(m_body);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(std::max(3, fontMetrics().height() / 5));
    m_progress->setAccessibleName(tr("Analysis progress"));
    m_progress->hide();
    m_canvas = new PreviewCanvas(m_body);
    m_scroll = new QScrollBar(Qt::Horizontal, m_body);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(m_toggle);
    addSpeechControls(header);
    header->addStretch();
    header->addWidget(m_status);
    for (QToolButton* b : {m_zoomOut, m_zoomIn, m_fit, m_play})
        header->addWidget(b);

    auto* body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(m_progress);
    body->addWidget(m_canvas, 1);
    body->addWidget(m_scroll);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(fontMetrics().height() / 4);
    page->addLayout(header);
    page->addWidget(m_body, 1);
}

void PreviewPanel::connectControls() {
    connect(m_toggle, &QToolButton::toggled, this, &PreviewPanel::setExpanded);
    connect(m_zoomIn, &QToolButton::clicked, m_canvas, [this] { m_canvas->zoomBy(2.0); });
    connect(m_zoomOut, &QToolButton::clicked, m_canvas, [this] { m_canvas->zoomBy(0.5); });
    connect(m_fit, &QToolButton::clicked, m_canvas, &PreviewCanvas::fit);
    connect(m_play, &QToolButton::clicked, this, &PreviewPanel::togglePlayback);
    connect(m_canvas, &PreviewCanvas::playToggled, this, &PreviewPanel::togglePlayback);
    connect(m_canvas, &PreviewCanvas::viewChanged, this, &PreviewPanel::syncScrollBar);
    connect(m_canvas, &PreviewCanvas::hovered, m_status, &QLabel::setText);
    connect(m_canvas, &PreviewCanvas::clicked, this, [this](double t) {
        m_playFrom = t;
        // A click while playing moves the playback there.
        if (m_player->isPlaying()) {
            m_player->stop();
            togglePlayback();
        }
    });
    connect(m_scroll, &QScrollBar::valueChanged, m_canvas,
            [this](int v) { m_canvas->scrollTo(v * kScrollUnit); });
}

void PreviewPanel::connectAnalysis() {
    connect(m_analysis, &PreviewAnalysis::progressed, this,
            [this](double share) { m_progress->setValue(static_cast<int>(share * 1000)); });
    connect(m_analysis, &PreviewAnalysis::finished, this,
            [this](Track dialogue, Track music, QString problem) {
                // Threshold detection draws from levels alone; the line goes on for the
                // speech features the automatic detection needs, measured meanwhile.
                const bool measuring = m_analysis->featuresPending();
                m_progress->setVisible(measuring);
                m_progress->setValue(0);
                m_progress->setToolTip(measuring ? tr("Measuring the dialogue's speech features")
                                                 : QString());
                m_status->setText(problem);
                rebuildModel(std::move(dialogue), std::move(music));
                showFeaturesNote(problem);
            });
    connect(m_analysis, &PreviewAnalysis::featuresArrived, this,
            [this](Track dialogue, QString problem) {
                m_progress->hide();
                m_progress->setToolTip(QString());
                if (!m_model) return;
                // The same picture and view; only the speech may change, if the automatic mode is
                // on.
                m_model = makeModel(std::move(dialogue), m_model->music());
                if (m_status->text() == featuresNote() || !problem.isEmpty())
                    m_status->setText(problem);
                redraw();
            });
    connect(m_microphones, &PreviewMicrophones::trackArrived, this,
            [this](const QString&, const QString& problem) {
                if (!problem.isEmpty()) m_status->setText(problem);
                // Until the first file and the music are read, their answer draws all.
                if (!m_model) return;
                m_model = makeModel(m_model->dialogue(), m_model->music());
                redraw();
                m_canvas->fit();
            });
    connect(m_analysis, &PreviewAnalysis::depthsMeasured, this, [this] {
        m_progress->hide();
        m_progress->setRange(0, 1000);
        redraw();
        showDepthProblem();
    });
}

PreviewPanel::~PreviewPanel() {
    m_player->stop();
    m_analysis->cancel();
}

bool PreviewPanel::isExpanded() const {
    return m_toggle->isChecked();
}

void PreviewPanel::setExpanded(bool expanded) {
    m_toggle->setChecked(expanded);
    m_toggle->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    // Folded, the panel is its header's height and the window gives the
    // picture's height back (and takes it again when unfolded).
    setSizePolicy(QSizePolicy::Preferred, expanded ? QSizePolicy::Preferred : QSizePolicy::Maximum);
    m_body->setVisible(expanded);
    for (QToolButton* b : {m_zoomOut, m_zoomIn, m_fit, m_play})
        b->setVisible(expanded);
    if (!expanded && m_player->isPlaying()) m_player->stop();
}

void PreviewPanel::setFiles(const std::string& dialogue, const std::string& music,
                            const std::string& filler) {
    setFiles(dialogue.empty() ? std::vector<std::string>{} : std::vector<std::string>{dialogue},
             music, filler);
}

void PreviewPanel::setFiles(const std::vector<std::string>& dialogues, const std::string& music,
                            const std::string& filler) {
    const std::string dialogue = dialogues.empty() ? std::string() : dialogues.front();
    const bool inputsChanged = dialogues != m_dialoguePaths || music != m_musicPath;
    // Corrections belong to the dialogue they were made on (with several
    // files, to their union).
    if (dialogues != m_dialoguePaths) {
        m_corrections.clear();
        m_detected.clear();
    }
    m_dialoguePaths = dialogues;
    m_dialoguePath = dialogue;
    m_musicPath = music;
    m_fillerPath = filler;
    m_settings.withFiller = !filler.empty();
    // The filler's length caps its clips, as in the project (a header read).
    const double fillerSeconds = filler.empty() ? 0.0 : quelvo::probeAudioFile(filler).duration;
    m_settings.fillerSeconds = std::isfinite(fillerSeconds) ? fillerSeconds : 0.0;
    // With a video dialogue the fillers sit on its timeline's frames, as in
    // the project (a header read).
    DialogueClip first;
    first.source.facts.video = quelvo::videoSourceFacts(quelvo::probeMedia(dialogue));
    m_settings.fillerGrid = quelvo::fillerGridFor(quelvo::timelineFor({first}));
    m_player->stop();
    if (!inputsChanged) return redraw();
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progress->setVisible(!dialogue.empty() || !music.empty());
    m_status->setText(m_progress->isVisible() ? tr("Analysing…") : QString());
    // The automatic detection needs the features for the first picture; the
    // threshold detection draws sooner without them, and they follow.
    using When = pv::BackgroundAnalysis::FeaturesWhen;
    const When when = quelvo::currentEnvelopeTiming().detection == DetectionMode::automatic
                          ? When::withLevels
                          : When::afterPicture;
    m_analysis->start(dialogue, music, when);
    m_microphones->start(
        {dialogues.begin() + std::min<std::ptrdiff_t>(1, std::ssize(dialogues)), dialogues.end()},
        when);
}

std::shared_ptr<const pv::PreviewModel> PreviewPanel::makeModel(Track dialogue, Track music) const {
    if (m_dialoguePaths.size() < 2)
        return std::make_shared<const pv::PreviewModel>(dialogue, music, m_decision);
    std::vector<pv::MicrophoneLane> lanes;
    for (const std::string& path : m_dialoguePaths) {
        pv::MicrophoneLane lane;
        lane.track = lanes.empty() ? dialogue : m_microphones->track(path);
        lane.name = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
        lanes.push_back(std::move(lane));
    }
    return std::make_shared<const pv::PreviewModel>(std::move(lanes), std::move(music));
}

void PreviewPanel::setSettings(const pv::PreviewSettings& settings) {
    const bool filler = m_settings.withFiller;
    const double fillerSeconds = m_settings.fillerSeconds;
    const FrameGrid fillerGrid = m_settings.fillerGrid;
    m_settings = settings;
    m_settings.withFiller = filler;
    m_settings.fillerSeconds = fillerSeconds;
    m_settings.fillerGrid = fillerGrid;
    redraw();
}

void PreviewPanel::setSpeechDecision(pv::SpeechDecision decision) {
    m_decision = std::move(decision);
    if (m_model) rebuildModel(m_model->dialogue(), m_model->music());
}

void PreviewPanel::pollRolls() {
    if (quelvo::currentEnvelopeTiming() == m_settings.rolls) return;
    const EnvelopeTiming before = m_settings.rolls;
    m_settings.rolls = quelvo::currentEnvelopeTiming();
    askToClearCorrections(before);
    redraw();
    showFeaturesNote(QString());
}

QString PreviewPanel::featuresNote() const {
    return tr("Threshold picture until the speech features are measured…");
}

void PreviewPanel::showFeaturesNote(const QString& otherwise) {
    if (!m_analysis->featuresPending()) return;
    if (m_settings.rolls.detection == DetectionMode::automatic)
        m_status->setText(featuresNote());
    else if (m_status->text() == featuresNote())
        m_status->setText(otherwise);
}

void PreviewPanel::rebuildModel(Track dialogue, Track music) {
    m_model =
        dialogue || music || m_dialoguePaths.size() > 1 ? makeModel(dialogue, music) : nullptr;
    m_playFrom = 0;
    m_canvas->setPlayhead(-1);
    redraw();
    m_canvas->fit();
}

void PreviewPanel::redraw() {
    pv::PreviewScene scene = m_model ? m_model->scene(m_settings) : pv::PreviewScene{};
    m_detected = scene.speech;
    if (m_corrections.corrected())
        pv::applySpeech(scene, m_settings, m_corrections.intervals(m_detected));
    // While the levels are measured the last picture of these files stays.
    std::string files = m_musicPath;
    for (const std::string& path : m_dialoguePaths)
        files += '\n' + path;
    if (!applyLoudnessDepth(scene)) {
        if (m_shownFiles == files) return;
        scene.keyframes.clear(); // no depth to draw yet
    }
    m_shownFiles = files;
    m_canvas->setScene(std::move(scene));
    refreshSpeechCount();
    refreshPlayButton();
    emit sceneShown();
}

bool PreviewPanel::applyLoudnessDepth(pv::PreviewScene& scene) {
    if (!m_settings.underLU || !scene.dialogue || !scene.music) {
        if (m_depthAsked) m_analysis->cancelDepths();
        m_depthAsked.reset();
        return true;
    }
    pv::DepthRequest request{
        m_dialoguePath,
        m_musicPath,
        scene.speech,
        m_settings.rolls,
        *m_settings.underLU,
        quelvo::duckLevel(m_settings.decreaseToZero, m_settings.duckingDecrease),
        m_settings.overallMusicLevel};
    const auto& measured = m_analysis->lastDepths();
    if (measured.request == request) {
        pv::applyDuckedLevels(scene, m_settings.rolls, measured.depths.levels);
        return true;
    }
    if (m_depthAsked != request) {
        m_depthAsked = request;
        m_analysis->measureDepths(std::move(request));
        m_progress->setRange(0, 0); // no share to show: the core measures in one go
        m_progress->show();
        m_status->setText(tr("Measuring the loudness under the speech…"));
    }
    return false;
}

void PreviewPanel::showDepthProblem() {
    const auto& depths = m_analysis->lastDepths().depths;
    if (depths.status) {
        if (m_status->text() == tr("Measuring the loudness under the speech…")) m_status->clear();
        return;
    }
    m_status->setText(
        tr("Cannot measure the loudness (%1); the fixed depth is drawn.")
            .arg(QString::fromStdString(quelvo::readFailureText(depths.status.message()).brief)));
}

void PreviewPanel::syncScrollBar() {
    const double span = m_canvas->secondsPerPixel() * m_canvas->width();
    const double total = m_canvas->scene().duration();
    const QSignalBlocker quiet(m_scroll);
    m_scroll->setRange(0, static_cast<int>(std::max(0.0, total - span) / kScrollUnit));
    m_scroll->setPageStep(static_cast<int>(span / kScrollUnit));
    m_scroll->setSingleStep(std::max(1, static_cast<int>(span / 10 / kScrollUnit)));
    m_scroll->setValue(static_cast<int>(m_canvas->start() / kScrollUnit));
    m_scroll->setEnabled(total > span);
}

void PreviewPanel::refreshPlayButton() {
    const QString why = PreviewPlayer::unavailableReason();
    const bool ready = m_model && m_model->dialogue() && m_model->music();
    m_play->setEnabled(why.isEmpty() && ready);
    m_play->setText(m_player->isPlaying() ? tr("Stop") : tr("Play"));
    if (!why.isEmpty())
        m_play->setToolTip(why);
    else if (!ready)
        m_play->setToolTip(tr("Choose a dialogue and a music file to listen to the mix"));
    else
        m_play->setToolTip(tr("Play the mix from the chosen point (Space)"));
}

void PreviewPanel::togglePlayback() {
    if (m_player->isPlaying()) {
        m_player->stop();
        return refreshPlayButton();
    }
    if (!m_play->isEnabled()) return;
    // What is drawn is what plays (with depth by loudness, the measured levels).
    const pv::PreviewScene& scene = m_canvas->scene();
    quelvo::mix::MixInputs inputs;
    inputs.dialoguePath = m_dialoguePath;
    // Every microphone plays, as the exported mix has them.
    if (m_dialoguePaths.size() > 1)
        inputs.moreDialogue.assign(m_dialoguePaths.begin() + 1, m_dialoguePaths.end());
    inputs.musicPath = m_musicPath;
    inputs.fillerPath = m_fillerPath;
    inputs.envelope = scene.envelope();
    inputs.fillers = scene.fillers;
    QString problem;
    if (!m_player->play(inputs, m_playFrom, &problem)) m_status->setText(problem);
    refreshPlayButton();
}

} // namespace quelvo::ui
