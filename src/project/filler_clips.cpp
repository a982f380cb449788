#include "project/filler_clips.h"

#include <algorithm>

namespace quelvo {

std::vector<FillerPlacement> placeFillers(const ClusterList& musicClusters, double fillerSeconds,
                                          FrameGrid grid) {
    std::vector<FillerPlacement> clips;
    for (size_t i = 0; i + 1 < musicClusters.size(); ++i) {
        const double gapStart = musicClusters[i].end;
        double length = musicClusters[i + 1].start - gapStart;
        if (fillerSeconds > 0) length = std::min(length, fillerSeconds);
        clips.push_back({grid.stepsDown(gapStart), grid.stepsDown(length), grid});
    }
    return clips;
}

std::string tenthsAttribute(int64_t tenths) {
    return "'" + std::to_string(tenths) + "/10s'";
}

} // namespace quelvo
