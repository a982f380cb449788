#pragma once
// Where the filler clips go: one in every silent stretch between two
// stretches of music, starting where the music stops, as long as the silence
// or the filler's media, whichever is shorter (a clip longer than its media is
// an edit Final Cut Pro refuses). Times are whole tenths of a second, cut
// toward zero after floating-point noise is snapped away (19.1 s - 17.6 s is
// 1.5 s, not 1.4999999 s). Both project versions, the rendered mix, the plot
// and the preview place them with this one function, so they cannot drift.
#include <cstdint>
#include <string>
#include <vector>

#include "base/cluster.h"

namespace quelvo {

struct FillerPlacement {
    int64_t offsetTenths = 0;
    int64_t durationTenths = 0;
    double offsetSeconds() const { return static_cast<double>(offsetTenths) / 10.0; }
    double durationSeconds() const { return static_cast<double>(durationTenths) / 10.0; }
    bool operator==(const FillerPlacement&) const = default;
};

// `fillerSeconds` <= 0: the filler's length is unknown, a clip fills its gap.
std::vector<FillerPlacement> placeFillers(const kyaudio::ClusterList& musicClusters,
                                          double fillerSeconds);

// A count of tenths as the projects write a time: 'N/10s'.
std::string tenthsAttribute(int64_t tenths);

} // namespace quelvo
