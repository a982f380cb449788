#pragma once
#include <string>

#include "base/result.h"
#include "project/project_description.h"

namespace quelvo::cli {

// Writes the SVG preview of a finished duck job's project to `path`.
quelvo::Status writeDuckPlot(const std::string& path, const ProjectDescription& project);

} // namespace quelvo::cli
