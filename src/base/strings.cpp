#include "base/strings.h"

#include <algorithm>

namespace quelvo {

namespace {

constexpr char32_t kEscapedByteBase = 0xDC80;

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
size_t validSequenceLength(std::string_view text, size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) return 1;
    size_t len = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        min = 0x10000;
    } else
        return 0;
    if (i + len > text.size()) return 0;
    char32_t cp = b0 & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Byte offset of character index `chars` (clamped to the end).
size_t byteOffset(std::string_view text, int64_t chars) {
    size_t i = 0;
    while (chars > 0 && i < text.size()) {
        const size_t len = validSequenceLength(text, i);
        i += len == 0 ? 1 : len;
        --chars;
    }
    return i;
}

int64_t charCount(std::string_view text, size_t bytes) {
    int64_t n = 0;
    size_t i = 0;
    while (i < bytes && i < text.size()) {
        const size_t len = validSequenceLength(text, i);
        i += len == 0 ? 1 : len;
        ++n;
    }
    return n;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

size_t findFrom(std::string_view text, std::string_view what, size_t from, bool ignoreCase) {
    if (!ignoreCase) return text.find(what, from);
    if (what.size() > text.size()) return std::string_view::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < what.size() && asciiLower(text[i + k]) == asciiLower(what[k]))
            ++k;
        if (k == what.size()) return i;
    }
    return std::string_view::npos;
}

} // namespace

std::u32string toUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t len = validSequenceLength(text, i);
        if (len == 0) {
            out.push_back(kEscapedByteBase + static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(text[i]);
        char32_t cp = len == 1 ? b0 : (b0 & (0x7F >> len));
        for (size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::string toUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp >= kEscapedByteBase && cp <= kEscapedByteBase + 0xFF) {
            out.push_back(static_cast<char>(cp - kEscapedByteBase));
        } else if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

bool isValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t len = validSequenceLength(text, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

int64_t characterCount(std::string_view text) {
    return charCount(text, text.size());
}

int64_t characterPosition(std::string_view srcText, std::string_view subString, int64_t startAt,
                          int recurrence) {
    if (subString.empty() || startAt < 0) return -1;
    size_t from = byteOffset(srcText, startAt);
    for (;;) {
        const size_t hit = srcText.find(subString, from);
        if (hit == std::string_view::npos) return -1;
        if (recurrence-- <= 0) return charCount(srcText, hit);
        from = hit + 1;
    }
}

std::string characterSubstring(std::string_view srcString, int64_t startAt, int64_t endAt) {
    startAt = std::max<int64_t>(startAt, 0);
    if (endAt <= startAt) return {};
    const size_t a = byteOffset(srcString, startAt);
    const size_t b = a + byteOffset(srcString.substr(a), endAt - startAt);
    return std::string(srcString.substr(a, b - a));
}

std::string replace(std::string_view text, std::string_view what, std::string_view with,
                    bool ignoreCase) {
    if (what.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (;;) {
        const size_t hit = findFrom(text, what, from, ignoreCase);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(from, hit - from));
        out.append(with);
        from = hit + what.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string xmlEscapeAttribute(std::string_view text, bool enableSingleQuotes) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            if (enableSingleQuotes)
                out += c;
            else
                out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string xmlSafeText(std::string_view text) {
    bool clean =
        isValidUtf8(text) && !contains(text, "\xEF\xBF\xBE") && !contains(text, "\xEF\xBF\xBF");
    for (size_t i = 0; clean && i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') clean = false;
    }
    if (clean) return std::string(text);
    std::u32string out;
    for (const char32_t cp : toUtf32(text)) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            out.push_back(0xFFFD); // an undecodable byte
        else if (cp < 0x20 && cp != U'\t' && cp != U'\n' && cp != U'\r')
            continue;
        else if (cp == 0xFFFE || cp == 0xFFFF)
            continue;
        else
            out.push_back(cp);
    }
    return toUtf8(out);
}

std::string xmlEscapeText(std::string_view text) {
    const std::string safe = xmlSafeText(text);
    std::string out;
    out.reserve(safe.size());
    for (char c : safe) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string right(std::string_view text, int64_t n) {
    const int64_t len = characterCount(text);
    return characterSubstring(text, std::max<int64_t>(0, len - n), len);
}

std::string stripRight(std::string_view text, int64_t n) {
    const int64_t len = characterCount(text);
    return characterSubstring(text, 0, len - n);
}

std::string trimNewLinesAtBeginning(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == '\n')
        ++i;
    return std::string(text.substr(i));
}

std::string trimWhitespace(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t a = 0, b = text.size();
    while (a < b && isSpace(text[a]))
        ++a;
    while (b > a && isSpace(text[b - 1]))
        --b;
    return std::string(text.substr(a, b - a));
}

std::vector<std::string> split(std::string_view text, int64_t atCharacter) {
    std::vector<std::string> pieces;
    const std::u32string all = toUtf32(text);
    const size_t limit = atCharacter > 0 ? static_cast<size_t>(atCharacter) : 0;
    size_t lineStart = 0;
    while (lineStart <= all.size()) {
        size_t lineEnd = all.find(U'\n', lineStart);
        if (lineEnd == std::u32string::npos) lineEnd = all.size();
        std::u32string_view line(all.data() + lineStart, lineEnd - lineStart);
        while (limit > 0 && line.size() > limit) {
            const size_t blank = line.substr(0, limit + 1).rfind(U' ');
            if (blank != std::u32string_view::npos && blank > 0) {
                pieces.push_back(toUtf8(line.substr(0, blank)));
                line.remove_prefix(blank + 1);
            } else {
                pieces.push_back(toUtf8(line.substr(0, limit)));
                line.remove_prefix(limit);
            }
        }
        pieces.push_back(toUtf8(line));
        if (lineEnd == all.size()) break;
        lineStart = lineEnd + 1;
    }
    return pieces;
}

std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from < text.size()) {
        size_t nl = text.find('\n', from);
        if (nl == std::string_view::npos) nl = text.size();
        out.emplace_back(text.substr(from, nl - from));
        from = nl + 1;
    }
    return out;
}

std::string remove(std::string_view text, std::string_view tag) {
    if (tag.empty()) return std::string(text);
    const std::string open = "<" + std::string(tag);
    const std::string close = "</" + std::string(tag) + ">";
    std::string out;
    // The first '>' at or after the last search start: reused while it still
    // lies ahead, so many unclosed tags cost one scan, not one scan each.
    size_t closeAt = std::string_view::npos;
    bool searched = false;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '<') {
            if (findFrom(text.substr(i, close.size()), close, 0, true) == 0) {
                i += close.size();
                continue;
            }
            if (findFrom(text.substr(i, open.size()), open, 0, true) == 0) {
                const size_t after = i + open.size();
                const bool boundary = after >= text.size() || text[after] == '>' ||
                                      text[after] == ' ' || text[after] == '\t' ||
                                      text[after] == '\n' || text[after] == '/';
                if (!searched || (closeAt != std::string_view::npos && closeAt < after)) {
                    closeAt = text.find('>', after);
                    searched = true;
                }
                const size_t end = closeAt;
                if (boundary && end != std::string_view::npos) {
                    i = end + 1;
                    continue;
                }
            }
        }
        out.push_back(text[i++]);
    }
    return out;
}

std::string toLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

bool contains(std::string_view text, std::string_view what) {
    return text.find(what) != std::string_view::npos;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace quelvo
