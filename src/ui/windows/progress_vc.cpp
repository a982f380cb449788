#include "ui/windows/progress_vc.h"

#include <cstdlib>
#include <future>
#include <thread>

#include <QDebug>
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
#include "media/parallelism.h"
#include "media/read_failure_text.h"
#include "project/version_sheet_question.h"
#include "ui/kit/im_anim.h"
#include "ui/kit/ky_alert.h"
#include "ui/kit/ky_file_opener.h"
#include "ui/kit/ky_notification.h"
#include "ui/kit/ky_windows.h"
#include "ui/kit/label_status_sink.h"
#include "ui/kit/main_thread.h"
#include "ui/windows/desktop_format_question.h"
#include "ui/windows/job_questions.h"

namespace kyui {

namespace {

kymovie::VersionSheet* g_versionSheet = nullptr;

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

ProgressVC::PathChooser& saveAsChooser() {
    static ProgressVC::PathChooser current = saveDialog;
    return current;
}

// The stage after the job's own, while Final Cut Pro is being handed the project.
constexpr const char* kStageHandOver = "Sending the project to Final Cut Pro...";

constexpr int kAnimationSize = 96; // logical pixels; the frames are drawn at twice that

} // namespace

kymovie::VersionSheet* ProgressVC::setVersionSheet(kymovie::VersionSheet* sheet) {
    auto* previous = g_versionSheet;
    g_versionSheet = sheet;
    return previous;
}

ProgressVC::PathChooser ProgressVC::setSaveAsChooser(PathChooser next) {
    PathChooser previous = saveAsChooser();
    saveAsChooser() = next ? std::move(next) : PathChooser(saveDialog);
    return previous;
}

ProgressVC::ProgressVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(tr("Ducking"));
    auto* stack = new QGridLayout;
    wImageA = new QLabel(this);
    wImageB = new QLabel(this);
    wImageC = new QLabel(this);
    // The three layers share one cell, A at the back, C at the front.
    for (QLabel* layer : {wImageA, wImageB, wImageC}) {
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

    lblStatus = new QLabel(this);
    lblStatus->setAlignment(Qt::AlignCenter);
    lblStatus->setTextFormat(Qt::PlainText);
    QPalette dim = lblStatus->palette();
    QColor text = dim.color(QPalette::WindowText);
    text.setAlpha(170);
    dim.setColor(QPalette::WindowText, text);
    lblStatus->setPalette(dim);
    // Room for the longest stage text, so the sheet keeps its size.
    const QFontMetrics fm(lblStatus->font());
    lblStatus->setMinimumWidth(fm.horizontalAdvance("Initializing: Downloading required components...") +
                               2 * fm.height());
    lblStatus->setMinimumHeight(fm.height());

    auto* layout = new QVBoxLayout(this);
    const int unit = fm.height();
    layout->setContentsMargins(2 * unit, 3 * unit / 2, 2 * unit, 3 * unit / 2);
    layout->setSpacing(unit / 2);
    layout->addLayout(stack);
    layout->addSpacing(unit / 2);
    layout->addWidget(heading);
    layout->addWidget(lblStatus);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &ProgressVC::cancelJob);
    layout->addWidget(btnCancel, 0, Qt::AlignCenter);

    m_status = std::make_shared<LabelStatusSink>(lblStatus);
    startAnimations();
}

ProgressVC::~ProgressVC() = default;

ProgressVC* ProgressVC::showProgress(QWidget* from, const quelvo::DuckRequest& request) {
    auto* sheet = new ProgressVC;
    sheet->request = request;
    KyWindows::sheet(sheet, from, true);
    return sheet;
}

void ProgressVC::cancelJob() {
    m_cancel.cancel();
    btnCancel->setEnabled(false);
    kykit::showStatus(m_status.get(), "Cancelling\u2026");
}

void ProgressVC::startAnimations() {
    struct Layer {
        QLabel* view;
        ImAnim** anim;
        const char* prefix;
        int lastFrame;
    };
    // Different loop lengths let the layers drift against each other.
    const Layer layers[] = {{wImageA, &imA, "quelvo_progressA_", 59},
                            {wImageB, &imB, "quelvo_progressB_", 58},
                            {wImageC, &imC, "quelvo_progressC_", 57}};
    for (const Layer& layer : layers) {
        *layer.anim = new ImAnim(layer.view, 0.0, 60, true, true, nullptr, "", "png", nullptr, false);
        (*layer.anim)->setSequence(layer.prefix, 0, layer.lastFrame, 5);
        (*layer.anim)->start();
    }
}

void ProgressVC::showEvent(QShowEvent* event) {
    KyViewController::showEvent(event);
    if (event->spontaneous() || m_jobStarted) return; // a sheet runs one job
    // Queued, so that the job starts once the sheet is actually on screen.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_jobStarted || !isVisible()) return;
            m_jobStarted = true;
            runJob();
        },
        Qt::QueuedConnection);
}

void ProgressVC::runJob() {
    // The worker gets copies of everything it needs: nothing of this window is
    // touched off the GUI thread except through the status sink, which posts
    // to the GUI thread, and the completion, which checks that we still exist.
    if (!request) {
        // A missing request is a programming error of the presenter, not a user's.
        qCritical("ProgressVC: the request was not set before the sheet was shown");
        std::abort();
    }
    quelvo::DuckRequest job = *request;
    // The editor waits for this job: its analyses may use every core.
    job.parallelism.jobs = kyaudio::machineCores();
    std::shared_ptr<LabelStatusSink> status = m_status;
    QPointer<ProgressVC> self(this);
    void* presenter = static_cast<KyViewController*>(this);

    // A project sent to Final Cut Pro goes a moment after the job returns;
    // the worker waits for that hand-over, so the sheet reports success only
    // once Final Cut Pro has the project.
    using HandOver = kymovie::fcpHandoff::HandOverResult;
    auto handedOver = std::make_shared<std::promise<HandOver>>();
    std::shared_future<HandOver> handOver = handedOver->get_future().share();
    quelvo::DuckJobContext context;
    context.status = status.get();
    context.cancel = m_cancel;
    context.onHandOver = [handedOver](const HandOver& result) { handedOver->set_value(result); };
    // A project without speech is written only when the editor says so.
    context.onNoSpeech = [sheetWindow = QPointer<QWidget>(window())](const std::string& warning) {
        return askToWriteWithoutSpeech(sheetWindow, warning);
    };
    // Where a project is already, the editor chooses: replace, keep both or cancel.
    context.onExistingProject = [sheetWindow = QPointer<QWidget>(window())](const std::string& path) {
        return askWhereToWrite(sheetWindow, path);
    };
    // Tests may put a version sheet of their own in place of the editor question.
    std::shared_ptr<quelvo::FormatQuestion> question;
    if (g_versionSheet)
        question = std::make_shared<quelvo::VersionSheetQuestion>(*g_versionSheet, presenter);
    else
        question = std::make_shared<DesktopFormatQuestion>(window());

    // A detached thread rather than a pool: a job waiting on the version
    // sheet must never hold up quitting the program.
    std::thread([=] {
        const quelvo::DuckOutcome outcome = quelvo::duckAudioFiles(job, *question, context);
        std::optional<HandOver> handed;
        if (outcome.success && outcome.sentToFCP) {
            kykit::showStatus(status.get(), kStageHandOver);
            handed = handOver.get();
        }
        runOnMain([self, outcome, handed] {
            if (self) self->completeJob(outcome, handed);
        });
    }).detach();
}

void ProgressVC::completeJob(const quelvo::DuckOutcome& outcome, const std::optional<kymovie::fcpHandoff::HandOverResult>& handOver) {
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
    close();
}

void ProgressVC::tellSuccess(const quelvo::DuckOutcome& outcome, const std::string& file) {
    // The second line names the project, so a notification seen later
    // still says which job it was about.
    KyShowNotification(QStringLiteral("Quelvo Done"),
                       QStringLiteral("Successfully Ducked Audio Files.\n") +
                           QString::fromStdString(kykit::fileNameOf(file)));
    emit jobSucceeded(outcome, QString::fromStdString(file));
}

bool ProgressVC::saveElsewhere(const quelvo::DuckOutcome& outcome) {
    const std::string intended = outcome.intendedPath;
    const std::string suggested = (QDir::homePath() + QDir::separator()).toStdString() +
                                  kykit::fileNameOf(intended);
    const std::string path = saveAsChooser()(window(), suggested);
    if (path.empty()) return false;
    // The analysis is done: only the writing runs again.
    const quelvo::DuckOutcome again = quelvo::writeProjectAs(outcome, path);
    if (!again.success) return tellFailure(again);
    tellSuccess(again, again.outputPath);
    return true;
}

bool ProgressVC::tellFailure(const quelvo::DuckOutcome& outcome) {
    // A failed job must not claim success: say what went wrong instead. An
    // input that cannot be read is put in a user's words, with the audio
    // layer's own reason under Details for whoever needs it.
    if (!outcome.unreadableRole.empty()) {
        KyAlert::okWithDetails("Warning",
                               kyaudio::readFailureSentence(outcome.unreadableRole,
                                                            kykit::fileNameOf(outcome.unreadablePath),
                                                            outcome.reason),
                               outcome.message, window());
        return false;
    }
    const std::string sentence =
        outcome.message.empty() ? std::string("The project could not be made.") : outcome.message;
    if (!outcome.unwrittenText) {
        KyAlert::ok("Warning", sentence, window());
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
    request.parent = window();
    KyAlert::service().present(request);
    return saved;
}

void ProgressVC::tellFailedHandOver(const kymovie::fcpHandoff::HandOverResult& handOver) {
    if (handOver.file.empty()) {
        KyAlert::okWithDetails("Warning", "The project could not be handed to Final Cut Pro.",
                               handOver.status.message(), window());
        return;
    }
    // The copy stays in the cache folder: the user can open it by hand.
    const std::string file = handOver.file;
    AlertRequest request;
    request.message = "Warning";
    request.informativeText = "Final Cut Pro did not open the project; its copy \u201C" +
                              kykit::fileNameOf(file) + "\u201D is in Quelvo's cache folder.";
    request.buttons = {{"OK", nullptr},
                       {"Show in Folder", [file] { KyFileOpener::showInFolder(QString::fromStdString(file)); }}};
    request.parent = window();
    request.details = handOver.status.message();
    KyAlert::service().present(request);
}

} // namespace kyui
