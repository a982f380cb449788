#include "ui/kit/ky_windows.h"

#include <QCloseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/ky_storyboard.h"
#include "ui/kit/ky_view_controller.h"

namespace kyui {

KyWindow::KyWindow(KyViewController* controller, QWidget* parent)
    : QMainWindow(parent), m_controller(controller) {
    setCentralWidget(controller);
    setWindowTitle(controller->windowTitle());
}

KySheetWindow::KySheetWindow(KyViewController* controller, QWidget* parentWindow, bool disableResize)
    : QDialog(parentWindow), m_controller(controller) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
#ifdef Q_OS_MACOS
    setWindowFlag(Qt::Sheet);
#endif
    setWindowTitle(controller->windowTitle());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controller);
    if (disableResize) layout->setSizeConstraint(QLayout::SetFixedSize);
}

void KySheetWindow::closeEvent(QCloseEvent* event) {
    // The window manager's close button; only the controller closes a sheet.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    // Not QDialog's closeEvent: it would route through reject(), which a
    // sheet ignores.
    event->accept();
}

void KySheetWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // A hairline edge, so a sheet stands out from the window under it also
    // where the window manager draws no frame.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace KyWindows {

KyViewController* sheet(const QString& sceneId, const QString& storyboard, const void* /*bundle*/,
                        KyViewController* currentViewController, bool disableResize,
                        const InstantiatedCallback& instantiatedCallback) {
    KyViewController* controller = KyStoryboard::instantiate(storyboard, sceneId);
    if (!controller) return nullptr;
    if (instantiatedCallback) instantiatedCallback(controller);
    QWidget* parentWindow = currentViewController ? currentViewController->window() : nullptr;
    auto* sheetWindow = new KySheetWindow(controller, parentWindow, disableResize);
    sheetWindow->open();
    return controller;
}

} // namespace KyWindows

} // namespace kyui
