// --detect and --threshold, shared by analyze and duck.
#include <cmath>

#include "app/cli/commands.h"

namespace quelvo::cli {

std::optional<std::string> applyDetectionOptions(EnvelopeTiming& rolls,
                                                 const std::optional<std::string>& detect,
                                                 const std::optional<double>& threshold) {
    if (threshold && !std::isfinite(*threshold)) return "--threshold must be a number of decibels";
    std::optional<DetectionMode> mode;
    if (detect) {
        mode = parseDetectionMode(*detect);
        if (!mode) return "--detect must be automatic or threshold";
    }
    // The automatic detection takes no level: a threshold beside it would
    // silently be ignored, which hides a mistake in a script.
    if (mode == DetectionMode::automatic && threshold)
        return "--threshold applies to the threshold detection only, not to --detect automatic";
    if (threshold) {
        rolls.threshold = *threshold;
        mode = DetectionMode::threshold;
    }
    if (mode) rolls.detection = *mode;
    return std::nullopt;
}

} // namespace quelvo::cli
