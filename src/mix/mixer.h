#pragma once
// The ducked mix as an audio file: the dialogue, the music under the
// project's gain envelope and the filler clips at their places with the fade
// the project gives them, resampled to the dialogue's rate and channel layout
// and encoded. Streaming in blocks: memory stays the same whatever the length.
//
// The mix never clips and nothing is limited behind the user's back: the
// render measures the mix's true peak as it writes, and when the peak passed
// 0 dBTP the files are thrown away and the mix is rendered again, lowered as a
// whole by one fixed gain that the outcome reports. (Most mixes never come
// near it and take one pass.)
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "base/result.h"
#include "media/audio_writer.h"
#include "mix/envelope.h"
#include "project/project_description.h"
#include "signal/loudness.h"

namespace quelvo::mix {

// How long a filler clip fades out at its end, in seconds.
inline constexpr double kFillerFadeOut = kFillerFadeSeconds;

// One filler clip on the timeline: it plays the filler from its beginning at
// `offset` for `duration` seconds and fades out over its last 5 s.
struct FillerClip {
    double offset = 0;
    double duration = 0;
    bool operator==(const FillerClip&) const = default;
};

// The filler clips exactly as the ducking projects place them
// (placeFillers): one in every silent stretch between two stretches of
// music, whole tenths, never longer than the filler (`fillerSeconds` <= 0:
// unknown).
std::vector<FillerClip> fillerClipsFor(const quelvo::ClusterList& musicClusters,
                                       double fillerSeconds);

// A filler clip's own gain `intoClip` seconds after its start: 1, then the
// eased fade to 0 over its last kFillerFadeOut seconds.
double fillerFadeGain(const FillerClip& clip, double intoClip);

struct MixInputs {
    std::string dialoguePath, musicPath, fillerPath; // fillerPath "" when none
    // The other microphones recorded with the dialogue, summed with it.
    std::vector<std::string> moreDialogue;
    GainEnvelope envelope{{}, 0.0};
    std::vector<FillerClip> fillers;
};

struct RenderRequest {
    std::string outputPath;
    quelvo::AudioContainer container = quelvo::AudioContainer::wav;
    std::string stemPath; // "" for no music stem
    // Also measure the mix's loudness (integrated, range, true peak after
    // BS.1770): for the summaries; it costs about as much as the mix.
    bool measureLoudness = false;
    // Told the share done (0..1); returning false stops the render.
    std::function<bool(double)> progress;
};

struct RenderOutcome {
    quelvo::Status status = quelvo::Status::failure("not rendered");
    std::string outputPath, stemPath;
    std::string encoding;           // e.g. "WAV 16-bit"
    double mixGainDb = 0;           // 0, or how far the whole mix was lowered (negative)
    std::optional<double> peakDbtp; // the mix's true peak before that gain
    quelvo::LoudnessFigures mix;    // of the written mix, gain included (when measured)
    int sampleRate = 0, channels = 0;
    double seconds = 0;
    // What the music's decoding passed over as silence (a damaged file),
    // of musicSamples at its own rate.
    quelvo::AudioDamage musicDamage;
    int64_t musicSamples = 0;
};

RenderOutcome renderMix(const MixInputs& inputs, const RenderRequest& request);

// "Cannot read the music file X: why.": the sentence for an input the mix
// cannot read, `role` being "dialogue", "music" or "filler".
std::string cannotRead(const std::string& role, const std::string& path, const std::string& why);

} // namespace quelvo::mix
