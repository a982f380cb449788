#pragma once
// Cluster edges are kept on a nanosecond grid, so that widening a list and
// narrowing it again by the same amounts gives back the very same numbers
// (0.9 - 0.3 + 0.3 is not 0.9 in binary floating point).
#include <cmath>

namespace quelvo {

inline double onTimeGrid(double seconds) {
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e9) return seconds;
    return std::round(seconds * 1e9) / 1e9;
}

} // namespace quelvo
