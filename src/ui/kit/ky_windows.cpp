#include "ui/kit/ky_windows.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/kit/ky_view_controller.h"

#include "ui/kit/ky_window_placement.h"
namespace kyui {

namespace {

// A controller makes its default button before it is put in a dialog, so
// the dialog never learnt it: once another button has had the focus, Return
// would press nothing. Telling the button again, now that it is inside,
// makes it the dialog's default for good.
void adoptDefaultButtons(QDialog* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (!button->isDefault()) continue;
        button->setDefault(false);
        button->setDefault(true);
    }
}

// What sheets and panels share: the controller fills the dialog, which goes
// when it closes.
void hostController(QDialog* dialog, KyViewController* controller, bool disableResize) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(controller->windowTitle());
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controller);
    if (disableResize) layout->setSizeConstraint(QLayout::SetFixedSize);
    adoptDefaultButtons(dialog);
}

} // namespace

KySheetWindow::KySheetWindow(KyViewController* controller, QWidget* parentWindow, bool disableResize)
    : QDialog(parentWindow), m_controller(controller) {
    setWindowModality(Qt::WindowModal);
#ifdef Q_OS_MACOS
    setWindowFlag(Qt::Sheet);
#endif
    hostController(this, controller, disableResize);
}

void KySheetWindow::reject() {
    // Escape. Through the controller, so it sees itself go as on any close.
    if (m_controller && m_controller->closesOnEscape()) m_controller->close();
}

void KySheetWindow::closeEvent(QCloseEvent* event) {
    // The window manager's close button closes a sheet only where Escape
    // does (a sheet whose every change is already kept, like the role
    // chooser); a sheet that stands for work under way or an open question
    // stays.
    if (event->spontaneous() && !(m_controller && m_controller->closesOnEscape())) {
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

KyPanelWindow::KyPanelWindow(KyViewController* controller, QWidget* ownerWindow, bool disableResize)
    : QDialog(ownerWindow), m_controller(controller) {
    setWindowModality(Qt::NonModal);
    hostController(this, controller, disableResize);
}

void KyPanelWindow::reject() {
    // Not QDialog::reject, which only hides: a panel is made anew each time.
    close();
}

void KyPanelWindow::closeEvent(QCloseEvent* event) {
    // Not QDialog's closeEvent, which routes through reject() and back here.
    event->accept();
}

namespace KyWindows {

void sheet(KyViewController* controller, QWidget* over, bool disableResize) {
    auto* sheetWindow =
        new KySheetWindow(controller, over ? over->window() : nullptr, disableResize);
    sheetWindow->open();
}

void panel(KyViewController* controller, QWidget* owner, bool disableResize) {
    auto* panelWindow = new KyPanelWindow(controller, owner ? owner->window() : nullptr, disableResize);
    placeNewWindow(panelWindow);
    panelWindow->show();
}

} // namespace KyWindows

int titleWidth(const QWidget* dialog) {
    QString title = dialog->windowTitle();
    const QString app = QGuiApplication::applicationDisplayName();
    if (!app.isEmpty() && !title.endsWith(app)) title += QStringLiteral(" \u2014 ") + app;
    // Title bars use a bold face, usually a little larger than the dialog's.
    QFont bold = dialog->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.1);
    const int unit = dialog->fontMetrics().height();
    return QFontMetrics(bold).horizontalAdvance(title) + 6 * unit;
}

void sizeToTitle(QWidget* dialog) {
    // A layout that fixes the window's size to its own (QInputDialog's, made
    // when its size is first asked) would overrule the width; the default
    // constraint keeps a minimum set here.
    dialog->sizeHint();
    if (QLayout* layout = dialog->layout()) layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), titleWidth(dialog)));
}

} // namespace kyui
