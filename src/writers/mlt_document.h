#pragma once
// The MLT document itself (see mlt_writer.h for what it holds).
#include <string>

#include "project/project_description.h"

namespace quelvo {

std::string writeMltDocument(const ProjectDescription& project);

} // namespace quelvo
