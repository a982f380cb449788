#pragma once
// FCPXML value texts shared by every document: times, video format names,
// colours and file URLs. All of them are independent of the process locale.
#include <optional>
#include <string>

#include "base/rgba_color.h"

namespace quelvo::fcpxml {

// "N/Ds" with its double quotes (callers insert it verbatim), in whole frames
// of `timebase` frames per second: snapping 1 rounds to the nearest frame, 2
// rounds up. 23.976, 29.97 and 59.94 use 1001/24000s, 1001/30000s and
// 1001/60000s frames; other rates use 100/(rate*100)s frames. Zero is "0s".
// A rate outside 0.01-1,000,000 frames per second counts as 30; times beyond
// 10^15 frames are held there, so the text always fits its integers.
std::string snappedTime(double time, double timebase, int snapping);
// snappedTime rounding to the nearest frame.
std::string getTime(double time, double timebase);
// Whole frames rounded down, for a clip's duration: a clip never runs past
// the end of its media (Final Cut Pro refuses such an edit). A time that is a
// whole number of frames but for floating-point noise keeps that frame.
std::string getTimeRoundedDown(double time, double timebase);
// "FFVideoFormat1080p" + rate code (2398, 24, 25, 2997, 30, 50, 5994, 60);
// any other or no rate gives "FFVideoFormatRateUndefined".
std::string getFormat(std::optional<double> frameRate);
// "r g b a" with up to four decimals.
std::string getColor(const quelvo::RgbaColor& color);
// The file:// URL of a path: UTF-8 bytes outside the unreserved characters and
// "/" are percent-encoded. A relative path is made absolute first.
std::string fileUrlOf(const std::string& path);

} // namespace quelvo::fcpxml

namespace quelvo::videoFormats {

struct Size {
    int width = 0;
    int height = 0;
};

// "FFVideoFormat1080p30" for 1920x1080 at 30 fps; 720p and 2160p likewise;
// anything else "FFVideoFormatRateUndefined".
std::string getVideoFormat(Size forSize, double fps);

} // namespace quelvo::videoFormats
