#pragma once
// One parsed subtitle.
#include <cstdint>
#include <string>

namespace quelvo {

// Where a file asked a cue to be shown, and how its lines are aligned; most
// files say neither, and then the title settings decide.
enum class CuePlacement { unset, bottom, top };
enum class CueAlignment { unset, left, center, right };

struct SubtitleCue {
    SubtitleCue(int64_t id, double startTime, double endTime, std::string text)
        : id(id), startTime(startTime), endTime(endTime), text(std::move(text)) {}

    int64_t id;       // the block's counter as written
    double startTime; // seconds
    double endTime;   // seconds
    std::string text; // several lines stay joined by line feeds
    CuePlacement placement = CuePlacement::unset;
    CueAlignment alignment = CueAlignment::unset;

    bool operator==(const SubtitleCue&) const = default;
};

} // namespace quelvo
