// The application delegate: the program starts into the main window with
// its menus, quits when that window closes, opens the preferences window
// from "Preferences…", and shows the About panel with its credit lines.
extern "C" {
#include <libavcodec/avcodec.h>
}
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "base/services.h"
#include "support/ui_test_support.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/about_dialog.h"
#include "ui/kit/release_notes.h"
#include "ui/kit/text_window.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preferences_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::DesktopApp;
using quelvo::ui::MainWindow;

class DesktopAppTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        delegate = std::make_unique<DesktopApp>();
    }
    void TearDown() override {
        // The delegate goes first, so that closing the windows quits nothing.
        delegate.reset();
        MainWindow::setRoleChooser(nullptr);
        QApplication::setQuitOnLastWindowClosed(m_quitOnLastWindowClosed);
        UiTest::TearDown();
    }

    // Starts as the program starts, and waits until the window is up.
    MainWindow* launch() {
        // As in the program: only the delegate decides when to quit.
        QApplication::setQuitOnLastWindowClosed(false);
        MainWindow* w = delegate->launch();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        EXPECT_TRUE(waitUntil([w] { return w->fileWatch().isActive(); }))
            << "the window never appeared";
        return w;
    }

    // Runs the application's event loop as the program does, until it is
    // asked to quit (then true) or `act` did not lead there (false). The
    // guard only keeps a broken build from hanging the suite.
    static bool runUntilQuit(const std::function<void()>& act) {
        QTimer::singleShot(0, qApp, act);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
        guard.start(60000);
        return QCoreApplication::exec() == 0;
    }

    static QAction* actionNamed(QMenuBar* bar, const QString& text) {
        for (QAction* menu : bar->actions())
            if (menu->menu())
                for (QAction* a : menu->menu()->actions())
                    if (a->text().remove('&') == text) return a;
        return nullptr;
    }

    std::unique_ptr<DesktopApp> delegate;

  private:
    bool m_quitOnLastWindowClosed = QApplication::quitOnLastWindowClosed();
};

TEST_F(DesktopAppTest, StartsIntoTheMainWindowWithItsRoleChooserAndMenus) {
    MainWindow* w = launch();
    ASSERT_NE(nullptr, w);
    EXPECT_EQ("Quelvo", w->windowTitle().toStdString());
    EXPECT_TRUE(w->roleButton()->isEnabled())
        << "the chooser is installed before the window is made";

    QMenuBar* bar = w->menuBar();
    QAction* about = actionNamed(bar, "About Quelvo");
    QAction* prefs = actionNamed(bar, "Preferences…");
    QAction* quit = actionNamed(bar, "Quit Quelvo");
    QAction* help = actionNamed(bar, "Quelvo Help");
    QAction* news = actionNamed(bar, "What's New in Quelvo");
    ASSERT_TRUE(about && prefs && quit && help && news);
    EXPECT_EQ(QAction::AboutRole, about->menuRole());
    EXPECT_EQ(QAction::PreferencesRole, prefs->menuRole());
    EXPECT_EQ(QAction::QuitRole, quit->menuRole());
    // Ctrl+, (Cmd+, on macOS, where Qt's Ctrl is the Command key).
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_Comma), prefs->shortcut());
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_Q), quit->shortcut());
}

TEST_F(DesktopAppTest, ClosingTheMainWindowQuits) {
    MainWindow* w = launch();
    QSignalSpy terminating(delegate.get(), &DesktopApp::terminating);
    QPointer<MainWindow> main = w;
    EXPECT_TRUE(runUntilQuit([main] { main->close(); }));
    EXPECT_EQ(1, terminating.count());
    processEvents();
    EXPECT_TRUE(main.isNull()) << "the main window is gone";
}

TEST_F(DesktopAppTest, ClosingTheMainWindowQuitsAlsoWithThePreferencesAndAboutOpen) {
    MainWindow* w = launch();
    delegate->showPreferences();
    delegate->showAbout();
    ASSERT_NE(nullptr, delegate->preferences());
    ASSERT_NE(nullptr, delegate->aboutPanel());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate->preferences()->window()));
    QPointer<MainWindow> main = w;
    EXPECT_TRUE(runUntilQuit([main] { main->close(); })) << "there is no window-less state";
}

TEST_F(DesktopAppTest, TheQuitItemQuits) {
    launch();
    QSignalSpy terminating(delegate.get(), &DesktopApp::terminating);
    DesktopApp* d = delegate.get();
    EXPECT_TRUE(runUntilQuit([d] { d->quitAction()->trigger(); }));
    EXPECT_EQ(1, terminating.count());
}

TEST_F(DesktopAppTest, PreferencesOpenOnceFromTheMenuAndFromCtrlComma) {
    MainWindow* w = launch();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([this] { return delegate->preferences() != nullptr; }, 5000))
        << "Ctrl+, did not open the preferences";
    quelvo::ui::PreferencesWindow* prefs = delegate->preferences();
    ASSERT_NE(nullptr, prefs);
    QWidget* panel = prefs;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_EQ(w, panel->parentWidget()) << "it belongs to the main window";
    EXPECT_EQ(Qt::NonModal, panel->windowModality()) << "the main window stays usable";
    EXPECT_EQ("Preferences", panel->windowTitle().toStdString());

    // Asking again brings the same window forward instead of a second one.
    delegate->preferencesAction()->trigger();
    EXPECT_EQ(prefs, delegate->preferences());
    int open = 0;
    for (QWidget* tl : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<quelvo::ui::PreferencesWindow*>(tl); p && p->isVisible()) ++open;
    EXPECT_EQ(1, open);

    // Once closed, the menu makes a new one.
    child<QPushButton>(prefs, "ok")->click();
    processEvents();
    EXPECT_EQ(nullptr, delegate->preferences());
    delegate->preferencesAction()->trigger();
    EXPECT_NE(nullptr, delegate->preferences());
}

TEST_F(DesktopAppTest, TheCreditsNameTheTeamAndTheLibrariesOfThisBuildInOrder) {
    const QStringList credits = DesktopApp::creditList();
    ASSERT_EQ(5, credits.size());
    EXPECT_EQ("The Quelvo team [project leader]", credits[0].toStdString());
    EXPECT_TRUE(credits[1].contains("Qt") && credits[1].contains("LGPLv3"))
        << credits[1].toStdString();
    EXPECT_TRUE(credits[2].contains("JSON for Modern C++") && credits[2].contains("MIT License"))
        << credits[2].toStdString();
    EXPECT_TRUE(credits[2].contains("CLI11") && credits[2].contains("BSD 3-Clause License"));
    EXPECT_TRUE(credits[3].contains("libebur128") && credits[3].contains("uchardet"))
        << credits[3].toStdString();
    // The licence is the one the linked FFmpeg states: Debian's build has GPL parts.
    const char* stated = avcodec_license();
    EXPECT_EQ(std::string("This product uses code of FFmpeg licensed under the ") + stated,
              credits[4].toStdString());
    EXPECT_TRUE(std::string(stated).find("GPL") != std::string::npos) << stated;
    for (const QString& line : credits) {
        EXPECT_FALSE(line.contains("sox", Qt::CaseInsensitive))
            << "this build does not use that library";
        EXPECT_FALSE(line.trimmed().isEmpty());
    }
}

TEST_F(DesktopAppTest, AboutShowsTheNameThePictureAndTheCreditLines) {
    MainWindow* w = launch();
    delegate->aboutAction()->trigger();
    quelvo::ui::AboutDialog* panel = delegate->aboutPanel();
    ASSERT_NE(nullptr, panel);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_EQ("Quelvo", panel->appName().toStdString());
    EXPECT_EQ("About", panel->imageName().toStdString());
    EXPECT_EQ(DesktopApp::creditList(), panel->textList());
    EXPECT_EQ("Quelvo", child<QLabel>(panel, "appName")->text().toStdString());
    EXPECT_EQ("About Quelvo", panel->windowTitle().toStdString());
    EXPECT_EQ(w, panel->parentWidget());

    // The picture is there, drawn at twice its shown size.
    auto* picture = child<QLabel>(panel, "picture");
    ASSERT_NE(nullptr, picture);
    ASSERT_FALSE(picture->pixmap().isNull()) << "the picture \"About\" is missing";
    EXPECT_TRUE(picture->isVisibleTo(panel));
    EXPECT_EQ(2.0, picture->pixmap().devicePixelRatio());
    EXPECT_EQ(QSize(128, 128), picture->size());

    // The version of this build, and one label per credit line in order.
    const std::string version = quelvo::BuildVersion::versionString();
    EXPECT_EQ("Version " + version.substr(0, version.find('.', version.find('.') + 1)) +
                  " (build " +
                  std::to_string(static_cast<int>(quelvo::BuildVersion::buildNumber())) + ")",
              child<QLabel>(panel, "version")->text().toStdString());
    const int lines = static_cast<int>(DesktopApp::creditList().size());
    const QList<QLabel*> credits = panel->findChildren<QLabel*>("credit");
    ASSERT_EQ(lines, credits.size());
    for (int i = 0; i < lines; ++i) {
        EXPECT_EQ(DesktopApp::creditList()[i], credits[i]->text());
        EXPECT_TRUE(credits[i]->isVisibleTo(panel));
    }
    for (int i = 1; i < lines; ++i)
        EXPECT_LT(credits[i - 1]->y(), credits[i]->y()) << "shown in order";

    // One panel at a time; Escape closes it.
    delegate->showAbout();
    EXPECT_EQ(panel, delegate->aboutPanel());
    QPointer<QWidget> open = panel;
    QTest::keyClick(panel, Qt::Key_Escape);
    processEvents();
    EXPECT_TRUE(open.isNull());
    EXPECT_EQ(nullptr, delegate->aboutPanel());
}

TEST_F(DesktopAppTest, HelpShowsTheUsersGuideWithTheCommandLineInASectionOfItsOwn) {
    launch();
    delegate->helpAction()->trigger();
    quelvo::ui::TextWindow* help = delegate->helpWindow();
    ASSERT_NE(nullptr, help);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    auto* text = child<QTextBrowser>(help, "text");
    ASSERT_NE(nullptr, text);
    const std::string shown = text->toPlainText().toStdString();
    for (const char* heading :
         {"Making a project", "The main window", "Preferences", "What the project holds",
          "Importing into Final Cut Pro", "When nothing ducks", "The command line"})
        EXPECT_NE(std::string::npos, shown.find(heading)) << heading;
    // The command line comes last, after everything a desktop user needs.
    EXPECT_LT(shown.find("When nothing ducks"), shown.find("quelvo-cli"));
    EXPECT_EQ(std::string::npos, shown.find("build/bin")) << "nothing for developers";
    EXPECT_EQ(std::string::npos, shown.find("Set up on a fresh machine"));
    EXPECT_EQ(QKeySequence(QKeySequence::HelpContents), delegate->helpAction()->shortcut());
    QPointer<QWidget> open = help;
    QTest::keyClick(help, Qt::Key_Escape);
    processEvents();
    EXPECT_TRUE(open.isNull());
}

TEST_F(DesktopAppTest, WhatsNewShowsTheReleaseNotesThatShipWithTheProgram) {
    MainWindow* w = launch();
    delegate->newsAction()->trigger();
    ASSERT_NE(nullptr, w->news());
    QDialog* dialog = w->news()->dialog();
    ASSERT_NE(nullptr, dialog);
    auto* text = dialog->findChild<QTextBrowser*>();
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(text->toPlainText().contains("What's new in Quelvo"));
}

TEST(MarkdownSectionsTest, KeepsTheNamedLevelTwoSectionsInTheTextsOrder) {
    const QString text = "# Title\nintro\n## A\na1\n### A.1\na2\n## B\nb\n## C\nc\n\n";
    EXPECT_EQ("## A\na1\n### A.1\na2\n## C\nc",
              quelvo::ui::markdownSections(text, {"C", "A"}).toStdString());
    EXPECT_EQ("", quelvo::ui::markdownSections(text, {"Z"}).toStdString());
    EXPECT_EQ("", quelvo::ui::markdownSections("", {"A"}).toStdString());
}

} // namespace
} // namespace quelvo::test
