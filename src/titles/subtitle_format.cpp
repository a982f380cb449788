#include "titles/subtitle_format.h"

#include <algorithm>
#include <cctype>

namespace quelvo {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A line "[Events]" anywhere: scripts written by hand sometimes lack the
// [Script Info] section that should open them.
bool hasEventsSection(std::string_view text) {
    for (size_t from = 0; from < text.size();) {
        const size_t end = std::min(text.find('\n', from), text.size());
        if (equalsIgnoringCase(trimmed(text.substr(from, end - from)), "[Events]")) return true;
        from = end + 1;
    }
    return false;
}

} // namespace

SubtitleFormat detectSubtitleFormat(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (text.substr(0, 6) == "WEBVTT" && (text.size() == 6 || text[6] == ' ' || text[6] == '\t' ||
                                          text[6] == '\n' || text[6] == '\r'))
        return SubtitleFormat::webvtt;
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos) {
        const size_t end = std::min(text.find('\n', first), text.size());
        if (equalsIgnoringCase(trimmed(text.substr(first, end - first)), "[Script Info]"))
            return SubtitleFormat::ass;
    }
    return hasEventsSection(text) ? SubtitleFormat::ass : SubtitleFormat::srt;
}

} // namespace quelvo
