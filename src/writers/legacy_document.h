#pragma once
// The legacy FCPXML 1.6 ducking document, for Final Cut Pro before 10.6: fixed
// text pieces with the dialogue on the spine, the music on lane -1 carrying the
// volume keyframes and, with a filler, filler clips on lane -2 in the silent
// stretches of the music. Further dialogue recordings are connected beneath
// the first (lanes -1, -2, ...), and the music and fillers move down by as
// many lanes. Built from the project description alone.
#include <string>
#include <vector>

#include "project/project_description.h"

namespace quelvo {

// The filler clips on `lane`, joined without separators.
std::string legacyFillerClips(const std::vector<FillerPlacementClip>& clips, int lane = -2);

// The whole document. Without a filler the filler asset is still written,
// with an empty source, as older versions of this document always had it.
std::string legacyDocument(const ProjectDescription& project);

} // namespace quelvo
