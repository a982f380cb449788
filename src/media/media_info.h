#pragma once
// Media facts by FFmpeg probing (the header and the first packets, never a
// full decode): durations, frame rates, start times and video sizes. The empty
// path and unreadable files answer 0 or nothing; probeMedia says why.
#include <optional>
#include <string>

#include "base/result.h"

namespace kymediainfo {

struct VideoSize {
    int width = 0;
    int height = 0;
    bool operator==(const VideoSize&) const = default;
};

// Everything one probe finds out, with the reason when the file cannot be read.
struct MediaFacts {
    kykit::Status status = kykit::Status::failure("not probed");
    std::optional<double> duration;   // seconds
    std::optional<double> frameRate;  // the video stream's average rate
    std::optional<double> start;      // timecode, else container start time
    std::optional<VideoSize> videoSize;
    bool hasVideo = false;
    bool hasAudio = false;
    bool variableFrameRate = false;
};

MediaFacts probeMedia(const std::string& path);

// Converts a timecode text ("01:00:00:00", drop-frame "00:59:59;28") at a
// frame rate to seconds; nothing when the text or the rate is not usable.
std::optional<double> timecodeToSeconds(const std::string& timecode, double frameRate);

struct MIH {
    // Seconds. For an audio file the same figure as the audio layer's
    // aUt_getAudioDuration, so clip and asset durations agree; for a movie
    // the container's duration.
    static std::optional<double> getDuration(const std::string& path);
    // The video stream's average frame rate; nothing when unknown or 0.
    static std::optional<double> getFrameRate(const std::string& path);
    // The stream's timecode when tagged, else the container's start time.
    static std::optional<double> getStart(const std::string& path);
};

struct MU {
    // The video stream's duration, else the container's; 0 when unknown.
    static double getVideoDuration(const std::string& path);
    // MIH::getStart or 0. With vfrAdjust, a variable-frame-rate video's start
    // is put on the nearest whole frame of its average rate, so that the
    // asset start of a project lands on a frame boundary.
    static double getVideoStartTime(const std::string& path, bool vfrAdjust = true);
    static std::optional<double> getFrameRate(const std::string& path);
};

// The first video stream's size in pixels as stored; nothing without video.
std::optional<VideoSize> intSize(const std::string& videoPath);

} // namespace kymediainfo
