#include "titles/video_facts.h"

#include <cmath>

namespace quelvo::titles {

std::optional<double> mediaStart(const std::string& path) {
    return quelvo::MediaTiming::getStart(path);
}

std::optional<double> mediaFrameRate(const std::string& path) {
    return quelvo::MediaTiming::getFrameRate(path);
}

VideoFacts readVideoFacts(const std::string& path) {
    VideoFacts facts;
    facts.duration = quelvo::VideoTiming::getVideoDuration(path);
    facts.startTime = quelvo::VideoTiming::getVideoStartTime(path, true);
    facts.frameRate = quelvo::VideoTiming::getFrameRate(path);
    if (const auto size = quelvo::intSize(path); size && size->width > 0 && size->height > 0) {
        facts.width = size->width;
        facts.height = size->height;
    }
    return facts;
}

bool hasMovingPicture(const quelvo::MediaInfo& facts) {
    if (!facts.hasVideo || !facts.frameRate || !facts.duration) return false;
    return *facts.duration * *facts.frameRate >= 2.0 - 1e-6;
}

bool usableFrameRate(std::optional<double> rate) {
    return rate && std::isfinite(*rate) && *rate > 0;
}

} // namespace quelvo::titles
