// Public WebVTT and ASS files from other projects' test suites, read as
// FFmpeg reads them: the same cues at the same times with the same text once
// markup is gone, except where our reading rules differ on purpose.
#include <cmath>
#include <map>
#include <sstream>

#include "support/titles_test_support.h"
#include "titles/subtitle_file.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

// FFmpeg 5.1 stops reading a WebVTT file at its first STYLE or REGION block;
// it is handed the file without them (they hold no cue).
std::string withoutStyleAndRegionBlocks(const std::string& text) {
    std::string out;
    std::istringstream in(text);
    std::string line, block;
    const auto flush = [&] {
        if (block.rfind("STYLE", 0) != 0 && block.rfind("REGION", 0) != 0) out += block + "\n";
        block.clear();
    };
    while (std::getline(in, line)) {
        if (line.empty())
            flush();
        else
            block += line + "\n";
    }
    flush();
    return out;
}

// Linux's, else Homebrew's.
std::string ffmpeg() {
    for (const char* path :
         {"/usr/bin/ffmpeg", "/opt/homebrew/bin/ffmpeg", "/usr/local/bin/ffmpeg"})
        if (fs::exists(path)) return path;
    return "ffmpeg";
}

std::vector<SubtitleCue> ffmpegReading(const fs::path& file, const TempDir& dir) {
    fs::path input = file;
    if (file.extension() == ".vtt") {
        input = dir / file.filename();
        writeFile(input, withoutStyleAndRegionBlocks(readFile(file)));
    }
    const CommandResult r =
        runProgram({ffmpeg(), "-nostdin", "-v", "error", "-i", input.string(), "-f", "srt", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Our SRT reading drops FFmpeg's <font> tags and {\an5} overrides.
    return SubtitleFile::fromText(r.out, TitlesSettings()).titles;
}

// Where a rule of ours differs from FFmpeg's reading: (file, cue start in ms).
const std::map<std::pair<std::string, long>, std::string> kTextDifferences = {
    {{"pysubs2_vtt_example.vtt", 120100}, "FFmpeg shows a cue of braces as a lone backslash"},
};

long ms(double seconds) {
    return std::lround(seconds * 1000);
}

} // namespace

TEST(SubtitleSamples, EveryCueAsFfmpegReadsIt) {
    TempDir dir;
    for (const auto& entry : fs::directory_iterator(testDataDir() / "subtitles")) {
        const std::string name = entry.path().filename().string();
        if (name == "SOURCES.md") continue;
        SCOPED_TRACE(name);
        const SubtitleFile ours =
            SubtitleFile::fromFileUrl(entry.path().string(), TitlesSettings());
        const std::vector<SubtitleCue> theirs = ffmpegReading(entry.path(), dir);
        EXPECT_EQ(ours.skippedBlocks + ours.skippedCues, 0);
        ASSERT_FALSE(ours.titles.empty());
        ASSERT_EQ(ours.titles.size(), theirs.size());
        for (size_t i = 0; i < theirs.size(); ++i) {
            EXPECT_EQ(ms(ours.titles[i].startTime), ms(theirs[i].startTime)) << "cue " << i + 1;
            EXPECT_EQ(ms(ours.titles[i].endTime), ms(theirs[i].endTime)) << "cue " << i + 1;
            if (!kTextDifferences.count({name, ms(theirs[i].startTime)})) {
                EXPECT_EQ(ours.titles[i].text, theirs[i].text) << "cue " << i + 1;
            }
        }
    }
}
