#include "jobs/job_warnings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "base/files.h"

namespace quelvo {

namespace {
// "-24", "-31.5": as the editor typed it, in the C locale.
std::string decibels(double value) {
    char text[64];
    const auto end =
        std::isfinite(value) && std::fabs(value) < 1e15 && value == std::trunc(value)
            ? std::to_chars(text, text + sizeof text, static_cast<long long>(value)).ptr
            : std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}
// "29.97", "25", "29.873": three decimals at most, in the C locale.
std::string rateText(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, std::isfinite(value) ? value : 0.0,
                                   std::chars_format::fixed, 3)
                         .ptr;
    std::string out(text, end);
    while (!out.empty() && out.back() == '0')
        out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
    return out;
}
std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", std::isfinite(value) ? value : 0.0);
    return text;
}
} // namespace

std::string noSpeechWarning(const std::string& dialoguePath, double thresholdDb,
                            DetectionMode mode) {
    const std::string name = std::filesystem::path(dialoguePath).filename().string();
    if (mode == DetectionMode::automatic)
        return "no speech found in " + name +
               " by automatic detection; check that it is the dialogue recording";
    return "no speech found in " + name + " above " + decibels(thresholdDb) +
           " dB; lower the speech threshold or use automatic detection";
}

std::string damageWarning(const std::string& role, const std::string& path,
                          const AudioDamage& damage, int64_t totalSamples) {
    const std::string name = std::filesystem::path(path).filename().string();
    std::string text;
    if (damage.damagedSamples > 0)
        text = quelvo::shareText(damage.share(totalSamples)) + " of the " + role + " " + name +
               " is damaged, first at " + quelvo::clockText(damage.seconds(damage.firstDamaged)) +
               "; it is played as silence";
    if (damage.jumps > 0) {
        text += text.empty() ? "the timestamps of the " + role + " " + name : "; its timestamps";
        text +=
            (damage.jumps == 1 ? " jump once, at "
                               : " jump " + std::to_string(damage.jumps) + " times, first at ") +
            quelvo::clockText(damage.seconds(damage.firstJump)) + "; the audio after " +
            (damage.jumps == 1 ? "it" : "each jump") + " follows on without a gap";
    }
    return text;
}

std::string lengthWarning(const std::string& path, double headerSeconds, double audioSeconds) {
    return "the header of " + std::filesystem::path(path).filename().string() + " says it lasts " +
           seconds(headerSeconds) + ", but its audio lasts " + seconds(audioSeconds) +
           "; the project uses the audio's length";
}

std::string frameRateWarning(const std::string& path, double videoRate, double timelineRate,
                             bool variableRate) {
    return std::filesystem::path(path).filename().string() + " runs at " + rateText(videoRate) +
           " frames per second" + (variableRate ? " (a variable rate)" : "") +
           "; its timeline runs at " + rateText(timelineRate) +
           ", the nearest rate Final Cut Pro offers";
}

} // namespace quelvo
