#pragma once
// The width a window's title bar needs.
#include <QWidget>

namespace quelvo::ui {

// Widens `dialog` so that the window manager's title bar shows its whole
// title (with the " — Quelvo" the platform adds, and room for the bar's
// buttons), as the alerts do. Call after setting the title.
void sizeToTitle(QWidget* dialog);
// The width sizeToTitle gives at least.
int titleWidth(const QWidget* dialog);

} // namespace quelvo::ui
