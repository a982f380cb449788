#pragma once
// The music's gain over time exactly as a ducking project asks Final Cut Pro
// to apply it: the keyframes the keyframe rule made (before any writer rounds
// their times), joined by straight lines in dB. Before the first and after the
// last keyframe, and with no keyframes at all, the gain is the overall music
// level. The preview, the player and the renderer all read the curve here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "project/volume_keyframe.h"

namespace quelvo::mix {

class GainEnvelope {
  public:
    GainEnvelope(quelvo::VolumeKeyframeList keyframes, double overallDb);

    // Gain in dB at `seconds`.
    double gainDbAt(double seconds) const;

    // Linear factors for `count` consecutive samples starting at sample
    // `first` of a `sampleRate` stream (sample i sits at i / sampleRate).
    void linearGains(int64_t first, int count, int sampleRate, double* out) const;

    const quelvo::VolumeKeyframeList& keyframes() const { return m_keyframes; }
    double overallDb() const { return m_overall; }

  private:
    // Index of the first keyframe later than `seconds`.
    size_t segmentAfter(double seconds) const;

    quelvo::VolumeKeyframeList m_keyframes; // ascending by time, equal times in list order
    double m_overall;
};

// A dB gain as a linear factor; -96 dB and below (the project's silence) are 0.
double dbToLinear(double db);

} // namespace quelvo::mix
