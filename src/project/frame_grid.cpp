#include "project/frame_grid.h"

#include <cmath>

#include "base/numbers.h"

namespace quelvo {

int64_t FrameGrid::stepsDown(double seconds) const {
    if (!std::isfinite(seconds) || num <= 0 || den <= 0) return 0;
    return quelvo::truncateSnapped(seconds * static_cast<double>(den) / static_cast<double>(num));
}

double FrameGrid::seconds(int64_t steps) const {
    if (num <= 0 || den <= 0) return 0;
    return static_cast<double>(steps) * static_cast<double>(num) / static_cast<double>(den);
}

double nearestTimelineRate(double framesPerSecond) {
    if (!std::isfinite(framesPerSecond) || framesPerSecond <= 0) return 30;
    double best = kTimelineRates[0];
    for (const double rate : kTimelineRates)
        if (std::fabs(rate - framesPerSecond) < std::fabs(best - framesPerSecond)) best = rate;
    return best;
}

FrameGrid frameGridOf(double timelineRate) {
    const double rate = nearestTimelineRate(timelineRate);
    // The NTSC rates run 1000/1001 slower than their whole-number names.
    const int64_t whole = std::llround(rate);
    if (std::fabs(rate - static_cast<double>(whole)) > 1e-6) return FrameGrid{1001, whole * 1000};
    return FrameGrid{1, whole};
}

} // namespace quelvo
