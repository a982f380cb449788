#include "ui/windows/mix_export.h"

#include <cmath>
#include <cstdio>

#include <QFileDialog>
#include <QProgressDialog>
#include <QWidget>

#include "base/files.h"
#include "media/audio_writer.h"
#include "media/parallelism.h"
#include "ui/kit/alert.h"
#include "ui/kit/task_delivery.h"
#include "ui/kit/window_title.h"
#include "ui/windows/job_result_panel.h"

namespace quelvo::ui {

namespace {

std::string saveDialog(QWidget* parent, const std::string& suggested) {
    return QFileDialog::getSaveFileName(
               parent, QObject::tr("Export Mix"), QString::fromStdString(suggested),
               QObject::tr("WAV (*.wav);;FLAC (*.flac);;AAC in M4A (*.m4a)"))
        .toStdString();
}

MixExport::PathChooser& chooser() {
    static MixExport::PathChooser current = saveDialog;
    return current;
}

std::string lufs(const std::optional<double>& value) {
    if (!value) return "not measurable";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f LUFS", *value);
    return text;
}

} // namespace

MixExport::MixExport(QWidget* window) : QObject(window), m_window(window) {}

MixExport::PathChooser MixExport::setPathChooser(PathChooser next) {
    PathChooser previous = chooser();
    chooser() = next ? std::move(next) : PathChooser(saveDialog);
    return previous;
}

QString MixExport::contentsLine(const RenderJobOutcome& outcome) {
    const auto& r = outcome.render;
    const long whole = std::lround(r.seconds);
    const QString length = whole >= 3600 ? QString::asprintf("%ld:%02ld:%02ld", whole / 3600,
                                                             whole / 60 % 60, whole % 60)
                                         : QString::asprintf("%ld:%02ld", whole / 60, whole % 60);
    QString line = tr("%1 · mix %2 (dialogue %3, music %4) · %5")
                       .arg(length, QString::fromStdString(lufs(r.mix.integrated)),
                            QString::fromStdString(lufs(outcome.job.dialogueLoudness)),
                            QString::fromStdString(lufs(outcome.job.musicLoudness)),
                            QString::fromStdString(r.encoding));
    if (r.mixGainDb < 0)
        line += tr(" · lowered %1 dB against clipping").arg(-r.mixGainDb, 0, 'f', 1);
    return line;
}

void MixExport::start(const MixExportRequest& inputs) {
    if (running()) return;
    if (inputs.dialoguePaths.empty())
        return Alert::ok("Warning", "Speaker File Not Specified.", m_window);
    if (inputs.musicPath.empty())
        return Alert::ok("Warning", "Music File Not Specified.", m_window);
    std::string output = chooser()(m_window, quelvo::mixPathFor(inputs.dialoguePaths.front()));
    if (output.empty()) return;
    auto container = quelvo::containerForPath(output);
    if (!container) {
        // A name without one of the three extensions becomes a WAV file.
        output += ".wav";
        container = AudioContainer::wav;
    }

    RenderJobRequest request;
    request.dialoguePath = inputs.dialoguePaths.front();
    request.moreDialogue.assign(inputs.dialoguePaths.begin() + 1, inputs.dialoguePaths.end());
    request.musicPath = inputs.musicPath;
    request.fillerPath = inputs.fillerPath;
    request.decrease = inputs.decrease;
    request.overall = inputs.overall;
    request.toZero = inputs.toZero;
    request.underLU = inputs.underLU;
    request.rolls = inputs.rolls;
    request.speech = inputs.speech;
    request.measureLoudness = true;
    request.parallelism.jobs = quelvo::machineCores();
    request.outputPath = output;
    request.container = *container;
    showProgress();
    render(std::move(request));
}

void MixExport::showProgress() {
    m_progress = new QProgressDialog(tr("Rendering the mix…"), tr("Stop"), 0, 1000, m_window);
    m_progress->setWindowTitle(tr("Export Mix"));
    sizeToTitle(m_progress);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    // Stop asks the render to end; it ends at its next block.
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        if (m_task.valid()) m_task.cancel();
    });
}

void MixExport::render(RenderJobRequest request) {
    using Outcome = RenderJobOutcome;
    TaskRequest<Outcome> task("export mix", [request](TaskControl& control) -> TaskReturn<Outcome> {
        RenderJobRequest job = request;
        job.progress = [&control](double share) {
            control.setProgress(share);
            return !control.cancelled();
        };
        return quelvo::renderDuckedMix(job, nullptr);
    });
    task.onProgress = [this](double share) {
        if (m_progress) m_progress->setValue(static_cast<int>(std::lround(share * 1000)));
    };
    task.onDone = [this](const TaskResult<Outcome>& result) {
        if (result.value) return complete(*result.value);
        // Stopped (the render's own words for it) or failed outright.
        Outcome outcome;
        outcome.message =
            result.state == TaskState::cancelled ? "The render was stopped." : result.error;
        complete(outcome);
    };
    task.delivery = quelvo::mainThreadDelivery(this);
    m_task = TaskRunner::shared().start(std::move(task));
}

void MixExport::complete(const RenderJobOutcome& outcome) {
    m_task = {};
    if (m_progress) {
        m_progress->close();
        m_progress->deleteLater();
    }
    // A written mix is a result, not a warning: the window's result panel shows it.
    if (outcome.success)
        emit mixWritten(QString::fromStdString(outcome.render.outputPath), contentsLine(outcome),
                        JobResultPanel::warningsText(outcome.job));
    else
        Alert::ok("Warning",
                  outcome.message.empty() ? "The mix could not be made." : outcome.message,
                  m_window);
    emit finished(outcome.success);
}

} // namespace quelvo::ui
