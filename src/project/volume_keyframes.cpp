#include "project/volume_keyframes.h"

#include <algorithm>

#include "base/numbers.h"

namespace quelvo {

int duckLevel(bool decreaseToZero, int duckingDecrease) {
    return decreaseToZero ? kSilenceDb : duckingDecrease;
}

VolumeKeyframeList makeVolumeKeyframes(const ClusterList& clusters, const EnvelopeTiming& rolls,
                                       bool decreaseToZero, int duckingDecrease,
                                       int overallMusicLevel) {
    const double ducked = duckLevel(decreaseToZero, duckingDecrease);
    const double overall = overallMusicLevel;
    VolumeKeyframeList keyframes;
    keyframes.reserve(clusters.size() * 4);
    for (const auto& c : clusters) {
        keyframes.push_back({c.start - rolls.preFadeIn, overall});
        keyframes.push_back({c.start + rolls.postFadeIn, ducked});
        keyframes.push_back({c.end - rolls.preFadeOut, ducked});
        keyframes.push_back({c.end + rolls.postFadeOut, overall});
    }
    return keyframes;
}

VolumeKeyframeList makeVolumeKeyframes(const ClusterList& clusters, const EnvelopeTiming& rolls,
                                       const std::vector<int>& duckedLevels,
                                       int overallMusicLevel) {
    const double overall = overallMusicLevel;
    VolumeKeyframeList keyframes;
    keyframes.reserve(clusters.size() * 4);
    for (size_t i = 0; i < clusters.size(); ++i) {
        const auto& c = clusters[i];
        const double ducked =
            duckedLevels.empty() ? overall : duckedLevels[std::min(i, duckedLevels.size() - 1)];
        keyframes.push_back({c.start - rolls.preFadeIn, overall});
        keyframes.push_back({c.start + rolls.postFadeIn, ducked});
        keyframes.push_back({c.end - rolls.preFadeOut, ducked});
        keyframes.push_back({c.end + rolls.postFadeOut, overall});
    }
    return keyframes;
}

std::string legacyKeyframeLine(double time, int db) {
    return "<keyframe time='" + std::to_string(quelvo::truncateSnapped(time * 10.0)) +
           "/10s' value='" + std::to_string(db) + "dB'/>\n";
}

std::string formatTenths(double seconds) {
    return "'" + std::to_string(quelvo::truncateSnapped(seconds * 10.0)) + "/10s'";
}

std::string formatSequenceTime(double seconds) {
    return "'" + std::to_string(quelvo::truncateSnapped(seconds * 3000.0)) + "/3000s'";
}

} // namespace quelvo
