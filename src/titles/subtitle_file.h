#pragma once
// A subtitle file read into its subtitles, in file order.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "titles/subtitle_cue.h"
#include "titles/subtitle_format.h"

namespace quelvo {

class TitlesSettings;

class SubtitleFile {
  public:
    // No subtitles.
    SubtitleFile() = default;

    // The factories read the tag flags and the re-wrapping settings from
    // `settings`, by default the shared title settings. Changing the settings
    // later does not touch subtitles already read.

    // The whole file's text, read as SRT, WebVTT or ASS/SSA as its content
    // says (detectSubtitleFormat). When no subtitle could be read, `problem`
    // (if given) receives one short sentence saying why: for a text that is
    // none of the three, what was expected.
    static SubtitleFile fromText(std::string_view text);
    static SubtitleFile fromText(std::string_view text, const TitlesSettings& settings,
                                 std::string* problem = nullptr);

    // A file as decodeSubtitleBytes reads it: UTF-8, UTF-16 (with a
    // byte-order mark, or told by its zero bytes), else 8-bit text without
    // stray NUL bytes in the encoding a character-set detector finds
    // (Windows-1250 when it finds none). When no subtitle could be read,
    // `problem` (if given) receives one short sentence saying why.
    static SubtitleFile fromFileUrl(const std::string& path, std::string* problem = nullptr);
    static SubtitleFile fromFileUrl(const std::string& path, const TitlesSettings& settings,
                                    std::string* problem = nullptr);

    // A file read in the named encoding (see decodeAs), whatever it looks
    // like: for a file whose guessed encoding was wrong.
    static SubtitleFile fromFileInEncoding(const std::string& path, const std::string& encoding,
                                           const TitlesSettings& settings,
                                           std::string* problem = nullptr);

    // A file as UTF-8 or UTF-16 with a byte-order mark only.
    static SubtitleFile fromPath(const std::string& path);
    static SubtitleFile fromPath(const std::string& path, const TitlesSettings& settings);

    // The file's text as fromFileUrl reads it; "" when it does not read.
    // `encoding` (if given) receives the one that read.
    static std::string readTextWithFallbackEncodings(const std::string& path,
                                                     std::string* encoding = nullptr);

    // The latest end; 0 without subtitles.
    double lastEndTime() const;

    std::vector<SubtitleCue> titles;

    // How the text was read, for the front ends to show: the format, the
    // encoding fromFileUrl used ("" from text), the stray NUL bytes it left
    // out, the C1 control characters it replaced with U+FFFD, the broken
    // blocks (and their lines) that the parse skipped, and the cues it
    // skipped because their end is not after their start.
    SubtitleFormat format = SubtitleFormat::srt;
    std::string encoding;
    int droppedNuls = 0;
    int replacedControls = 0;
    int skippedBlocks = 0;
    int skippedLines = 0;
    int skippedCues = 0;
};

} // namespace quelvo
