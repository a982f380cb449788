#include "mix/depth_mode.h"

#include "base/prefs.h"

namespace quelvo::mix {

std::optional<double> storedUnderLU() {
    if (kykit::prefs_getValueString(kDepthModeKey, kDepthModeFixed) != kDepthModeLoudness) return std::nullopt;
    return storedNumber(settings::kUnderLU);
}

kykit::Status storeDepthMode(std::optional<double> underLU) {
    if (!underLU) return kykit::prefs_setValueString(kDepthModeKey, kDepthModeFixed);
    if (kykit::Status s = kykit::prefs_setValueDouble(kUnderLUKey, *underLU); !s) return s;
    return kykit::prefs_setValueString(kDepthModeKey, kDepthModeLoudness);
}

} // namespace quelvo::mix
