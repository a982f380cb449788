#pragma once
// The pieces both FCPXML versions need when the dialogue is a video: the
// timeline's and the video's format, the asset's picture and sound
// attributes, and every edit time on the timeline's frames. Clips connected
// to the dialogue count their offsets from its start (its timecode), as
// Final Cut Pro reads them. Each document passes the quote it writes
// attributes with, so the texts drop into either.
#include <string>
#include <utility>
#include <vector>

#include "project/project_description.h"

namespace quelvo {

// Every time a video-dialogue document writes, as attribute texts with their
// quotes.
struct VideoDialogueTimes {
    std::string assetStart, assetDuration;           // in the video's own frames
    std::string clipOffset, clipDuration, clipStart; // the dialogue on the spine
    std::string musicOffset, musicDuration;          // connected: counted from clipStart
    // The further dialogue recordings (offset, duration), connected like the music.
    std::vector<std::pair<std::string, std::string>> otherDialogue;
    std::vector<std::pair<std::string, std::string>> fillers; // offset, duration
    std::string sequenceDuration;
};

// An exact time num/den seconds, reduced: "1001/24000s", "2s", "0s".
std::string exactTimeText(int64_t num, int64_t den, char quote);

// The times for a description whose first dialogue has video facts.
VideoDialogueTimes videoDialogueTimes(const ProjectDescription& project, char quote);

// "1-1-1 (Rec. 709)": the colour codes as Final Cut Pro names a colour
// space; "" for codes it has no name for.
std::string colorSpaceText(const ColorCodes& codes);

// <format id=".." [name=".."] frameDuration=".." width=".." height=".."/>
// for the timeline: a name only where Final Cut Pro has one for the size and
// rate.
std::string timelineFormatElement(const TimelineFormat& timeline, const std::string& id,
                                  char quote);

// The video's own format: its exact frame, its size, and with `colorSpace`
// its colour space where the file says it (FCPXML 1.6 has no such attribute).
std::string videoFormatElement(const VideoSourceFacts& video, const std::string& id, char quote,
                               bool colorSpace);

// The asset attributes after its duration: hasVideo, format, hasAudio,
// videoSources (with `videoSources`, from 1.7 on), audioSources (one per
// audio stream), audioChannels (the most any stream has) and audioRate (the
// first stream's), each with a leading blank.
std::string videoAssetAttributes(const VideoSourceFacts& video, const std::string& formatId,
                                 char quote, bool videoSources);

// "DF" or "NDF" for the timeline's timecode.
std::string tcFormatText(const TimelineFormat& timeline);

} // namespace quelvo
