#pragma once
// Depth by loudness: instead of one fixed cut, each speech interval gets the
// music gain that puts the music a chosen number of LU under the speech.
//
// The speech's loudness is each interval's own integrated loudness (an
// interval shorter than 400 ms is one block of its own length), so a quiet
// speaker gets music as far under them as a loud one. The music's loudness
// under an interval is its mean short-term loudness over the interval's fully
// ducked part (from the end of the fade down to the start of the fade up).
// Both files are measured in their own format, as the editor's timeline
// plays them, so the depth does not depend on the dialogue's rate or layout.
// Readings come every 100 ms from the 3 s windows that lie inside that part,
// averaged as energy; a part shorter than 3 s is one window of its own
// length. A window reaching into the fades would read the music at its full
// level before the speech instead of the duck; inside the part the gain is
// flat, so the gain found lands exactly.
#include <optional>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "base/result.h"
#include "media/parallelism.h"
#include "media/pcm_stream.h"
#include "project/envelope_timing.h"
#include "project/volume_keyframe.h"

namespace quelvo::mix {

inline constexpr double kDeepestDuck = -60.0;

struct LoudnessDepths {
    quelvo::Status status = quelvo::Status::failure("not measured");
    std::optional<double> dialogueLoudness; // LUFS over all the speech intervals together
    std::optional<double> musicLoudness;    // LUFS, integrated, the whole file in its own format
    // Whole dB per speech interval; the fixed level where the music is
    // silent under an interval or the speech has no measurable loudness.
    std::vector<int> levels;
};

// The music gain for one interval: `under` LU below the dialogue, clamped to
// -60..0 dB, never above the overall level, whole dB.
int levelForDistance(double dialogueLufs, double musicLufsAtUnity, double under, int overallDb);

// Each speech interval's fully ducked part (never empty: a part the fades
// overlap shrinks to the interval's middle 100 ms).
quelvo::ClusterList duckedParts(const quelvo::ClusterList& speech, const EnvelopeTiming& rolls);

// The core of depth by loudness: the ducked level of each speech interval,
// which the keyframe rule turns into the keyframes that the projects, the
// render, the plot and the preview all use. With two jobs or more the music
// is measured beside the dialogue; the figures, and the failure reported
// first (the dialogue's), are the same.
LoudnessDepths loudnessDepths(const std::string& dialoguePath, const std::string& musicPath,
                              const quelvo::ClusterList& speech, const EnvelopeTiming& rolls,
                              double under, int fixedLevel, int overallDb,
                              const quelvo::Parallelism& parallelism = {});
// The same for several dialogue recordings made together: the speech is
// measured on their sum, what the listener hears over the music.
LoudnessDepths loudnessDepths(const std::vector<std::string>& dialoguePaths,
                              const std::string& musicPath, const quelvo::ClusterList& speech,
                              const EnvelopeTiming& rolls, double under, int fixedLevel,
                              int overallDb, const quelvo::Parallelism& parallelism = {});

// The mean short-term loudness (LUFS, as above) over each of `spans`
// (ascending, not overlapping) of a file played through `keyframes` at
// `format` (rate 0: its own); absent where it is silent.
struct SpanLoudness {
    quelvo::Status status = quelvo::Status::failure("not measured");
    std::vector<std::optional<double>> perSpan;
    std::optional<double> integrated; // of the whole file as played
};
SpanLoudness loudnessPerSpan(const std::string& path, const quelvo::PcmFormat& format,
                             const quelvo::VolumeKeyframeList& keyframes, double overallDb,
                             const quelvo::ClusterList& spans);

} // namespace quelvo::mix
