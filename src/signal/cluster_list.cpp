// Widening and narrowing cluster lists (the job's gap closing).
#include <algorithm>

#include "media/audio_file.h"
#include "signal/time_grid.h"

namespace quelvo {

ClusterList expandClusterList(const ClusterList& clusterList, double fadeInDuration,
                              double fadeOutDuration, double preRoll) {
    ClusterList moved;
    moved.reserve(clusterList.size());
    for (const Cluster& cluster : clusterList) {
        const Cluster shifted{onTimeGrid(cluster.start - fadeInDuration - preRoll),
                              onTimeGrid(cluster.end + fadeOutDuration)};
        if (shifted.end >= shifted.start) moved.push_back(shifted);
    }
    std::stable_sort(moved.begin(), moved.end(),
                     [](const Cluster& a, const Cluster& b) { return a.start < b.start; });
    ClusterList joined;
    joined.reserve(moved.size());
    for (const Cluster& cluster : moved) {
        if (!joined.empty() && cluster.start <= joined.back().end)
            joined.back().end = std::max(joined.back().end, cluster.end);
        else
            joined.push_back(cluster);
    }
    return joined;
}

} // namespace quelvo
