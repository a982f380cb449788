// quelvo: the desktop program. Starts into the main window, with the files
// given on the command line placed on it; closing it quits.
#include <iostream>

#include <QApplication>
#include <QPointer>

#include "app/desktop/command_line.h"
#include "media/allocator_tuning.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/resources.h"
#include "ui/windows/main_window.h"

int main(int argc, char** argv) {
    quelvo::tuneAllocatorForDecoding();
    // Before the application object: --help and --version work without a display.
    if (const auto status = quelvo::desktop::answerInformationOptions(argc, argv)) return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quelvo"));
    QApplication::setOrganizationName(QStringLiteral("Quelvo"));
    // The installed desktop entry's name, so the desktop shows its icon and name.
    QApplication::setDesktopFileName(QStringLiteral("com.kyverne.Quelvo"));
    // The application quits when the main window closes, also while a panel
    // (preferences, About) is still open.
    QApplication::setQuitOnLastWindowClosed(false);
    quelvo::ui::initResources();

    // What is left once Qt has taken its own options (-platform, -style, ...).
    const quelvo::desktop::CommandLine line = quelvo::desktop::parseCommandLine(argc, argv);
    for (const std::string& arg : line.ignored)
        std::cerr << "quelvo: ignored " << arg << std::endl;

    quelvo::ui::DesktopApp desktopApp;
    QPointer<quelvo::ui::MainWindow> window = desktopApp.launch();
    for (const std::string& path : window->placeFiles(line.files))
        std::cerr << "quelvo: not placed, not an audio file Quelvo reads: " << path << std::endl;
    const int status = app.exec();
    delete window.data();
    return status;
}
