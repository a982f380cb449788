#pragma once
// The files compiled into the program (animation frames, release notes,
// the About picture, the README for Help). A static library
// drops resource objects nobody names, so every user of them calls this
// first; calling it again does nothing.
namespace quelvo::ui {
void initResources();
}
