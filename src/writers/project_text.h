#pragma once
// One dispatch from a project description to the text of the chosen format,
// so the job (and anyone else) never chooses a writer by hand.
#include <string>

#include "base/result.h"
#include "project/project_description.h"
#include "project/project_format.h"

namespace quelvo {

struct ProjectText {
    Status status = Status::success(); // a format this build cannot write
    std::string text;
};

ProjectText projectText(const ProjectDescription& project, ProjectFormat format);

} // namespace quelvo
