#pragma once
// The titles window: a subtitle file (and optionally the video the titles go
// over) becomes an FCPXML project of styled titles, as `quelvo-cli titles`
// makes it. The window shows the titles as the project will hold them, every
// style setting, a preview of the selected title, presets, and the export
// with its result line. Several may be open; they share the one stored title
// settings object.
#include <atomic>
#include <future>
#include <optional>
#include <string>

#include <QString>

#include "base/result.h"
#include "titles/ky_srt.h"
#include "ui/kit/ky_timer.h"
#include "ui/kit/ky_view_controller.h"
#include "writers/caption_document.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolButton;

namespace kyui {

class KyDragArea;
class KyTextField;
class MissingFileMarker;
class ResultLine;
class TitlePreview;
class TitlesPresetsBar;
class TitlesStylePanel;
class TitlesTableModel;

class TitlesVC : public KyViewController {
    Q_OBJECT
public:
    // Choices of this window, not title settings.
    static constexpr const char* kVersionKey = "ui.titles.version"; // "1.9" or "1.6"
    static constexpr const char* kEventKey = "ui.titles.event";     // "" is the subtitle file's name
    static constexpr const char* kAsKey = "ui.titles.as";           // "titles" or "captions"
    static constexpr const char* kCaptionFormatKey = "ui.titles.captionFormat"; // "srt" or "itt"
    static constexpr const char* kLanguageKey = "ui.titles.language";           // "en" when unset

    explicit TitlesVC(QWidget* parent = nullptr);
    ~TitlesVC() override;

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

    // State, for the window's own use and for tests.
    std::string srtPath;
    std::string videoPath;
    quelvo::KySRT srt;
    std::string encodingChoice; // "" while the encoding is guessed
    std::optional<double> videoFrameRate;
    bool isExporting() const { return m_exporting; }
    bool makesCaptions() const;
    // Shows every row, or only those that fail a reading check.
    void showOnlyFailing(bool only);
    int selectedRow() const;
    // Room for the table, the preview and the style column side by side.
    QSize sizeHint() const override;
    void selectRow(int row);

    // Outlets.
    KyDragArea* drgSrt;
    KyDragArea* drgVideo;
    QLabel* lblSrtInfo;
    QLabel* lblVideoInfo;
    MissingFileMarker* imgSrtMissing;
    MissingFileMarker* imgVideoMissing;
    QToolButton* btnEncoding;
    QToolButton* btnClearVideo;
    QTableView* table;
    TitlesTableModel* model;
    QLabel* lblTableNotes;
    QLabel* lblSkipped;
    TitlesStylePanel* style;
    TitlesPresetsBar* presets;
    TitlePreview* preview;
    QComboBox* cmbAs;
    QComboBox* cmbCaptionFormat;
    KyTextField* fldLanguage;
    QCheckBox* chkFailingOnly;
    QComboBox* cmbVersion;
    KyTextField* fldEvent;
    QPushButton* btnSaveAs;
    QPushButton* btnExport;
    QProgressBar* progress;
    ResultLine* result;
    KyTimer timer;

signals:
    // The table shows the file's titles (after a read or a settings change).
    void titlesShown();
    // A new background frame is in the preview.
    void frameShown();
    // An export ended; ok says whether the file was written.
    void exportFinished(bool ok);

protected:
    void viewDidLoad() override;
    void viewDidAppear() override;

private:
    void buildLayout();
    void readSubtitles();
    void refreshTable();
    void refreshMarkers();
    // The video could not be read: its line says why in the user's words.
    void showVideoProblem();
    void refreshPreview();
    void requestFrame();
    void buildEncodingMenu();
    void settingsChanged();
    void startExport(const std::string& path);
    void finishExport(const std::string& path, const kykit::Status& status);
    // Titles or captions: the version choice and the caption controls follow.
    void outputChanged();
    void applyRowFilter();
    // The captions' request as the window stands; the video's facts are read
    // by the caller (on the worker).
    quelvo::titles::CaptionRequest captionRequest() const;

    long m_observer = 0;
    // What the last read used, to read again only when a parse setting changed.
    std::string m_parsedWith;
    unsigned m_frameGeneration = 0;
    std::string m_videoProblem; // the decoder's reason the video cannot be read; "" when it can
    QString m_frameKey; // the picture asked for last: video, time and size
    std::atomic<bool> m_exporting{false};
    std::future<void> m_export;
};

} // namespace kyui
