#pragma once
// The Final Cut Pro writers: pure functions from a project description to the
// document's text. They read no settings, print nothing and write no file;
// the job decides where the text goes.
#include <string>

#include "project/project_description.h"

namespace quelvo {

// FCPXML 1.9, for Final Cut Pro 10.6 and later.
std::string writeFcpxml19(const ProjectDescription& project);
// FCPXML 1.6, for older versions.
std::string writeFcpxml16(const ProjectDescription& project);

} // namespace quelvo
