#pragma once
// An interval of detected activity in an audio file, seconds from its start.
// Lists of clusters are kept in ascending order.
#include <vector>

namespace quelvo {

struct Cluster {
    double start = 0;
    double end = 0;
    bool operator==(const Cluster&) const = default;
};

using ClusterList = std::vector<Cluster>;

} // namespace quelvo
