#include "ui/app/desktop_app.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "media/build_facts.h"
#include "ui/kit/about_dialog.h"
#include "ui/kit/alert.h"
#include "ui/kit/resources.h"
#include "ui/kit/text_window.h"
#include "ui/kit/window_placement.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/music_role_dialog.h"
#include "ui/windows/preferences_window.h"
#include "ui/windows/titles_window.h"

namespace quelvo::ui {

namespace {
const char* const kGuide = ":/help/user_guide.md";
} // namespace

DesktopApp::DesktopApp(QObject* parent) : QObject(parent) {
    initResources();
}

DesktopApp::~DesktopApp() = default;

QStringList DesktopApp::creditList() {
    // Who made the program, then the libraries this build is made of, with
    // their years, authors and licences as their own notices give them
    // (CLI11 is in quelvo-cli). FFmpeg's line comes last, with the licence the
    // linked library reports: distributions build it with or without GPL parts.
    return {
        QStringLiteral("The Quelvo team [project leader]"),
        QStringLiteral(
            "This product uses code of the Qt 6 toolkit, © 2016–2022 The Qt Company Ltd. "
            "and other contributors, licensed under the LGPLv3"),
        QStringLiteral(
            "Thanks to Niels Lohmann and the contributors of JSON for Modern C++ "
            "(© 2013–2022, MIT License), and to Henry Schreiner and the contributors of CLI11 "
            "(© 2017–2020 University of Cincinnati, BSD 3-Clause License)"),
        QStringLiteral(
            "Loudness measured with libebur128 (© 2011 Jan Kokemüller, MIT License); subtitle "
            "encodings detected with uchardet (© 2011 BYVoid and contributors, MPL 1.1, "
            "GPL 2 or LGPL 2.1)"),
        QStringLiteral("This product uses code of FFmpeg licensed under the %1")
            .arg(QString::fromStdString(BuildFacts::ffmpegLicense())),
    };
}

MainWindow* DesktopApp::launch() {
    // The main window's role button needs the chooser before the window is made.
    MainWindow::setRoleChooser(&MusicRoleDialog::showOver);
    auto* window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_mainWindow = window;
    installMenus(window);
    connect(window, &MainWindow::closed, this, &DesktopApp::mainWindowClosed);
    window->installEventFilter(this);
    placeNewWindow(window);
    window->show();
    return window;
}

void DesktopApp::installMenus(MainWindow* window) {
    // On macOS the roles move About, Preferences… and Quit into the
    // application menu, where Cmd+, and Cmd+Q already belong; Qt::CTRL is Cmd there.
    QMenuBar* bar = window->menuBar();
    QMenu* app = bar->addMenu(tr("&Quelvo"));
    m_aboutAction = app->addAction(tr("&About Quelvo"), this, &DesktopApp::showAbout);
    m_aboutAction->setMenuRole(QAction::AboutRole);
    app->addSeparator();
    m_preferencesAction = app->addAction(tr("&Preferences…"), this, &DesktopApp::showPreferences);
    m_preferencesAction->setMenuRole(QAction::PreferencesRole);
    m_preferencesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    app->addSeparator();
    m_quitAction = app->addAction(tr("&Quit Quelvo"), this, &DesktopApp::quit);
    m_quitAction->setMenuRole(QAction::QuitRole);
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* file = bar->addMenu(tr("&File"));
    m_newTitlesAction =
        file->addAction(tr("New &Titles Project…"), this, &DesktopApp::newTitlesWindow);
    m_newTitlesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    QMenu* help = bar->addMenu(tr("&Help"));
    m_helpAction = help->addAction(tr("Quelvo &Help"), this, &DesktopApp::showHelp);
    m_helpAction->setShortcut(QKeySequence::HelpContents);
    m_newsAction = help->addAction(tr("&What's New in Quelvo"), this, &DesktopApp::showNews);
    for (QAction* a : {m_aboutAction, m_preferencesAction, m_quitAction, m_helpAction, m_newsAction,
                       m_newTitlesAction})
        a->setShortcutContext(Qt::ApplicationShortcut);
}

TitlesWindow* DesktopApp::newTitlesWindow() {
    auto* window = new TitlesWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_titles.append(window);
    placeNewWindow(window);
    window->show();
    return window;
}

QList<TitlesWindow*> DesktopApp::titlesWindows() const {
    QList<TitlesWindow*> open;
    for (const QPointer<TitlesWindow>& w : m_titles)
        if (w) open.append(w);
    return open;
}

bool DesktopApp::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: while the main window is being destroyed it
    // still sends events (children leaving) but is no MainWindow any more, and
    // comparing it with the QPointer would cast it to one.
    if (event->type() != QEvent::Close || watched != m_mainWindow || m_quitAgreed ||
        TitlesWindow::exportsRunning() == 0)
        return QObject::eventFilter(watched, event);
    // Quitting would cut a titles project off half-written: ask first.
    event->ignore();
    QPointer<DesktopApp> self(this);
    Alert::twoButtons(
        "Warning", "A titles project is still being written.\nQuit anyway?", "Cancel", nullptr,
        "Quit",
        [self] {
            if (!self || !self->m_mainWindow) return;
            self->m_quitAgreed = true;
            self->m_mainWindow->close();
        },
        m_mainWindow);
    return true;
}

void DesktopApp::mainWindowClosed() {
    // The titles windows belong to the program, which ends with its main window.
    for (TitlesWindow* w : titlesWindows())
        w->close();
    terminate();
}

void DesktopApp::terminate() {
    emit terminating();
    QCoreApplication::quit();
}

void DesktopApp::quit() {
    // Through the main window, so quitting and closing it are one path.
    if (m_mainWindow) {
        m_mainWindow->close();
    } else {
        terminate();
    }
}

void DesktopApp::showAbout() {
    AboutDialog::showOnce(QString::fromLatin1(kAppName), QString::fromLatin1(kAboutImageName),
                          creditList(), m_mainWindow);
}

AboutDialog* DesktopApp::aboutPanel() const {
    return AboutDialog::current();
}
MainWindow* DesktopApp::mainWindow() const {
    return m_mainWindow;
}
PreferencesWindow* DesktopApp::preferences() const {
    return m_preferences;
}
TextWindow* DesktopApp::helpWindow() const {
    return m_help;
}

void DesktopApp::showPreferences() {
    if (m_preferences) {
        m_preferences->raise();
        m_preferences->activateWindow();
        return;
    }
    m_preferences = new PreferencesWindow(m_mainWindow);
    m_preferences->showPlaced();
}

void DesktopApp::showHelp() {
    if (m_help) {
        m_help->raise();
        m_help->activateWindow();
        return;
    }
    // The user's guide, not the README: the README is for people who build
    // the program.
    QFile guide(QString::fromLatin1(kGuide));
    const QString text =
        guide.open(QIODevice::ReadOnly) ? QString::fromUtf8(guide.readAll()) : QString();
    m_help = showTextWindow(tr("Quelvo Help"), text, m_mainWindow);
}

void DesktopApp::showNews() {
    if (m_mainWindow) m_mainWindow->showNews();
}

} // namespace quelvo::ui
