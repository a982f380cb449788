#include "ui/kit/panel.h"

#include <QCloseEvent>

#include "ui/kit/window_placement.h"

namespace quelvo::ui {

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

} // namespace quelvo::ui
