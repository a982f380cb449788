#pragma once
// A part of a window that comes and goes (a folded panel, a result shown
// after a job) changes the window's height, not its neighbours': the window
// grows by the part's height when the part is shown and gives that height
// back when it is hidden, inside the screen's available area. Without it,
// the layout took the room from the other parts (the preview shrank when a
// result appeared) or left it empty (a folded preview's band).
class QWidget;

namespace quelvo::ui {

// Watches `part` from now on; a maximised or full-screen window keeps its size.
void growWindowWith(QWidget* part);

} // namespace quelvo::ui
