// Reading subtitle files: the corpus of encodings and line ends, the legacy
// fallback, and input that is not a subtitle file at all.
#include <iconv.h>
#include <random>

#include "support/titles_test_support.h"
#include "titles/subtitle_file.h"
#include "titles/text_encodings.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

// "Příliš žluťoučký kůň" / "úpěl ďábelské ódy" in UTF-8.
const std::string kCzech1 = "P\xC5\x99\xC3\xAD"
                            "li\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88";
const std::string kCzech2 = "\xC3\xBAp\xC4\x9Bl \xC4\x8F\xC3\xA1"
                            "belsk\xC3\xA9 \xC3\xB3"
                            "dy";

void expectCzech(const SubtitleFile& srt) {
    ASSERT_EQ(srt.titles.size(), 2u);
    EXPECT_EQ(srt.titles[0], SubtitleCue(1, 1.0, 2.0, kCzech1));
    EXPECT_EQ(srt.titles[1], SubtitleCue(2, 3.0, 4.0, kCzech2));
}

} // namespace

TEST(SrtFiles, CrLfWithByteOrderMarkReadsLikeThePlainFile) {
    const SubtitleFile plain = SubtitleFile::fromFileUrl(srtCorpus("basic.srt"));
    ASSERT_EQ(plain.titles.size(), 3u);
    EXPECT_EQ(plain.titles[2], SubtitleCue(3, 7.0, 9.0, "Third & last <one>."));
    EXPECT_EQ(SubtitleFile::fromFileUrl(srtCorpus("crlf_bom.srt")).titles, plain.titles);
    EXPECT_EQ(SubtitleFile::fromPath(srtCorpus("crlf_bom.srt")).titles, plain.titles);
}

TEST(SrtFiles, TimecodeShapes) {
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("timecodes.srt"));
    ASSERT_EQ(srt.titles.size(), 3u);
    EXPECT_DOUBLE_EQ(srt.titles[0].startTime, 3723.004);
    EXPECT_DOUBLE_EQ(srt.titles[0].endTime, 3725.5);
    EXPECT_DOUBLE_EQ(srt.titles[1].startTime, 3726.004);
    EXPECT_DOUBLE_EQ(srt.titles[1].endTime, 3728.25);
    EXPECT_DOUBLE_EQ(srt.titles[2].startTime, 10.005);
}

TEST(SrtFiles, TagsAreStrippedByDefault) {
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("tags.srt"));
    ASSERT_EQ(srt.titles.size(), 3u);
    EXPECT_EQ(srt.titles[0].text, "Hi");
    EXPECT_EQ(srt.titles[1].text, "Bold and under and odd");
    EXPECT_EQ(srt.titles[2].text, "Yellow text");
}

TEST(SrtFiles, MultiLineTexts) {
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("multiline.srt"));
    ASSERT_EQ(srt.titles.size(), 2u);
    EXPECT_EQ(srt.titles[0].text, "First line\nsecond line");
    EXPECT_EQ(srt.titles[1].text, "One\ntwo\nthree");
}

TEST(SrtFiles, BlankRunsAndOverlaps) {
    EXPECT_EQ(SubtitleFile::fromFileUrl(srtCorpus("blank_runs.srt")).titles.size(), 2u);
    SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("overlapping.srt"));
    ASSERT_EQ(srt.titles.size(), 3u);
    // Overlapping subtitles are read as written.
    EXPECT_DOUBLE_EQ(srt.titles[0].endTime, 2.0);
}

TEST(SrtFiles, Windows1250FallsBackOnlyThroughTheFileUrl) {
    expectCzech(SubtitleFile::fromFileUrl(srtCorpus("windows1250.srt")));
    // The path form has no fallback: legacy bytes give nothing.
    EXPECT_TRUE(SubtitleFile::fromPath(srtCorpus("windows1250.srt")).titles.empty());
    EXPECT_EQ(SubtitleFile::readTextWithFallbackEncodings(srtCorpus("windows1250.srt")),
              "1\n00:00:01,000 --> 00:00:02,000\n" + kCzech1 +
                  "\n\n2\n00:00:03,000 --> 00:00:04,000\n" + kCzech2 + "\n");
}

TEST(SrtFiles, Utf16WithAndWithoutByteOrderMark) {
    expectCzech(SubtitleFile::fromFileUrl(srtCorpus("utf16le_bom.srt")));
    expectCzech(SubtitleFile::fromFileUrl(srtCorpus("utf16be_bom.srt")));
    expectCzech(SubtitleFile::fromFileUrl(srtCorpus("utf16le_no_bom.srt")));
    expectCzech(SubtitleFile::fromPath(srtCorpus("utf16le_bom.srt")));
}

TEST(SrtEncodings, Windows1250RefusesBytesOutsideTheCodePageAndNul) {
    EXPECT_EQ(decodeWindows1250("\x8A\x9A"), "\xC5\xA0\xC5\xA1"); // Š š
    EXPECT_FALSE(decodeWindows1250("a\x81z"));
    EXPECT_FALSE(decodeWindows1250(std::string("a\0b", 3)));
    EXPECT_EQ(decodeWindows1250(""), "");
}

TEST(SrtEncodings, Utf16ByteOrderAndBrokenInput) {
    EXPECT_EQ(decodeUtf16(std::string("\xFF\xFE"
                                      "A\0",
                                      4)),
              "A");
    EXPECT_EQ(decodeUtf16(std::string("\0A\0B", 4)), "AB");
    EXPECT_EQ(decodeUtf16(std::string("A\0B\0", 4)), "AB");
    EXPECT_FALSE(decodeUtf16("abc")); // odd length
    EXPECT_FALSE(decodeUtf16(std::string("\xFE\xFF\xD8\x00\x00"
                                         "A",
                                         6))); // lone surrogate
}

TEST(SrtBadInput, MissingFileEmptyFileAndFolderSayWhy) {
    TempDir dir;
    std::string problem;
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "absent.srt").string(), &problem).titles.empty());
    EXPECT_NE(problem.find("cannot read it"), std::string::npos) << problem;

    writeFile(dir / "empty.srt", "");
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "empty.srt").string(), &problem).titles.empty());
    EXPECT_EQ(problem, "the file is empty");

    EXPECT_TRUE(SubtitleFile::fromFileUrl(dir.path().string(), &problem).titles.empty());
    EXPECT_NE(problem.find("folder"), std::string::npos) << problem;
    EXPECT_TRUE(SubtitleFile::fromPath((dir / "absent.srt").string()).titles.empty());
}

TEST(SrtBadInput, RandomBytesReadNothing) {
    TempDir dir;
    std::mt19937 rng(20240607);
    std::string bytes(64 * 1024, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(rng() & 0xFF);
    writeFile(dir / "noise.srt", bytes);
    std::string problem;
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "noise.srt").string(), &problem).titles.empty());
    EXPECT_EQ(problem, "it is not text in UTF-8, UTF-16 or a known 8-bit encoding");
}

TEST(SrtBadInput, InvalidUtf8WithoutSubtitleStructureReadsNothing) {
    TempDir dir;
    writeFile(dir / "bad.srt", "\xC3\x28 not \xFF subtitles\x81\n");
    std::string problem;
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "bad.srt").string(), &problem).titles.empty());
    EXPECT_FALSE(problem.empty());
    // Handed in directly, invalid bytes are carried, never a crash.
    const SubtitleFile srt =
        SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000\nbad \xFF byte\n");
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0].text, "bad \xFF byte");
}

TEST(SrtBadInput, TextWithoutSubtitlesSaysSo) {
    TempDir dir;
    writeFile(dir / "prose.srt", "Just some prose.\nNothing else.\n");
    std::string problem;
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "prose.srt").string(), &problem).titles.empty());
    EXPECT_EQ(problem, kNotASubtitleFile);
}

TEST(SrtBadInput, FiftyMegabytesOnOneLine) {
    TempDir dir;
    std::string line(50 * 1024 * 1024, 'a');
    for (size_t i = 0; i < line.size(); i += 97)
        line[i] = ' ';
    for (size_t i = 13; i < line.size(); i += 1021)
        line[i] = '<';
    writeFile(dir / "long.srt", line);
    line.clear();
    line.shrink_to_fit();
    std::string problem;
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "long.srt").string(), &problem).titles.empty());
    EXPECT_EQ(problem, kNotASubtitleFile);
}

TEST(SrtBadInput, MillionsOfUnclosedFontTags) {
    // Each unclosed tag used to look for its '>' through the rest of the text.
    std::string text;
    text.reserve(48 * 1024 * 1024);
    while (text.size() < 48 * 1024 * 1024)
        text += "<font ";
    EXPECT_TRUE(SubtitleFile::fromText(text).titles.empty());
}

TEST(SrtBadInput, OneHugeBlockStillParses) {
    // A counter, a time line and a 5 MB text without line feeds.
    const std::string text =
        "1\n00:00:01,000 --> 00:00:02,000\n" + std::string(5 * 1024 * 1024, 'x') + "\n";
    const SubtitleFile srt = SubtitleFile::fromText(text);
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0].text.size(), 5u * 1024 * 1024);
}

// Subtitle files from other projects' test data that once lost text: stray
// NUL bytes, cues with a blank line inside or none between them, a block
// without a time line, and Western European legacy files read as Central
// European ones.
namespace {

// UTF-8 text in another encoding, for files as legacy tools write them.
std::string encode(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string out(utf8.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* at = out.data();
    size_t inLeft = utf8.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &at, &outLeft), static_cast<size_t>(-1)) << to;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

SubtitleFile readBytes(const std::string& bytes) {
    TempDir dir;
    writeFile(dir / "subs.srt", bytes);
    return SubtitleFile::fromFileUrl((dir / "subs.srt").string());
}

const std::string kTwo =
    "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\n00:00:03,000 --> 00:00:04,000\nTwo\n";

} // namespace

TEST(SrtRealUse, StrayNulBytesAreDroppedAndUtf16StillFound) {
    SubtitleFile padded = readBytes(kTwo + std::string(300, '\0'));
    ASSERT_EQ(padded.titles.size(), 2u);
    EXPECT_EQ(padded.titles[1].text, "Two");
    EXPECT_EQ(padded.droppedNuls, 300);
    EXPECT_EQ(padded.encoding, "UTF-8");

    std::string inside = kTwo;
    inside.insert(inside.find("One") + 1, 1, '\0');
    const SubtitleFile one = readBytes(inside);
    ASSERT_EQ(one.titles.size(), 2u);
    EXPECT_EQ(one.titles[0].text, "One");

    const SubtitleFile utf16 = readBytes(encode(kTwo, "UTF-16LE"));
    ASSERT_EQ(utf16.titles.size(), 2u);
    EXPECT_EQ(utf16.encoding, "UTF-16LE");
}

TEST(SrtRealUse, ACounterAndTimeLineStartABlockWhereverTheyStand) {
    // A blank line inside the last cue keeps the rest of it.
    const SubtitleFile last = SubtitleFile::fromText(kTwo + "\nand more of two\n");
    ASSERT_EQ(last.titles.size(), 2u);
    EXPECT_EQ(last.titles[1].text, "Two\n\nand more of two");
    // No blank line between two cues: the second is a cue of its own.
    const SubtitleFile tight = SubtitleFile::fromText(
        "1\n00:00:01,000 --> 00:00:02,000\nOne\n2\n00:00:03,000 --> 00:00:04,000\nTwo\n");
    ASSERT_EQ(tight.titles.size(), 2u);
    EXPECT_EQ(tight.titles[0].text, "One");
    EXPECT_EQ(tight.titles[1].id, 2);
    // A broken block in the middle is skipped and counted; the rest is read.
    const SubtitleFile broken =
        SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\nno time\nat all\n\n" +
                               kTwo.substr(kTwo.find("2\n")));
    ASSERT_EQ(broken.titles.size(), 2u);
    EXPECT_EQ(broken.titles[1].text, "Two");
    EXPECT_EQ(broken.skippedBlocks, 1);
    EXPECT_EQ(broken.skippedLines, 3);
}

TEST(SrtRealUse, LegacyEightBitFilesAreReadInTheEncodingTheyAreIn) {
    struct Case {
        const char* encoding;
        std::string text;
        const char* expectedName;
    };
    const Case cases[] = {
        {"WINDOWS-1252", "Où est la gare ? À gauche, après l'église. Très bien, merci à vous.",
         "WINDOWS-1252"},
        // 0x83, 0x88 and 0x98 have no character in Windows-1250.
        {"WINDOWS-1252", "Voilà… « Ça va ? » — Oui, ça va très bien. L'œuvre coûte ˆ˜ ƒ.",
         "WINDOWS-1252"},
        {"WINDOWS-1252", "Größe und Übermaß: die Straße führt über die Brücke nach München.",
         "WINDOWS-1252"},
        {"WINDOWS-1250", "Příliš žluťoučký kůň úpěl ďábelské ódy. Řekl jsem mu, že to není pravda.",
         "WINDOWS-1250"},
        {"WINDOWS-1250",
         "Zażółć gęślą jaźń. Pójdźże, kiń tę chmurność w głąb flaszy! Święty Łukasz.",
         "WINDOWS-1250"},
        {"ISO-8859-2", "Zażółć gęślą jaźń. Pójdźże, kiń tę chmurność w głąb flaszy! Święty Łukasz.",
         "ISO-8859-2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SubtitleFile srt =
            readBytes(encode("1\n00:00:01,000 --> 00:00:02,000\n" + c.text + "\n", c.encoding));
        ASSERT_EQ(srt.titles.size(), 1u);
        EXPECT_EQ(srt.titles[0].text, c.text);
        EXPECT_EQ(srt.encoding, c.expectedName);
    }
}
