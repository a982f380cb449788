#pragma once
// The main window's preview: waveforms of the dialogue and the music, the
// speech found, the music's volume envelope and the filler clips on one time
// axis, redrawn at once from kept levels when a control moves, with zoom,
// scroll, a hover readout and playback of the mix. Collapsible.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "preview/depth_measurement.h"
#include "preview/preview_model.h"
#include "preview/speech_decision.h"
#include "speech/speech_corrections.h"

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QScrollBar;
class QTimer;
class QToolButton;

namespace quelvo::ui {

class PreviewAnalysis;
class PreviewCanvas;
class PreviewMicrophones;
class PreviewPlayer;

class PreviewPanel : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewPanel(QWidget* parent = nullptr);
    ~PreviewPanel() override;

    // The chosen files ("" for none); a change starts a new analysis and
    // cancels the running one. Several dialogue files show one lane each
    // below the row of their union, which the corrections then edit.
    void setFiles(const std::vector<std::string>& dialogues, const std::string& music,
                  const std::string& filler);
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
    PreviewMicrophones* microphones() const { return m_microphones; }
    QToolButton* playButton() const { return m_play; }
    QProgressBar* progressLine() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }
    const quelvo::preview::PreviewModel* model() const { return m_model.get(); }

    void togglePlayback();

    // Corrections to the speech on the dialogue lane (preview_corrections.cpp).
    // They belong to the dialogue file shown and last while it stays.
    // The speech as corrected, or nothing while it is as detected: what
    // Duck and Export Mix hand the job as its speech.
    std::optional<ClusterList> correctedSpeech() const;
    const SpeechCorrections& corrections() const { return m_corrections; }
    // The detection's speech under the corrections (gaps closed).
    const ClusterList& detectedSpeech() const { return m_detected; }
    void undoCorrection();
    void redoCorrection();
    void revertToDetected();
    // Label files (start<TAB>end<TAB>speech a line): the speech replaced by
    // a file's intervals, or the speech shown written out. A problem is told
    // in an alert; they answer whether it worked.
    bool importLabels(const std::string& path);
    bool exportLabels(const std::string& path);
    // Asks for a label file's path ("" when cancelled): to open, or with
    // `save` to write. Replaceable for tests; returns the previous chooser.
    using LabelFileChooser = std::function<QString(QWidget* parent, bool save)>;
    static LabelFileChooser setLabelFileChooser(LabelFileChooser chooser);
    QLabel* speechCountLabel() const { return m_speechCount; }
    QToolButton* revertButton() const { return m_revert; }
    QToolButton* labelsButton() const { return m_labels; }

  signals:
    // A new picture is on screen (after an analysis or a control change).
    void sceneShown();
    // The corrections changed (an edit, undo, redo, revert or import).
    void speechCorrected();

  private:
    using Track = std::shared_ptr<const quelvo::preview::LevelTrack>;
    void rebuildModel(Track dialogue, Track music);
    // The model for these tracks: with a lane a file when there are several.
    std::shared_ptr<const quelvo::preview::PreviewModel> makeModel(Track dialogue,
                                                                   Track music) const;
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
    // The speech editing's controls in the header, and the canvas's requests.
    // The constructor's parts: the controls and their layout, then what
    // the controls and the background analysis set off.
    void buildLayout();
    void connectControls();
    void connectAnalysis();
    void addSpeechControls(QHBoxLayout* header);
    // After a correction: the picture, the count and the mark; `select` is a
    // time whose interval is then picked (negative: none).
    void correctionMade(bool changed, double select = -1);
    void refreshSpeechCount();
    // Asked when the detection changed under corrections: clear them?
    void askToClearCorrections(const EnvelopeTiming& before);
    double dialogueSeconds() const;

    QToolButton* m_toggle;
    QWidget* m_body;
    QToolButton *m_zoomIn, *m_zoomOut, *m_fit, *m_play;
    QLabel* m_status;
    QProgressBar* m_progress;
    PreviewCanvas* m_canvas;
    QScrollBar* m_scroll;
    PreviewAnalysis* m_analysis;
    PreviewMicrophones* m_microphones; // the dialogue files after the first
    PreviewPlayer* m_player;
    QTimer* m_rollsWatch;

    std::string m_dialoguePath, m_musicPath, m_fillerPath; // the first dialogue file
    std::vector<std::string> m_dialoguePaths;
    quelvo::preview::PreviewSettings m_settings;
    quelvo::preview::SpeechDecision m_decision = quelvo::preview::detectedSpeech;
    std::shared_ptr<const quelvo::preview::PreviewModel> m_model;
    double m_playFrom = 0;
    std::optional<quelvo::preview::DepthRequest> m_depthAsked; // the latest measurement asked for
    std::string m_shownFiles;                                  // whose picture the canvas shows
    SpeechCorrections m_corrections;                           // for m_dialoguePath
    ClusterList m_detected; // the detection's speech in the picture
    QLabel* m_speechCount;
    QToolButton* m_revert;
    QToolButton* m_labels;
};

} // namespace quelvo::ui
