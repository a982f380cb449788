#include "writers/cue_output.h"

#include <cmath>

#include "base/services.h"
#include "writers/titles_fcpxml.h"

namespace quelvo::titles {

namespace {

std::string counted(int n, const std::string& one, const std::string& many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

TitlesSettings readingSettings(CueOutput output, const TitlesSettings& settings) {
    TitlesSettings reading = settings;
    if (output == CueOutput::captions) {
        reading.ignore = {false, false, false, false};
        if (reading.splitText) reading.splitText->split = false;
    }
    return reading;
}

std::vector<CueTiming> titleTimings(const TitlesFcpxml& titles, std::optional<double> fps) {
    const bool avoidOverlap = titles.settings.avoidOverlap.value_or(false);
    const double rate = titles.timebase(fps);
    std::vector<CueTiming> timings;
    timings.reserve(titles.titleList.size());
    for (size_t i = 0; i < titles.titleList.size(); ++i) {
        const TitlePlacement place = titles.placement(i, fps, avoidOverlap);
        timings.push_back(
            {titles.titleList[i].startTime, std::round(place.duration * rate) / rate});
    }
    return timings;
}

std::vector<CueTiming> captionTimings(const std::vector<CaptionPlacement>& placements,
                                      double rate) {
    std::vector<CueTiming> timings;
    timings.reserve(placements.size());
    for (const CaptionPlacement& p : placements)
        timings.push_back(
            {static_cast<double>(p.startFrame) / rate, static_cast<double>(p.frames) / rate});
    return timings;
}

std::vector<std::string> captionWarnings(const CaptionNotes& notes, CaptionFormat format) {
    std::vector<std::string> warnings;
    if (format == CaptionFormat::srt && notes.topPlaced > 0)
        warnings.push_back(counted(notes.topPlaced, "cue asks", "cues ask") +
                           " for the top of the picture, which SRT captions cannot place; "
                           "--caption-format itt keeps it");
    if (notes.overlapping > 0)
        warnings.push_back(counted(notes.overlapping, "caption overlaps", "captions overlap") +
                           " an earlier one, the first at " +
                           quelvo::Timecode::withMilliseconds(notes.firstOverlapTime, false) +
                           "; each is on its own lane, and Final Cut Pro can resolve them "
                           "(Edit > Captions > Resolve Overlaps)");
    return warnings;
}

std::optional<std::string> topPlacedTitlesWarning(const std::vector<SubtitleCue>& cues) {
    int top = 0;
    for (const SubtitleCue& cue : cues)
        top += cue.placement == CuePlacement::top ? 1 : 0;
    if (top == 0) return std::nullopt;
    return counted(top, "cue asks", "cues ask") + " for the top of the picture; titles keep the "
                                                  "style's position, --as captions keeps theirs";
}

} // namespace quelvo::titles
