// quelvo-cli titles --as captions, the reading checks' warning lines and
// --json, run as a program.
#include <nlohmann/json.hpp>

#include "support/titles_test_support.h"

using namespace quelvo::test;

namespace {

CommandResult titles(std::vector<std::string> args) {
    args.insert(args.begin(), {(binDir() / "quelvo-cli").string(), "titles"});
    return runProgram(args);
}

size_t lineCount(const std::string& text) {
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(CaptionsCli, CaptionsWithJsonSummary) {
    TempDir dir;
    const fs::path out = dir / "c.fcpxml";
    const auto r = titles({srtCorpus("overlapping.srt").string(), "--as", "captions",
                           "--caption-format", "itt", "--language", "de-CH", "--format", "1.9",
                           "--output", out.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(1u, lineCount(r.out)) << "standard output carries the summary alone: " << r.out;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(out.string(), json["output"]);
    EXPECT_EQ("1.9", json["format"]);
    EXPECT_EQ("captions", json["as"]);
    EXPECT_EQ(3, json["captions"]);
    ASSERT_EQ(2u, json["warnings"].size()) << r.out;
    EXPECT_EQ("1 caption overlaps an earlier one, the first at 00:00:01.500; each is on its own "
              "lane, and Final "
              "Cut Pro can resolve them (Edit > Captions > Resolve Overlaps)",
              json["warnings"][0]);
    EXPECT_EQ("cue 3 at 00:00:03.000: 28.0 characters a second (limit 17)", json["warnings"][1]);
    EXPECT_NE(r.err.find("quelvo-cli: warning: 1 caption overlaps"), std::string::npos) << r.err;
    const std::string xml = readFile(out);
    EXPECT_NE(xml.find("role=\"iTT?captionFormat=ITT.de-CH\""), std::string::npos);
    size_t captions = 0;
    for (size_t at = xml.find("<caption "); at != std::string::npos;
         at = xml.find("<caption ", at + 1))
        ++captions;
    EXPECT_EQ(3u, captions);
    EXPECT_VALID_FCPXML(xml, "1.9");

    // Titles under --json: the titles printed as they are made go to
    // standard error, the summary counts them.
    const auto t =
        titles({srtCorpus("tags.srt").string(), "--output", (dir / "t.fcpxml").string(), "--json"});
    ASSERT_EQ(t.exitCode, 0) << t.err;
    ASSERT_EQ(1u, lineCount(t.out)) << t.out;
    const auto summary = nlohmann::json::parse(t.out);
    EXPECT_EQ(3, summary["titles"]);
    EXPECT_EQ("titles", summary["as"]);
    EXPECT_TRUE(summary["warnings"].is_array());
    EXPECT_NE(t.err.find("<title name="), std::string::npos);
}

TEST(CaptionsCli, ReadingChecksWarnAndNeverStopTheExport) {
    TempDir dir;
    // basic.srt's second cue: 30 characters in 1.75 s would be 17.1 a
    // second, but on the frame grid it runs 53 frames (1.767 s): 16.98.
    const auto r =
        titles({srtCorpus("basic.srt").string(), "--as", "captions", "--output",
                (dir / "b.fcpxml").string(), "--max-line-length", "12", "--min-cue-duration", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ("quelvo-cli: warning: cue 2 at 00:00:04.500: 30 characters on a line (limit 12); "
              "shown for 1.77 s "
              "(at least 2)\n"
              "quelvo-cli: warning: cue 3 at 00:00:07.000: 19 characters on a line (limit 12)\n",
              r.err);
    EXPECT_EQ("Wrote " + (dir / "b.fcpxml").string() + " (FCPXML 1.9, 3 captions)\n", r.out);
    EXPECT_TRUE(fs::exists(dir / "b.fcpxml"));
}

TEST(CaptionsCli, UsageErrors) {
    TempDir dir;
    const std::string srt = srtCorpus("basic.srt").string();
    const std::string out = (dir / "x.fcpxml").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--as", "captions", "--format", "1.6"}, "FCPXML 1.6 has no captions"},
        {{"--as", "captions", "--language", "en_US"}, "--language: en_US is not a language tag"},
        {{"--caption-format", "itt"}, "add --as captions"},
        {{"--as", "subtitles"}, "--as"},
        {{"--as", "captions", "--caption-format", "vtt"}, "--caption-format"},
        {{"--max-cps", "0"}, "--max-cps"},
        {{"--max-lines", "1.5"}, "--max-lines"},
        {{"--min-cue-duration", "-1"}, "--min-cue-duration"},
    };
    for (const auto& [extra, mentions] : cases) {
        std::vector<std::string> args = {srt, "--output", out};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto r = titles(args);
        EXPECT_EQ(2, r.exitCode) << extra.front() << ": " << r.err;
        EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
}
