#pragma once
// The project as Final Cut Pro 7 XML (xmeml version 5), the interchange
// format Premiere Pro and DaVinci Resolve import: one sequence counted in
// whole frames of the timeline, the dialogue on its own audio track(s), the
// music on the next with its envelope as the "Audio Levels" filter (linear
// gain), the filler clips on the next with their fades. A stereo file is two
// linked clip items, one per channel, as Final Cut Pro 7 wrote stereo pairs.
#include <string>

#include "project/project_description.h"

namespace quelvo {

std::string writeXmeml(const ProjectDescription& project);

// The linear gain the "Audio Levels" filter holds for a level in dB: 1 is
// 0 dB, and -96 dB (the projects' silence) and below are 0.
double audioLevelsGain(double db);

} // namespace quelvo
