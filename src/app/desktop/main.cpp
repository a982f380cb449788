// quelvo: the desktop program. Starts into the main window; closing it quits.
#include <QApplication>
#include <QPointer>

#include "ui/app/app_delegate.h"
#include "ui/kit/ky_windows.h"
#include "ui/kit/resources.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quelvo"));
    QApplication::setOrganizationName(QStringLiteral("Quelvo"));
    QApplication::setDesktopFileName(QStringLiteral("quelvo"));
    // The delegate quits when the main window closes, also while a panel
    // (preferences, About) is still open.
    QApplication::setQuitOnLastWindowClosed(false);
    kyui::initResources();

    kyui::AppDelegate delegate;
    QPointer<kyui::KyWindow> window = delegate.launch();
    const int status = app.exec();
    delete window.data();
    return status;
}
