#pragma once
// The ASS/SSA reader: a script's [Events] to subtitles.
#include <optional>
#include <string_view>

#include "titles/srt_parser.h"

namespace quelvo::ass {

// Dialogue lines read through the [Events] Format line's field order (the
// usual order without one), the Text field taking the rest of the line;
// Comment and other event lines skipped. Each cue's placement comes from its
// \an or \a override, else from its style's Alignment ([V4+ Styles] numpad,
// [V4 Styles] SSA numbering; the Default style when the event's is missing).
// A line whose times do not read is skipped and counted as a broken block;
// a cue whose end is not after its start is skipped and counted; a cue
// without text (a drawing) is left out. Cues are in start order (a script
// need not be), numbered by their Dialogue line from 1. A Format line
// without a Text field refuses the file: `report.problem` says so.
srt::ParseReport parse(std::string_view text, const TitlesSettings& settings);

// "H:MM:SS.cc" in seconds (the fraction read as a decimal fraction);
// absent when the text is not one.
std::optional<double> parseTime(std::string_view text);

} // namespace quelvo::ass
