#pragma once
// Media facts by FFmpeg probing (the header and the first packets, never a
// full decode): durations, frame rates, start times and video sizes. The empty
// path and unreadable files answer 0 or nothing; probeMedia says why.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace quelvo {

struct VideoSize {
    int width = 0;
    int height = 0;
    bool operator==(const VideoSize&) const = default;
};

// An exact time step as a fraction of seconds (1001/24000 for 23.976 fps).
struct Rational {
    int64_t num = 0;
    int64_t den = 1;
    bool valid() const { return num > 0 && den > 0; }
    double seconds() const { return valid() ? static_cast<double>(num) / den : 0; }
    bool operator==(const Rational&) const = default;
};

// One audio stream of a file, in the file's stream order.
struct AudioStreamFacts {
    int index = 0; // the stream's index in the container
    int channels = 0;
    int sampleRate = 0; // Hz
    std::string layout; // FFmpeg's name for it ("stereo", "mono", "5.1"); "" when unknown
    bool operator==(const AudioStreamFacts&) const = default;
};

// The colour description codes (ITU-T H.273) a video stream declares; absent
// when the file leaves any of the three unspecified.
struct ColorCodes {
    int primaries = 0;
    int transfer = 0;
    int matrix = 0;
    bool operator==(const ColorCodes&) const = default;
};

// Everything one probe finds out, with the reason when the file cannot be read.
struct MediaInfo {
    Status status = Status::failure("not probed");
    std::optional<double> duration;  // seconds
    std::optional<double> frameRate; // the video stream's average rate
    std::optional<double> start;     // timecode, else container start time
    std::optional<VideoSize> videoSize;
    bool hasVideo = false;
    bool hasAudio = false;
    bool variableFrameRate = false;
    // The video stream's frame length, exactly as its average rate says.
    Rational frameDuration;
    std::optional<ColorCodes> color;
    // The timecode text as tagged ("01:00:00:00", drop-frame "00:59:59;28"),
    // and its count of frames; nothing without a timecode.
    std::optional<std::string> timecode;
    std::optional<int64_t> timecodeFrames;
    bool dropFrame = false;
    std::vector<AudioStreamFacts> audioStreams;
};

MediaInfo probeMedia(const std::string& path);

// Converts a timecode text ("01:00:00:00", drop-frame "00:59:59;28") at a
// frame rate to seconds; nothing when the text or the rate is not usable.
std::optional<double> timecodeToSeconds(const std::string& timecode, double frameRate);
// The same as a count of frames since 00:00:00:00.
std::optional<int64_t> timecodeToFrames(const std::string& timecode, double frameRate);
// Whether a timecode text is written drop-frame (";" or "." before the frames).
bool isDropFrameTimecode(const std::string& timecode);

struct MediaTiming {
    // Seconds. For an audio file the same figure as the audio layer's
    // audioDuration, so clip and asset durations agree; for a movie
    // the container's duration.
    static std::optional<double> getDuration(const std::string& path);
    // The video stream's average frame rate; nothing when unknown or 0.
    static std::optional<double> getFrameRate(const std::string& path);
    // The stream's timecode when tagged, else the container's start time.
    static std::optional<double> getStart(const std::string& path);
};

struct VideoTiming {
    // The video stream's duration, else the container's; 0 when unknown.
    static double getVideoDuration(const std::string& path);
    // MediaTiming::getStart or 0. With vfrAdjust, a variable-frame-rate video's start
    // is put on the nearest whole frame of its average rate, so that the
    // asset start of a project lands on a frame boundary.
    static double getVideoStartTime(const std::string& path, bool vfrAdjust = true);
    static std::optional<double> getFrameRate(const std::string& path);
};

// The first video stream's size in pixels as stored; nothing without video.
std::optional<VideoSize> intSize(const std::string& videoPath);

} // namespace quelvo
