#pragma once
// The project as MLT XML, the engine under Shotcut and Kdenlive (MLT 7.12,
// Debian 12's): a profile at the timeline's rate, one producer per file, one
// playlist per track (dialogue, music, fillers with blanks between them), the
// music's entry under a `volume` filter whose `level` holds the envelope in
// dB, each filler under its fade, and a tractor that sums the tracks with
// audio `mix` transitions as Shotcut plants them. `melt` plays it as written.
#include <string>

#include "base/result.h"
#include "project/project_description.h"

namespace quelvo {

// For Shotcut (and `melt`).
std::string writeMlt(const ProjectDescription& project);

// The level keyframes an MLT `volume` filter gets for an envelope on a clip of
// `frames` frames: in time order (a stable sort, as the mix reads the
// envelope), on whole frames, one per frame (the later wins, as in the
// envelope), none before the clip's start (the level there is taken from
// the envelope instead). "HH:MM:SS.mmm=dB;..."; the steady `level` when
// there are no keyframes.
std::string mltLevel(const VolumeKeyframeList& keyframes, double steadyDb,
                     const TimelineFormat& timeline);

} // namespace quelvo
