#pragma once
// Where the filler clips go: one in every silent stretch between two
// stretches of music, starting where the music stops, as long as the silence
// or the filler's media, whichever is shorter (a clip longer than its media is
// an edit Final Cut Pro refuses). Times are whole steps of a grid (tenths of
// a second, or a video timeline's frames), cut toward zero after
// floating-point noise is snapped away (19.1 s - 17.6 s is 1.5 s, not
// 1.4999999 s). Both project versions, the rendered mix, the plot
// and the preview place them with this one function, so they cannot drift.
#include <cstdint>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "project/frame_grid.h"

namespace quelvo {

struct FillerPlacement {
    int64_t offsetSteps = 0;
    int64_t durationSteps = 0;
    FrameGrid grid = kTenthsGrid;
    double offsetSeconds() const { return grid.seconds(offsetSteps); }
    double durationSeconds() const { return grid.seconds(durationSteps); }
    bool operator==(const FillerPlacement&) const = default;
};

// `fillerSeconds` <= 0: the filler's length is unknown, a clip fills its gap.
std::vector<FillerPlacement> placeFillers(const ClusterList& musicClusters, double fillerSeconds,
                                          FrameGrid grid = kTenthsGrid);

// A count of tenths as the projects write a time: 'N/10s'.
std::string tenthsAttribute(int64_t tenths);

} // namespace quelvo
