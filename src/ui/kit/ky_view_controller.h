#pragma once
// Base of every view controller: a widget that builds its controls in its
// constructor and gets the lifecycle calls of a window's content.
//
//   viewDidLoad      once, when the view is first shown (or loadViewIfNeeded)
//   viewWillAppear   each time the window is about to show; calls willAppear()
//   viewDidAppear    each time, right after the window is on screen
//   viewWillDisappear  each time the window hides; calls willDisppear()
//
// The windows built on it use Qt's own showEvent and hideEvent and set
// themselves up in their constructors; the lifecycle calls remain only for
// the titles window, until it becomes a plain widget too.
#include <QWidget>

namespace kyui {

class KyViewController : public QWidget {
    Q_OBJECT
public:
    explicit KyViewController(QWidget* parent = nullptr);

    // Overridable hooks of the toolkit (the second name is spelled so there).
    virtual void willAppear() {}
    virtual void willDisppear() {}
    // Closes the window that holds this view, if there is one.
    void close();

    // Whether Escape and the window's close button close the sheet or panel
    // that shows this view (as the controller's own close() would). Sheets that stand for work under way
    // or a question someone waits on keep the default: Escape does nothing.
    virtual bool closesOnEscape() const { return false; }

    bool isViewLoaded() const { return m_loaded; }
    void loadViewIfNeeded();

signals:
    // After viewDidAppear; lets a presenter or a test follow the lifecycle.
    void didAppear();

protected:
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() { willAppear(); }
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() { willDisppear(); }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool m_loaded = false;
};

} // namespace kyui
