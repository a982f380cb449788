#include "preview/speech_decision.h"

#include "signal/level_detector.h"
#include "speech/speech_clusters.h"

namespace quelvo::preview {

quelvo::ClusterList clustersFromLevels(const LevelTrack& track,
                                       const quelvo::LevelParameters& parameters) {
    // The job measures the noise floor only in a noisy environment, which it
    // never asks for; the preview follows it.
    quelvo::LevelDetector detector(parameters.threshold, parameters.hysteresis, parameters.decay);
    for (float peak : track.peaks())
        detector.addFrame(quelvo::peakToDb(peak));
    return quelvo::shapeClusters(detector.finish(track.duration()), parameters, track.duration());
}

quelvo::ClusterList thresholdSpeech(const LevelTrack& dialogue, const EnvelopeTiming& rolls) {
    return closeGaps(clustersFromLevels(dialogue, dialogueLevelParameters(rolls.threshold)), rolls);
}

quelvo::ClusterList detectedSpeech(const LevelTrack& dialogue, const EnvelopeTiming& rolls) {
    const quelvo::SpeechFeatures* features = dialogue.speechFeatures();
    if (rolls.detection != DetectionMode::automatic || !features)
        return thresholdSpeech(dialogue, rolls);
    return closeGaps(automaticSpeech(*features, dialogue.duration()), rolls);
}

quelvo::ClusterList speechBeforeGapClosing(const LevelTrack& dialogue,
                                           const EnvelopeTiming& rolls) {
    const quelvo::SpeechFeatures* features = dialogue.speechFeatures();
    if (rolls.detection != DetectionMode::automatic || !features)
        return clustersFromLevels(dialogue, dialogueLevelParameters(rolls.threshold));
    return automaticSpeech(*features, dialogue.duration());
}

quelvo::ClusterList musicClustersFromLevels(const LevelTrack& music) {
    return clustersFromLevels(music, musicLevelParameters());
}

} // namespace quelvo::preview
