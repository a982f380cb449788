#include "ui/kit/panel.h"

#include <QCloseEvent>

#include "ui/kit/ky_window_placement.h"

namespace kyui {

Panel::Panel(QWidget* owner) : QDialog(owner ? owner->window() : nullptr) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
}

void Panel::showPlaced() {
    placeNewWindow(this);
    show();
}

void Panel::reject() {
    close();
}

void Panel::closeEvent(QCloseEvent* event) {
    // Not QDialog's closeEvent, which routes through reject() and back here.
    event->accept();
}

} // namespace kyui
