#include "ui/kit/window_growth.h"

#include <algorithm>

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace quelvo::ui {

namespace {

class WindowGrowth : public QObject {
  public:
    explicit WindowGrowth(QWidget* part)
        : QObject(part), m_part(part), m_shown(!part->isHidden()) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Sent only when the part itself is shown or hidden (not when its
        // window opens or closes), also when it already was: only a change counts.
        QWidget* window = m_part->window();
        if (event->type() == QEvent::ShowToParent && !m_shown) {
            m_shown = true;
            // Qt has already stretched a window below the new minimum to it:
            // then the height it had folded is the one to grow from.
            int base = window->height();
            if (m_folded > 0 && base <= std::max(m_folded, window->minimumHeight()))
                base = m_folded;
            // The height it gave back, at least what it needs now.
            const int need = m_part->minimumSizeHint().height() + spacing();
            resizeWindowTo(base + (m_given > 0 ? std::max(m_given, need) : room()));
        } else if (event->type() == QEvent::HideToParent && m_shown) {
            m_shown = false;
            if (!window->isVisible()) return false;
            m_given = m_part->height() + spacing();
            resizeWindowTo(window->height() - m_given);
            m_folded = window->height();
        }
        return false;
    }

  private:
    int spacing() const {
        const QWidget* parent = m_part->parentWidget();
        return parent && parent->layout() ? std::max(0, parent->layout()->spacing()) : 0;
    }
    int room() const { return m_part->sizeHint().height() + spacing(); }

    void resizeWindowTo(int height) {
        QWidget* window = m_part->window();
        if (!window->isVisible() || window->isMaximized() || window->isFullScreen()) return;
        // The layouts learn the new minimum first, from the part outwards,
        // or the window could not shrink below the old one.
        for (QWidget* w = m_part->parentWidget(); w; w = w->parentWidget()) {
            if (w->layout()) w->layout()->activate();
            if (w->isWindow()) break;
        }
        const bool grows = height > window->height();
        if (const QScreen* screen = window->screen()) {
            const QRect area = screen->availableGeometry();
            const int frame = window->frameGeometry().height() - window->height();
            height = std::min(height, area.height() - frame);
            // Grown past the bottom edge: up, as far as the top.
            const int overhang =
                window->frameGeometry().top() + frame + height - (area.bottom() + 1);
            if (grows && overhang > 0)
                window->move(window->x(), std::max(area.top(), window->y() - overhang));
        }
        window->resize(window->width(), height);
    }

    QWidget* m_part;
    bool m_shown;
    int m_given = 0;  // the height given back at the last hide, taken again at the show
    int m_folded = 0; // the window's height after that hide
};

} // namespace

void growWindowWith(QWidget* part) {
    part->installEventFilter(new WindowGrowth(part));
}

} // namespace quelvo::ui
