#include "speech/speech_clusters.h"

#include "media/decoded_facts.h"
#include "media/speech_features.h"
#include "speech/automatic_detector.h"

namespace quelvo {

namespace {

SpeechAnalysis analyzeAutomatically(const std::string& dialoguePath,
                                    const Parallelism& parallelism) {
    SpeechAnalysis analysis;
    analysis.detection.mode = DetectionMode::automatic;
    const FeatureAnalysis features = quelvo::readSpeechFeatures(dialoguePath, parallelism);
    analysis.status = features.decoded.status;
    if (!analysis.status) return analysis;
    quelvo::takeDecodedFacts(analysis, features.decoded);
    analysis.clusters = automaticSpeech(features.features, analysis.duration, &analysis.detection);
    return analysis;
}

SpeechAnalysis fromLevels(LevelAnalysis levels) {
    SpeechAnalysis analysis;
    analysis.status = levels.status;
    analysis.clusters = std::move(levels.clusters);
    quelvo::takeDecodedFacts(analysis, levels);
    return analysis;
}

} // namespace

LevelParameters dialogueLevelParameters(double threshold) {
    LevelParameters parameters;
    parameters.threshold = threshold;
    parameters.decay = 0.5;
    parameters.minDuration = 0.5;
    parameters.fadeInDuration = 0.1;
    parameters.fadeOutDuration = 0.1;
    parameters.noisyEnironment = false;
    parameters.environmentNoiseLevel = 1.0;
    parameters.hysteresis = 5.0;
    parameters.preRoll = 0.0;
    return parameters;
}

LevelParameters musicLevelParameters(double threshold) {
    LevelParameters parameters = dialogueLevelParameters(threshold);
    parameters.decay = 0.0;
    return parameters;
}

ClusterList closeGaps(const ClusterList& clusters, const SpeechSettings& speech) {
    const ClusterList widened =
        quelvo::expandClusterList(clusters, speech.fadeBefore, speech.fadeAfter, 0.0);
    return quelvo::expandClusterList(widened, -speech.fadeBefore, -speech.fadeAfter, 0.0);
}

SpeechAnalysis analyzeDialogue(const std::string& dialoguePath, const SpeechSettings& speech,
                               const Parallelism& parallelism) {
    if (speech.detection == DetectionMode::automatic)
        return analyzeAutomatically(dialoguePath, parallelism);
    SpeechAnalysis analysis = fromLevels(quelvo::analyzeLevels(
        dialoguePath, dialogueLevelParameters(speech.threshold), parallelism));
    analysis.detection.threshold = speech.threshold;
    return analysis;
}

ClusterList automaticSpeech(const SpeechFeatures& features, double duration,
                            DetectionFigures* figures) {
    const AutomaticTuning tuning;
    const AutomaticDecision decision = decideSpeech(features, duration, tuning);
    if (figures) {
        figures->mode = DetectionMode::automatic;
        figures->noiseFloor = decision.noiseFloor;
        figures->speechLevel = decision.speechLevel;
        figures->threshold = decision.threshold;
    }
    return shapeAutomaticSegments(decision.segments, tuning, duration);
}

SpeechAnalysis findSpeechClusters(const std::string& dialoguePath, const SpeechSettings& speech,
                                  const Parallelism& parallelism) {
    SpeechAnalysis analysis = analyzeDialogue(dialoguePath, speech, parallelism);
    if (analysis.status) analysis.clusters = closeGaps(analysis.clusters, speech);
    return analysis;
}

SpeechAnalysis findMusicClusters(const std::string& musicPath, double threshold,
                                 const Parallelism& parallelism) {
    return fromLevels(
        quelvo::analyzeLevels(musicPath, musicLevelParameters(threshold), parallelism));
}

} // namespace quelvo
