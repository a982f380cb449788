#include "titles/srt_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/numbers.h"
#include "base/strings.h"
#include "titles/ass_markup.h"
#include "titles/titles_settings.h"

namespace quelvo::srt {

namespace {

using quelvo::characterCount;
using quelvo::characterPosition;
using quelvo::characterSubstring;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The toolkit's replace(text, what, "", ignoreCase: true), but driven by a
// fast search for the first character: every tag starts with '<', which has
// no case, and this runs over the whole file once per tag and pass.
std::string removeIgnoringCase(std::string text, std::string_view what) {
    if (what.empty() || (what[0] >= 'A' && what[0] <= 'Z') || (what[0] >= 'a' && what[0] <= 'z'))
        return quelvo::replace(text, what, "", true);
    const auto matchesAt = [&](size_t i) {
        if (i + what.size() > text.size()) return false;
        for (size_t k = 1; k < what.size(); ++k)
            if (asciiLower(text[i + k]) != asciiLower(what[k])) return false;
        return true;
    };
    size_t hit = text.find(what[0]);
    while (hit != std::string::npos && !matchesAt(hit))
        hit = text.find(what[0], hit + 1);
    if (hit == std::string::npos) return text;
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    while (hit != std::string::npos) {
        out.append(text, from, hit - from);
        from = hit + what.size();
        hit = text.find(what[0], from);
        while (hit != std::string::npos && !matchesAt(hit))
            hit = text.find(what[0], hit + 1);
    }
    out.append(text, from, std::string::npos);
    return out;
}

void removeTags(std::string& text, std::initializer_list<std::string_view> tags) {
    for (const std::string_view tag : tags)
        text = removeIgnoringCase(std::move(text), tag);
}

// A time column as a number: the whole column must read, with no blanks
// around it; anything else (and a non-finite value) counts 0.
double readColumn(std::string_view column) {
    if (!column.empty() && column.front() == '+') column.remove_prefix(1);
    if (column.empty()) return 0;
    double value = 0;
    const auto res = std::from_chars(column.data(), column.data() + column.size(), value);
    if (res.ec != std::errc() || res.ptr != column.data() + column.size()) return 0;
    return std::isfinite(value) ? value : 0;
}

} // namespace

void removeIgnoredTags(std::string& t, const Ignore& ignore) {
    if (ignore.ignoreITags) removeTags(t, {"<i>", "<I>", "<\\i>", "<\\I>", "</i>", "</I>"});
    if (ignore.ignoreBTags) removeTags(t, {"<b>", "<B>", "<\\b>", "<\\B>", "</b>", "</B>"});
    if (ignore.ignoreUTags) removeTags(t, {"<u>", "<U>", "<\\u>", "<\\U>", "</u>", "</U>"});
    if (ignore.ignoreFontTags) t = quelvo::remove(t, "font");
}

std::string normalizeText(std::string_view text, const TitlesSettings& settings) {
    std::string t = quelvo::replace(text, "\r", "", false);
    for (;;) {
        const size_t before = t.size();
        t = quelvo::replace(t, "\n\n\n", "\n\n", false);
        // Every replacement shortens the text, so the size tells whether the pass changed it.
        const bool changed = t.size() != before;
        removeIgnoredTags(t, settings.ignore);
        if (!changed) break;
    }
    return t;
}

namespace {

// A line holding only a number (blanks and a byte-order mark aside).
bool isCounterLine(std::string_view line) {
    if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return !line.empty() && std::all_of(line.begin(), line.end(), isDigit);
}

bool isTimeLine(std::string_view line) {
    return line.find(" -->") != std::string_view::npos;
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The counter on the first line: its decimal digits, every other character
// (a byte-order mark, blanks) ignored. Absent without a line feed or digits.
std::optional<int64_t> blockNumber(std::string_view s) {
    const int64_t p = characterPosition(s, "\n");
    if (p < 0) return std::nullopt;
    std::string digits = characterSubstring(s, 0, p);
    std::erase_if(digits, [](char c) { return c < '0' || c > '9'; });
    if (digits.empty()) return std::nullopt;
    return quelvo::toInt(digits);
}

// One block (counter line, time line, text lines) to a subtitle. ASS-style
// override blocks ({\an8}) on the time line or in the text set the
// placement and are removed from the text.
std::optional<SubtitleCue> parseBlock(std::string_view b) {
    std::string block(b);
    if (quelvo::right(block, 1) != "\n") block += '\n';
    const int64_t p = characterPosition(block, "\n");
    const std::string rest = characterSubstring(block, p, characterCount(block));
    const int64_t a = characterPosition(rest, " -->");
    if (a < 0) return std::nullopt;
    const double start = parseTimecode(characterSubstring(rest, 0, a));
    // Skips " -->" and the blank after it.
    const std::string rest2 = characterSubstring(rest, a + 5, characterCount(rest));
    const int64_t e = characterPosition(rest2, "\n");
    if (e < 0) return std::nullopt;
    std::string endAndSettings = characterSubstring(rest2, 0, e);
    const double end = parseTimecode(endAndSettings);
    std::string text = characterSubstring(rest2, e + 1, characterCount(rest2));
    const auto id = blockNumber(block);
    if (!id) return std::nullopt;
    if (quelvo::right(text, 1) == "\n") text = quelvo::stripRight(text, 1);
    // Players honour {\an8} in SRT as in ASS: where the cue goes, never text.
    const CuePlacement inText = ass::takeOverrideBlocks(text);
    SubtitleCue title(*id, start, end, std::move(text));
    title.placement =
        inText != CuePlacement::unset ? inText : ass::takeOverrideBlocks(endAndSettings);
    return title;
}

} // namespace

std::vector<SubtitleCue> parse(std::string_view text, const TitlesSettings& settings) {
    return parseReporting(text, settings).titles;
}

ParseReport parseReporting(std::string_view text, const TitlesSettings& settings) {
    const std::string prepared = normalizeText(text, settings);
    std::vector<std::string_view> lines;
    for (size_t from = 0; from <= prepared.size();) {
        const size_t end = std::min(prepared.find('\n', from), prepared.size());
        lines.push_back(std::string_view(prepared).substr(from, end - from));
        from = end + 1;
    }
    const auto startsBlock = [&](size_t i) {
        return i + 1 < lines.size() && isCounterLine(lines[i]) && isTimeLine(lines[i + 1]);
    };

    ParseReport report;
    // The lines of the block being read: counter, time line, text.
    std::vector<std::string_view> block;
    bool skipping = false;
    const auto finishBlock = [&] {
        if (block.empty()) return;
        while (block.size() > 2 && isBlank(block.back()))
            block.pop_back();
        std::string joined;
        for (size_t k = 0; k < block.size(); ++k) {
            if (k) joined += '\n';
            joined += block[k];
        }
        if (settings.splitText && settings.splitText->split)
            joined = splitBlockText(joined, settings.splitText->length);
        if (auto title = parseBlock(joined)) {
            if (title->endTime > title->startTime)
                report.titles.push_back(std::move(*title));
            else
                ++report.skippedCues;
        }
        block.clear();
    };
    const auto skipLine = [&](std::string_view line) {
        if (!skipping) {
            skipping = true;
            ++report.skippedBlocks;
        }
        if (!isBlank(line)) ++report.skippedLines;
    };

    bool afterBlank = true;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (startsBlock(i)) {
            finishBlock();
            skipping = false;
            block = {line, lines[i + 1]};
            ++i;
            afterBlank = false;
            continue;
        }
        if (skipping) {
            skipLine(line);
        } else if (block.empty() || (afterBlank && isCounterLine(line))) {
            // Text before any block, or a counter after a blank line with no
            // time line: a broken block, dropped up to the next good one.
            if (!isBlank(line)) {
                finishBlock();
                skipLine(line);
            }
        } else {
            block.push_back(line);
        }
        afterBlank = isBlank(line);
    }
    finishBlock();
    return report;
}

std::string splitBlockText(std::string_view block, int64_t length) {
    const std::vector<std::string> pieces = quelvo::split(block, length);
    if (pieces.size() == 1) return std::string(block);
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i) joined += '\n';
        joined += pieces[i];
    }
    return joined;
}

double parseTimecode(std::string_view t) {
    std::string s(t);
    std::replace(s.begin(), s.end(), ',', '.');
    std::erase(s, '\n');
    if (s.size() > 1 && s[1] == ':') s = "0" + s;
    // Hours of 100 and more take more than two columns: every digit before
    // the first colon counts, and the later columns move along with it.
    const size_t digits =
        static_cast<size_t>(std::find_if_not(s.begin(), s.end(), isDigit) - s.begin());
    const int64_t h =
        digits > 2 && digits < s.size() && s[digits] == ':' ? static_cast<int64_t>(digits) : 2;
    const double hours = readColumn(characterSubstring(s, 0, h));
    const double minutes = readColumn(characterSubstring(s, h + 1, h + 3));
    const double seconds = readColumn(characterSubstring(s, h + 4, h + 6));
    const double thousandths = readColumn(characterSubstring(s, h + 7, h + 10));
    return hours * 3600 + minutes * 60 + seconds + thousandths / 1000;
}

} // namespace quelvo::srt
