#include "titles/caption_spans.h"

#include <cctype>

namespace quelvo::titles {

namespace {

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

struct Tag {
    size_t length = 0; // 0: the "<" is plain text
    std::string name;  // lower case: "i", "b", "u" or "font"
    bool closing = false;
};

// The tag at text[at]: "<i>", "</B>", "<\u>", "<font color=...>", "</font>".
// Anything else between "<" and ">" is text the cue shows ("<one>").
Tag tagAt(std::string_view text, size_t at) {
    Tag tag;
    size_t i = at + 1;
    if (i < text.size() && (text[i] == '/' || text[i] == '\\')) {
        tag.closing = true;
        ++i;
    }
    while (i < text.size() && isLetter(text[i]))
        tag.name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
    const bool known = tag.name == "i" || tag.name == "b" || tag.name == "u" || tag.name == "font";
    if (!known) return {};
    // Only <font ...> carries attributes; the others may hold blanks.
    for (; i < text.size(); ++i) {
        if (text[i] == '>') {
            tag.length = i - at + 1;
            return tag;
        }
        if (text[i] == '\n' || text[i] == '<') return {};
        if (tag.name != "font" && text[i] != ' ') return {};
    }
    return {};
}

void applyTag(const Tag& tag, TextStyleFlags& style) {
    if (tag.name == "i")
        style.italic = !tag.closing;
    else if (tag.name == "b")
        style.bold = !tag.closing;
    else if (tag.name == "u")
        style.underline = !tag.closing;
}

} // namespace

std::vector<CaptionSpan> captionSpans(std::string_view text) {
    std::vector<CaptionSpan> spans;
    TextStyleFlags style;
    const auto add = [&](std::string_view piece) {
        if (piece.empty()) return;
        if (!spans.empty() && spans.back().style == style)
            spans.back().text += piece;
        else
            spans.push_back({std::string(piece), style});
    };
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<') continue;
        const Tag tag = tagAt(text, i);
        if (tag.length == 0) continue;
        add(text.substr(plain, i - plain));
        applyTag(tag, style);
        i += tag.length - 1;
        plain = i + 1;
    }
    add(text.substr(plain));
    return spans;
}

std::string displayedText(std::string_view text) {
    std::string shown;
    for (const CaptionSpan& span : captionSpans(text))
        shown += span.text;
    return shown;
}

} // namespace quelvo::titles
