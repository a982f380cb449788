#pragma once
// What decoding passed over in a file that is damaged but mostly good: the
// stretches that could not be decoded, or decoded to samples no recording
// holds (above +12 dBFS, not numbers), which every reader plays as silence,
// and the timestamp jumps it closed up (the audio after one follows on from
// the audio before it). A file with more than kMostDamagedShare of its audio
// damaged is refused; less is a warning (docs/audio-completeness.md).
#include <cstdint>
#include <string>

namespace quelvo {

inline constexpr double kMostDamagedShare = 0.05;

struct AudioDamage {
    int rate = 0;               // of the sample counts below
    int64_t damagedSamples = 0; // played as silence
    int64_t firstDamaged = -1;  // sample where the first damaged stretch starts
    int64_t jumps = 0;          // timestamp jumps closed up
    int64_t firstJump = -1;     // sample where the first one was

    void addDamaged(int64_t at, int64_t samples) {
        if (samples <= 0) return;
        if (firstDamaged < 0) firstDamaged = at;
        damagedSamples += samples;
    }
    void addJump(int64_t at) {
        if (jumps++ == 0) firstJump = at;
    }
    bool any() const { return damagedSamples > 0 || jumps > 0; }
    // The damaged share of `totalSamples`, 0 to 1.
    double share(int64_t totalSamples) const {
        return totalSamples > 0
                   ? static_cast<double>(damagedSamples) / static_cast<double>(totalSamples)
                   : 0.0;
    }
    double seconds(int64_t sample) const {
        return rate > 0 ? static_cast<double>(sample) / rate : 0.0;
    }
};

// "00:12:04": where in a file something is, to the second.
std::string clockText(double seconds);
// "3.2%": a damaged share for a sentence, never "0.0%" for a little damage.
std::string shareText(double share);

// The reason a file too damaged to use is refused with, one line.
std::string tooDamagedReason(const AudioDamage& damage, int64_t totalSamples);

} // namespace quelvo
