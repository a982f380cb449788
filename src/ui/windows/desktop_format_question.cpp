#include "ui/windows/desktop_format_question.h"

#include <algorithm>
#include <future>
#include <memory>

#include <QCoreApplication>
#include <QScreen>
#include <QThread>

#include "project/format_choice.h"
#include "ui/kit/task_delivery.h"
#include "ui/windows/editor_choice_dialog.h"

namespace quelvo::ui {

namespace {

// The question is asked while the progress sheet shows the job's stage: it
// goes beside that sheet (below, else above, else to a side), never over
// it, so the status line stays readable while the user decides. Where no
// side has room it stays where the platform put it.
void keepUncovered(QWidget* question, QWidget* progress) {
    if (!question || !progress || !progress->isVisible() ||
        question->windowFlags().testFlag(Qt::Sheet))
        return;
    QScreen* screen = progress->screen();
    if (!screen) return;
    question->adjustSize();
    const QRect avail = screen->availableGeometry();
    const QRect under = progress->frameGeometry();
    // The question has no frame yet: its title bar is as tall as the progress sheet's.
    const int decoration = std::max(0, under.height() - progress->geometry().height());
    const QSize size = question->size() + QSize(0, decoration);
    const int gap = question->fontMetrics().height() / 2;
    const auto fits = [&](const QPoint& at) { return avail.contains(QRect(at, size)); };
    const int centredX = std::clamp(under.center().x() - size.width() / 2, avail.left(),
                                    std::max(avail.left(), avail.right() - size.width()));
    const int centredY = std::clamp(under.center().y() - size.height() / 2, avail.top(),
                                    std::max(avail.top(), avail.bottom() - size.height()));
    for (const QPoint at : {QPoint(centredX, under.bottom() + gap),
                            QPoint(centredX, under.top() - gap - size.height()),
                            QPoint(under.right() + gap, centredY),
                            QPoint(under.left() - gap - size.width(), centredY)}) {
        if (fits(at)) {
            question->move(at);
            return;
        }
    }
}

struct Showing {
    QPointer<QWidget> window;
    std::vector<ProjectFormat> offered;
    ProjectFormat preselect;
};

void present(const Showing& showing, FormatQuestion::Callback answer) {
    QWidget* parentWindow = showing.window ? showing.window->window() : nullptr;
    auto* question = new EditorChoiceDialog(parentWindow);
    question->setOffered(showing.offered);
    question->setSelected(showing.preselect);
    question->setOnAnswer(std::move(answer));
    question->open();
    keepUncovered(question, parentWindow);
}

bool onTheMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

DesktopFormatQuestion::DesktopFormatQuestion(QWidget* window, std::vector<ProjectFormat> offered)
    : m_window(window), m_offered(std::move(offered)) {}

void DesktopFormatQuestion::ask(std::optional<ProjectFormat> preselected, Callback callback) {
    const auto isOffered = [this](ProjectFormat format) {
        return std::find(m_offered.begin(), m_offered.end(), format) != m_offered.end();
    };
    if (const auto remembered = quelvo::rememberedFormat(); remembered && isOffered(*remembered)) {
        callback(*remembered);
        return;
    }
    const Showing showing{m_window, m_offered, preselected.value_or(quelvo::preferredFormat())};
    if (onTheMainThread()) {
        present(showing, std::move(callback));
        return;
    }
    // From a worker: ask on the GUI thread, wait here for the answer, and run
    // the callback on this thread so the writer never blocks the windows.
    auto answer = std::make_shared<std::promise<Answer>>();
    std::future<Answer> chosen = answer->get_future();
    quelvo::onMainThread(
        [showing, answer] { present(showing, [answer](Answer a) { answer->set_value(a); }); });
    callback(chosen.get());
}

} // namespace quelvo::ui
