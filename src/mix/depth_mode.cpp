#include "mix/depth_mode.h"

#include "base/settings_store.h"

namespace quelvo::mix {

std::optional<double> storedUnderLU() {
    if (kykit::storedString(kDepthModeKey, kDepthModeFixed) != kDepthModeLoudness) return std::nullopt;
    return storedNumber(settings::kUnderLU);
}

kykit::Status storeDepthMode(std::optional<double> underLU) {
    if (!underLU) return kykit::storeString(kDepthModeKey, kDepthModeFixed);
    if (kykit::Status s = kykit::storeDouble(kUnderLUKey, *underLU); !s) return s;
    return kykit::storeString(kDepthModeKey, kDepthModeLoudness);
}

} // namespace quelvo::mix
