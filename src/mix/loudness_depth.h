#pragma once
// Depth by loudness: instead of one fixed cut, each speech interval gets the
// music gain that puts the music a chosen number of LU under the speech.
//
// The dialogue's loudness is its integrated loudness over its speech
// intervals; the music's is its mean short-term (3 s) loudness while the
// interval lasts, as it plays in the mix (resampled to the dialogue's rate and
// layout, under the gain envelope). The mean is taken over the meter's
// readings every 100 ms whose 3 s window ends inside the interval, averaged as
// energy. Because those windows also reach into the fades around a short
// interval, the gain is found in a few rounds: start from the unducked music,
// render the music's envelope, measure, correct.
#include <optional>
#include <string>
#include <vector>

#include "ducking/qv_roll.h"
#include "platform/audio/cluster.h"
#include "platform/audio/pcm_stream.h"
#include "platform/movie/volume_keyframe.h"
#include "platform/toolkit/result.h"

namespace quelvo::mix {

inline constexpr double kDeepestDuck = -60.0;
inline constexpr int kLoudnessRounds = 4;

struct LoudnessDepths {
    kykit::Status status = kykit::Status::failure("not measured");
    std::optional<double> dialogueLoudness;  // LUFS over the speech intervals
    std::optional<double> musicLoudness;     // LUFS, integrated, the whole file
    // Whole dB per speech interval; the fixed level where the music is
    // silent under an interval or the speech has no measurable loudness.
    std::vector<int> levels;
};

// The music gain for one interval: `under` LU below the dialogue, clamped to
// -60..0 dB, never above the overall level, whole dB.
int levelForDistance(double dialogueLufs, double musicLufsAtUnity, double under, int overallDb);

LoudnessDepths loudnessDepths(const std::string& dialoguePath, const std::string& musicPath,
                              const kyaudio::ClusterList& speech, const QVRoll& rolls, double under,
                              int fixedLevel, int overallDb);

// The mean short-term loudness (LUFS) per interval of a file played through
// `keyframes` at `format` (rate 0: its own); absent where it is silent.
struct IntervalLoudness {
    kykit::Status status = kykit::Status::failure("not measured");
    std::vector<std::optional<double>> perInterval;
    std::optional<double> integrated;  // of the whole file as played
};
IntervalLoudness shortTermPerInterval(const std::string& path, const kyaudio::PcmFormat& format,
                                      const kymovie::VolumeKeyframeList& keyframes, double overallDb,
                                      const kyaudio::ClusterList& intervals);

} // namespace quelvo::mix
