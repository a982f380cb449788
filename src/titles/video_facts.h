#pragma once
// What the titles document needs to know about its video, from the media
// information layer (FFmpeg probing).
#include <optional>
#include <string>

#include "media/media_info.h"

namespace quelvo::titles {

struct VideoFacts {
    double duration = 0;  // seconds; 0 when unknown
    double startTime = 0; // seconds of its timecode, frame-rate aware
    std::optional<double> frameRate;
    std::optional<int> width;
    std::optional<int> height;
};

// The container's start (its timecode when it has one).
std::optional<double> mediaStart(const std::string& path);
// The video stream's frame rate.
std::optional<double> mediaFrameRate(const std::string& path);
// Duration, start time, frame rate and pixel size of the video.
VideoFacts readVideoFacts(const std::string& path);

// A frame rate a document can count frames at: known, finite and above 0.
bool usableFrameRate(std::optional<double> rate);

// Whether probed media is a moving picture titles can sit on: a video stream
// with a frame rate that lasts at least two frames. An audio file, cover art
// and a still image (one frame, or no duration at all) are not.
bool hasMovingPicture(const quelvo::MediaInfo& facts);

} // namespace quelvo::titles
