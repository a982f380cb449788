#include "ui/kit/window_title.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>

namespace quelvo::ui {

int titleWidth(const QWidget* dialog) {
    QString title = dialog->windowTitle();
    const QString app = QGuiApplication::applicationDisplayName();
    if (!app.isEmpty() && !title.endsWith(app)) title += QStringLiteral(" \u2014 ") + app;
    // Title bars use a bold face, usually a little larger than the dialog's.
    QFont bold = dialog->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.1);
    const int unit = dialog->fontMetrics().height();
    return QFontMetrics(bold).horizontalAdvance(title) + 6 * unit;
}

void sizeToTitle(QWidget* dialog) {
    // A layout that fixes the window's size to its own (QInputDialog's, made
    // when its size is first asked) would overrule the width; the default
    // constraint keeps a minimum set here.
    dialog->sizeHint();
    if (QLayout* layout = dialog->layout())
        layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), titleWidth(dialog)));
}

} // namespace quelvo::ui
