#pragma once
// The desktop application: starts the program into its main window, gives
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

class DesktopApp : public QObject {
    Q_OBJECT
  public:
    explicit DesktopApp(QObject* parent = nullptr);
    ~DesktopApp() override;

    // The application name, the About picture and the credit lines, in order.
    static constexpr const char* kAppName = "Quelvo";
    static constexpr const char* kAboutImageName = "About";
    static QStringList creditList();

    // Makes the main window with its menus (and what it needs first, the role
    // chooser) and shows it. The application does not own the window: it is
    // deleted when the application quits or by whoever holds it.
    MainWindow* launch();
    MainWindow* mainWindow() const;
    QList<TitlesWindow*> titlesWindows() const;

    // What the menu actions opened (nullptr once closed).
    AboutDialog* aboutPanel() const;
    PreferencesWindow* preferences() const;
    TextWindow* helpWindow() const;

    // The menus' actions, once the main window has its menus.
    QAction* aboutAction() const { return m_aboutAction; }
    QAction* preferencesAction() const { return m_preferencesAction; }
    QAction* quitAction() const { return m_quitAction; }
    QAction* helpAction() const { return m_helpAction; }
    QAction* newsAction() const { return m_newsAction; }
    QAction* newTitlesAction() const { return m_newTitlesAction; }

  public slots:
    // What the menus do.
    void showAbout();
    void showPreferences();
    void quit();
    void showHelp();
    void showNews();
    // File > New Titles Project…: a titles window of its own each time.
    TitlesWindow* newTitlesWindow();

  signals:
    // Right before the program quits.
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
    QAction* m_aboutAction = nullptr;
    QAction* m_preferencesAction = nullptr;
    QAction* m_quitAction = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_newsAction = nullptr;
    QAction* m_newTitlesAction = nullptr;
};

} // namespace quelvo::ui
