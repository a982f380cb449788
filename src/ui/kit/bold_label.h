#pragma once
// A label in the bold weight of its widget's font: the heading of a group of
// controls in every window.
#include <QLabel>

namespace quelvo::ui {

QLabel* boldLabel(const QString& text, QWidget* parent);

} // namespace quelvo::ui
