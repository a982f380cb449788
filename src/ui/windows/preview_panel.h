#pragma once
// The main window's preview: waveforms of the dialogue and the music, the
// speech found, the music's volume envelope and the filler clips on one time
// axis, redrawn at once from kept levels when a control moves, with zoom,
// scroll, a hover readout and playback of the mix. Collapsible.
#include <optional>
#include <string>

#include <QWidget>

#include "preview/depth_measurement.h"
#include "preview/preview_model.h"
#include "preview/speech_decision.h"

class QLabel;
class QProgressBar;
class QScrollBar;
class QTimer;
class QToolButton;

namespace kyui {

class PreviewAnalysis;
class PreviewCanvas;
class PreviewPlayer;

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPanel(QWidget* parent = nullptr);
    ~PreviewPanel() override;

    // The chosen files ("" for none); a change starts a new analysis and
    // cancels the running one.
    void setFiles(const std::string& dialogue, const std::string& music, const std::string& filler);
    // The controls; the picture follows at once.
    void setSettings(const quelvo::preview::PreviewSettings& settings);
    // Where speech is found from the kept data (unless replaced, the detector the
    // timings' detection mode names: threshold or automatic).
    void setSpeechDecision(quelvo::preview::SpeechDecision decision);

    bool isExpanded() const;
    void setExpanded(bool expanded);

    PreviewCanvas* canvas() const { return m_canvas; }
    PreviewAnalysis* analysis() const { return m_analysis; }
    QToolButton* playButton() const { return m_play; }
    QProgressBar* progressLine() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }
    const quelvo::preview::PreviewModel* model() const { return m_model.get(); }

    void togglePlayback();

signals:
    // A new picture is on screen (after an analysis or a control change).
    void sceneShown();

private:
    using Track = std::shared_ptr<const quelvo::preview::LevelTrack>;
    void rebuildModel(Track dialogue, Track music);
    void redraw();
    void syncScrollBar();
    void refreshPlayButton();
    void pollRolls();
    // While the dialogue's features are measured in automatic mode, the
    // status line says the picture is the threshold detector's; otherwise
    // it shows `otherwise` in place of that note.
    void showFeaturesNote(const QString& otherwise);
    QString featuresNote() const;
    // Depth by loudness: gives `scene` the measured levels for its speech, or
    // asks for them and answers false while they are measured.
    bool applyLoudnessDepth(quelvo::preview::PreviewScene& scene);
    void showDepthProblem();

    QToolButton* m_toggle;
    QWidget* m_body;
    QToolButton *m_zoomIn, *m_zoomOut, *m_fit, *m_play;
    QLabel* m_status;
    QProgressBar* m_progress;
    PreviewCanvas* m_canvas;
    QScrollBar* m_scroll;
    PreviewAnalysis* m_analysis;
    PreviewPlayer* m_player;
    QTimer* m_rollsWatch;

    std::string m_dialoguePath, m_musicPath, m_fillerPath;
    quelvo::preview::PreviewSettings m_settings;
    quelvo::preview::SpeechDecision m_decision = quelvo::preview::detectedSpeech;
    std::shared_ptr<const quelvo::preview::PreviewModel> m_model;
    double m_playFrom = 0;
    std::optional<quelvo::preview::DepthRequest> m_depthAsked; // the latest measurement asked for
    std::string m_shownFiles;                                  // whose picture the canvas shows
};

} // namespace kyui
