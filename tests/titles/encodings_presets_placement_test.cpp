// What the titles window builds on in the core: reading a file in a chosen
// encoding (and saying which one was used), where each title lands and why,
// presets stored as files, and `quelvo-cli titles --encoding`.
#include <filesystem>

#include "base/settings_store.h"
#include "support/titles_test_support.h"
#include "titles/subtitle_file.h"
#include "titles/text_encodings.h"
#include "titles/title_presets.h"
#include "writers/titles_fcpxml.h"

using namespace quelvo;
using namespace quelvo::test;

TEST(SubtitleEncodings, TheGuessIsReportedAndAChosenEncodingReadsAgain) {
    const TitlesSettings settings;
    const std::pair<const char*, const char*> guesses[] = {{"basic.srt", "UTF-8"},
                                                           {"crlf_bom.srt", "UTF-8"},
                                                           {"utf16le_bom.srt", "UTF-16LE"},
                                                           {"utf16be_bom.srt", "UTF-16BE"},
                                                           {"utf16le_no_bom.srt", "UTF-16LE"},
                                                           {"windows1250.srt", "WINDOWS-1250"}};
    for (const auto& [file, encoding] : guesses) {
        const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus(file).string(), settings);
        EXPECT_FALSE(srt.titles.empty()) << file;
        EXPECT_EQ(encoding, srt.encoding) << file;
    }

    const std::string path = srtCorpus("windows1250.srt").string();
    const SubtitleFile guessed = SubtitleFile::fromFileUrl(path, settings);
    ASSERT_EQ(2u, guessed.titles.size());
    EXPECT_EQ("Příliš žluťoučký kůň", guessed.titles[0].text);
    // The same bytes as Latin-1: other letters, same blocks.
    const SubtitleFile western = SubtitleFile::fromFileInEncoding(path, "ISO-8859-1", settings);
    ASSERT_EQ(2u, western.titles.size());
    EXPECT_EQ("ISO-8859-1", western.encoding);
    EXPECT_NE(guessed.titles[0].text, western.titles[0].text);
    EXPECT_EQ(guessed.titles[0].startTime, western.titles[0].startTime);
    // ISO-8859-2 shares most Czech letters with Windows-1250 but not all.
    const SubtitleFile latin2 = SubtitleFile::fromFileInEncoding(path, "ISO-8859-2", settings);
    ASSERT_EQ(2u, latin2.titles.size());
    EXPECT_EQ("ISO-8859-2", latin2.encoding);

    // A wrong choice says so instead of showing a mangled text: 0x9D has
    // no character in Windows-1252, and the bytes are no UTF-8.
    EXPECT_TRUE(SubtitleFile::fromFileInEncoding(path, "WINDOWS-1252", settings).titles.empty());
    std::string problem;
    const SubtitleFile notUtf8 =
        SubtitleFile::fromFileInEncoding(path, "UTF-8", settings, &problem);
    EXPECT_TRUE(notUtf8.titles.empty());
    EXPECT_EQ("", notUtf8.encoding);
    EXPECT_EQ("it is not text in UTF-8", problem);
    EXPECT_FALSE(decodeAs("abc", "NO-SUCH-ENCODING").has_value());
    // A byte-order mark is not text.
    EXPECT_EQ("a", decodeAs("\xEF\xBB\xBF"
                            "a",
                            "UTF-8")
                       .value_or("?"));
    EXPECT_EQ("a", decodeAs(std::string("\xFF\xFE"
                                        "a\0",
                                        4),
                            "UTF-16LE")
                       .value_or("?"));
    for (const char* name : kSubtitleEncodings)
        EXPECT_TRUE(decodeAs("12", name).has_value()) << name; // every name in the menu is known
    problem.clear();
    EXPECT_TRUE(
        SubtitleFile::fromFileInEncoding(path, "NOPE-42", settings, &problem).titles.empty());
    EXPECT_EQ("the encoding NOPE-42 is unknown", problem);
}

TEST(SubtitleEncodings, ControlCharactersNeverReachTheText) {
    // U+0085 and U+009F written as UTF-8, and the same file's guess.
    std::string text = "a\xC2\x85 b\xC2\x9F\xC2\xA0";
    EXPECT_EQ(replaceC1Controls(text), 2);
    EXPECT_EQ(text, "a\xEF\xBF\xBD b\xEF\xBF\xBD\xC2\xA0");
    const auto decoded = decodeSubtitleBytes("1\n00:00:01,000 --> 00:00:02,000\nx\xC2\x80y\n");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->replacedControls, 1);
    EXPECT_EQ(decoded->text.find("\xC2\x80"), std::string::npos);
}

TEST(TitlePlacement, SaysWhyATitleDiffersFromItsSubtitle) {
    TitlesSettings settings;
    settings.extendAfter = 0;
    settings.add1BlankFrame = false;
    const SubtitleFile srt =
        SubtitleFile::fromFileUrl(srtCorpus("overlapping.srt").string(), settings);
    ASSERT_EQ(3u, srt.titles.size());

    {
        TitlesFcpxml titles("e", srt.titles, std::nullopt, settings);
        const TitlePlacement first = titles.placement(0, 25.0, false);
        EXPECT_DOUBLE_EQ(2.0, first.duration);
        EXPECT_EQ(1, first.lane);
        EXPECT_TRUE(first.overlapsNext);
        EXPECT_FALSE(first.shortenedForNext);
        EXPECT_EQ(2, titles.placement(1, 25.0, false).lane)
            << "overlapping titles get lanes of their own";
        EXPECT_FALSE(titles.placement(1, 25.0, false).overlapsNext)
            << "ending as the next starts is no overlap";
    }
    {
        TitlesFcpxml titles("e", srt.titles, std::nullopt, settings);
        const TitlePlacement first = titles.placement(0, 25.0, true);
        EXPECT_TRUE(first.shortenedForNext);
        EXPECT_FALSE(first.overlapsNext);
        EXPECT_NEAR(1.5 - 1.0 / 25, first.duration, 1e-9);
        EXPECT_EQ(1, titles.placement(2, 25.0, true).lane);
    }
    settings.minDuration = 3;
    settings.addPatch = true;
    TitlesFcpxml titles("e", srt.titles, std::nullopt, settings);
    const TitlePlacement last = titles.placement(2, std::nullopt, false);
    EXPECT_TRUE(last.raisedToMinimum);
    EXPECT_DOUBLE_EQ(3.0, last.duration);
    EXPECT_EQ(4, last.lane) << "lane 1 carries the patches";
    // The document holds what the placement says.
    std::string out;
    capturingStdout([&] { out = titles.documentXML(true, false, "c"); });
    EXPECT_NE(
        out.find(
            "lane=\"4\" offset=\"9000/3000s\" ref=\"Tessary_BasicTitle\" duration=\"9000/3000s\""),
        std::string::npos)
        << out;
}

TEST(TitlePresets, ShippedSavedImportedExportedAndRemoved) {
    freshSettings();
    const auto names = [] {
        std::vector<std::string> list;
        for (const TitlePreset& p : titlepresets::all())
            list.push_back(p.name);
        return list;
    };
    EXPECT_EQ(
        (std::vector<std::string>{"Default", "Documentary lower third", "Social video captions"}),
        names());
    EXPECT_EQ(TitlesSettings(), titlepresets::shipped()[0].settings);

    TitlesSettings mine;
    mine.font = "DejaVu Sans";
    mine.size = 72;
    mine.addPatch = true;
    mine.timeLineFPS = 25; // a new object has none; a stored one reads 30 without it
    ASSERT_TRUE(titlepresets::save("My look/v2", mine));
    EXPECT_FALSE(titlepresets::save("Default", mine)) << "a shipped preset stays as shipped";
    EXPECT_FALSE(titlepresets::save("", mine));
    ASSERT_EQ(4u, titlepresets::all().size());
    const TitlePreset saved = titlepresets::all().back();
    EXPECT_EQ("My look_v2", saved.name) << "a name never reaches another folder";
    EXPECT_EQ(mine, saved.settings);
    EXPECT_FALSE(saved.shipped);

    // To a colleague and back, through a file of the settings' own form.
    TempDir dir;
    const std::string shared = (dir / "Warm captions.json").string();
    ASSERT_TRUE(titlepresets::exportTo(shared, mine));
    EXPECT_EQ(mine, TitlesSettings::decodeText(readFile(shared)).value());
    std::string name;
    ASSERT_TRUE(titlepresets::importFrom(shared, &name));
    EXPECT_EQ("Warm captions", name);
    EXPECT_EQ(5u, titlepresets::all().size());
    writeFile(dir / "bad.json", "[1,2]");
    const quelvo::Status bad = titlepresets::importFrom((dir / "bad.json").string());
    EXPECT_FALSE(bad);
    EXPECT_NE(bad.message().find("not a JSON object of title settings"), std::string::npos)
        << bad.message();

    ASSERT_TRUE(titlepresets::remove("Warm captions"));
    EXPECT_FALSE(titlepresets::remove("Warm captions"));
    EXPECT_EQ(4u, titlepresets::all().size());
}

TEST(TitlesCli, EncodingReadsTheFileInTheNamedEncoding) {
    TempDir dir;
    const std::string cli = (binDir() / "quelvo-cli").string();
    const std::string file = srtCorpus("windows1250.srt").string();
    const auto guessed = runProgram({cli, "titles", file, "--output", (dir / "a.fcpxml").string()});
    ASSERT_EQ(0, guessed.exitCode) << guessed.err;
    const auto western = runProgram(
        {cli, "titles", file, "--encoding", "ISO-8859-1", "--output", (dir / "b.fcpxml").string()});
    ASSERT_EQ(0, western.exitCode) << western.err;
    EXPECT_NE(readFile(dir / "a.fcpxml").find("Příliš"), std::string::npos);
    EXPECT_EQ(readFile(dir / "b.fcpxml").find("Příliš"), std::string::npos);
    EXPECT_VALID_FCPXML(readFile(dir / "b.fcpxml"), "1.9");

    const auto wrong = runProgram(
        {cli, "titles", file, "--encoding", "UTF-8", "--output", (dir / "c.fcpxml").string()});
    EXPECT_EQ(1, wrong.exitCode);
    EXPECT_NE(wrong.err.find("it is not text in UTF-8"), std::string::npos) << wrong.err;
    EXPECT_FALSE(fs::exists(dir / "c.fcpxml"));
}
