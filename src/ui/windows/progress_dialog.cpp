#include "ui/windows/progress_dialog.h"

#include <future>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "base/files.h"
#include "base/task_runner.h"
#include "media/parallelism.h"
#include "media/read_failure_text.h"
#include "project/version_sheet_question.h"
#include "ui/kit/alert.h"
#include "ui/kit/file_opener.h"
#include "ui/kit/frame_animation.h"
#include "ui/kit/label_status_sink.h"
#include "ui/kit/notification.h"
#include "ui/kit/task_delivery.h"
#include "ui/windows/desktop_format_question.h"
#include "ui/windows/job_questions.h"

namespace quelvo::ui {

namespace {

VersionSheet* g_versionSheet = nullptr;

std::string saveDialog(QWidget* parent, const std::string& suggested) {
    // The filter follows the kind of project the editor chose (the suggested
    // name's extension: .fcpxml, .xml, .mlt).
    const QString suffix = QFileInfo(QString::fromStdString(suggested)).suffix();
    const QString filter = suffix == QLatin1String("fcpxml")
                               ? QObject::tr("Final Cut Pro XML (*.fcpxml)")
                               : QObject::tr("Project (*.%1)").arg(suffix);
    return QFileDialog::getSaveFileName(parent, QObject::tr("Save Project As"),
                                        QString::fromStdString(suggested), filter)
        .toStdString();
}

ProgressDialog::PathChooser& saveAsChooser() {
    static ProgressDialog::PathChooser current = saveDialog;
    return current;
}

// The stage after the job's own, while Final Cut Pro is being handed the project.
constexpr const char* kStageHandOver = "Sending the project to Final Cut Pro...";

constexpr int kAnimationSize = 96; // logical pixels; the frames are drawn at twice that

} // namespace

// How the job ended, as its work saw it: what it wrote is the truth, also
// when a Cancel came too late to stop it (the task then ends cancelled).
struct ProgressDialog::JobEnd {
    std::optional<DuckOutcome> outcome;
    std::optional<HandOver> handOver;
};

VersionSheet* ProgressDialog::setVersionSheet(VersionSheet* sheet) {
    auto* previous = g_versionSheet;
    g_versionSheet = sheet;
    return previous;
}

ProgressDialog::PathChooser ProgressDialog::setSaveAsChooser(PathChooser next) {
    PathChooser previous = saveAsChooser();
    saveAsChooser() = next ? std::move(next) : PathChooser(saveDialog);
    return previous;
}

ProgressDialog::ProgressDialog(const DuckRequest& request, QWidget* parent)
    : Sheet(parent), m_request(request) {
    setWindowTitle(tr("Ducking"));
    buildLayout();
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::cancelJob);
    m_statusSink = std::make_shared<LabelStatusSink>(m_status);
    startAnimations();
}

void ProgressDialog::buildLayout() {
    auto* stack = new QGridLayout;
    // The three layers share one cell, A at the back, C at the front.
    const char* const names[] = {"layerA", "layerB", "layerC"};
    for (int i = 0; i < 3; ++i) {
        QLabel* layer = m_layers[i] = new QLabel(this);
        layer->setObjectName(names[i]);
        layer->setFixedSize(kAnimationSize, kAnimationSize);
        layer->setAlignment(Qt::AlignCenter);
        layer->setAttribute(Qt::WA_TranslucentBackground);
        stack->addWidget(layer, 0, 0, Qt::AlignCenter);
    }

    auto* heading = new QLabel(tr("Ducking the music…"), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);

    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setTextFormat(Qt::PlainText);
    QPalette dim = m_status->palette();
    QColor text = dim.color(QPalette::WindowText);
    text.setAlpha(170);
    dim.setColor(QPalette::WindowText, text);
    m_status->setPalette(dim);
    // Room for the longest stage text, so the sheet keeps its size.
    const QFontMetrics fm(m_status->font());
    m_status->setMinimumWidth(
        fm.horizontalAdvance("Initializing: Downloading required components...") + 2 * fm.height());
    m_status->setMinimumHeight(fm.height());

    auto* layout = new QVBoxLayout(this);
    const int unit = fm.height();
    layout->setContentsMargins(2 * unit, 3 * unit / 2, 2 * unit, 3 * unit / 2);
    layout->setSpacing(unit / 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(stack);
    layout->addSpacing(unit / 2);
    layout->addWidget(heading);
    layout->addWidget(m_status);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName("cancel");
    m_cancel->setAutoDefault(false);
    layout->addWidget(m_cancel, 0, Qt::AlignCenter);
}

ProgressDialog::~ProgressDialog() = default;

ProgressDialog* ProgressDialog::showProgress(QWidget* from, const DuckRequest& request) {
    auto* sheet = new ProgressDialog(request, from);
    sheet->open();
    return sheet;
}

void ProgressDialog::cancelJob() {
    // Before the job has started, it is stopped as soon as it does.
    if (m_job.valid())
        m_job.cancel();
    else
        m_cancelBeforeStart = true;
    m_cancel->setEnabled(false);
    quelvo::showStatus(m_statusSink.get(), "Cancelling\u2026");
}

void ProgressDialog::startAnimations() {
    struct Layer {
        const char* prefix;
        int lastFrame;
    };
    // Different loop lengths let the layers drift against each other.
    const Layer layers[] = {
        {"quelvo_progressA_", 59}, {"quelvo_progressB_", 58}, {"quelvo_progressC_", 57}};
    for (int i = 0; i < 3; ++i) {
        auto* anim = new FrameAnimation(m_layers[i], 0.0, 60, true, true, nullptr, "", "png",
                                        nullptr, false);
        anim->setSequence(layers[i].prefix, 0, layers[i].lastFrame, 5);
        anim->start();
    }
}

void ProgressDialog::showEvent(QShowEvent* event) {
    Sheet::showEvent(event);
    if (event->spontaneous() || m_job.valid()) return; // a sheet runs one job
    // Queued, so that the job starts once the sheet is actually on screen.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_job.valid() || !isVisible()) return;
            runJob();
        },
        Qt::QueuedConnection);
}

DuckJobContext ProgressDialog::jobContext() {
    DuckJobContext context;
    context.status = m_statusSink.get();
    // A project without speech is written only when the editor says so.
    context.onNoSpeech = [sheetWindow = QPointer<QWidget>(this)](const std::string& warning) {
        return askToWriteWithoutSpeech(sheetWindow, warning);
    };
    // Where a project is already, the editor chooses: replace, keep both or cancel.
    context.onExistingProject = [sheetWindow = QPointer<QWidget>(this)](const std::string& path) {
        return askWhereToWrite(sheetWindow, path);
    };
    return context;
}

std::shared_ptr<FormatQuestion> ProgressDialog::formatQuestion() {
    // Tests may put a version sheet of their own in place of the editor question.
    if (g_versionSheet) return std::make_shared<VersionSheetQuestion>(*g_versionSheet);
    return std::make_shared<DesktopFormatQuestion>(this);
}

void ProgressDialog::runJob() {
    // The work gets copies of everything it needs: nothing of this window is
    // touched off the GUI thread except through the status sink, which posts
    // to the GUI thread; the end is delivered here only while we still exist.
    DuckRequest job = m_request;
    // The editor waits for this job: its analyses may use every core.
    job.parallelism.jobs = quelvo::machineCores();
    // A project sent to Final Cut Pro goes a moment after the job returns;
    // the work waits for that hand-over, so the sheet reports success only
    // once Final Cut Pro has the project.
    auto handedOver = std::make_shared<std::promise<HandOver>>();
    std::shared_future<HandOver> handOver = handedOver->get_future().share();
    DuckJobContext context = jobContext();
    context.onHandOver = [handedOver](const HandOver& result) { handedOver->set_value(result); };
    auto end = std::make_shared<JobEnd>();
    TaskRequest<TaskDone> request(
        "duck",
        [job, context, question = formatQuestion(), status = m_statusSink, handOver,
         end](TaskControl& control) mutable -> TaskReturn<TaskDone> {
            context.cancel = CancelToken::following(control.cancelFlag());
            end->outcome = quelvo::duckAudioFiles(job, *question, context);
            if (end->outcome->success && end->outcome->sentToFCP) {
                quelvo::showStatus(status.get(), kStageHandOver);
                end->handOver = handOver.get();
            }
            return TaskDone{};
        });
    request.onDone = [this, end](const TaskResult<TaskDone>& result) { jobEnded(*end, result); };
    request.delivery = quelvo::mainThreadDelivery(this);
    m_job = TaskRunner::shared().start(std::move(request));
    if (m_cancelBeforeStart) m_job.cancel();
}

void ProgressDialog::jobEnded(const JobEnd& end, const TaskResult<TaskDone>& result) {
    if (end.outcome) return completeJob(*end.outcome, end.handOver);
    // The work never returned: cancelled before it ran, or it failed.
    DuckOutcome outcome;
    outcome.cancelled = result.state == TaskState::cancelled;
    outcome.message = outcome.cancelled ? "The job was cancelled." : result.error;
    completeJob(outcome, std::nullopt);
}

void ProgressDialog::completeJob(const DuckOutcome& outcome,
                                 const std::optional<HandOver>& handOver) {
    if (outcome.cancelled) {
        // The editor chose Cancel: nothing was written; the window says so.
        emit jobCancelled();
        emit jobFinished(false);
    } else if (!outcome.success) {
        emit jobFinished(tellFailure(outcome));
    } else if (handOver && !handOver->status.ok()) {
        tellFailedHandOver(*handOver);
        emit jobFinished(false);
    } else {
        tellSuccess(outcome, handOver ? handOver->file : outcome.outputPath);
        emit jobFinished(true);
    }
    accept();
}

void ProgressDialog::tellSuccess(const DuckOutcome& outcome, const std::string& file) {
    // The second line names the project, so a notification seen later
    // still says which job it was about.
    showNotification(QStringLiteral("Quelvo Done"),
                     QStringLiteral("Successfully Ducked Audio Files.\n") +
                         QString::fromStdString(quelvo::fileNameOf(file)));
    emit jobSucceeded(outcome, QString::fromStdString(file));
}

bool ProgressDialog::saveElsewhere(const DuckOutcome& outcome) {
    const std::string intended = outcome.intendedPath;
    const std::string suggested =
        (QDir::homePath() + QDir::separator()).toStdString() + quelvo::fileNameOf(intended);
    const std::string path = saveAsChooser()(this, suggested);
    if (path.empty()) return false;
    // The analysis is done: only the writing runs again.
    const DuckOutcome again = quelvo::writeProjectAs(outcome, path);
    if (!again.success) return tellFailure(again);
    tellSuccess(again, again.outputPath);
    return true;
}

bool ProgressDialog::tellFailure(const DuckOutcome& outcome) {
    // A failed job must not claim success: say what went wrong instead. An
    // input that cannot be read is put in a user's words, with the audio
    // layer's own reason under Details for whoever needs it.
    if (!outcome.unreadableRole.empty()) {
        Alert::okWithDetails("Warning",
                             quelvo::readFailureSentence(outcome.unreadableRole,
                                                         quelvo::fileNameOf(outcome.unreadablePath),
                                                         outcome.reason),
                             outcome.message, this);
        return false;
    }
    const std::string sentence =
        outcome.message.empty() ? std::string("The project could not be made.") : outcome.message;
    if (!outcome.unwrittenText) {
        Alert::ok("Warning", sentence, this);
        return false;
    }
    // The project is made and kept: it can go to another folder.
    bool saved = false;
    AlertRequest request;
    request.message = "Warning";
    request.informativeText = sentence + " Save the project somewhere else, or nothing is written.";
    request.buttons = {{"OK", nullptr}, {"Save As\u2026", [this, outcome, &saved] {
                                             saved = saveElsewhere(outcome);
                                         }}};
    request.parent = this;
    Alert::service().present(request);
    return saved;
}

void ProgressDialog::tellFailedHandOver(const HandOver& handOver) {
    if (handOver.file.empty()) {
        Alert::okWithDetails("Warning", "The project could not be handed to Final Cut Pro.",
                             handOver.status.message(), this);
        return;
    }
    // The copy stays in the cache folder: the user can open it by hand.
    const std::string file = handOver.file;
    AlertRequest request;
    request.message = "Warning";
    request.informativeText = "Final Cut Pro did not open the project; its copy \u201C" +
                              quelvo::fileNameOf(file) + "\u201D is in Quelvo's cache folder.";
    request.buttons = {{"OK", nullptr}, {"Show in Folder", [file] {
                                             fileOpener::showInFolder(QString::fromStdString(file));
                                         }}};
    request.parent = this;
    request.details = handOver.status.message();
    Alert::service().present(request);
}

} // namespace quelvo::ui
