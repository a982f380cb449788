// The SRT reader on arbitrary bytes, as text and through a file with the
// encoding fallback (UTF-8, UTF-16 with or without a byte-order mark,
// Windows-1250). Whatever it reads must come out as a well-formed, DTD-valid
// titles document in both versions.
//
// The first byte chooses: bit 0 file or text, bits 1-4 which inline tags are
// ignored, bit 5 re-wrapping (bits 6-7 pick the length), bit 6 the 1.6 form,
// bit 7 a patch behind the titles and overlaps avoided.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "titles/srt_parser.h"
#include "titles/subtitle_file.h"
#include "writers/titles_fcpxml.h"

using namespace quelvo;
namespace fs = std::filesystem;

namespace {

// Enough titles to cover lanes, overlaps and patches; more only slow the run.
constexpr size_t kMaxTitlesInDocument = 24;

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_srt: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzz::silenceStandardOutput();
    const fs::path& dir = fuzz::scratchDir();
    const uint8_t mode = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    TitlesSettings settings;
    settings.ignore.ignoreITags = mode & 0x02;
    settings.ignore.ignoreBTags = mode & 0x04;
    settings.ignore.ignoreUTags = mode & 0x08;
    settings.ignore.ignoreFontTags = mode & 0x10;
    settings.splitText =
        SplitText{(mode & 0x20) != 0, (mode & 0xC0) == 0 ? 1 : 12 + (mode >> 6) * 20};
    const bool useV19 = !(mode & 0x40);
    settings.addPatch = (mode & 0x80) != 0;
    settings.avoidOverlap = (mode & 0x80) != 0;

    SubtitleFile srt;
    if (mode & 0x01) {
        const fs::path file = dir / "subtitles.srt";
        fuzz::writeBytes(file, bytes);
        std::string problem;
        srt = SubtitleFile::fromFileUrl(file.string(), settings, &problem);
        if (srt.titles.empty() && problem.empty()) fail("no subtitles and no reason given");
        if (!srt.titles.empty() && !problem.empty())
            fail("a reason given although subtitles were read");
        (void)SubtitleFile::fromPath(file.string(), settings);
        (void)SubtitleFile::readTextWithFallbackEncodings(file.string());
    } else {
        srt = SubtitleFile::fromText(bytes, settings);
        (void)srt::normalizeText(bytes, settings);
    }

    for (const SubtitleCue& t : srt.titles)
        if (!std::isfinite(t.startTime) || !std::isfinite(t.endTime))
            fail("a time that is not a number was read");
    for (const SubtitleCue& t : srt.titles)
        if (t.endTime > srt.lastEndTime()) fail("an end after the last end");

    if (srt.titles.size() > kMaxTitlesInDocument)
        srt.titles.erase(srt.titles.begin() + kMaxTitlesInDocument, srt.titles.end());
    TitlesFcpxml titles("Event & <name>", srt.titles, std::nullopt, settings);
    const std::string xml =
        titles.documentXML(useV19, settings.avoidOverlap.value_or(false), "fuzz -- srt");
    fuzz::requireValidFcpxml(xml, useV19 ? "1.9" : "1.6");
    return 0;
}
