#include "mix/depth_mode.h"

#include "base/settings_store.h"

namespace quelvo::mix {

std::optional<double> storedUnderLU() {
    if (quelvo::storedString(kDepthModeKey, kDepthModeFixed) != kDepthModeLoudness)
        return std::nullopt;
    return storedNumber(settings::kUnderLU);
}

quelvo::Status storeDepthMode(std::optional<double> underLU) {
    if (!underLU) return quelvo::storeString(kDepthModeKey, kDepthModeFixed);
    if (quelvo::Status s = quelvo::storeDouble(kUnderLUKey, *underLU); !s) return s;
    return quelvo::storeString(kDepthModeKey, kDepthModeLoudness);
}

} // namespace quelvo::mix
