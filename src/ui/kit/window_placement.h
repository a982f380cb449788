#pragma once
// Where a new top-level window opens: whole inside the available area of
// the screen (the desktop less its panels), below and right of the window
// opened before it, back at the area's corner when the cascade would run
// off the screen. Left to the window manager, a tall window opened while
// another is on screen landed half below the screen's edge, its result line
// out of reach.
class QWidget;

namespace quelvo::ui {

// Sizes and moves `window` before it is first shown: its size hint (or the
// size it was given), no larger than the area, then the place described
// above. Call it right before show().
void placeNewWindow(QWidget* window);

} // namespace quelvo::ui
