#pragma once
// Seconds as whole frames of the project's timeline, for the formats that
// count in frames (FCP7 XML, MLT). The rounding is the FCPXML writer's, so a
// clip lands on the same frame in every format: places round to the nearest
// frame, a clip's length rounds down (a clip never runs past its media).
#include <cstdint>
#include <string>

#include "project/project_description.h"

namespace quelvo {

class TimelineClock {
  public:
    explicit TimelineClock(const TimelineFormat& format);

    // 24, 25, 30, ...: the whole frames a second counts (30 for 29.97).
    int timebase() const { return m_timebase; }
    // 23.976, 29.97 and 59.94 run at timebase * 1000/1001 frames a second.
    bool ntsc() const { return m_ntsc; }
    // The exact rate as a fraction: 30/1, 30000/1001, ...
    int64_t rateNumerator() const { return m_ntsc ? m_timebase * 1000 : m_timebase; }
    int64_t rateDenominator() const { return m_ntsc ? 1001 : 1; }
    double framesPerSecond() const;

    int64_t nearest(double seconds) const;
    int64_t down(double seconds) const;
    // A count of grid steps (the filler placement's unit: tenths of a
    // second, or the frames of a video's timeline), to the nearest frame.
    int64_t steps(int64_t count, FrameGrid grid) const;
    double seconds(int64_t frames) const;

    // "HH:MM:SS.mmm" of a frame: the clock text MLT reads back to that frame.
    std::string clock(int64_t frames) const;

  private:
    int m_timebase = 30;
    bool m_ntsc = false;
};

} // namespace quelvo
