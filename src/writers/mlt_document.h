#pragma once
// The MLT document both MLT writers share; Kdenlive's asks for its own
// additions on top of what Shotcut reads.
#include <string>

#include "project/project_description.h"

namespace quelvo {

enum class MltFlavour { shotcut, kdenlive };

std::string writeMltDocument(const ProjectDescription& project, MltFlavour flavour);

} // namespace quelvo
