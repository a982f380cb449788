#pragma once
// The titles window: a subtitle file (and optionally the video the titles go
// over) becomes an FCPXML project of styled titles, as `quelvo-cli titles`
// makes it. The window shows the titles as the project will hold them, every
// style setting, a preview of the selected title, presets, and the export
// with its result line. Several may be open; they share the one stored title
// settings object.
#include <atomic>
#include <optional>
#include <string>

#include <QMainWindow>
#include <QString>

#include "base/result.h"
#include "base/task_runner.h"
#include "media/media_info.h"
#include "titles/subtitle_file.h"
#include "ui/kit/repeating_timer.h"
#include "writers/caption_document.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolButton;

namespace quelvo::ui {

class FileDropArea;
class TextField;
class MissingFileMarker;
class ResultLine;
class TitlePreview;
class TitlesPresetsBar;
class TitlesStylePanel;
class TitlesTableModel;

class TitlesWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Choices of this window, not title settings.
    static constexpr const char* kVersionKey = "ui.titles.version"; // "1.9" or "1.6"
    static constexpr const char* kEventKey = "ui.titles.event"; // "" is the subtitle file's name
    static constexpr const char* kAsKey = "ui.titles.as";       // "titles" or "captions"
    static constexpr const char* kCaptionFormatKey = "ui.titles.captionFormat"; // "srt" or "itt"
    static constexpr const char* kLanguageKey = "ui.titles.language";           // "en" when unset

    explicit TitlesWindow(QWidget* parent = nullptr);
    ~TitlesWindow() override;

    // How many titles exports run in the whole program right now.
    static int exportsRunning();

    // Inputs, as a drop or the picker gives them.
    void setSubtitleFile(const std::string& path);
    void setVideoFile(const std::string& path);
    void clearVideo();
    // Reads the subtitle file again in this encoding; "" guesses it again.
    void readInEncoding(const std::string& encoding);

    // Export next to the subtitle file, or to a chosen path (Save As…). An
    // existing file is replaced only when the user agrees.
    void exportProject();
    void exportProjectTo(const std::string& path);
    void saveAs();

    bool isExporting() const { return m_exporting; }
    bool makesCaptions() const;
    // Shows every row, or only those that fail a reading check.
    void showOnlyFailing(bool only);
    int selectedRow() const;
    // Room for the table, the preview and the style column side by side.
    QSize sizeHint() const override;
    void selectRow(int row);

    // The controls, for tests that drive the window as a user would.
    FileDropArea* subtitleDrop() const { return m_subtitleDrop; }
    FileDropArea* videoDrop() const { return m_videoDrop; }
    QLabel* subtitleInfo() const { return m_subtitleInfo; }
    QLabel* videoInfo() const { return m_videoInfo; }
    MissingFileMarker* videoMarker() const { return m_videoMarker; }
    QToolButton* encodingButton() const { return m_encodingButton; }
    QTableView* table() const { return m_table; }
    TitlesTableModel* model() const { return m_model; }
    QLabel* tableNotes() const { return m_tableNotes; }
    QLabel* skippedNote() const { return m_skippedNote; }
    TitlesStylePanel* stylePanel() const { return m_style; }
    TitlesPresetsBar* presetsBar() const { return m_presets; }
    TitlePreview* preview() const { return m_preview; }
    QComboBox* outputChoice() const { return m_outputChoice; }
    QComboBox* captionFormat() const { return m_captionFormat; }
    TextField* language() const { return m_language; }
    QCheckBox* failingOnly() const { return m_failingOnly; }
    QComboBox* versionChoice() const { return m_versionChoice; }
    QPushButton* exportButton() const { return m_exportButton; }
    ResultLine* resultLine() const { return m_result; }
    // Whether the window checks now and then that its files are still there.
    bool watchesFiles() const { return m_fileWatch.isActive(); }

  signals:
    // The table shows the file's titles (after a read or a settings change).
    void titlesShown();
    // A new background frame is in the preview.
    void frameShown();
    // An export ended; ok says whether the file was written.
    void exportFinished(bool ok);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The window's sections, built once; buildLayout puts them together.
    void buildLayout();
    QLayout* buildInputs(int unit);
    QWidget* buildTitlesAndPreview(int unit);
    QWidget* buildStyleColumn(int unit);
    QLayout* buildExportRow(int unit);
    void setUpDropAreas();
    // The window's own choices as the last one left them.
    void restoreChoices();
    void readSubtitles();
    void refreshTable();
    void refreshMarkers();
    // The video could not be read: its line says why in the user's words.
    void showVideoProblem();
    void showVideoFacts(const MediaInfo& facts);
    void refreshPreview();
    void requestFrame();
    void buildEncodingMenu();
    void settingsChanged();
    void startExport(const std::string& path);
    void finishExport(const std::string& path, const Status& status);
    // The export's work, with everything it needs copied at the press.
    TaskRequest<Status> captionsTask(const std::string& path) const;
    TaskRequest<Status> titlesTask(const std::string& path) const;
    // Titles or captions: the version choice and the caption controls follow.
    void outputChanged();
    void applyRowFilter();
    // The captions' request as the window stands; the video's facts are read
    // by the caller (on the worker).
    quelvo::titles::CaptionRequest captionRequest() const;

    std::string m_srtPath;
    std::string m_videoPath;
    SubtitleFile m_srt;
    std::string m_encodingChoice; // "" while the encoding is guessed
    std::optional<double> m_videoFrameRate;

    FileDropArea* m_subtitleDrop = nullptr;
    FileDropArea* m_videoDrop = nullptr;
    QLabel* m_subtitleInfo = nullptr;
    QLabel* m_videoInfo = nullptr;
    MissingFileMarker* m_subtitleMarker = nullptr;
    MissingFileMarker* m_videoMarker = nullptr;
    QToolButton* m_encodingButton = nullptr;
    QToolButton* m_clearVideoButton = nullptr;
    QTableView* m_table = nullptr;
    TitlesTableModel* m_model = nullptr;
    QLabel* m_tableNotes = nullptr;
    QLabel* m_skippedNote = nullptr;
    TitlesStylePanel* m_style = nullptr;
    TitlesPresetsBar* m_presets = nullptr;
    TitlePreview* m_preview = nullptr;
    QComboBox* m_outputChoice = nullptr;
    QComboBox* m_captionFormat = nullptr;
    TextField* m_language = nullptr;
    QCheckBox* m_failingOnly = nullptr;
    QComboBox* m_versionChoice = nullptr;
    TextField* m_eventName = nullptr;
    QPushButton* m_saveAsButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QProgressBar* m_progress = nullptr;
    ResultLine* m_result = nullptr;
    RepeatingTimer m_fileWatch;

    long m_observer = 0;
    // What the last read used, to read again only when a parse setting changed.
    std::string m_parsedWith;
    unsigned m_frameGeneration = 0;
    std::string m_videoProblem; // the decoder's reason the video cannot be read; "" when it can
    QString m_frameKey;         // the picture asked for last: video, time and size
    std::atomic<bool> m_exporting{false};
    TaskHandle<Status> m_export;
};

} // namespace quelvo::ui
