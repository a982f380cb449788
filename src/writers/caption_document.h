#pragma once
// Subtitles as Final Cut Pro captions: one <caption> per cue, connected to
// the gap that holds the storyline (or to the video's clip), each exactly on
// the timeline's frame grid, in an FCPXML 1.9 document (1.6 has no captions).
// Unlike titles, captions keep the cue's own times and lines: the caption
// format and the player decide their look, so only what the cue says
// (italic, bold, underline, alignment and, in iTT, placement) is written.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "titles/caption_format.h"
#include "titles/subtitle_cue.h"
#include "titles/video_facts.h"

namespace quelvo::titles {

struct CaptionVideo {
    std::string path;
    VideoFacts facts;
};

// Everything a caption document is made from.
struct CaptionRequest {
    std::string eventName; // a video's name takes its place
    std::string comment;   // the document's head comment
    std::vector<SubtitleCue> cues;
    CaptionFormat format = CaptionFormat::srt;
    std::string language = "en";
    double timelineRate = 30; // frames a second without a video (or with one of unknown rate)
    int width = 1920;
    int height = 1080;
    std::optional<CaptionVideo> video;
};

// Where one caption lands, in whole frames of the timeline.
struct CaptionPlacement {
    int64_t startFrame = 0; // on the subtitle file's clock
    int64_t frames = 1;     // at least one
    int64_t lane = 1;
    bool overlapsEarlier = false; // starts before an earlier cue has ended
};

// What a caption document could not keep as the file asked.
struct CaptionNotes {
    int topPlaced = 0;           // cues that asked for the top
    int overlapping = 0;         // cues that start before an earlier one ends
    double firstOverlapTime = 0; // seconds: the first such cue's start
};

// The video's rate when known, else the request's timeline rate.
double captionRate(const CaptionRequest& request);

// Each cue's start and end rounded to the nearest frame (a cue shorter than
// a frame keeps one); a cue that overlaps earlier ones goes on the lowest
// lane free at its start, lane 1 and up.
std::vector<CaptionPlacement> placeCaptions(const std::vector<SubtitleCue>& cues, double rate);

CaptionNotes noteCaptions(const std::vector<SubtitleCue>& cues,
                          const std::vector<CaptionPlacement>& placements, double rate);

// The whole document.
std::string captionDocument(const CaptionRequest& request);

// Writes the document atomically.
quelvo::Status writeCaptionDocument(const CaptionRequest& request, const std::string& path);

} // namespace quelvo::titles
