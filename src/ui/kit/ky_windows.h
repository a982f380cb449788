#pragma once
// The main window's host, and the width a title bar needs.
#include <QDialog>
#include <QMainWindow>
#include <QString>

namespace kyui {

class KyViewController;

// A document-like top-level window around one controller; the application
// delegate adds its menus to it.
class KyWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit KyWindow(KyViewController* controller, QWidget* parent = nullptr);
    KyViewController* controller() const { return m_controller; }

signals:
    // The window has been closed (the close was not refused).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    KyViewController* m_controller;
};

// Widens `dialog` so that the window manager's title bar shows its whole
// title (with the " — Quelvo" the platform adds, and room for the bar's
// buttons), as the alerts do. Call after setting the title.
void sizeToTitle(QWidget* dialog);
// The width sizeToTitle gives at least.
int titleWidth(const QWidget* dialog);

} // namespace kyui
