#pragma once
// Export Mix: the desktop's front end to the mix renderer. Asks where the mix
// goes (WAV, FLAC or M4A by the name's extension), runs the render as a task
// behind a window-modal progress dialog that can stop it, and
// tells the outcome: a written mix goes to the window's result panel (by
// mixWritten: its file, length, loudness and whether it had to be lowered to
// stay clear of clipping); a failure is a "Warning" alert with the render's
// own sentence.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>

#include "base/cluster.h"
#include "base/task.h"
#include "project/envelope_timing.h"

class QProgressDialog;
class QWidget;

#include "jobs/render_job.h"

namespace quelvo::ui {

struct MixExportRequest {
    std::vector<std::string> dialoguePaths; // in the dialogue list's order
    std::string musicPath, fillerPath;
    int decrease = -12;
    int overall = 0;
    bool toZero = false;
    std::optional<double> underLU; // depth by loudness, from the stored depth mode
    EnvelopeTiming rolls;
    // The editor's corrected speech, used as it is; absent: detected.
    std::optional<ClusterList> speech;
};

class MixExport : public QObject {
    Q_OBJECT
  public:
    explicit MixExport(QWidget* window);

    // Asks for the output, then renders. Does nothing while a render runs.
    void start(const MixExportRequest& request);
    bool running() const { return m_task.valid(); }

    // Chooses the output path given the suggestion ("" cancels). The default
    // is a save dialog; tests replace it. Returns the previous chooser.
    using PathChooser = std::function<std::string(QWidget* parent, const std::string& suggested)>;
    static PathChooser setPathChooser(PathChooser chooser);

    // The result panel's line: "3:25 · mix -16.2 LUFS (dialogue -22.1, music -30.4) · FLAC 16-bit".
    static QString contentsLine(const RenderJobOutcome& outcome);

  signals:
    // On the GUI thread once the render has ended and the outcome was told.
    void finished(bool success);
    // Before finished(true): the mix written and the panel's line for it.
    void mixWritten(const QString& file, const QString& contents, const QString& warnings);

  private:
    void showProgress();
    void render(RenderJobRequest request);
    void complete(const RenderJobOutcome& outcome);

    QPointer<QWidget> m_window;
    QPointer<QProgressDialog> m_progress;
    // The render under way; invalid when none runs.
    TaskHandle<RenderJobOutcome> m_task;
};

} // namespace quelvo::ui
