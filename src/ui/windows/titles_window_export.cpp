// The titles window's export: the project or captions written as a task,
// its progress on the window's bar, its result on the window's line.
#include <algorithm>
#include <atomic>
#include <cmath>

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>

#include "titles/caption_format.h"
#include "ui/kit/task_delivery.h"
#include "ui/kit/text_field.h"
#include "ui/windows/result_line.h"
#include "ui/windows/titles_window.h"
#include "writers/titles_fcpxml.h"
#include "writers/titles_project.h"

namespace quelvo::ui {

namespace {
// Exports under way in every titles window: the application asks before
// quitting while there are any. Counted down on the worker, as the window
// may be gone before the hand-over runs.
std::atomic<int> g_running{0};
} // namespace

int TitlesWindow::exportsRunning() {
    return g_running.load();
}

void TitlesWindow::startExport(const std::string& path) {
    if (m_exporting) return;
    m_exporting = true;
    ++g_running;
    m_exportButton->setEnabled(false);
    m_saveAsButton->setEnabled(false);
    m_result->clear();
    m_progress->setRange(0, int(m_srt.titles.size()));
    m_progress->setValue(0);
    m_progress->show();

    TaskRequest<Status> task = makesCaptions() ? captionsTask(path) : titlesTask(path);
    task.onProgress = [this](double share) {
        m_progress->setValue(static_cast<int>(std::lround(share * m_progress->maximum())));
    };
    task.onDone = [this, path](const TaskResult<Status>& result) {
        finishExport(path, result.value ? *result.value : Status::failure(result.error));
    };
    task.delivery = quelvo::mainThreadDelivery(this);
    m_export = TaskRunner::shared().start(std::move(task));
}

TaskRequest<Status> TitlesWindow::captionsTask(const std::string& path) const {
    quelvo::titles::CaptionRequest request = captionRequest();
    const std::optional<std::string> video =
        m_videoPath.empty() ? std::nullopt : std::optional(m_videoPath);
    return {"export captions", [path, video, request](TaskControl&) mutable -> TaskReturn<Status> {
                if (video)
                    request.video = quelvo::titles::CaptionVideo{
                        *video, quelvo::titles::readVideoFacts(*video)};
                const Status status = quelvo::titles::writeCaptionDocument(request, path);
                // Counted down here: the window may be gone before the hand-over runs.
                --g_running;
                return status;
            }};
}

TaskRequest<Status> TitlesWindow::titlesTask(const std::string& path) const {
    // Everything the worker needs is copied now: the settings as they are at
    // the press, exactly what the command line would read from the store.
    const TitlesSettings settings = TitlesSettings::shared();
    const std::string event = m_eventName->text().trimmed().isEmpty()
                                  ? quelvo::titles::defaultEventName(m_srtPath)
                                  : m_eventName->stdText();
    const bool useV19 = m_versionChoice->currentData().toString() == QLatin1String("1.9");
    const std::optional<std::string> video =
        m_videoPath.empty() ? std::nullopt : std::optional(m_videoPath);
    const std::string comment = quelvo::titles::projectComment(m_srtPath);
    const std::vector<SubtitleCue> titles = m_srt.titles;
    return {"export titles", [=](TaskControl& control) -> TaskReturn<Status> {
                TitlesFcpxml project(event, titles, video, settings);
                size_t lastShown = 0;
                project.onTitleMade = [&control, &lastShown](size_t made, size_t total) {
                    // About a hundred steps whatever the length of the film.
                    if (made != total && made - lastShown < std::max<size_t>(1, total / 100))
                        return;
                    lastShown = made;
                    control.setProgress(total ? double(made) / double(total) : 1.0);
                };
                const Status status = project.exportXML(path, useV19, comment);
                --g_running;
                return status;
            }};
}

void TitlesWindow::finishExport(const std::string& path, const Status& status) {
    m_exporting = false;
    m_progress->hide();
    m_exportButton->setEnabled(true);
    m_saveAsButton->setEnabled(true);
    if (status)
        m_result->showWritten(QString::fromStdString(path));
    else
        m_result->showFailed(QString::fromStdString(status.message()));
    emit exportFinished(status.ok());
}

} // namespace quelvo::ui
