// The level analysis behind getclusterListByWavePath: decode, measure 10 ms
// peaks, detect, shape.
#include "platform/audio/audio_file.h"
#include "platform/audio/audio_reader.h"
#include "platform/audio/level_detector.h"

namespace kyaudio {

namespace {

constexpr double kNoiseFloorPercentile = 0.10;

} // namespace

LevelAnalysis analyzeLevels(const std::string& path, const LevelParameters& parameters,
                            const Parallelism& parallelism) {
    (void)parallelism;
    LevelAnalysis analysis;
    double threshold = parameters.threshold;
    if (parameters.noisyEnironment) {
        // The floor is known only at the end of the file; a first pass over
        // it keeps memory flat where holding every level would not.
        NoiseFloorEstimator floor;
        const DecodeSummary first =
            readFramePeaks(path, [&floor](float peak) { floor.addFrame(peakToDb(peak)); });
        if (!first.status) {
            analysis.status = first.status;
            return analysis;
        }
        threshold = effectiveThreshold(threshold, floor.percentile(kNoiseFloorPercentile),
                                       parameters.environmentNoiseLevel);
    }
    LevelDetector detector(threshold, parameters.hysteresis, parameters.decay);
    const DecodeSummary decoded =
        readFramePeaks(path, [&detector](float peak) { detector.addFrame(peakToDb(peak)); });
    if (!decoded.status) {
        analysis.status = decoded.status;
        return analysis;
    }
    analysis.duration = decoded.duration;
    analysis.sampleRate = decoded.sampleRate;
    analysis.clusters = shapeClusters(detector.finish(decoded.duration), parameters, decoded.duration);
    analysis.status = kykit::Status::success();
    return analysis;
}

kykit::Status checkAudioComplete(const std::string& path) {
    DecodeOptions options;
    options.packetsOnly = true;
    return readFramePeaks(path, [](float) {}, options).status;
}

ClusterList getclusterListByWavePath(const std::string& path, double threshold, double decay,
                                     double minDuration, double fadeInDuration,
                                     double fadeOutDuration, bool noisyEnironment,
                                     double environmentNoiseLevel, double hysteresis,
                                     double preRoll, bool isForSync, Prog* prog,
                                     InternalProgression* internalProg) {
    LevelParameters parameters;
    parameters.threshold = threshold;
    parameters.decay = decay;
    parameters.minDuration = minDuration;
    parameters.fadeInDuration = fadeInDuration;
    parameters.fadeOutDuration = fadeOutDuration;
    parameters.noisyEnironment = noisyEnironment;
    parameters.environmentNoiseLevel = environmentNoiseLevel;
    parameters.hysteresis = hysteresis;
    parameters.preRoll = preRoll;
    return analyzeLevels(path, parameters).clusters;
}

} // namespace kyaudio
