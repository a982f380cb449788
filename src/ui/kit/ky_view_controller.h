#pragma once
// Base of every view controller: a widget that builds its controls in its
// constructor and gets the lifecycle calls of a window's content.
//
//   viewDidLoad      once, when the view is first shown (or loadViewIfNeeded)
//   viewWillAppear   each time the window is about to show; calls willAppear()
//   viewDidAppear    each time, right after the window is on screen
//   viewWillDisappear  each time the window hides; calls willDisppear()
//
// Only the main window is still built on it; the sheets and panels are
// plain dialogs (sheet.h, panel.h).
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
