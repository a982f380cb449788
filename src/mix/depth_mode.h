#pragma once
// The stored depth mode, shared by the command line and the desktop program:
// "fixed" (the ducking depth in dB, the default) or "loudness" (the music a
// number of LU under the speech, per speech interval), with the desktop's
// three presets.
#include <array>
#include <optional>

#include "base/result.h"
#include "project/duck_settings.h"

namespace quelvo::mix {

inline constexpr const char* kDepthModeKey = "duck.depthMode";
inline constexpr const char* kUnderLUKey = settings::kUnderLU.key;
inline constexpr const char* kDepthModeFixed = "fixed";
inline constexpr const char* kDepthModeLoudness = "loudness";
inline constexpr double kDefaultUnderLU = settings::kUnderLU.defaultValue;
inline constexpr double kMinUnderLU = settings::kUnderLU.minimum,
                        kMaxUnderLU = settings::kUnderLU.maximum;

struct DepthPreset {
    const char* name;
    double underLU;
};
// Background at least 20 dB under speech (the accessibility guideline), the
// usual podcast distance, and a gentler one.
inline constexpr std::array<DepthPreset, 3> kDepthPresets{
    {{"Accessible (20 LU)", 20.0}, {"Podcast (18 LU)", 18.0}, {"Subtle (12 LU)", 12.0}}};

// The LU distance when the stored mode is "loudness"; absent for "fixed" or
// anything else. A stored distance outside 0..60 LU reads as the default.
std::optional<double> storedUnderLU();
// Stores "loudness" with the distance, or "fixed" for nothing.
quelvo::Status storeDepthMode(std::optional<double> underLU);

} // namespace quelvo::mix
