// quelvo: the desktop program. Shows the main window; closing it quits.
#include <QApplication>

#include "ui/kit/ky_windows.h"
#include "ui/kit/resources.h"
#include "ui/windows/quelvo_main_vc.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quelvo"));
    QApplication::setOrganizationName(QStringLiteral("Quelvo"));
    QApplication::setDesktopFileName(QStringLiteral("quelvo"));
    QApplication::setQuitOnLastWindowClosed(true);
    kyui::initResources();

    // The application delegate goes here: it installs the role chooser
    // (QuelvoMainVC::setRoleChooser) before the window is made, and adds the
    // menu bar (About, Preferences) to `window` before it shows.

    kyui::KyWindow window(new kyui::QuelvoMainVC);
    window.show();
    return app.exec();
}
