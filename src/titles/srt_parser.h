#pragma once
// The SRT scanner: plain functions over the file's text. Positions are
// character positions; every delimiter the scanner looks for is ASCII, so the
// block boundaries it finds are the same whether counted in characters or in
// UTF-8 bytes, and the whole-text scan works on bytes (a 2 MB file with 20 000
// cues parses in milliseconds). Inside a block the toolkit's character-index
// functions do the work.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "titles/subtitle_cue.h"

namespace quelvo {
class TitlesSettings;
struct Ignore;
} // namespace quelvo

namespace quelvo::srt {

// The whole file's text to subtitles. A block starts at a line holding only a
// number followed by a time line, wherever it stands; every other line
// belongs to the current subtitle's text (a blank line inside a cue too). A
// broken block (a counter after a blank line, or text before the first
// block, without a time line) is skipped up to the next block that has both.
// `settings` supplies the tag flags and the re-wrapping length.
std::vector<SubtitleCue> parse(std::string_view text, const TitlesSettings& settings);

struct ParseReport {
    std::vector<SubtitleCue> titles;
    int skippedBlocks = 0; // broken blocks left out
    int skippedLines = 0;  // their lines that held something
    int skippedCues = 0;   // cues left out because their end is not after their start
    std::string problem;   // why the whole file was refused; "" when it was not
};
// parse, also telling what was skipped.
ParseReport parseReporting(std::string_view text, const TitlesSettings& settings);

// The block cut into lines of at most `length` characters, joined by line feeds.
std::string splitBlockText(std::string_view block, int64_t length);

// "hh:mm:ss,mmm" (or with a dot, a one-digit hour, or hours of three or more
// digits) in seconds; columns
// that do not read as numbers count 0.
double parseTimecode(std::string_view t);

// Removes the inline tags the settings ignore (<i> <b> <u>, <font ...>)
// from a text, once.
void removeIgnoredTags(std::string& text, const Ignore& ignore);

// Step 1 and 2 of parsing: carriage returns gone, runs of blank lines
// collapsed, the ignored inline tags removed. Exposed for tests.
std::string normalizeText(std::string_view text, const TitlesSettings& settings);

} // namespace quelvo::srt
