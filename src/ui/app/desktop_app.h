#pragma once
// The application delegate: starts the program into its main window, gives
// the window its menus (About, Preferences…, Quit, Help), quits when the main
// window closes, and shows the About panel with the credit lines. It keeps no
// settings: every setting is stored the moment it changes.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

namespace quelvo::ui {

class AboutDialog;
class MainWindow;
class PreferencesWindow;
class TextWindow;
class TitlesWindow;

class AppDelegate : public QObject {
    Q_OBJECT
  public:
    enum class TerminateReply { terminateCancel, terminateNow, terminateLater };

    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    // The application name, the About picture and the credit lines, in order.
    static constexpr const char* kAppName = "Quelvo";
    static constexpr const char* kAboutImageName = "About";
    static QStringList creditList();

    // Makes the main window with its menus (and what it needs first, the role
    // chooser) and shows it. The delegate does not own the window: it is
    // deleted when the application quits or by whoever holds it.
    MainWindow* launch();
    MainWindow* mainWindow() const;

    // Delegate operations.
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching() {}
    void applicationWillTerminate() {}
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    TerminateReply applicationShouldTerminate() const { return TerminateReply::terminateNow; }
    void saveAction() {}

    // Menu actions.
    void mnuAboutSelected();
    void mnuPreferencesSelected();
    void mnuQuitSelected();
    void mnuHelpSelected();
    void mnuNewsSelected();
    // File > New Titles Project…: a titles window of its own each time.
    TitlesWindow* mnuNewTitlesSelected();
    QList<TitlesWindow*> titlesWindows() const;

    // What the menu actions opened (nullptr once closed).
    AboutDialog* aboutPanel() const;
    PreferencesWindow* preferences() const;
    TextWindow* helpWindow() const;

    QAction* actAbout = nullptr;
    QAction* actPreferences = nullptr;
    QAction* actQuit = nullptr;
    QAction* actHelp = nullptr;
    QAction* actNews = nullptr;
    QAction* actNewTitles = nullptr;

  signals:
    // Right before the delegate asks the application to quit.
    void terminating();

  protected:
    // Holds back the main window's close while a titles export runs.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void installMenus(MainWindow* window);
    void mainWindowClosed();
    void terminate();

    QPointer<MainWindow> m_mainWindow;
    QPointer<PreferencesWindow> m_preferences;
    QPointer<TextWindow> m_help;
    QList<QPointer<TitlesWindow>> m_titles;
    bool m_quitAgreed = false;
};

} // namespace quelvo::ui
