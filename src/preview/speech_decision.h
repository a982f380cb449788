#pragma once
// Where the preview finds speech and music from kept levels. The decision is
// a plain function of the kept data and the timings, so another detector can
// take the threshold detector's place without touching the model or drawing.
#include <functional>

#include "base/cluster.h"
#include "media/audio_file.h"
#include "preview/level_track.h"
#include "project/envelope_timing.h"

namespace quelvo::preview {

// Speech clusters of the dialogue for these timings and threshold, gaps closed.
using SpeechDecision =
    std::function<quelvo::ClusterList(const LevelTrack& dialogue, const EnvelopeTiming& rolls)>;

// The level detector with the job's parameters, run over kept levels: the
// same clusters analyzeLevels finds when it decodes the file.
quelvo::ClusterList clustersFromLevels(const LevelTrack& track,
                                       const quelvo::LevelParameters& parameters);

// The job's own decision: threshold detector, then gap closing.
quelvo::ClusterList thresholdSpeech(const LevelTrack& dialogue, const EnvelopeTiming& rolls);

// The job's decision for the mode rolls.detection names: in automatic mode
// the automatic detector over the kept speech features, shaped and with gaps
// closed as the job does; otherwise thresholdSpeech. A track kept without
// features has only its levels to go by and gets the threshold detector.
quelvo::ClusterList detectedSpeech(const LevelTrack& dialogue, const EnvelopeTiming& rolls);
// detectedSpeech before gap closing: one microphone's share of a union.
quelvo::ClusterList speechBeforeGapClosing(const LevelTrack& dialogue, const EnvelopeTiming& rolls);

// Where the music sounds at all (filler placement), as the job finds it.
quelvo::ClusterList musicClustersFromLevels(const LevelTrack& music);

} // namespace quelvo::preview
