#pragma once
// What the command line and the titles window share about the two outputs
// of a subtitle file, titles and captions: how the file is read for each,
// the times each gives its cues (for the reading checks), and the warnings
// about what a document could not keep.
#include <optional>
#include <string>
#include <vector>

#include "titles/reading_checks.h"
#include "titles/titles_settings.h"
#include "writers/caption_document.h"

namespace quelvo {
class TitlesFcpxml;
}

namespace quelvo::titles {

enum class CueOutput { titles, captions };

// The settings a file is read with. Captions always keep <i> <b> <u> (they
// become styled runs; other tags are dropped when the document is made) and
// the file's own line breaks; titles read as the settings say.
TitlesSettings readingSettings(CueOutput output, const TitlesSettings& settings);

// Each title's start and duration as the document writes them: after the
// timing rules, the duration rounded to the frame of the timeline.
std::vector<CueTiming> titleTimings(const TitlesFcpxml& titles, std::optional<double> fps);
// Each caption's frames as seconds.
std::vector<CueTiming> captionTimings(const std::vector<CaptionPlacement>& placements, double rate);

// The warnings a caption document gets: top-placed cues in SRT captions
// (which have no placement) and overlapping cues.
std::vector<std::string> captionWarnings(const CaptionNotes& notes, CaptionFormat format);
// Titles keep their style's position: how many cues asked for the top.
std::optional<std::string> topPlacedTitlesWarning(const std::vector<SubtitleCue>& cues);

} // namespace quelvo::titles
