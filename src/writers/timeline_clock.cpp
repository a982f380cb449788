#include "writers/timeline_clock.h"

#include <cmath>
#include <cstdio>

#include "base/numbers.h"

namespace quelvo {

TimelineClock::TimelineClock(const TimelineFormat& format) {
    double rate = format.frameRate;
    // A rate no timeline runs at reads as the default, as in the FCPXML writer.
    if (!std::isfinite(rate) || rate < 1 || rate > 1000) rate = 30;
    const double whole = std::round(rate);
    const double dropped = whole * 1000.0 / 1001.0;
    m_ntsc = std::fabs(rate - whole) > 0.001 && std::fabs(rate - dropped) < 0.01;
    m_timebase = static_cast<int>(whole);
}

double TimelineClock::framesPerSecond() const {
    return static_cast<double>(rateNumerator()) / static_cast<double>(rateDenominator());
}

int64_t TimelineClock::nearest(double seconds) const {
    if (!std::isfinite(seconds)) return 0;
    return std::llround(seconds * framesPerSecond());
}

int64_t TimelineClock::down(double seconds) const {
    if (!std::isfinite(seconds)) return 0;
    return quelvo::floorSnapped(seconds * framesPerSecond());
}

int64_t TimelineClock::steps(int64_t count, FrameGrid grid) const {
    // Exact in integers: count * grid.num * rate / grid.den, rounded half away from zero.
    const int64_t num = count * grid.num * rateNumerator();
    const int64_t den = grid.den * rateDenominator();
    return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
}

double TimelineClock::seconds(int64_t frames) const {
    return static_cast<double>(frames) / framesPerSecond();
}

std::string TimelineClock::clock(int64_t frames) const {
    const int64_t ms = std::llround(seconds(frames < 0 ? 0 : frames) * 1000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

} // namespace quelvo
