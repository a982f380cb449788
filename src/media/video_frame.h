#pragma once
// One picture of a video, for showing: the frame on screen at a given time,
// decoded with FFmpeg and scaled with libswscale into packed RGB.
#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"

namespace quelvo {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // 3 bytes a pixel, rows without padding
};

struct FrameResult {
    Status status = Status::failure("not read");
    RgbImage image;
};

// The frame shown at `seconds` into the video (counted from its first frame,
// whatever its timecode), scaled to fit within maxWidth x maxHeight with the
// picture's shape kept. A time past the end gives the last frame.
FrameResult readFrame(const std::string& path, double seconds, int maxWidth, int maxHeight);

} // namespace quelvo
