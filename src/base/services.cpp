#include "base/services.h"

#include <cmath>
#include <cstdio>

namespace quelvo {

void showStatus(StatusSink* label, const std::string& text) {
    if (label) label->setStatus(text);
}

std::string Timecode::withMilliseconds(double seconds, bool withComma) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    auto millis = static_cast<long long>(std::llround(seconds * 1000.0));
    const long long h = millis / 3600000;
    millis %= 3600000;
    const long long m = millis / 60000;
    millis %= 60000;
    const long long s = millis / 1000;
    millis %= 1000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld%c%03lld", h, m, s, withComma ? ',' : '.',
                  millis);
    return buf;
}

std::string Timecode::withFrames(double seconds, double fps) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    if (!std::isfinite(fps) || fps < 1) fps = 30;
    const long long nominal = std::llround(fps);
    // 23.976 stands for 24000/1001: over an hour the difference is a frame.
    const double ntsc = static_cast<double>(nominal) * 1000.0 / 1001.0;
    const double rate = std::abs(fps - ntsc) < 0.01 ? ntsc : fps;
    const long long frames = std::llround(seconds * rate);
    const long long ff = frames % nominal, total = frames / nominal;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60, ff);
    return buf;
}

float BuildVersion::buildNumber() {
    return static_cast<float>(QUELVO_BUILD_NUMBER);
}

std::string BuildVersion::versionString() {
    return QUELVO_VERSION;
}

} // namespace quelvo
