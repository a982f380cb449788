#pragma once
// An editor's existing project is never replaced silently. When a project
// file is already there, the front ends either refuse (the command line,
// unless told --force) or ask (the desktop program: Replace, Keep Both or
// Cancel). Keep Both writes beside it under the first free numbered name.
#include <string>

namespace quelvo {

// Whether something (a file, a folder, a dangling link) already sits at path.
bool somethingAt(const std::string& path);

// "dir/name 2.fcpxml", then "dir/name 3.fcpxml", ...: the first such name at
// which nothing sits.
std::string keepBothPath(const std::string& path);

} // namespace quelvo
