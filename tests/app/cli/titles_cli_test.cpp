// quelvo-cli titles, run as a program: outputs, options and bad input.
#include <random>

#include "support/titles_test_support.h"

using namespace quelvo::test;

namespace {

std::string cli() {
    return (binDir() / "quelvo-cli").string();
}

CommandResult titles(std::vector<std::string> args) {
    args.insert(args.begin(), {cli(), "titles"});
    return runProgram(args);
}

// Exactly one line on standard error, naming what went wrong.
void expectOneLineError(const CommandResult& r, const std::string& mentions) {
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
}

} // namespace

TEST(TitlesCli, WritesBesideTheSubtitlesByDefault) {
    TempDir dir;
    fs::copy_file(srtCorpus("basic.srt"), dir / "talk.srt");
    const auto r = titles({(dir / "talk.srt").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Each title is printed as it is made.
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n') > 0, true);
    EXPECT_NE(r.out.find("<title name=\"Hello there. - Basic Title\""), std::string::npos) << r.out;
    const std::string xml = readFile(dir / "talk.fcpxml");
    EXPECT_NE(xml.find("<fcpxml version=\"1.9\">"), std::string::npos);
    EXPECT_NE(xml.find("<event name=\"talk\">"), std::string::npos);
    EXPECT_NE(xml.find("<!-- Quelvo "), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesCli, FormatOutputAndEvent) {
    TempDir dir;
    const auto r = titles({srtCorpus("multiline.srt").string(), "--format", "1.6", "--output",
                           (dir / "x.fcpxml").string(), "--event", "My \"Cut\""});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string xml = readFile(dir / "x.fcpxml");
    EXPECT_NE(xml.find("<fcpxml version=\"1.6\">"), std::string::npos);
    EXPECT_NE(xml.find("<event name=\"My Cut\">"), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.6");
}

TEST(TitlesCli, WithAVideo) {
    TempDir dir;
    const auto r = titles({srtCorpus("basic.srt").string(), "--video",
                           (testDataDir() / "video" / "clip_25fps_tc1h.mov").string(), "--output",
                           (dir / "v.fcpxml").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string xml = readFile(dir / "v.fcpxml");
    EXPECT_NE(xml.find("<asset-clip name=\"clip_25fps_tc1h.mov\""), std::string::npos);
    EXPECT_NE(xml.find("<event name=\"clip_25fps_tc1h\">"), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesCli, LegacyEncodedSubtitles) {
    TempDir dir;
    const auto r =
        titles({srtCorpus("windows1250.srt").string(), "--output", (dir / "cz.fcpxml").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(readFile(dir / "cz.fcpxml").find(">\xC3\xBAp\xC4\x9Bl "), std::string::npos);
}

TEST(TitlesCli, SettingsFileReplacesTheStoredSettings) {
    TempDir dir;
    writeFile(dir / "look.json", R"({"font": "Futura", "addPatch": true, "timeLineFPS": 25,
                                    "ignore": {"ignoreITags": false}})");
    const auto r = titles({srtCorpus("tags.srt").string(), "--settings",
                           (dir / "look.json").string(), "--output", (dir / "t.fcpxml").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string xml = readFile(dir / "t.fcpxml");
    EXPECT_NE(xml.find("font=\"Futura\""), std::string::npos);
    EXPECT_NE(xml.find("<video name=\"Custom\""), std::string::npos);
    EXPECT_NE(xml.find("frameDuration=\"100/2500s\""), std::string::npos);
    // The parser read the same file: italic tags stay, bold ones go.
    EXPECT_NE(xml.find(">&lt;i&gt;Hi&lt;/i&gt;</text-style>"), std::string::npos) << xml;
    EXPECT_NE(xml.find(">Bold and under and &lt;\\i&gt;odd&lt;\\I&gt;</text-style>"),
              std::string::npos)
        << xml;
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesCli, SettingsOfWrongTypesFallBackKeyByKey) {
    TempDir dir;
    writeFile(dir / "odd.json",
              R"({"font": 5, "size": "big", "patch": [1, 2], "shadow": {"enable": "yes"}})");
    const auto r = titles({srtCorpus("basic.srt").string(), "--settings",
                           (dir / "odd.json").string(), "--output", (dir / "o.fcpxml").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string xml = readFile(dir / "o.fcpxml");
    EXPECT_NE(xml.find("font=\"Helvetica\" fontFace=\"Regular\" fontSize=\"60\""),
              std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesCli, SettingsThatAreNoObjectOrNoJson) {
    TempDir dir;
    for (const std::string& content :
         {std::string("[1, 2, 3]"), std::string("not json {"), std::string("")}) {
        writeFile(dir / "bad.json", content);
        const auto r =
            titles({srtCorpus("basic.srt").string(), "--settings", (dir / "bad.json").string(),
                    "--output", (dir / "never.fcpxml").string()});
        EXPECT_EQ(r.exitCode, 1) << content;
        expectOneLineError(r, "bad.json");
        EXPECT_FALSE(fs::exists(dir / "never.fcpxml"));
    }
    const auto missing =
        titles({srtCorpus("basic.srt").string(), "--settings", (dir / "absent.json").string()});
    EXPECT_EQ(missing.exitCode, 1);
    expectOneLineError(missing, "absent.json");
}

TEST(TitlesCli, NothingReadableExitsOneNamingTheInput) {
    TempDir dir;
    writeFile(dir / "empty.srt", "");
    std::mt19937 rng(7);
    std::string noise(4096, '\0');
    for (auto& b : noise)
        b = static_cast<char>(rng());
    writeFile(dir / "noise.srt", noise);
    writeFile(dir / "invalid.srt", "\xC3\x28\xA0\xA1 no subtitles \xF0\x28\x8C\x28\n");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty.srt", "the file is empty"},
        {"noise.srt", "not text in UTF-8, UTF-16 or a known 8-bit encoding"},
        {"invalid.srt", "no subtitles could be read"},
        {"absent.srt", "cannot read it"},
    };
    for (const auto& [name, reason] : cases) {
        const auto r = titles({(dir / name).string()});
        EXPECT_EQ(r.exitCode, 1) << name;
        expectOneLineError(r, name);
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "empty.fcpxml"));
}

TEST(TitlesCli, FiftyMegabytesOnOneLine) {
    TempDir dir;
    writeFile(dir / "long.srt", std::string(50 * 1024 * 1024, 'x'));
    const auto r = titles({(dir / "long.srt").string()});
    EXPECT_EQ(r.exitCode, 1);
    expectOneLineError(r, "long.srt");
}

TEST(TitlesCli, UnusableVideoOrOutput) {
    TempDir dir;
    auto r = titles({srtCorpus("basic.srt").string(), "--video", (dir / "absent.mov").string()});
    EXPECT_EQ(r.exitCode, 1);
    expectOneLineError(r, "absent.mov");
    writeFile(dir / "fake.mov", "not a movie");
    r = titles({srtCorpus("basic.srt").string(), "--video", (dir / "fake.mov").string()});
    EXPECT_EQ(r.exitCode, 1);
    expectOneLineError(r, "fake.mov");
    r = titles(
        {srtCorpus("basic.srt").string(), "--output", (dir / "no" / "dir" / "x.fcpxml").string()});
    EXPECT_EQ(r.exitCode, 1);
    expectOneLineError(r, "x.fcpxml");
}

TEST(TitlesCli, UsageErrorsExitTwo) {
    EXPECT_EQ(titles({}).exitCode, 2);
    EXPECT_EQ(titles({srtCorpus("basic.srt").string(), "--format", "1.8"}).exitCode, 2);
    EXPECT_EQ(titles({srtCorpus("basic.srt").string(), "--bogus"}).exitCode, 2);
}

// A WebVTT file named .txt: read by its content, with a warning for the cue
// that ends before it starts and one for the cue that asks for the top.
TEST(TitlesCli, WebVttWarnsOfSkippedAndTopCues) {
    TempDir dir;
    writeFile(dir / "talk.txt",
              "WEBVTT\n\n00:01.000 --> 00:02.000 line:0\nUp\n\n00:04.000 --> 00:03.000\nBack\n\n"
              "00:05.000 --> 00:06.000\nDown\n");
    const auto r = titles({(dir / "talk.txt").string(), "--output", (dir / "t.fcpxml").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "quelvo-cli: warning: skipped 1 cue whose end is not after its start in " +
                         (dir / "talk.txt").string() +
                         "\nquelvo-cli: warning: 1 cue asks for the top of the picture; titles "
                         "keep the style's position, "
                         "--as captions keeps theirs\n");
    const std::string xml = readFile(dir / "t.fcpxml");
    EXPECT_EQ(xml.find("Back"), std::string::npos);
    EXPECT_NE(xml.find("<title name=\"Up - Basic Title\""), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}
