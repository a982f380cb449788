#include "titles/webvtt_reader.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "titles/titles_settings.h"

namespace quelvo::webvtt {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t from = 0; from <= text.size();) {
        const size_t end = std::min(text.find('\n', from), text.size());
        std::string_view line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        from = end + 1;
    }
    return lines;
}

bool startsWithWord(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word &&
           (line.size() == word.size() || isBlank(line[word.size()]));
}

// A run of digits as a number; absent without digits.
std::optional<double> digits(std::string_view s, size_t minimum, size_t maximum) {
    if (s.size() < minimum || s.size() > maximum || !std::all_of(s.begin(), s.end(), isDigit))
        return std::nullopt;
    double value = 0;
    for (const char c : s)
        value = value * 10 + (c - '0');
    return value;
}

// One `name:value` cue setting applied to the cue.
void applySetting(std::string_view setting, SubtitleCue& cue) {
    const size_t colon = setting.find(':');
    if (colon == std::string_view::npos) return;
    const std::string_view name = setting.substr(0, colon);
    std::string_view value = setting.substr(colon + 1);
    if (name == "line") {
        value = value.substr(0, value.find(','));
        const bool percent = !value.empty() && value.back() == '%';
        if (percent) value.remove_suffix(1);
        double number = 0;
        const auto res = std::from_chars(value.data(), value.data() + value.size(), number);
        if (res.ec != std::errc() || res.ptr != value.data() + value.size()) return;
        cue.placement =
            (percent ? number < 50 : number >= 0) ? CuePlacement::top : CuePlacement::bottom;
    } else if (name == "align") {
        if (value == "left" || value == "start")
            cue.alignment = CueAlignment::left;
        else if (value == "center" || value == "middle")
            cue.alignment = CueAlignment::center;
        else if (value == "right" || value == "end")
            cue.alignment = CueAlignment::right;
    }
}

// The time line: start, arrow, end, settings; absent when the times do not read.
std::optional<SubtitleCue> cueFromTimeLine(std::string_view line, int64_t id) {
    const size_t arrow = line.find("-->");
    const auto trim = [](std::string_view s) {
        while (!s.empty() && isBlank(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && isBlank(s.back()))
            s.remove_suffix(1);
        return s;
    };
    const auto start = parseTimestamp(trim(line.substr(0, arrow)));
    std::string_view rest = trim(line.substr(arrow + 3));
    const size_t endOfTime = std::min(rest.find_first_of(" \t"), rest.size());
    const auto end = parseTimestamp(rest.substr(0, endOfTime));
    if (!start || !end) return std::nullopt;
    SubtitleCue cue(id, *start, *end, "");
    rest.remove_prefix(endOfTime);
    while (!(rest = trim(rest)).empty()) {
        const size_t cut = std::min(rest.find_first_of(" \t"), rest.size());
        applySetting(rest.substr(0, cut), cue);
        rest.remove_prefix(cut);
    }
    return cue;
}

// A tag's name: up to its first class dot, blank or the end.
std::string_view tagName(std::string_view tag) {
    return tag.substr(0, std::min(tag.find_first_of(". \t"), tag.size()));
}

const std::pair<std::string_view, std::string_view> kReferences[] = {{"&amp;", "&"},
                                                                     {"&lt;", "<"},
                                                                     {"&gt;", ">"},
                                                                     {"&nbsp;", "\xC2\xA0"},
                                                                     {"&lrm;", "\xE2\x80\x8E"},
                                                                     {"&rlm;", "\xE2\x80\x8F"}};

void appendDecoded(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        bool decoded = false;
        if (text[i] == '&')
            for (const auto& [reference, character] : kReferences)
                if (text.substr(i, reference.size()) == reference) {
                    out += character;
                    i += reference.size() - 1;
                    decoded = true;
                    break;
                }
        if (!decoded) out += text[i];
    }
}

} // namespace

std::optional<double> parseTimestamp(std::string_view t) {
    const size_t dot = t.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const auto fraction = digits(t.substr(dot + 1), 3, 3);
    std::vector<std::string_view> columns;
    std::string_view clock = t.substr(0, dot);
    for (size_t at; (at = clock.find(':')) != std::string_view::npos; clock.remove_prefix(at + 1))
        columns.push_back(clock.substr(0, at));
    columns.push_back(clock);
    if (!fraction || columns.size() < 2 || columns.size() > 3) return std::nullopt;
    const auto hours = columns.size() == 3 ? digits(columns[0], 1, 12) : std::optional<double>(0);
    const auto minutes = digits(columns[columns.size() - 2], 2, 2);
    const auto seconds = digits(columns.back(), 2, 2);
    if (!hours || !minutes || !seconds || *minutes > 59 || *seconds > 59) return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds + *fraction / 1000;
}

std::string cueText(std::string_view raw) {
    std::string out;
    size_t at = 0;
    while (at < raw.size()) {
        const size_t open = raw.find('<', at);
        appendDecoded(out, raw.substr(at, open == std::string_view::npos ? open : open - at));
        if (open == std::string_view::npos) break;
        const size_t close = raw.find('>', open);
        if (close == std::string_view::npos) break; // an unclosed tag shows nothing
        const std::string_view tag = raw.substr(open + 1, close - open - 1);
        const bool closing = !tag.empty() && tag[0] == '/';
        const std::string_view name = tagName(closing ? tag.substr(1) : tag);
        if (name == "i" || name == "b" || name == "u")
            out += std::string(closing ? "</" : "<") + std::string(name) + ">";
        at = close + 1;
    }
    return out;
}

srt::ParseReport parse(std::string_view text, const TitlesSettings& settings) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::vector<std::string_view> lines = linesOf(text);
    srt::ParseReport report;
    size_t i = 0;
    const auto skipBlock = [&] {
        while (i < lines.size() && !lines[i].empty())
            ++i;
    };
    skipBlock(); // the WEBVTT line and the header's metadata lines
    int64_t number = 0;
    while (i < lines.size()) {
        if (lines[i].empty()) {
            ++i;
            continue;
        }
        const size_t first = i;
        if (startsWithWord(lines[i], "NOTE") || startsWithWord(lines[i], "STYLE") ||
            startsWithWord(lines[i], "REGION")) {
            skipBlock();
            continue;
        }
        // An identifier line may come before the time line.
        if (lines[i].find("-->") == std::string_view::npos) ++i;
        std::optional<SubtitleCue> cue;
        if (i < lines.size() && lines[i].find("-->") != std::string_view::npos)
            cue = cueFromTimeLine(lines[i], number + 1);
        if (!cue) {
            skipBlock();
            ++report.skippedBlocks;
            for (size_t k = first; k < i; ++k)
                report.skippedLines += lines[k].empty() ? 0 : 1;
            continue;
        }
        ++number;
        std::string raw;
        for (++i; i < lines.size() && !lines[i].empty() &&
                  lines[i].find("-->") == std::string_view::npos;
             ++i)
            raw += (raw.empty() ? "" : "\n") + std::string(lines[i]);
        if (!(cue->endTime > cue->startTime)) {
            ++report.skippedCues;
            continue;
        }
        cue->text = cueText(raw);
        srt::removeIgnoredTags(cue->text, settings.ignore);
        if (settings.splitText && settings.splitText->split)
            cue->text = srt::splitBlockText(cue->text, settings.splitText->length);
        if (!cue->text.empty()) report.titles.push_back(std::move(*cue));
    }
    return report;
}

} // namespace quelvo::webvtt
