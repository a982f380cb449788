#include "preview/speech_decision.h"

#include "signal/level_detector.h"
#include "speech/speech_clusters.h"

namespace quelvo::preview {

kyaudio::ClusterList clustersFromLevels(const LevelTrack& track, const kyaudio::LevelParameters& parameters) {
    // The job measures the noise floor only in a noisy environment, which it
    // never asks for; the preview follows it.
    kyaudio::LevelDetector detector(parameters.threshold, parameters.hysteresis, parameters.decay);
    for (float peak : track.peaks()) detector.addFrame(kyaudio::peakToDb(peak));
    return kyaudio::shapeClusters(detector.finish(track.duration()), parameters, track.duration());
}

kyaudio::ClusterList thresholdSpeech(const LevelTrack& dialogue, const EnvelopeTiming& rolls) {
    return closeGaps(clustersFromLevels(dialogue, dialogueLevelParameters(rolls.threshold)), rolls);
}

kyaudio::ClusterList detectedSpeech(const LevelTrack& dialogue, const EnvelopeTiming& rolls) {
    const kyaudio::SpeechFeatures* features = dialogue.speechFeatures();
    if (rolls.detection != DetectionMode::automatic || !features) return thresholdSpeech(dialogue, rolls);
    return closeGaps(automaticSpeech(*features, dialogue.duration()), rolls);
}

kyaudio::ClusterList speechBeforeGapClosing(const LevelTrack& dialogue, const EnvelopeTiming& rolls) {
    const kyaudio::SpeechFeatures* features = dialogue.speechFeatures();
    if (rolls.detection != DetectionMode::automatic || !features)
        return clustersFromLevels(dialogue, dialogueLevelParameters(rolls.threshold));
    return automaticSpeech(*features, dialogue.duration());
}

kyaudio::ClusterList musicClustersFromLevels(const LevelTrack& music) {
    return clustersFromLevels(music, musicLevelParameters());
}

} // namespace quelvo::preview
