#include "titles/caption_format.h"

#include <cctype>

namespace quelvo::titles {

namespace {

bool allOf(std::string_view text, int (*test)(int)) {
    for (char c : text)
        if (!test(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

std::optional<CaptionFormat> captionFormatNamed(std::string_view word) {
    std::string lower;
    for (char c : word)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "srt") return CaptionFormat::srt;
    if (lower == "itt") return CaptionFormat::itt;
    return std::nullopt;
}

bool isLanguageTag(std::string_view tag) {
    size_t start = 0;
    for (bool primary = true;; primary = false) {
        const size_t hyphen = tag.find('-', start);
        const std::string_view part =
            tag.substr(start, hyphen == std::string_view::npos ? tag.npos : hyphen - start);
        const bool fits = primary
                              ? part.size() >= 2 && part.size() <= 3 && allOf(part, std::isalpha)
                              : part.size() >= 2 && part.size() <= 8 && allOf(part, std::isalnum);
        if (!fits) return false;
        if (hyphen == std::string_view::npos) return true;
        start = hyphen + 1;
    }
}

std::string captionRole(CaptionFormat format, const std::string& language) {
    return format == CaptionFormat::itt ? "iTT?captionFormat=ITT." + language
                                        : "SRT?captionFormat=SRT." + language;
}

} // namespace quelvo::titles
