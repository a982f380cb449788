#include "support/ui_test_support.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "base/task_runner.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {

void ScriptedAlerts::present(const quelvo::ui::AlertRequest& request) {
    Shown s{request.message, request.informativeText, {}, request.details};
    for (const auto& b : request.buttons)
        s.buttons.push_back(b.text);
    shown.push_back(s);
    size_t choice = 0;
    if (!answers.empty()) {
        choice = static_cast<size_t>(answers.front());
        answers.erase(answers.begin());
    }
    if (choice < request.buttons.size() && request.buttons[choice].completion)
        request.buttons[choice].completion();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

void processEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void closeByWindowManager(QWidget* widget) {
    // To the platform window, which hands it on as the window system's event
    // (QWindow::close would be a close by the program).
    QCloseEvent event;
    QCoreApplication::sendEvent(widget->window()->windowHandle(), &event);
}

bool dropFiles(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return true;
}

std::string copyRecording(const TempDir& dir, const std::string& relative, const std::string& as) {
    const fs::path source = recordingOrStandIn(relative);
    const fs::path target = dir / (as.empty() ? source.filename().string() : as);
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    return target.string();
}

quelvo::ui::ProgressDialog* openProgressSheet() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* sheet = qobject_cast<quelvo::ui::ProgressDialog*>(w); sheet && sheet->isVisible())
            return sheet;
    return nullptr;
}

void UiTest::SetUp() {
    m_previousAlerts = quelvo::ui::Alert::setService(&alerts);
    m_previousNotifications = quelvo::ui::setNotificationService(&notifications);
    m_previousSheet = quelvo::ui::ProgressDialog::setVersionSheet(&versionSheet);
}

void UiTest::TearDown() {
    // A job still running must finish before its answering services go.
    EXPECT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000))
        << "a progress sheet was still open when the test ended";
    quelvo::TaskRunner::shared().waitForAll();
    processEvents();
    delete window;
    window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->deleteLater();
    processEvents();
    quelvo::ui::ProgressDialog::setVersionSheet(m_previousSheet);
    quelvo::ui::setNotificationService(m_previousNotifications);
    quelvo::ui::Alert::setService(m_previousAlerts);
}

quelvo::ui::MainWindow* UiTest::showMainWindow() {
    window = new quelvo::ui::MainWindow;
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    quelvo::ui::MainWindow* shown = window;
    EXPECT_TRUE(waitUntil([shown] { return shown->fileWatch().isActive(); }))
        << "the window never appeared";
    return window;
}

} // namespace quelvo::test
