#pragma once
// What kind of caption a document carries: its format (SRT or iTT) and its
// language, which together make the caption role Final Cut Pro switches
// captions by ("SRT?captionFormat=SRT.en").
#include <optional>
#include <string>
#include <string_view>

namespace quelvo::titles {

enum class CaptionFormat { srt, itt };

// "srt" or "itt" (any case); nothing for any other word.
std::optional<CaptionFormat> captionFormatNamed(std::string_view word);

// A language tag as captions are labelled with: a primary language of two
// or three letters, then subtags of two to eight letters or digits, joined
// by hyphens ("en", "en-US", "zh-Hans-CN", "es-419").
bool isLanguageTag(std::string_view tag);

// "SRT?captionFormat=SRT.en" or "iTT?captionFormat=ITT.en".
std::string captionRole(CaptionFormat format, const std::string& language);

} // namespace quelvo::titles
