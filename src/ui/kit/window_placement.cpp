#include "ui/kit/window_placement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace quelvo::ui {

namespace {

// The window placed last, which the next one cascades from while it is open.
QPointer<QWidget>& lastPlaced() {
    static QPointer<QWidget> last;
    return last;
}

// The frame the window manager will add: the last window's real one when it
// has been shown, else a title bar of about two lines of text.
QMargins frameGuess(const QWidget* window, const QWidget* shown) {
    if (shown && shown->isVisible()) {
        const QRect outer = shown->frameGeometry(), inner = shown->geometry();
        const QMargins real(inner.left() - outer.left(), inner.top() - outer.top(),
                            outer.right() - inner.right(), outer.bottom() - inner.bottom());
        if (real.top() > 0) return real;
    }
    const int unit = window->fontMetrics().height();
    return {unit / 4, 2 * unit, unit / 4, unit / 4};
}

} // namespace

void placeNewWindow(QWidget* window) {
    QWidget* previous = lastPlaced();
    const bool cascade = previous && previous != window && previous->isVisible();
    QScreen* screen = cascade ? previous->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameGuess(window, cascade ? previous : nullptr);

    QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    size = size.boundedTo(QSize(area.width() - frame.left() - frame.right(),
                                area.height() - frame.top() - frame.bottom()));
    size = size.expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize());
    const QSize outer = size.grownBy(frame);

    // Top-level positions are the frame's top-left corner.
    QPoint at;
    if (cascade) {
        // A title bar's height down and right, at least a line and a half of
        // text (a frame without a title bar would step a pixel or two).
        const int step = std::max(frame.top(), window->fontMetrics().height() * 3 / 2);
        at = previous->pos() + QPoint(step, step);
        if (at.x() + outer.width() > area.right() + 1) at.setX(area.left());
        if (at.y() + outer.height() > area.bottom() + 1) at.setY(area.top());
    } else {
        at = area.topLeft() +
             QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2);
    }
    // A window larger than the area (its minimum size) keeps its top-left
    // corner, with the title bar, on the screen.
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
    window->resize(size);
    window->move(at);
    lastPlaced() = window;
}

} // namespace quelvo::ui
