#pragma once
// Spin boxes and combo boxes inside a scrolling panel take the wheel only
// when they have the keyboard focus. Without this, scrolling the panel with
// the pointer over its field column turns whatever field passes under the
// pointer, and a panel whose every change is stored at once rewrites the
// user's settings unseen. Unfocused, the wheel goes on to the panel and
// scrolls it; a click or Tab gives the control the focus (and the wheel).
class QWidget;

namespace quelvo::ui {

// Guards every spin box and combo box under `root`, present now. Call it
// once the controls are made.
void guardWheel(QWidget* root);

} // namespace quelvo::ui
