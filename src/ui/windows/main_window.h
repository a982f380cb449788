#pragma once
// The main window: three drop areas (dialogue, music, optional filler) with
// each file's duration and a marker when it has gone missing or cannot be
// read, the ducking depth and overall music level, the decrease-to-zero box,
// the music clip's role, the project name and the Duck button. Duck checks
// the inputs, stops at the first problem with a "Warning" alert, and hands a
// job to the progress sheet; the last job's result stays below until the
// next one. The application adds its menus to it.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QMainWindow>

#include "base/settings_store.h"
#include "base/task.h"
#include "project/duck_flag_settings.h"
#include "project/duck_request.h"
#include "ui/kit/repeating_timer.h"

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace quelvo::ui {

class DialogueFileRows;
class JobResultPanel;
class CheckBox;
class FileDropArea;
class ReleaseNotes;
class SettingSlider;
class TextField;
class MissingFileMarker;
class MixExport;
class PreviewPanel;

class MainWindow : public QMainWindow {
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

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the music role chooser over the given window. The application
    // installs it; until then the role button is disabled.
    using RoleChooser = std::function<void(QWidget* parent)>;
    static void setRoleChooser(RoleChooser chooser);

    // The files; "" means not given. Only the filler survives a restart.
    // The dialogue files in the listed order, and the first of them.
    const std::vector<std::string>& dialoguePaths() const { return m_dialoguePaths; }
    const std::string& firstDialoguePath() const { return m_firstDialoguePath; }
    const std::string& musicPath() const { return m_musicPath; }
    const std::string& fillerPath() const { return m_fillerPath; }

    // Adds files to the dialogue list in their order; a file already listed
    // or one past the eighth is refused with a "Warning" alert. Answers
    // whether any was added.
    bool addDialogueFiles(const std::vector<std::string>& paths);
    void removeDialogueFile(int index);
    // Takes every dialogue file off the window.
    void clearDialogueFiles();
    // Places files given when the program starts (`quelvo FILE…`) on the
    // dialogue, music and filler areas, in that order, as if dropped there.
    // Answers the paths no area took: not audio Quelvo reads, or more than three.
    std::vector<std::string> placeFiles(const std::vector<std::string>& paths);

    // The job Duck would start with this filler path ("" for none).
    DuckRequest jobRequest(const std::string& filler) const;

    // Why the dialogue, music or filler file cannot be used ("" when it can,
    // or has not been checked yet): the audio layer's reason.
    const std::string& dialogueProblem() const { return m_problems[0]; }
    const std::string& musicProblem() const { return m_problems[1]; }
    const std::string& fillerProblem() const { return m_problems[2]; }

    // Renders the ducked mix to an audio file (see MixExport).
    MixExport* mixExport() const { return m_mixExport; }
    // Looks every half second whether the files are still there and the
    // depth mode is the same, once the window has appeared.
    const RepeatingTimer& fileWatch() const { return m_fileWatch; }
    // The release notes, made when the window first appears.
    ReleaseNotes* news() const { return m_news; }

    // The controls, for tests that drive the window as a user would.
    TextField* projectNameField() const { return m_projectName; }
    FileDropArea* dialogueArea() const { return m_dialogueArea; }
    FileDropArea* musicArea() const { return m_musicArea; }
    FileDropArea* fillerArea() const { return m_fillerArea; }
    DialogueFileRows* dialogueRows() const { return m_dialogueRows; }
    QToolButton* removeDialogueButton() const { return m_removeDialogue; }
    QLabel* dialogueDuration() const { return m_dialogueDuration; }
    QLabel* musicDuration() const { return m_musicDuration; }
    QLabel* fillerDuration() const { return m_fillerDuration; }
    MissingFileMarker* dialogueMarker() const { return m_dialogueMarker; }
    MissingFileMarker* musicMarker() const { return m_musicMarker; }
    MissingFileMarker* fillerMarker() const { return m_fillerMarker; }
    SettingSlider* depthSlider() const { return m_depth; }
    QLabel* depthValue() const { return m_depthValue; }
    QLabel* depthUnit() const { return m_depthUnit; }
    QLabel* depthModeNote() const { return m_depthModeNote; }
    CheckBox* decreaseToZeroBox() const { return m_decreaseToZeroBox; }
    SettingSlider* musicLevelSlider() const { return m_musicLevel; }
    QLabel* musicLevelValue() const { return m_musicLevelValue; }
    QLabel* roleName() const { return m_roleName; }
    QPushButton* roleButton() const { return m_roleButton; }
    QToolButton* clearFillerButton() const { return m_clearFiller; }
    QToolButton* newsButton() const { return m_newsButton; }
    QPushButton* exportMixButton() const { return m_exportMix; }
    QPushButton* duckButton() const { return m_duck; }
    JobResultPanel* resultPanel() const { return m_result; }
    // The waveforms, speech, envelope and playback of the chosen files.
    PreviewPanel* preview() const { return m_preview; }

  public slots:
    // Checks the inputs and starts the job (the Duck button).
    void duck();
    // Asks where the mix goes and renders it (the Export Mix button).
    void exportMix();
    // Forgets the filler file (its Clear button).
    void clearFiller();
    void chooseRole();
    // The release notes of this version (What's New).
    void showNews();
    // What the half-second look does: marks missing files and follows the
    // depth mode the preferences store.
    void checkFilesAndDepthMode();

  signals:
    // After the background duration work has filled the labels.
    void durationsShown();
    // The window has been closed (the close was not refused).
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Return or Enter that no control used starts the job (see .cpp).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // What the duration work learns of one file.
    struct FileFacts {
        double duration = 0;
        std::string problem;
        // A video's picture facts and poster frame.
        bool video = false, noSound = false;
        double frameRate = 0;
        int width = 0, height = 0;
        QImage poster;
    };
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
    void connectControls();
    // What showing the window does: the first time, the stored files and
    // settings; each time, the role and the durations; once on screen, the
    // news and the half-second look at the files and the depth mode.
    void showStoredState();
    void setUpDropAreas();
    void refreshOnShow();
    void startWatching();

    void applyDecreaseToZero();
    // Follows the stored depth mode: by loudness the slider is disabled and
    // the note says how far under the speech the music sits.
    void refreshDepthMode(bool force = false);
    void refreshDurations();
    void refreshMarkers();
    void refreshDialogueMarkers();
    void refreshRoleLabel();
    // Hands the preview the files and the controls as they are now.
    void refreshPreview();
    void startJob(const std::string& filler);

    void dialogueListChanged(const std::string& firstBefore);
    void refreshDialogueArea();
    void showDialogueFacts(const std::vector<FileFacts>& facts);
    // The facts the dialogue's duration line and the music note go by: the
    // one file's, or with several the first problem, else the longest file's.
    static FileFacts dialogueSummary(const std::vector<FileFacts>& facts);
    // Reads the facts of every file (on a worker): the dialogue files first,
    // then the music and the filler.
    static std::vector<FileFacts> readFacts(const std::vector<std::string>& paths,
                                            std::size_t dialogues, const TaskControl& control);
    bool checkDialogueFiles();
    void showDurations(unsigned generation, const std::vector<FileFacts>& all);
    void showMusicLengthNote(const std::vector<FileFacts>& facts);
    // A "Warning" alert when a chosen file is known to be unreadable.
    bool warnIfUnreadable(const std::string& role, const std::string& path,
                          const std::string& problem);

    TextField* m_projectName = nullptr;
    FileDropArea* m_dialogueArea = nullptr;
    // The dialogue files, one a row, when there are several or a video.
    DialogueFileRows* m_dialogueRows = nullptr;
    // Beside the Dialogue title while one audio file shows the one-file look.
    QToolButton* m_removeDialogue = nullptr;
    FileDropArea* m_musicArea = nullptr;
    FileDropArea* m_fillerArea = nullptr;
    QLabel* m_dialogueDuration = nullptr;
    QLabel* m_musicDuration = nullptr;
    QLabel* m_fillerDuration = nullptr;
    // Under the music area, orange: the music ends before the dialogue.
    QLabel* m_musicShorter = nullptr;
    MissingFileMarker* m_dialogueMarker = nullptr;
    MissingFileMarker* m_musicMarker = nullptr;
    MissingFileMarker* m_fillerMarker = nullptr;
    SettingSlider* m_depth = nullptr;
    QLabel* m_depthValue = nullptr;
    QLabel* m_depthUnit = nullptr;
    // Under the depth slider when the depth is set by loudness (Preferences).
    QLabel* m_depthModeNote = nullptr;
    QLabel* m_roleName = nullptr;
    SettingSlider* m_musicLevel = nullptr;
    QLabel* m_musicLevelValue = nullptr;
    QLabel* m_musicLevelUnit = nullptr;
    CheckBox* m_decreaseToZeroBox = nullptr;
    QPushButton* m_roleButton = nullptr;
    QToolButton* m_clearFiller = nullptr;
    QPushButton* m_duck = nullptr;
    QPushButton* m_exportMix = nullptr;
    QToolButton* m_newsButton = nullptr;
    JobResultPanel* m_result = nullptr;
    PreviewPanel* m_preview = nullptr;
    ReleaseNotes* m_news = nullptr;
    MixExport* m_mixExport = nullptr;

    std::vector<std::string> m_dialoguePaths;
    std::string m_firstDialoguePath;
    std::string m_musicPath;
    std::string m_fillerPath;
    StoredSetting<bool> m_decreaseToZero{kDecreaseToZeroKey,
                                         quelvo::settings::kDecreaseToZero.defaultValue};
    RepeatingTimer m_fileWatch;
    long m_roleObserver = 0;
    // The latest duration work; a newer one makes older answers stale.
    TaskHandle<std::vector<FileFacts>> m_durations;
    unsigned m_durationGeneration = 0;
    std::string m_problems[3];
    std::vector<std::string> m_dialogueProblems; // one a dialogue file, once read
    // Which chosen files were missing at the last look: one that comes back
    // is read again, as its facts may have been read while it was away.
    std::vector<bool> m_missingAtLastLook;
    std::optional<double> m_underLU; // the depth mode shown
    bool m_storedStateShown = false;
};

} // namespace quelvo::ui
