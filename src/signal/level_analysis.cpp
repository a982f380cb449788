// The level analysis behind getClusterListByWavePath: decode, measure 10 ms
// peaks, detect, shape.
#include "media/audio_file.h"
#include "media/audio_reader.h"
#include "media/decoded_facts.h"
#include "media/parallel_reader.h"
#include "signal/level_detector.h"

namespace quelvo {

namespace {

constexpr double kNoiseFloorPercentile = 0.10;

// The clusters of a file's 10 ms peaks, handed over one at a time by
// `read` (once, or twice when the noise floor is measured first).
template <typename Read> LevelAnalysis detect(const LevelParameters& parameters, Read read) {
    LevelAnalysis analysis;
    double threshold = parameters.threshold;
    if (parameters.noisyEnironment) {
        // The floor is known only at the end of the file; a first pass over
        // it keeps memory flat where holding every level would not.
        NoiseFloorEstimator floor;
        const DecodeSummary first = read([&floor](float peak) { floor.addFrame(peakToDb(peak)); });
        if (!first.status) {
            analysis.status = first.status;
            return analysis;
        }
        threshold = effectiveThreshold(threshold, floor.percentile(kNoiseFloorPercentile),
                                       parameters.environmentNoiseLevel);
    }
    LevelDetector detector(threshold, parameters.hysteresis, parameters.decay);
    const DecodeSummary decoded =
        read([&detector](float peak) { detector.addFrame(peakToDb(peak)); });
    if (!decoded.status) {
        analysis.status = decoded.status;
        return analysis;
    }
    takeDecodedFacts(analysis, decoded);
    analysis.clusters =
        shapeClusters(detector.finish(decoded.duration), parameters, decoded.duration);
    analysis.status = Status::success();
    return analysis;
}

} // namespace

LevelAnalysis analyzeLevels(const std::string& path, const LevelParameters& parameters,
                            const Parallelism& parallelism) {
    if (parallelism.jobs <= 1 && !readInChunks(path))
        return detect(parameters, [&path, &parallelism](const FramePeakMeter::Sink& sink) {
            DecodeOptions options;
            options.stop = parallelism.stop;
            return readFramePeaks(path, sink, options);
        });
    // Decoded side by side, the levels are kept (an hour is 1.4 MB) and
    // read from memory as often as the detection asks.
    const FileLevels levels = readFileLevels(path, LevelContent::peaks, parallelism);
    return detect(parameters, [&levels](const FramePeakMeter::Sink& sink) {
        if (levels.decoded.status)
            for (const float peak : levels.peaks)
                sink(peak);
        return levels.decoded;
    });
}

Status checkAudioComplete(const std::string& path) {
    return countAudioPackets(path).status;
}

LevelAnalysis countAudioPackets(const std::string& path) {
    DecodeOptions options;
    options.packetsOnly = true;
    const DecodeSummary counted = readFramePeaks(
        path, [](float) {}, options);
    LevelAnalysis analysis;
    analysis.status = counted.status;
    takeDecodedFacts(analysis, counted);
    return analysis;
}

ClusterList getClusterListByWavePath(const std::string& path, double threshold, double decay,
                                     double minDuration, double fadeInDuration,
                                     double fadeOutDuration, bool noisyEnironment,
                                     double environmentNoiseLevel, double hysteresis,
                                     double preRoll) {
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

} // namespace quelvo
