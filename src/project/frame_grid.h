#pragma once
// The grid edit points sit on: clip offsets, starts and durations. A video
// dialogue puts them on its timeline's frames, because Final Cut Pro refuses
// an edit between two frames; an audio-only project places its fillers on
// whole tenths of a second, as it always has. Every placement goes through
// stepsDown, so the projects, the mix, the preview and the plot agree.
#include <cstdint>

namespace quelvo {

struct FrameGrid {
    // One step is num/den seconds (1001/24000 for 23.976 fps, 1/10 for tenths).
    int64_t num = 1;
    int64_t den = 10;

    // The whole steps at or before a time (rounded down, as a clip must not
    // run past its media), after floating-point noise is snapped away so that
    // 19.1 s - 17.6 s is 15 tenths, not 14.
    int64_t stepsDown(double seconds) const;
    double seconds(int64_t steps) const;
    double down(double seconds) const { return this->seconds(stepsDown(seconds)); }
    bool operator==(const FrameGrid&) const = default;
};

inline constexpr FrameGrid kTenthsGrid{1, 10};

// The timeline rates Final Cut Pro offers, in frames per second.
inline constexpr double kTimelineRates[] = {24000.0 / 1001.0, 24, 25, 30000.0 / 1001.0, 30, 50,
                                            60000.0 / 1001.0, 60};

// The timeline rate nearest to a video's rate (variable-rate phone footage
// averages 29.87 fps, say); 30 when the rate is unknown.
double nearestTimelineRate(double framesPerSecond);

// One frame of a timeline rate, exactly: 1001/24000 for 23.976, 1/25 for 25.
FrameGrid frameGridOf(double timelineRate);

} // namespace quelvo
