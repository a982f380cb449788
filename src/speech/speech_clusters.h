#pragma once
// The job's analysis steps, shared by the ducking job and `quelvo-cli analyze`:
// where the dialogue speaks (with short gaps closed) and where the music sounds.
#include <limits>
#include <string>

#include "base/result.h"
#include "media/audio_file.h"
#include "media/parallelism.h"
#include "speech/speech_settings.h"

namespace quelvo {

struct SpeechFeatures;

// Below this level the music counts as silent (filler placement).
inline constexpr double kMusicThreshold = -60.0;

// The levels a detection used, so that an editor can see why it decided as
// it did. The fixed threshold mode fills only the threshold.
struct DetectionFigures {
    DetectionMode mode = DetectionMode::threshold;
    double noiseFloor = std::numeric_limits<double>::quiet_NaN();  // dBFS
    double speechLevel = std::numeric_limits<double>::quiet_NaN(); // dBFS
    double threshold = std::numeric_limits<double>::quiet_NaN();   // dBFS: where speech opens
};

struct SpeechAnalysis {
    Status status = Status::failure("not analysed");
    ClusterList clusters;
    double duration = 0; // seconds, as decoded
    int sampleRate = 0;
    DetectionFigures detection;
    // What the decoding passed over and how long the packets say the audio
    // lasts (DecodeSummary).
    AudioDamage damage;
    double packetSeconds = 0;
    double frameSeconds = 0;
};

// The dialogue analysis's settings: decay 0.5, minDuration 0.5, fades 0.1,
// hysteresis 5, no noise estimate, no pre-roll.
LevelParameters dialogueLevelParameters(double threshold);
// The music analysis's settings: as the dialogue's but decay 0.
LevelParameters musicLevelParameters(double threshold = kMusicThreshold);

// Joins speech intervals closer than fadeBefore + fadeAfter (the music would
// not have time to come back between them); every other edge stays where it
// was. Widens by the fades and narrows back, as the ducking envelope sees it.
ClusterList closeGaps(const ClusterList& clusters, const SpeechSettings& speech);

// The dialogue's speech as the job sees it before gap closing: at
// speech.threshold in threshold mode, else found by the automatic detector
// (one decoding run either way), shaped with the dialogue settings' fades.
SpeechAnalysis analyzeDialogue(const std::string& dialoguePath, const SpeechSettings& speech,
                               const Parallelism& parallelism = {});

// The automatic detection's speech from a recording's measured features,
// shaped as analyzeDialogue gives it (before gap closing); `figures`, when
// given, receives the levels it used. The job and the preview both call it,
// so they cannot disagree about the same features.
ClusterList automaticSpeech(const SpeechFeatures& features, double duration,
                            DetectionFigures* figures = nullptr);

// analyzeDialogue, then gaps closed with the settings' fades.
SpeechAnalysis findSpeechClusters(const std::string& dialoguePath, const SpeechSettings& speech,
                                  const Parallelism& parallelism = {});
// Where the music is audible at all.
SpeechAnalysis findMusicClusters(const std::string& musicPath, double threshold = kMusicThreshold,
                                 const Parallelism& parallelism = {});

} // namespace quelvo
