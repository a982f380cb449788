#pragma once
// A cue's text as the viewer reads it. Cue texts carry SRT-style inline tags
// (<i> <b> <u> <font ...>), whatever file they came from; captions turn the
// first three into styled runs, and the reading checks count only what is
// shown.
#include <string>
#include <string_view>
#include <vector>

namespace quelvo::titles {

struct TextStyleFlags {
    bool italic = false;
    bool bold = false;
    bool underline = false;
    bool operator==(const TextStyleFlags&) const = default;
};

// One run of text in one style; line feeds stay inside the runs.
struct CaptionSpan {
    std::string text;
    TextStyleFlags style;
};

// The runs of a cue's text, in order: <i> <b> <u> (and their closing tags,
// "</i>" or "<\i>", any case) switch the styles; <font ...> and </font> are
// dropped; anything else between "<" and ">" is text the cue shows ("<one>").
// Neighbouring runs of one style are joined; empty runs are left out. A
// closing tag without its opening one changes nothing.
std::vector<CaptionSpan> captionSpans(std::string_view text);

// The text with every tag removed, line feeds kept.
std::string displayedText(std::string_view text);

} // namespace quelvo::titles
