#pragma once
// The progress sheet: opened by the main window with a job's inputs, it runs
// the ducking job as a background task the moment it is on screen, shows a
// three-layer animation and the job's stage texts meanwhile, and closes when
// the job has returned: with the "Quelvo Done" notification after a good
// job, or with a "Warning" alert after a failed one. A project sent to Final
// Cut Pro counts as good only once the hand-over has worked; the sheet stays
// until then. Its Cancel button stops the running job (nothing is written);
// a job that finds no speech asks Write Anyway / Cancel before the version
// sheet, and a Cancel closes quietly.
//
// Its controls are named for tests: "layerA", "layerB", "layerC" (the
// animation's layers, each holding its FrameAnimation), "status" and "cancel".
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/task.h"
#include "jobs/duck_job.h"
#include "project/duck_request.h"
#include "project/format_question.h"
#include "project/version_sheet.h"
#include "ui/kit/sheet.h"

class QLabel;
class QPushButton;

namespace quelvo::ui {

class LabelStatusSink;

class ProgressDialog : public Sheet {
    Q_OBJECT
  public:
    ProgressDialog(const DuckRequest& request, QWidget* parent);
    ~ProgressDialog() override;

    // Opens the sheet for the request on the window of `from`.
    static ProgressDialog* showProgress(QWidget* from, const DuckRequest& request);

    // A version sheet that jobs ask instead of the editor question (tests);
    // the caller keeps ownership. Returns the previous one.
    static VersionSheet* setVersionSheet(VersionSheet* sheet);

    // Chooses where a project that could not be written goes instead ("" for
    // none): a save dialog unless replaced (tests). Returns the previous one.
    using PathChooser = std::function<std::string(QWidget* parent, const std::string& suggested)>;
    static PathChooser setSaveAsChooser(PathChooser chooser);

    // The job's request, as given.
    const DuckRequest& request() const { return m_request; }
    bool jobStarted() const { return m_job.valid(); }

  signals:
    // On the GUI thread, after the notification or the alert, before closing.
    void jobFinished(bool success);
    // After a good job, before jobFinished: what it did and the project's
    // file (the one written, or the copy handed to Final Cut Pro).
    void jobSucceeded(const DuckOutcome& outcome, const QString& projectFile);
    // Before jobFinished(false): the editor stopped the job (Cancel in a
    // question); nothing was written.
    void jobCancelled();

  protected:
    // The job starts once the sheet is on screen.
    void showEvent(QShowEvent* event) override;

  private:
    using HandOver = fcpHandoff::HandOverResult;
    struct JobEnd;

    void buildLayout();
    void startAnimations();
    void runJob();
    // What the job asks the editor, and where its stages show.
    DuckJobContext jobContext();
    std::shared_ptr<FormatQuestion> formatQuestion();
    void jobEnded(const JobEnd& end, const TaskResult<TaskDone>& result);
    void completeJob(const DuckOutcome& outcome, const std::optional<HandOver>& handOver);
    // Answers whether the project got written after all (Save As…).
    bool tellFailure(const DuckOutcome& outcome);
    // A project that could not be written: asks where else, writes it there.
    bool saveElsewhere(const DuckOutcome& outcome);
    void tellSuccess(const DuckOutcome& outcome, const std::string& file);
    void tellFailedHandOver(const HandOver& handOver);

    // Cancel: the job stops at its next check and writes nothing.
    void cancelJob();

    DuckRequest m_request;
    QLabel* m_layers[3] = {};
    QLabel* m_status = nullptr;
    QPushButton* m_cancel = nullptr;
    std::shared_ptr<LabelStatusSink> m_statusSink;
    TaskHandle<TaskDone> m_job;
    bool m_cancelBeforeStart = false;
};

} // namespace quelvo::ui
