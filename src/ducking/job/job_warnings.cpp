#include "ducking/job/job_warnings.h"

#include <charconv>
#include <cmath>

#include "platform/toolkit/files.h"

namespace quelvo {

namespace {
// "-24", "-31.5": as the editor typed it, in the C locale.
std::string decibels(double value) {
    char text[64];
    const auto end = std::isfinite(value) && std::fabs(value) < 1e15 && value == std::trunc(value)
                         ? std::to_chars(text, text + sizeof text, static_cast<long long>(value)).ptr
                         : std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}
} // namespace

std::string noSpeechWarning(const std::string& dialoguePath, double thresholdDb, DetectionMode mode) {
    const std::string name = kykit::fu_getFileNameFromPath(dialoguePath);
    if (mode == DetectionMode::automatic)
        return "no speech found in " + name + " by automatic detection; check that it is the dialogue recording";
    return "no speech found in " + name + " above " + decibels(thresholdDb) +
           " dB; lower the speech threshold or use automatic detection";
}

} // namespace quelvo
