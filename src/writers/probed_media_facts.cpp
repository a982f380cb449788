// The program's facts: every question goes to the files through FFmpeg.
#include "writers/media_facts.h"

#include "media/media_info.h"

namespace quelvo {

namespace {

class ProbedMediaFacts : public MediaFacts {
  public:
    AudioFileInfo audioFile(const std::string& path) const override {
        return quelvo::probeAudioFile(path);
    }
    std::optional<double> mediaDuration(const std::string& path) const override {
        return MediaTiming::getDuration(path);
    }
    ClusterList musicClusters(const std::string& musicPath) const override {
        return analyzeMusicForFiller(musicPath);
    }
};

} // namespace

const MediaFacts& probedMediaFacts() {
    static const ProbedMediaFacts facts;
    return facts;
}

ClusterList analyzeMusicForFiller(const std::string& musicPath) {
    return quelvo::getClusterListByWavePath(musicPath, /*threshold=*/-60.0, /*decay=*/0.0,
                                            /*minDuration=*/0.5, /*fadeInDuration=*/0.1,
                                            /*fadeOutDuration=*/0.1, /*noisyEnironment=*/false,
                                            /*environmentNoiseLevel=*/1.0, /*hysteresis=*/5.0,
                                            /*preRoll=*/0.0);
}

} // namespace quelvo
