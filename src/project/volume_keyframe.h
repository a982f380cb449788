#pragma once
// One point of a clip's volume envelope: seconds on the clip and gain in dB.
#include <vector>

namespace quelvo {

struct VolumeKeyframe {
    double time = 0;
    double dbValue = 0;
    bool operator==(const VolumeKeyframe&) const = default;
};

using VolumeKeyframeList = std::vector<VolumeKeyframe>;

} // namespace quelvo
