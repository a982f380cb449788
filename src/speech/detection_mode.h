#pragma once
// How the dialogue's speech is found: against one fixed level (the editor's
// threshold) or from the recording's own figures (automatic).
#include <optional>
#include <string_view>

#include "base/result.h"

namespace quelvo {

enum class DetectionMode { threshold, automatic };

inline constexpr const char* kDetectionKey = "duck.detection";

// "threshold" or "automatic".
const char* detectionModeName(DetectionMode mode);
// The mode a text names, nullopt for anything else.
std::optional<DetectionMode> parseDetectionMode(std::string_view text);
// The stored choice; anything but "automatic" reads as the fixed threshold,
// so the usual behaviour holds until the editor chooses otherwise.
DetectionMode storedDetectionMode();
Status storeDetectionMode(DetectionMode mode);

} // namespace quelvo
