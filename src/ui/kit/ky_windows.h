#pragma once
// Sheets and panels that host view controllers.
#include <QDialog>
#include <QString>

namespace kyui {

class KyViewController;

// A window-modal sheet around one controller. Sheets have no cancel: the
// controller closes the sheet itself (KyViewController::close) when its work
// is done. Escape and the window's close button close it the same way only
// when the controller says so (closesOnEscape); otherwise they do nothing.
class KySheetWindow : public QDialog {
    Q_OBJECT
public:
    KySheetWindow(KyViewController* controller, QWidget* parentWindow, bool disableResize);
    KyViewController* controller() const { return m_controller; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    KyViewController* m_controller;
};

// A free-standing window around one controller that belongs to a main
// window (it stays above it and goes with it): the preferences window, the
// About panel. Escape and the window's close button close it; it is deleted
// when closed.
class KyPanelWindow : public QDialog {
    Q_OBJECT
public:
    KyPanelWindow(KyViewController* controller, QWidget* ownerWindow, bool disableResize);
    KyViewController* controller() const { return m_controller; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    KyViewController* m_controller;
};

namespace KyWindows {

// Shows `controller`, its inputs already given, as a window-modal sheet on
// the window of `over` (or on no window when over is null). The sheet owns
// the controller and deletes itself when closed.
void sheet(KyViewController* controller, QWidget* over, bool disableResize);

// Shows `controller` in a panel window that belongs to the window of `owner`
// (or stands alone when owner is null). The panel owns the controller.
void panel(KyViewController* controller, QWidget* owner, bool disableResize);

} // namespace KyWindows

// Widens `dialog` so that the window manager's title bar shows its whole
// title (with the " — Quelvo" the platform adds, and room for the bar's
// buttons), as the alerts do. Call after setting the title.
void sizeToTitle(QWidget* dialog);
// The width sizeToTitle gives at least.
int titleWidth(const QWidget* dialog);

} // namespace kyui
