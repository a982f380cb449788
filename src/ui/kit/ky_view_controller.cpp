#include "ui/kit/ky_view_controller.h"

#include <QShowEvent>

namespace kyui {

KyViewController::KyViewController(QWidget* parent) : QWidget(parent) {}

void KyViewController::close() {
    if (QWidget* w = window()) w->close();
}

void KyViewController::loadViewIfNeeded() {
    if (m_loaded) return;
    m_loaded = true;
    viewDidLoad();
}

void KyViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Un-minimising is a spontaneous show: the view never left the screen.
    if (event->spontaneous()) return;
    loadViewIfNeeded();
    viewWillAppear();
    // Queued, so that it runs once the window has actually been shown.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isVisible()) return;
            viewDidAppear();
            emit didAppear();
        },
        Qt::QueuedConnection);
}

void KyViewController::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    viewWillDisappear();
}

} // namespace kyui
