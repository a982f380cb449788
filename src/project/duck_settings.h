#pragma once
// The numbers an editor sets for ducking: each stored key with its default
// and the range its desktop control allows, in one table that both front
// ends read. The desktop's sliders take their range, steps and default from
// here; the command line accepts exactly these ranges; a stored value outside
// its range (a hand-edited or damaged settings file) reads as the default.
// Stored keys keep their names: files written by earlier versions still read.
#include <array>
#include <optional>
#include <string>

namespace quelvo {

struct NumberSetting {
    const char* key; // in the settings file
    double defaultValue;
    double minimum; // the control's range, both ends included
    double maximum;
    int decimals;     // the control's steps: 0 whole units, 1 tenths
    const char* unit; // "dB", "s", "LU"
};

namespace settings {

inline constexpr NumberSetting kDecrease{"duck.decrease", -12, -60, 0, 0, "dB"};
inline constexpr NumberSetting kOverallMusicLevel{"duck.overallMusicLevel", 0, -30, 12, 0, "dB"};
inline constexpr NumberSetting kThreshold{"duck.threshold", -24, -60, 0, 0, "dB"};
inline constexpr NumberSetting kAttackWindow{"duck.attackWindow", 0.6, 0, 3, 1, "s"};
inline constexpr NumberSetting kAttackPreRoll{"duck.attackPreRoll", 0.3, 0, 3, 1, "s"};
inline constexpr NumberSetting kReleasePreRoll{"duck.releasePreRoll", 0.3, 0, 3, 1, "s"};
inline constexpr NumberSetting kReleaseWindow{"duck.releaseWindow", 1.0, 0, 3, 1, "s"};
inline constexpr NumberSetting kUnderLU{"duck.underLU", 18, 0, 60, 1, "LU"};

inline constexpr std::array<NumberSetting, 8> kNumberSettings{
    kDecrease,      kOverallMusicLevel, kThreshold,     kAttackWindow,
    kAttackPreRoll, kReleasePreRoll,    kReleaseWindow, kUnderLU};

} // namespace settings

// A finite value within the setting's range.
bool isWithinRange(const NumberSetting& setting, double value);

// "-60 to 0 dB", for messages.
std::string rangeText(const NumberSetting& setting);

// The stored value when it is a number within range; the default when none is
// stored; and the default, with a warning noted in the settings store, when
// the stored value cannot be used (not a number, not finite, out of range).
double storedNumber(const NumberSetting& setting);

// Why text is no value for the setting, naming its range ("must be a whole
// number of dB from -60 to 0, not 20"), or nothing when it is a finite
// number within range (a whole one when `whole`). For command-line options.
std::optional<std::string> optionValueProblem(const NumberSetting& setting, const std::string& text,
                                              bool whole = false);

} // namespace quelvo
