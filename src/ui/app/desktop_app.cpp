#include "ui/app/app_delegate.h"

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

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {
    initResources();
}

AppDelegate::~AppDelegate() = default;

QStringList AppDelegate::creditList() {
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

void AppDelegate::applicationWillFinishLaunching() {
    // The main window's role button needs the chooser before the window is made.
    MainWindow::setRoleChooser(&MusicRoleDialog::showOver);
}

MainWindow* AppDelegate::launch() {
    applicationWillFinishLaunching();
    auto* window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_mainWindow = window;
    installMenus(window);
    connect(window, &MainWindow::closed, this, &AppDelegate::mainWindowClosed);
    window->installEventFilter(this);
    placeNewWindow(window);
    window->show();
    applicationDidFinishLaunching();
    return window;
}

void AppDelegate::installMenus(MainWindow* window) {
    // On macOS the roles move About, Preferences… and Quit into the
    // application menu, where Cmd+, and Cmd+Q already belong; Qt::CTRL is Cmd there.
    QMenuBar* bar = window->menuBar();
    QMenu* app = bar->addMenu(tr("&Quelvo"));
    actAbout = app->addAction(tr("&About Quelvo"), this, &AppDelegate::mnuAboutSelected);
    actAbout->setMenuRole(QAction::AboutRole);
    app->addSeparator();
    actPreferences =
        app->addAction(tr("&Preferences…"), this, &AppDelegate::mnuPreferencesSelected);
    actPreferences->setMenuRole(QAction::PreferencesRole);
    actPreferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    app->addSeparator();
    actQuit = app->addAction(tr("&Quit Quelvo"), this, &AppDelegate::mnuQuitSelected);
    actQuit->setMenuRole(QAction::QuitRole);
    actQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* file = bar->addMenu(tr("&File"));
    actNewTitles =
        file->addAction(tr("New &Titles Project…"), this, &AppDelegate::mnuNewTitlesSelected);
    actNewTitles->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    QMenu* help = bar->addMenu(tr("&Help"));
    actHelp = help->addAction(tr("Quelvo &Help"), this, &AppDelegate::mnuHelpSelected);
    actHelp->setShortcut(QKeySequence::HelpContents);
    actNews = help->addAction(tr("&What's New in Quelvo"), this, &AppDelegate::mnuNewsSelected);
    for (QAction* a : {actAbout, actPreferences, actQuit, actHelp, actNews, actNewTitles})
        a->setShortcutContext(Qt::ApplicationShortcut);
}

TitlesWindow* AppDelegate::mnuNewTitlesSelected() {
    auto* window = new TitlesWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_titles.append(window);
    placeNewWindow(window);
    window->show();
    return window;
}

QList<TitlesWindow*> AppDelegate::titlesWindows() const {
    QList<TitlesWindow*> open;
    for (const QPointer<TitlesWindow>& w : m_titles)
        if (w) open.append(w);
    return open;
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: while the main window is being destroyed it
    // still sends events (children leaving) but is no MainWindow any more, and
    // comparing it with the QPointer would cast it to one.
    if (event->type() != QEvent::Close || watched != m_mainWindow || m_quitAgreed ||
        TitlesWindow::exportsRunning() == 0)
        return QObject::eventFilter(watched, event);
    // Quitting would cut a titles project off half-written: ask first.
    event->ignore();
    QPointer<AppDelegate> self(this);
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

void AppDelegate::mainWindowClosed() {
    // The titles windows belong to the program, which ends with its main window.
    for (TitlesWindow* w : titlesWindows())
        w->close();
    if (applicationShouldTerminateAfterLastWindowClosed()) terminate();
}

void AppDelegate::terminate() {
    emit terminating();
    applicationWillTerminate();
    QCoreApplication::quit();
}

void AppDelegate::mnuQuitSelected() {
    if (applicationShouldTerminate() != TerminateReply::terminateNow) return;
    // Through the main window, so quitting and closing it are one path.
    if (m_mainWindow) {
        m_mainWindow->close();
    } else {
        terminate();
    }
}

void AppDelegate::mnuAboutSelected() {
    AboutDialog::showOnce(QString::fromLatin1(kAppName), QString::fromLatin1(kAboutImageName),
                          creditList(), m_mainWindow);
}

AboutDialog* AppDelegate::aboutPanel() const {
    return AboutDialog::current();
}
MainWindow* AppDelegate::mainWindow() const {
    return m_mainWindow;
}
PreferencesWindow* AppDelegate::preferences() const {
    return m_preferences;
}
TextWindow* AppDelegate::helpWindow() const {
    return m_help;
}

void AppDelegate::mnuPreferencesSelected() {
    if (m_preferences) {
        m_preferences->raise();
        m_preferences->activateWindow();
        return;
    }
    m_preferences = new PreferencesWindow(m_mainWindow);
    m_preferences->showPlaced();
}

void AppDelegate::mnuHelpSelected() {
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

void AppDelegate::mnuNewsSelected() {
    if (m_mainWindow) m_mainWindow->showNews();
}

} // namespace quelvo::ui
