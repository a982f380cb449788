#pragma once
// Showing a file in the platform's file manager and opening it in the
// program that takes it: Final Cut Pro on macOS for an .fcpxml file (it
// imports a project when it opens one), the system's handler for any other
// file and everywhere else. Both start another
// program and return at once; a file manager that cannot select files gets
// the file's folder instead.
//
// $QUELVO_FILE_OPENER names a program to use instead of all of these (for
// tests, and for people whose desktop needs something else). It is started
// with two arguments: "reveal" or "open", then the file's path.
#include <QString>

namespace quelvo::ui::fileOpener {

inline constexpr const char* kOpenerVariable = "QUELVO_FILE_OPENER";

// Whether the program could be started (not whether it found the file).
bool showInFolder(const QString& file);
bool openFile(const QString& file);

} // namespace quelvo::ui::fileOpener
