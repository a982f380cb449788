#include "ui/kit/sheet.h"

#include <QCloseEvent>
#include <QPainter>

namespace quelvo::ui {

Sheet::Sheet(QWidget* parent) : QDialog(parent ? parent->window() : nullptr) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
#ifdef Q_OS_MACOS
    setWindowFlag(Qt::Sheet);
#endif
}

void Sheet::reject() {
    if (m_closesOnEscape) QDialog::reject();
}

void Sheet::closeEvent(QCloseEvent* event) {
    // The window manager's close button closes a sheet only where Escape
    // does (a sheet whose every change is already kept, like the role
    // chooser).
    if (event->spontaneous() && !m_closesOnEscape) {
        event->ignore();
        return;
    }
    // Not QDialog's closeEvent: it would route through reject(), which a
    // busy sheet ignores.
    event->accept();
}

void Sheet::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // A hairline edge, so a sheet stands out from the window under it also
    // where the window manager draws no frame.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace quelvo::ui
