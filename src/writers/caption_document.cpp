#include "writers/caption_document.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <numeric>
#include <unistd.h>

#include "base/files.h"
#include "titles/caption_spans.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_video_fragments.h"
#include "writers/title_texts.h"

namespace quelvo::titles {

namespace {

const char* const kTimelineFormatId = "FCPX_TimelineFormat";
const char* const kVideoId = "Tessary_VideoAsset";
const char* const kVideoFormatId = "Tessary_VideoAssetFormat";

int64_t frameAt(double seconds, double rate) {
    return std::llround(seconds * rate);
}

std::string framesText(int64_t frames, double rate) {
    return quelvo::fcpxml::snappedTime(static_cast<double>(frames) / rate, rate, 1);
}

std::string alignmentWord(CueAlignment alignment) {
    switch (alignment) {
    case CueAlignment::left:
        return "left";
    case CueAlignment::center:
        return "center";
    case CueAlignment::right:
        return "right";
    case CueAlignment::unset:
        break;
    }
    return "";
}

std::string styleAttributes(const TextStyleFlags& style, CueAlignment alignment) {
    std::string out;
    if (style.italic) out += " italic=\"1\"";
    if (style.bold) out += " bold=\"1\"";
    if (style.underline) out += " underline=\"1\"";
    if (const std::string word = alignmentWord(alignment); !word.empty())
        out += " alignment=\"" + word + "\"";
    return out;
}

// The caption's name in the timeline: its shown text on one line.
std::string captionName(const SubtitleCue& cue) {
    std::string name = displayedText(cue.text);
    std::replace(name.begin(), name.end(), '\n', ' ');
    return attributeText(stripQuotes(name));
}

struct CaptionContext {
    CaptionFormat format;
    std::string role;
    double rate;
    int64_t originFrame; // the parent clip's start on the timeline's grid
};

std::string captionXML(const SubtitleCue& cue, const CaptionPlacement& place, size_t number,
                       const CaptionContext& context) {
    const std::vector<CaptionSpan> spans = captionSpans(cue.text);
    std::vector<TextStyleFlags> styles;
    std::string runs;
    const std::string idBase = "CaptionStyle_" + std::to_string(number) + "_";
    for (const CaptionSpan& span : spans) {
        auto found = std::find(styles.begin(), styles.end(), span.style);
        if (found == styles.end()) found = styles.insert(styles.end(), span.style);
        const size_t id = static_cast<size_t>(found - styles.begin()) + 1;
        runs += "<text-style ref=\"" + idBase + std::to_string(id) + "\">" +
                escapeTitleText(span.text) + "</text-style>";
    }
    if (styles.empty()) styles.push_back({}); // an empty cue still has its style
    std::string placement;
    if (context.format == CaptionFormat::itt)
        placement =
            cue.placement == CuePlacement::top ? " placement=\"top\"" : " placement=\"bottom\"";
    std::string out =
        "<caption name=\"" + captionName(cue) + "\" lane=\"" + std::to_string(place.lane) +
        "\" offset=" + framesText(context.originFrame + place.startFrame, context.rate) +
        " duration=" + framesText(place.frames, context.rate) + " start=\"3600s\" role=\"" +
        attributeText(context.role) + "\">\n<text" + placement + ">\n" + runs + "\n</text>\n";
    for (size_t i = 0; i < styles.size(); ++i)
        out += "<text-style-def id=\"" + idBase + std::to_string(i + 1) + "\">\n<text-style" +
               styleAttributes(styles[i], cue.alignment) + "/>\n</text-style-def>\n";
    return out + "</caption>\n";
}

std::string resourcesXML(const CaptionRequest& request, double rate) {
    using namespace quelvo::fcpxml;
    const std::string frame = framesText(1, rate);
    std::string out = "<resources>\n<format id=\"" + std::string(kTimelineFormatId) + "\" name=\"" +
                      stripQuotes(getFormat(rate)) + "\" frameDuration=" + frame + " width=\"" +
                      std::to_string(request.width) + "\" height=\"" +
                      std::to_string(request.height) + "\"/>\n";
    if (request.video) {
        const VideoFacts& facts = request.video->facts;
        const std::string& path = request.video->path;
        out += getAsset(kVideoId, quelvo::urlLastPathComponent(path), path, facts.startTime,
                        facts.duration, true, true, 2, 48000, "", false, true, true);
        out += "<format id=\"" + std::string(kVideoFormatId) + "\" frameDuration=" + frame +
               " width=\"" + std::to_string(facts.width.value_or(1920)) + "\" height=\"" +
               std::to_string(facts.height.value_or(1080)) + "\"/>\n";
    }
    return out + "</resources>\n";
}

} // namespace

double captionRate(const CaptionRequest& request) {
    if (request.video && usableFrameRate(request.video->facts.frameRate))
        return *request.video->facts.frameRate;
    return usableFrameRate(request.timelineRate) ? request.timelineRate : 30;
}

std::vector<CaptionPlacement> placeCaptions(const std::vector<SubtitleCue>& cues, double rate) {
    std::vector<CaptionPlacement> places(cues.size());
    for (size_t i = 0; i < cues.size(); ++i) {
        places[i].startFrame = frameAt(cues[i].startTime, rate);
        places[i].frames =
            std::max<int64_t>(1, frameAt(cues[i].endTime, rate) - places[i].startFrame);
    }
    // Lanes are handed out in order of start, whatever the file's order.
    std::vector<size_t> order(cues.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return places[a].startFrame < places[b].startFrame;
    });
    std::vector<int64_t> laneEnds; // the frame each lane is free from
    int64_t latestEnd = INT64_MIN;
    for (size_t i : order) {
        CaptionPlacement& place = places[i];
        place.overlapsEarlier = place.startFrame < latestEnd;
        latestEnd = std::max(latestEnd, place.startFrame + place.frames);
        size_t lane = 0;
        while (lane < laneEnds.size() && laneEnds[lane] > place.startFrame)
            ++lane;
        if (lane == laneEnds.size()) laneEnds.push_back(0);
        laneEnds[lane] = place.startFrame + place.frames;
        place.lane = static_cast<int64_t>(lane) + 1;
    }
    return places;
}

CaptionNotes noteCaptions(const std::vector<SubtitleCue>& cues,
                          const std::vector<CaptionPlacement>& placements, double rate) {
    CaptionNotes notes;
    int64_t firstFrame = INT64_MAX;
    for (size_t i = 0; i < cues.size() && i < placements.size(); ++i) {
        if (cues[i].placement == CuePlacement::top) ++notes.topPlaced;
        if (!placements[i].overlapsEarlier) continue;
        ++notes.overlapping;
        firstFrame = std::min(firstFrame, placements[i].startFrame);
    }
    if (notes.overlapping > 0) notes.firstOverlapTime = static_cast<double>(firstFrame) / rate;
    return notes;
}

namespace {

// Writes the document piece by piece: a long file's captions are never
// gathered into one text on their way to a file.
void writeDocument(const CaptionRequest& request,
                   const std::function<void(std::string_view)>& out) {
    const double rate = captionRate(request);
    const std::vector<CaptionPlacement> places = placeCaptions(request.cues, rate);
    int64_t lastFrame = 0;
    for (const CaptionPlacement& p : places)
        lastFrame = std::max(lastFrame, p.startFrame + p.frames);

    CaptionContext context{request.format, captionRole(request.format, request.language), rate, 0};
    std::string eventName = request.eventName;
    std::string spineHead, spineTail;
    int64_t sequenceFrames = lastFrame;
    if (!request.video) {
        spineHead = "<gap name=\"Gap\" offset=\"0s\" duration=" + framesText(lastFrame, rate) +
                    " start=\"0s\">\n";
        spineTail = "</gap>";
    } else {
        // Captions connect to the clip in its own time, which starts at the
        // video's timecode: on the grid, so the captions are too.
        const VideoFacts& facts = request.video->facts;
        const std::string& path = request.video->path;
        context.originFrame = frameAt(facts.startTime, rate);
        sequenceFrames = std::max(lastFrame, frameAt(facts.duration, rate));
        const std::string marker = "\x01"
                                   "captions"
                                   "\x01";
        const std::string clip = quelvo::fcpxml::getAssetClip(
            quelvo::urlLastPathComponent(path), kVideoId, 0, facts.duration, facts.startTime, rate,
            facts.duration, "dialogue", kVideoFormatId, "", {}, false, marker);
        const size_t at = clip.find(marker);
        spineHead = clip.substr(0, at);
        spineTail = clip.substr(at + marker.size());
        eventName = quelvo::urlName(path);
    }
    const std::string name = attributeText(stripQuotes(eventName));
    out("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE fcpxml>\n\n<!-- " +
        commentText(request.comment) + " -->\n\n<fcpxml version=\"1.9\">\n" +
        resourcesXML(request, rate) + "<library>\n<event name=\"" + name + "\">\n<project name=\"" +
        name + "\">\n<sequence duration=" + framesText(sequenceFrames, rate) + " format=\"" +
        kTimelineFormatId +
        "\" tcStart=\"0s\" tcFormat=\"NDF\" audioLayout=\"stereo\" audioRate=\"48k\">\n<spine>\n" +
        spineHead);
    for (size_t i = 0; i < request.cues.size(); ++i)
        out(captionXML(request.cues[i], places[i], i + 1, context));
    out(spineTail + "\n</spine>\n</sequence>\n</project>\n</event>\n</library>\n</fcpxml>\n");
}

} // namespace

std::string captionDocument(const CaptionRequest& request) {
    std::string document;
    writeDocument(request, [&](std::string_view piece) { document.append(piece); });
    return document;
}

quelvo::Status writeCaptionDocument(const CaptionRequest& request, const std::string& path) {
    if (path.empty()) return quelvo::Status::failure("no output file was given");
    // Into a hidden file beside the target, then put in place.
    const std::string temporary = quelvo::temporaryPathBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        return quelvo::Status::failure("cannot write " + path + ": " + std::strerror(error));
    }
    int error = 0;
    writeDocument(request, [&](std::string_view piece) {
        if (error == 0 && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size())
            error = errno ? errno : EIO;
    });
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return quelvo::Status::failure("cannot write " + path + ": " + std::strerror(error));
    }
    return quelvo::commitTemporaryFile(temporary, path);
}

} // namespace quelvo::titles
