#pragma once
// The main window: three drop areas (dialogue, music, optional filler) with
// each file's duration and a marker when it has gone missing or cannot be
// read, the ducking depth and overall music level, the decrease-to-zero box,
// the music clip's role, the project name and the Duck button. Duck checks
// the inputs, stops at the first problem with a "Warning" alert, and hands a
// job to the progress sheet; the last job's result stays below until the
// next one.
#include <functional>

#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "project/duck_flag_settings.h"
#include "project/duck_request.h"
#include "ui/kit/ky_timer.h"
#include "ui/kit/ky_view_controller.h"

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace kyui {

class ExportMixController;
class DialogueFileRows;
class KyCheckButton;
class KyDragArea;
class KyNews;
class KySlider;
class KyTextField;
class JobResultPanel;
class MissingFileMarker;
class PreviewPanel;

class QuelvoMainVC : public KyViewController {
    Q_OBJECT
public:
    // Settings this window owns.
    static constexpr const char* kDecreaseToZeroKey = quelvo::settings::kDecreaseToZero.key;
    static constexpr const char* kFillerKey = "duck.filler";
    static constexpr const char* kProjectNameKey = "duck.projectName";
    // The folder each drop area's file picker opens in.
    static constexpr const char* kLastDialogueFolderKey = "ui.lastFolder.dialogue";
    static constexpr const char* kLastMusicFolderKey = "ui.lastFolder.music";
    static constexpr const char* kLastFillerFolderKey = "ui.lastFolder.filler";
    // Microphones recorded together: more would not fit the editor's lanes.
    static constexpr std::size_t kMaxDialogueFiles = 8;

    explicit QuelvoMainVC(QWidget* parent = nullptr);
    ~QuelvoMainVC() override;

    // Opens the role chooser on a controller. The application installs it;
    // until then the role button is disabled.
    using Presenter = std::function<void(KyViewController*)>;
    static void setRoleChooser(Presenter presenter);

    // Outlets.
    KyTextField* projectName;
    KyDragArea* drgSpeaker;
    // The dialogue files, one a row, when there are several or a video.
    DialogueFileRows* dialogueRows;
    // Beside the Dialogue title while one audio file shows the one-file look.
    QToolButton* btnRemoveDialogue;
    KyDragArea* drgMusic;
    KyDragArea* drgFiller;
    QLabel* lblDialogueDuration;
    QLabel* lblMusicDuration;
    QLabel* lblFillerDuration;
    // Under the music area, orange: the music ends before the dialogue.
    QLabel* lblMusicShorter;
    MissingFileMarker* imgDialogueFileMissing;
    MissingFileMarker* imgMusicFileMissing;
    MissingFileMarker* imgFillerFileMissing;
    KySlider* decrease;
    QLabel* decreaseLabel;
    QLabel* decreaseDBLabel;
    // Under the depth slider when the depth is set by loudness (Preferences).
    QLabel* depthModeNote;
    QLabel* lblRole;
    KySlider* overallMusicLevelSlider;
    QLabel* overallMusicLevelLabel;
    QLabel* overallMusicLevelDBLabel;
    KyCheckButton* chkDecreaseToZero;
    QPushButton* btnRole;
    QToolButton* btnClear;
    QPushButton* btnDuck;
    QPushButton* btnExportMix;
    QToolButton* btnKyNews;
    JobResultPanel* resultPanel;
    // The waveforms, speech, envelope and playback of the chosen files.
    PreviewPanel* preview;
    // Made when the window first appears.
    KyNews* kyNews = nullptr;

    // The files; "" means not given. Only the filler survives a restart.
    // The dialogue files in the listed order, and the first of them.
    std::vector<std::string> dialoguePaths;
    std::string speakerPath;
    std::string musicPath;
    std::string fillerPath;
    kykit::StoredSetting<bool> decreaseToZero{kDecreaseToZeroKey, quelvo::settings::kDecreaseToZero.defaultValue};
    // Marks missing files every half second once the window has appeared.
    KyTimer timer;

    // Actions.
    void doDuck();
    // Renders the ducked mix to an audio file (see ExportMixController).
    void doExportMix();
    ExportMixController* exportMixController() const { return m_exportMix; }
    void clearPressed();
    void btnRolePressed();
    void btnKyNewsPressed();
    void idle();

    // Adds files to the dialogue list in their order; a file already listed
    // or one past the eighth is refused with a "Warning" alert. Answers
    // whether any was added.
    bool addDialogueFiles(const std::vector<std::string>& paths);
    void removeDialogueFile(int index);
    // Takes every dialogue file off the window.
    void clearDialogueFiles();

    void applyDecreaseToZero();
    // Follows the stored depth mode: by loudness the slider is disabled and
    // the note says how far under the speech the music sits.
    void refreshDepthMode(bool force = false);
    void refreshDurations();
    void refreshMarkers();
    void refreshRoleLabel();
    // Places files given when the program starts (`quelvo FILE…`) on the
    // dialogue, music and filler areas, in that order, as if dropped there.
    // Answers the paths no area took: not audio Quelvo reads, or more than three.
    std::vector<std::string> placeFiles(const std::vector<std::string>& paths);
    // Hands the preview the files and the controls as they are now.
    void refreshPreview();
    // Starts a job with this filler path ("" for none).
    quelvo::DuckRequest jobRequest(const std::string& filler) const;
    void startJob(const std::string& filler);

    // Why the dialogue, music or filler file cannot be used ("" when it can,
    // or has not been checked yet): the audio layer's reason.
    const std::string& dialogueProblem() const { return m_problems[0]; }
    const std::string& musicProblem() const { return m_problems[1]; }
    const std::string& fillerProblem() const { return m_problems[2]; }

signals:
    // After the background duration work has filled the labels.
    void durationsShown();

protected:
  void showEvent(QShowEvent* event) override;
  // Return or Enter that no control used starts the job (see .cpp).
  void keyPressEvent(QKeyEvent* event) override;

private:
  // The window's sections, built in the order of their controls' tab order.
  struct FileColumn;
  void buildLayout();
  QHBoxLayout* buildFileColumns(int unit);
  QVBoxLayout* buildFileColumn(const FileColumn& column, int unit, int columnWidth,
                               int headerHeight);
  QGridLayout* buildLevels(int unit);
  void buildProjectControls(int unit);
  QGridLayout* buildProjectRows(int unit);
  void setTabOrder();
  // What showing the window does: the first time, the stored files and
  // settings; each time, the role and the durations; once on screen, the
  // news and the half-second look at the files and the depth mode.
  void showStoredState();
  void refreshOnShow();
  void startWatching();
  struct FileFacts {
      double duration = 0;
      std::string problem;
      // A video's picture facts and poster frame.
      bool video = false, noSound = false;
      double frameRate = 0;
      int width = 0, height = 0;
      QImage poster;
    };
    void dialogueListChanged(const std::string& firstBefore);
    void refreshDialogueArea();
    void showDialogueFacts(const std::vector<FileFacts>& facts);
    // The facts the dialogue's duration line and the music note go by: the
    // one file's, or with several the first problem, else the longest file's.
    static FileFacts dialogueSummary(const std::vector<FileFacts>& facts);
    bool checkDialogueFiles();
    void showDurations(unsigned generation, const std::vector<FileFacts>& all);
    void showMusicLengthNote(const std::vector<FileFacts>& facts);
    // A "Warning" alert when a chosen file is known to be unreadable.
    bool warnIfUnreadable(const std::string& role, const std::string& path, const std::string& problem);

    ExportMixController* m_exportMix = nullptr;
    long m_roleObserver = 0;
    unsigned m_durationGeneration = 0;
    std::string m_problems[3];
    std::vector<std::string> m_dialogueProblems;  // one a dialogue file, once read
    std::optional<double> m_underLU; // the depth mode shown
    bool m_storedStateShown = false;
};

} // namespace kyui
