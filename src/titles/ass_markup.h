#pragma once
// ASS/SSA inline markup: override blocks ({\i1}, {\an8}, ...) and the
// backslash escapes of an event's text, turned into the cue model's plain
// text with the SRT-style tags <i> <b> <u> that the titles already know.
#include <string>
#include <string_view>

#include "titles/subtitle_cue.h"

namespace quelvo::ass {

// The whole number a field starts with (ASS numbers carry no sign of
// trouble: "12abc" is 12), 0 when it starts with none.
int leadingNumber(std::string_view s);

// The placement a numpad alignment asks for (\an, [V4+ Styles]): 7-9 top.
CuePlacement placementFromNumpad(int alignment);
// The placement an SSA alignment asks for (\a, [V4 Styles]): 5-7 top.
CuePlacement placementFromLegacy(int alignment);

struct EventText {
    std::string text;
    // From the first \an or \a override; unset when there is none.
    CuePlacement placement = CuePlacement::unset;
};

// One event's Text field: \N a line break, \n a space (a line break when
// `softBreaksAreBreaks`, as WrapStyle 2 says), \h a no-break space; \i \b \u
// spans as <i> <b> <u>, properly nested; drawings (\p1 ... \p0) dropped;
// every other override tag, and {comments}, removed.
EventText convertEventText(std::string_view raw, bool softBreaksAreBreaks);

// An SRT text's ASS-style override blocks ({\an8} and the like, which many
// players honour in SRT): removed from the text, the placement they ask for
// returned (unset when they ask none).
CuePlacement takeOverrideBlocks(std::string& text);

} // namespace quelvo::ass
