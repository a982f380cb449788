#pragma once
// The WebVTT reader: a .vtt file's text to subtitles.
#include <optional>
#include <string_view>

#include "titles/srt_parser.h"

namespace quelvo::webvtt {

// The header block, NOTE, STYLE and REGION blocks are skipped; a block
// without a readable time line is skipped and counted; a cue whose end is
// not after its start is skipped and counted; a cue without text is left
// out (it shows nothing). Cue settings give the placement (`line:`) and the
// alignment (`align:`); <i> <b> <u> stay as tags, voice spans lose their
// name, every other tag goes and the character references are decoded.
// Then the settings' ignored tags are removed and the text re-wrapped, as
// for SRT. Cues are numbered in file order from 1.
srt::ParseReport parse(std::string_view text, const TitlesSettings& settings);

// "HH:MM:SS.mmm" (hours of any length) or "MM:SS.mmm" in seconds; absent
// when the text is not one.
std::optional<double> parseTimestamp(std::string_view text);

// A cue's text with its markup turned into the cue model's.
std::string cueText(std::string_view raw);

} // namespace quelvo::webvtt
