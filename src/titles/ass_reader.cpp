#include "titles/ass_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <string>
#include <vector>

#include "titles/ass_markup.h"
#include "titles/titles_settings.h"

namespace quelvo::ass {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A "Key: value" line's key, lower-cased, and its value; no key without a colon.
std::pair<std::string, std::string_view> keyAndValue(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {"", line};
    return {lower(trim(line.substr(0, colon))), line.substr(colon + 1)};
}

// A line's fields: `count` of them, the last one taking the rest of the line
// (a text may hold commas). Fewer when the line has fewer commas.
std::vector<std::string_view> fields(std::string_view line, size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos) break;
        out.push_back(trim(line.substr(0, comma)));
        line.remove_prefix(comma + 1);
    }
    out.push_back(out.size() + 1 == count ? line : trim(line));
    return out;
}

std::vector<std::string> fieldNames(std::string_view value) {
    std::vector<std::string> names;
    for (const std::string_view f : fields(value, SIZE_MAX))
        names.push_back(lower(trim(f)));
    return names;
}

const char* const kEventFields =
    "layer, start, end, style, name, marginl, marginr, marginv, effect, text";
const char* const kStyleFieldsV4Plus =
    "name, fontname, fontsize, primarycolour, secondarycolour, outlinecolour, backcolour, bold, "
    "italic, "
    "underline, strikeout, scalex, scaley, spacing, angle, borderstyle, outline, shadow, alignment";
const char* const kStyleFieldsV4 =
    "name, fontname, fontsize, primarycolour, secondarycolour, tertiarycolour, "
    "backcolour, bold, italic, borderstyle, outline, shadow, alignment";

std::optional<size_t> indexOf(const std::vector<std::string>& names, std::string_view name) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) return std::nullopt;
    return static_cast<size_t>(it - names.begin());
}

// Style names as a renderer matches them: a leading '*' does not count.
std::string styleKey(std::string_view name) {
    name = trim(name);
    while (!name.empty() && name.front() == '*')
        name.remove_prefix(1);
    return std::string(name);
}

struct Script {
    bool softBreaksAreBreaks = false;
    std::map<std::string, CuePlacement> stylePlacement;
    std::vector<std::string> eventFields = fieldNames(kEventFields);
    std::vector<std::string> styleFields;
    bool legacyStyles = false;
};

CuePlacement placementOfStyle(const Script& script, std::string_view style) {
    auto it = script.stylePlacement.find(styleKey(style));
    if (it == script.stylePlacement.end()) it = script.stylePlacement.find("Default");
    return it == script.stylePlacement.end() ? CuePlacement::unset : it->second;
}

void readStyle(std::string_view value, Script& script) {
    if (script.styleFields.empty())
        script.styleFields = fieldNames(script.legacyStyles ? kStyleFieldsV4 : kStyleFieldsV4Plus);
    const auto name = indexOf(script.styleFields, "name");
    const auto alignment = indexOf(script.styleFields, "alignment");
    const std::vector<std::string_view> values = fields(value, script.styleFields.size());
    if (!name || !alignment || *name >= values.size() || *alignment >= values.size()) return;
    const int a = leadingNumber(trim(values[*alignment]));
    script.stylePlacement[styleKey(values[*name])] =
        script.legacyStyles ? placementFromLegacy(a) : placementFromNumpad(a);
}

} // namespace

std::optional<double> parseTime(std::string_view t) {
    t = trim(t);
    int h = 0, m = 0, s = 0;
    const char* p = t.data();
    const char* end = t.data() + t.size();
    const auto read = [&](int& v, char after) {
        const auto res = std::from_chars(p, end, v);
        if (res.ec != std::errc() || res.ptr == end || *res.ptr != after || v < 0) return false;
        p = res.ptr + 1;
        return true;
    };
    if (!read(h, ':') || !read(m, ':') || !read(s, '.')) return std::nullopt;
    const std::string_view fraction(p, static_cast<size_t>(end - p));
    if (fraction.empty() ||
        !std::all_of(fraction.begin(), fraction.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    double f = 0, scale = 1;
    for (const char c : fraction) {
        scale /= 10;
        f += (c - '0') * scale;
    }
    return h * 3600.0 + m * 60.0 + s + f;
}

srt::ParseReport parse(std::string_view text, const TitlesSettings& settings) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    srt::ParseReport report;
    Script script;
    std::string section;
    int64_t number = 0;
    for (size_t from = 0; from <= text.size();) {
        const size_t lineEnd = std::min(text.find('\n', from), text.size());
        const std::string_view line = trim(text.substr(from, lineEnd - from));
        from = lineEnd + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = lower(line);
            script.legacyStyles = section == "[v4 styles]";
            continue;
        }
        const auto [key, value] = keyAndValue(line);
        if (section == "[script info]" && key == "wrapstyle") {
            script.softBreaksAreBreaks = trim(value) == "2";
        } else if (section == "[v4+ styles]" || section == "[v4 styles]") {
            if (key == "format")
                script.styleFields = fieldNames(value);
            else if (key == "style")
                readStyle(value, script);
        } else if (section == "[events]" && key == "format") {
            script.eventFields = fieldNames(value);
            if (!indexOf(script.eventFields, "text")) {
                report.problem =
                    "its [Events] Format line has no Text field, so no subtitle text can be found";
                report.titles.clear();
                return report;
            }
        } else if (section == "[events]" && key == "dialogue") {
            ++number;
            const std::vector<std::string_view> values = fields(value, script.eventFields.size());
            const auto at = [&](std::string_view name) -> std::optional<std::string_view> {
                const auto i = indexOf(script.eventFields, name);
                if (!i || *i >= values.size()) return std::nullopt;
                return values[*i];
            };
            const auto time = [&](std::string_view name) {
                return parseTime(at(name).value_or(""));
            };
            const double start = time("start").value_or(-1), end = time("end").value_or(-1);
            if (start < 0 || end < 0 || !at("text")) {
                ++report.skippedBlocks;
                ++report.skippedLines;
                continue;
            }
            if (!(end > start)) {
                ++report.skippedCues;
                continue;
            }
            EventText converted =
                convertEventText(at("text").value_or(""), script.softBreaksAreBreaks);
            SubtitleCue cue(number, start, end, std::move(converted.text));
            cue.placement = converted.placement != CuePlacement::unset
                                ? converted.placement
                                : placementOfStyle(script, at("style").value_or("Default"));
            srt::removeIgnoredTags(cue.text, settings.ignore);
            if (settings.splitText && settings.splitText->split)
                cue.text = srt::splitBlockText(cue.text, settings.splitText->length);
            if (!cue.text.empty()) report.titles.push_back(std::move(cue));
        }
    }
    std::stable_sort(
        report.titles.begin(), report.titles.end(),
        [](const SubtitleCue& a, const SubtitleCue& b) { return a.startTime < b.startTime; });
    return report;
}

} // namespace quelvo::ass
