#pragma once
// A small reader of the projects' timelines for the writers' tests: where
// every clip places which file (in frames of the timeline), its level
// keyframes in seconds and dB, and how often each file is defined. It reads
// FCP7 XML and FCPXML 1.9 alike, so the two documents of one description can
// be compared clip by clip.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace quelvo::test {

struct ReadKeyframe {
    double seconds = 0;
    double db = 0;
};

struct ReadClip {
    std::string path; // the file's path, decoded from its URL
    int64_t start = 0, end = 0, in = 0, out = 0;
    int trackIndex = 1; // the source channel (FCP7 XML); 1 in FCPXML
    std::vector<ReadKeyframe> keyframes;
    double fadeOutSeconds = 0; // FCPXML's fadeOut
    bool operator<(const ReadClip& o) const {
        return std::tie(path, start, trackIndex) < std::tie(o.path, o.start, o.trackIndex);
    }
};

struct ReadTimeline {
    bool wellFormed = false;
    double framesPerSecond = 0;
    std::vector<ReadClip> clips;
    std::map<std::string, int> definitions; // path -> how many times defined in full
    std::vector<std::string> urls;          // every file URL as written
};

ReadTimeline readXmeml(const std::string& xml);
ReadTimeline readFcpxml19(const std::string& xml, double framesPerSecond);

// The path a file:// URL names; "" when the URL holds anything but the
// unreserved characters, "/" and %XX escapes.
std::string pathOfFileUrl(const std::string& url);

} // namespace quelvo::test
