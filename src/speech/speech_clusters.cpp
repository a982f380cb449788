#include "speech/speech_clusters.h"

#include "media/decoded_facts.h"
#include "media/speech_features.h"
#include "speech/automatic_detector.h"

namespace quelvo {

namespace {


SpeechAnalysis analyzeAutomatically(const std::string& dialoguePath, const kyaudio::Parallelism& parallelism) {
    SpeechAnalysis analysis;
    analysis.detection.mode = DetectionMode::automatic;
    const kyaudio::FeatureAnalysis features = kyaudio::readSpeechFeatures(dialoguePath, parallelism);
    analysis.status = features.decoded.status;
    if (!analysis.status) return analysis;
    kyaudio::takeDecodedFacts(analysis, features.decoded);
    analysis.clusters = automaticSpeech(features.features, analysis.duration, &analysis.detection);
    return analysis;
}

SpeechAnalysis fromLevels(kyaudio::LevelAnalysis levels) {
    SpeechAnalysis analysis;
    analysis.status = levels.status;
    analysis.clusters = std::move(levels.clusters);
    kyaudio::takeDecodedFacts(analysis, levels);
    return analysis;
}

} // namespace

kyaudio::LevelParameters dialogueLevelParameters(double threshold) {
    kyaudio::LevelParameters parameters;
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

kyaudio::LevelParameters musicLevelParameters(double threshold) {
    kyaudio::LevelParameters parameters = dialogueLevelParameters(threshold);
    parameters.decay = 0.0;
    return parameters;
}

kyaudio::ClusterList closeGaps(const kyaudio::ClusterList& clusters, const SpeechSettings& speech) {
    const kyaudio::ClusterList widened =
        kyaudio::expandclusterList(clusters, speech.fadeBefore, speech.fadeAfter, 0.0);
    return kyaudio::expandclusterList(widened, -speech.fadeBefore, -speech.fadeAfter, 0.0);
}

SpeechAnalysis analyzeDialogue(const std::string& dialoguePath, const SpeechSettings& speech,
                               const kyaudio::Parallelism& parallelism) {
    if (speech.detection == DetectionMode::automatic) return analyzeAutomatically(dialoguePath, parallelism);
    SpeechAnalysis analysis =
        fromLevels(kyaudio::analyzeLevels(dialoguePath, dialogueLevelParameters(speech.threshold), parallelism));
    analysis.detection.threshold = speech.threshold;
    return analysis;
}

kyaudio::ClusterList automaticSpeech(const kyaudio::SpeechFeatures& features, double duration,
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
                                  const kyaudio::Parallelism& parallelism) {
    SpeechAnalysis analysis = analyzeDialogue(dialoguePath, speech, parallelism);
    if (analysis.status) analysis.clusters = closeGaps(analysis.clusters, speech);
    return analysis;
}

SpeechAnalysis findMusicClusters(const std::string& musicPath, double threshold,
                                 const kyaudio::Parallelism& parallelism) {
    return fromLevels(kyaudio::analyzeLevels(musicPath, musicLevelParameters(threshold), parallelism));
}

} // namespace quelvo
