#pragma once
// The names around a titles project that the command line and the desktop
// program must agree on, so that both write the very same document for the
// same subtitle file and settings.
#include <string>

namespace quelvo::titles {

// The comment at the head of the document: the program's version and the
// subtitle file's name.
std::string projectComment(const std::string& srtPath);
// The subtitle file's path with ".fcpxml" in place of its extension.
std::string defaultProjectPath(const std::string& srtPath);
// The event and project name: the subtitle file's name without extension.
std::string defaultEventName(const std::string& srtPath);

} // namespace quelvo::titles
