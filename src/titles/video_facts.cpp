#include "titles/video_facts.h"

namespace quelvo::titles {

std::optional<double> mediaStart(const std::string& path) { return kymediainfo::MIH::getStart(path); }

std::optional<double> mediaFrameRate(const std::string& path) { return kymediainfo::MIH::getFrameRate(path); }

VideoFacts readVideoFacts(const std::string& path) {
    VideoFacts facts;
    facts.duration = kymediainfo::MU::getVideoDuration(path);
    facts.startTime = kymediainfo::MU::getVideoStartTime(path, true);
    facts.frameRate = kymediainfo::MU::getFrameRate(path);
    if (const auto size = kymediainfo::intSize(path); size && size->width > 0 && size->height > 0) {
        facts.width = size->width;
        facts.height = size->height;
    }
    return facts;
}

bool hasMovingPicture(const kymediainfo::MediaFacts& facts) {
    if (!facts.hasVideo || !facts.frameRate || !facts.duration) return false;
    return *facts.duration * *facts.frameRate >= 2.0 - 1e-6;
}

} // namespace quelvo::titles
