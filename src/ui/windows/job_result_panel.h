#pragma once
// The result of the last job, shown in the main window until the next one:
// where the project went (its file name; the folder in the tooltip), what it
// holds ("3 speech intervals, 12 keyframes, 2 filler clips") with the kind
// of file ("FCPXML 1.9", "FCP7 XML", "MLT XML", "Kdenlive project") and two
// buttons: Show in Folder (the file manager, the file selected where it can)
// and Open (Final Cut Pro for its projects on macOS, the system's handler
// for everything else), both
// through fileOpener. A project handed to Final Cut Pro shows its copy in
// the cache folder.
#include <string>

#include <QFrame>

#include "jobs/duck_job.h"

class QLabel;
class QPushButton;

namespace quelvo::ui {

class JobResultPanel : public QFrame {
    Q_OBJECT
  public:
    explicit JobResultPanel(QWidget* parent = nullptr);

    // Shows a good job's outcome; file is the project on disk (the written
    // one, or the hand-over copy).
    void showOutcome(const DuckOutcome& outcome, const std::string& file);
    // Shows a written mix (Export Mix): its file name, then `contents` (its
    // length and loudness), the job's `warnings` as warningsText gives them
    // ("" for none), with the same two buttons.
    void showMix(const std::string& file, const QString& contents, const QString& warnings);
    // Says the job was cancelled and nothing was written (no file, no buttons).
    void showCancelled();
    // Hides the panel (a new job is under way).
    void clear();

    QString file() const { return m_file; }

    // "3 speech intervals, 12 keyframes, 2 filler clips".
    static QString contentsLine(const DuckOutcome& outcome);
    // The job's warnings, each a sentence on its own line; "" for none.
    static QString warningsText(const DuckOutcome& outcome);

    // What a user reads and presses, for tests.
    QLabel* headingLabel() const { return m_heading; }
    QLabel* fileLabel() const { return m_fileName; }
    QLabel* contentsLabel() const { return m_contents; }
    QLabel* warningsLabel() const { return m_warnings; }
    QPushButton* showInFolderButton() const { return m_showInFolder; }
    QPushButton* openButton() const { return m_open; }

  private:
    // Shows the panel with the tick and the buttons, or without them.
    void showWithFile(bool withFile);

    QLabel* m_icon = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_fileName = nullptr;
    QLabel* m_contents = nullptr;
    QLabel* m_warnings = nullptr;
    QPushButton* m_showInFolder = nullptr;
    QPushButton* m_open = nullptr;
    QString m_file;
};

} // namespace quelvo::ui
