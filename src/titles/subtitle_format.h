#pragma once
// Which of the subtitle formats a file's text is, judged by its content: an
// editor's file is often named .txt, or .srt when it is WebVTT.
#include <string_view>

namespace quelvo {

enum class SubtitleFormat { srt, webvtt, ass };

// WebVTT when the first line starts with WEBVTT; ASS/SSA when the first line
// that holds something is a [Script Info] section or the text has an [Events]
// section; else SRT, whose reader then says whether any block was found.
SubtitleFormat detectSubtitleFormat(std::string_view text);

// The sentence that refuses a text that is none of them.
inline constexpr const char* kNotASubtitleFile =
    "it is none of SRT, WebVTT or ASS/SSA (expected numbered blocks with \"-->\" time lines, "
    "a first line WEBVTT, or a [Script Info] or [Events] section)";

} // namespace quelvo
