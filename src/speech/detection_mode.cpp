#include "speech/detection_mode.h"

#include "base/settings_store.h"

namespace quelvo {

const char* detectionModeName(DetectionMode mode) {
    return mode == DetectionMode::automatic ? "automatic" : "threshold";
}

std::optional<DetectionMode> parseDetectionMode(std::string_view text) {
    if (text == "automatic") return DetectionMode::automatic;
    if (text == "threshold") return DetectionMode::threshold;
    return std::nullopt;
}

DetectionMode storedDetectionMode() {
    const std::string stored = quelvo::storedString(kDetectionKey, "threshold");
    return stored == "automatic" ? DetectionMode::automatic : DetectionMode::threshold;
}

Status storeDetectionMode(DetectionMode mode) {
    return quelvo::storeString(kDetectionKey, detectionModeName(mode));
}

} // namespace quelvo
