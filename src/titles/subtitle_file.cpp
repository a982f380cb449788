#include "titles/subtitle_file.h"

#include <algorithm>

#include "base/files.h"
#include "titles/ass_reader.h"
#include "titles/srt_parser.h"
#include "titles/text_encodings.h"
#include "titles/titles_settings.h"
#include "titles/webvtt_reader.h"

namespace quelvo {

SubtitleFile SubtitleFile::fromText(std::string_view text) {
    return fromText(text, TitlesSettings::shared());
}

namespace {

srt::ParseReport parseAs(SubtitleFormat format, std::string_view text,
                         const TitlesSettings& settings) {
    switch (format) {
    case SubtitleFormat::webvtt:
        return webvtt::parse(text, settings);
    case SubtitleFormat::ass:
        return ass::parse(text, settings);
    case SubtitleFormat::srt:
        break;
    }
    return srt::parseReporting(text, settings);
}

// Why a text that was decoded gave no subtitle.
std::string whyNothingRead(const SubtitleFile& srt, const std::string& refusal) {
    if (!refusal.empty()) return refusal;
    if (srt.skippedCues > 0) return "every cue in it ends before it starts";
    if (srt.format == SubtitleFormat::srt) return kNotASubtitleFile;
    return "it holds no subtitle that could be read";
}

} // namespace

SubtitleFile SubtitleFile::fromText(std::string_view text, const TitlesSettings& settings,
                                    std::string* problem) {
    SubtitleFile srt;
    srt.format = detectSubtitleFormat(text);
    srt::ParseReport report = parseAs(srt.format, text, settings);
    srt.titles = std::move(report.titles);
    srt.skippedBlocks = report.skippedBlocks;
    srt.skippedLines = report.skippedLines;
    srt.skippedCues = report.skippedCues;
    if (problem && srt.titles.empty()) *problem = whyNothingRead(srt, report.problem);
    return srt;
}

SubtitleFile SubtitleFile::fromFileUrl(const std::string& path, std::string* problem) {
    return fromFileUrl(path, TitlesSettings::shared(), problem);
}

SubtitleFile SubtitleFile::fromFileUrl(const std::string& path, const TitlesSettings& settings,
                                       std::string* problem) {
    std::string bytes, error;
    const bool read = quelvo::readFileBytes(path, bytes, &error);
    const std::optional<DecodedText> decoded = read ? decodeSubtitleBytes(bytes) : std::nullopt;
    std::string unread;
    SubtitleFile srt = fromText(decoded ? decoded->text : std::string(), settings, &unread);
    if (decoded) {
        srt.encoding = decoded->encoding;
        srt.droppedNuls = decoded->droppedNuls;
        srt.replacedControls = decoded->replacedControls;
    }
    if (problem && srt.titles.empty()) {
        if (!read)
            *problem = "cannot read it: " + error;
        else if (bytes.empty())
            *problem = "the file is empty";
        else if (!decoded)
            *problem = "it is not text in UTF-8, UTF-16 or a known 8-bit encoding";
        else
            *problem = unread;
    }
    return srt;
}

SubtitleFile SubtitleFile::fromPath(const std::string& path) {
    return fromPath(path, TitlesSettings::shared());
}

SubtitleFile SubtitleFile::fromPath(const std::string& path, const TitlesSettings& settings) {
    return fromText(quelvo::readTextFile(path), settings);
}

SubtitleFile SubtitleFile::fromFileInEncoding(const std::string& path, const std::string& encoding,
                                              const TitlesSettings& settings,
                                              std::string* problem) {
    std::string bytes, error;
    if (!quelvo::readFileBytes(path, bytes, &error)) {
        if (problem) *problem = "cannot read it: " + error;
        return {};
    }
    if (!isKnownEncoding(encoding)) {
        if (problem) *problem = "the encoding " + encoding + " is unknown";
        return {};
    }
    auto text = decodeAs(bytes, encoding);
    const int replaced = text ? replaceC1Controls(*text) : 0;
    std::string unread;
    SubtitleFile srt = fromText(text.value_or(""), settings, &unread);
    if (text) srt.encoding = encoding;
    srt.replacedControls = replaced;
    if (problem && srt.titles.empty()) *problem = !text ? "it is not text in " + encoding : unread;
    return srt;
}

std::string SubtitleFile::readTextWithFallbackEncodings(const std::string& path,
                                                        std::string* encoding) {
    std::string bytes;
    if (!quelvo::readFileBytes(path, bytes)) return {};
    std::optional<DecodedText> decoded = decodeSubtitleBytes(bytes);
    if (!decoded) return {};
    if (encoding) *encoding = decoded->encoding;
    return std::move(decoded->text);
}

double SubtitleFile::lastEndTime() const {
    double last = 0;
    for (const auto& t : titles)
        last = std::max(last, t.endTime);
    return last;
}

} // namespace quelvo
