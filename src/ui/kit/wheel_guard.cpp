#include "ui/kit/wheel_guard.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace quelvo::ui {

namespace {

class WheelGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* control = static_cast<QWidget*>(watched);
        if (control->hasFocus()) return false;
        // To the scroll area that holds the control, which scrolls. (Qt hands
        // an ignored wheel event on to the parents only when it came from the
        // system, not when it was sent.)
        for (QWidget* w = control->parentWidget(); w; w = w->parentWidget())
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
                return QCoreApplication::sendEvent(area->viewport(), event), true;
        event->ignore();
        return true;
    }
};

} // namespace

void guardWheel(QWidget* root) {
    auto* guard = new WheelGuard(root);
    const auto protect = [guard](QWidget* control) {
        // A wheel over an unfocused control must not give it the focus either.
        control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(guard);
    };
    for (QAbstractSpinBox* box : root->findChildren<QAbstractSpinBox*>())
        protect(box);
    for (QComboBox* box : root->findChildren<QComboBox*>())
        protect(box);
}

} // namespace quelvo::ui
