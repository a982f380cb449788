#include "writers/fcpxml_video_dialogue.h"

#include <algorithm>
#include <numeric>

#include "writers/fcpxml_time.h"

namespace quelvo {

namespace {

struct Exact {
    int64_t num = 0;
    int64_t den = 1;
};

Exact onGrid(int64_t steps, FrameGrid grid) {
    return {steps * grid.num, grid.den};
}

Exact sum(Exact a, Exact b) {
    if (a.den == b.den) return {a.num + b.num, a.den};
    const int64_t den = std::lcm(a.den, b.den);
    return {a.num * (den / a.den) + b.num * (den / b.den), den};
}

std::string text(Exact t, char quote) {
    return exactTimeText(t.num, t.den, quote);
}

std::string quoted(const std::string& value, char quote) {
    return quote + value + quote;
}

std::string attribute(const char* name, const std::string& value, char quote) {
    return std::string(" ") + name + "=" + quoted(value, quote);
}

} // namespace

std::string exactTimeText(int64_t num, int64_t den, char quote) {
    if (num == 0 || den <= 0) return quoted("0s", quote);
    const int64_t g = std::gcd(num < 0 ? -num : num, den);
    num /= g;
    den /= g;
    return quoted(std::to_string(num) + (den == 1 ? "" : "/" + std::to_string(den)) + "s", quote);
}

VideoDialogueTimes videoDialogueTimes(const ProjectDescription& project, char quote) {
    VideoDialogueTimes times;
    if (project.dialogue.empty() || !project.dialogue.front().source.facts.video) return times;
    const DialogueClip& dialogue = project.dialogue.front();
    const VideoSourceFacts& video = *dialogue.source.facts.video;
    const FrameGrid own{video.frameDuration.num, video.frameDuration.den};
    const FrameGrid grid = project.timeline.frameGrid();
    // The media lasts whole frames of its own; the clip whole frames of the
    // timeline within them, so it never runs past its media.
    const double mediaSeconds = own.down(dialogue.source.facts.duration);
    const Exact start = onGrid(video.startFrames, own);
    times.assetStart = text(start, quote);
    times.assetDuration = text(onGrid(own.stepsDown(dialogue.source.facts.duration), own), quote);
    times.clipOffset = text(onGrid(grid.stepsDown(dialogue.offset), grid), quote);
    times.clipDuration = text(onGrid(grid.stepsDown(mediaSeconds), grid), quote);
    times.clipStart = times.assetStart;
    times.musicOffset = times.assetStart;
    times.musicDuration =
        text(onGrid(grid.stepsDown(project.music.source.facts.duration), grid), quote);
    for (size_t i = 1; i < project.dialogue.size(); ++i)
        times.otherDialogue.emplace_back(
            text(sum(start, onGrid(grid.stepsDown(project.dialogue[i].offset), grid)), quote),
            text(onGrid(grid.stepsDown(project.dialogue[i].source.facts.duration), grid), quote));
    if (project.filler)
        for (const FillerPlacementClip& clip : project.filler->clips)
            times.fillers.emplace_back(text(sum(start, onGrid(clip.offsetSteps, clip.grid)), quote),
                                       text(onGrid(clip.durationSteps, clip.grid), quote));
    times.sequenceDuration = text(onGrid(grid.stepsDown(project.duration), grid), quote);
    return times;
}

std::string colorSpaceText(const ColorCodes& codes) {
    struct Named {
        ColorCodes codes;
        const char* name;
    };
    static const Named named[] = {{{1, 1, 1}, "Rec. 709"},       {{6, 1, 6}, "Rec. 601 NTSC"},
                                  {{5, 1, 6}, "Rec. 601 PAL"},   {{5, 1, 5}, "Rec. 601 PAL"},
                                  {{9, 1, 9}, "Rec. 2020"},      {{9, 16, 9}, "Rec. 2020 PQ"},
                                  {{9, 18, 9}, "Rec. 2020 HLG"}, {{6, 6, 6}, "Rec. 601 NTSC"}};
    for (const Named& n : named)
        if (n.codes == codes)
            return std::to_string(codes.primaries) + "-" + std::to_string(codes.transfer) + "-" +
                   std::to_string(codes.matrix) + " (" + n.name + ")";
    return "";
}

std::string timelineFormatElement(const TimelineFormat& timeline, const std::string& id,
                                  char quote) {
    const std::string name =
        videoFormats::getVideoFormat({timeline.width, timeline.height}, timeline.frameRate);
    const FrameGrid frame = timeline.frameGrid();
    std::string out = "<format" + attribute("id", id, quote);
    if (name != "FFVideoFormatRateUndefined") out += attribute("name", name, quote);
    return out + " frameDuration=" + exactTimeText(frame.num, frame.den, quote) +
           attribute("width", std::to_string(timeline.width), quote) +
           attribute("height", std::to_string(timeline.height), quote) + "/>";
}

std::string videoFormatElement(const VideoSourceFacts& video, const std::string& id, char quote,
                               bool colorSpace) {
    std::string out = "<format" + attribute("id", id, quote) + " frameDuration=" +
                      exactTimeText(video.frameDuration.num, video.frameDuration.den, quote);
    if (video.width > 0 && video.height > 0)
        out += attribute("width", std::to_string(video.width), quote) +
               attribute("height", std::to_string(video.height), quote);
    if (colorSpace && video.color)
        if (const std::string space = colorSpaceText(*video.color); !space.empty())
            out += attribute("colorSpace", space, quote);
    return out + "/>";
}

std::string videoAssetAttributes(const VideoSourceFacts& video, const std::string& formatId,
                                 char quote, bool videoSources) {
    std::string out = attribute("hasVideo", "1", quote) + attribute("format", formatId, quote);
    if (video.audioStreams.empty()) return out;
    out += attribute("hasAudio", "1", quote);
    if (videoSources) out += attribute("videoSources", "1", quote);
    int channels = 0;
    for (const auto& stream : video.audioStreams)
        channels = std::max(channels, stream.channels);
    out += attribute("audioSources", std::to_string(video.audioStreams.size()), quote);
    if (channels > 0) out += attribute("audioChannels", std::to_string(channels), quote);
    if (video.audioStreams.front().sampleRate > 0)
        out += attribute("audioRate", std::to_string(video.audioStreams.front().sampleRate), quote);
    return out;
}

std::string tcFormatText(const TimelineFormat& timeline) {
    return timeline.dropFrame ? "DF" : "NDF";
}

} // namespace quelvo
