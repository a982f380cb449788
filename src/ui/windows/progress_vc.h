#pragma once
// The progress sheet: opened by the main window with a job's inputs, it runs
// the ducking job on a worker thread the moment it is on screen, shows a
// three-layer animation and the job's stage texts meanwhile, and closes when
// the job has returned: with the "Quelvo Done" notification after a good
// job, or with a "Warning" alert after a failed one. A project sent to Final
// Cut Pro counts as good only once the hand-over has worked; the sheet stays
// until then. Its Cancel button stops the running job (nothing is written);
// a job that finds no speech asks Write Anyway / Cancel before the version
// sheet, and a Cancel closes quietly.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "jobs/duck_job.h"
#include "project/cancel_token.h"
#include "project/duck_request.h"
#include "project/version_sheet.h"
#include "ui/kit/ky_view_controller.h"

class QLabel;
class QPushButton;

namespace kyui {

class ImAnim;
class LabelStatusSink;

class ProgressVC : public KyViewController {
    Q_OBJECT
  public:
    explicit ProgressVC(QWidget* parent = nullptr);
    ~ProgressVC() override;

    // Opens the sheet on `from` for the request; returns its controller
    // (nullptr if it could not be made).
    static ProgressVC* showProgress(QWidget* from, const quelvo::DuckRequest& request);

    // A version sheet that jobs ask instead of the editor question (tests);
    // the caller keeps ownership. Returns the previous one.
    static kymovie::VersionSheet* setVersionSheet(kymovie::VersionSheet* sheet);

    // Chooses where a project that could not be written goes instead ("" for
    // none): a save dialog unless replaced (tests). Returns the previous one.
    using PathChooser = std::function<std::string(QWidget* parent, const std::string& suggested)>;
    static PathChooser setSaveAsChooser(PathChooser chooser);

    // The job's request, set by the presenter before the sheet shows.
    std::optional<quelvo::DuckRequest> request;

    // Outlets: the three stacked animation layers and the status line.
    QLabel* wImageA;
    QLabel* wImageB;
    QLabel* wImageC;
    QLabel* lblStatus;
    QPushButton* btnCancel;
    ImAnim* imA = nullptr;
    ImAnim* imB = nullptr;
    ImAnim* imC = nullptr;

    bool jobStarted() const { return m_jobStarted; }

signals:
    // On the GUI thread, after the notification or the alert, before closing.
    void jobFinished(bool success);
    // After a good job, before jobFinished: what it did and the project's
    // file (the one written, or the copy handed to Final Cut Pro).
    void jobSucceeded(const quelvo::DuckOutcome& outcome, const QString& projectFile);
    // Before jobFinished(false): the editor stopped the job (Cancel in a
    // question); nothing was written.
    void jobCancelled();

  protected:
    // The job starts once the sheet is on screen.
    void showEvent(QShowEvent* event) override;

  private:
    void startAnimations();
    void runJob();
    void completeJob(const quelvo::DuckOutcome& outcome,
                     const std::optional<kymovie::fcpHandoff::HandOverResult>& handOver);
    // Answers whether the project got written after all (Save As…).
    bool tellFailure(const quelvo::DuckOutcome& outcome);
    // A project that could not be written: asks where else, writes it there.
    bool saveElsewhere(const quelvo::DuckOutcome& outcome);
    void tellSuccess(const quelvo::DuckOutcome& outcome, const std::string& file);
    void tellFailedHandOver(const kymovie::fcpHandoff::HandOverResult& handOver);

    // Cancel: the job stops at its next check and writes nothing.
    void cancelJob();

    std::shared_ptr<LabelStatusSink> m_status;
    quelvo::CancelToken m_cancel;
    bool m_jobStarted = false;
};

} // namespace kyui
