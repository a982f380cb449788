#include "ui/windows/color_button.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace quelvo::ui {

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent) {
    const int unit = fontMetrics().height();
    setMinimumWidth(3 * unit);
    setToolTip(tr("Choose a colour"));
    connect(this, &QPushButton::clicked, this, [this] {
        // The platform's own picker; the window-modal form keeps other
        // titles windows usable while it is open.
        auto* dialog = new QColorDialog(m_color, window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::WindowModal);
        connect(dialog, &QColorDialog::colorSelected, this, &ColorButton::pick);
        dialog->open();
    });
}

void ColorButton::setColor(const QColor& color) {
    m_color = color;
    setAccessibleDescription(color.name());
    update();
}

void ColorButton::pick(const QColor& color) {
    if (!color.isValid() || color == m_color) return;
    setColor(color);
    if (onPick) onPick(color);
}

void ColorButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter p(this);
    const int inset = fontMetrics().height() / 3;
    const QRect swatch = rect().adjusted(inset * 2, inset + 1, -inset * 2, -inset - 1);
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    QColor fill = m_color;
    if (!isEnabled()) fill.setAlpha(80);
    p.setBrush(fill);
    p.drawRect(swatch);
}

} // namespace quelvo::ui
