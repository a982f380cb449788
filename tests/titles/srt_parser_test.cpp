// The SRT scanner: each step of parsing, the time columns, tag removal,
// re-wrapping, and the corpus of real-world file shapes.
#include "base/strings.h"
#include "support/titles_test_support.h"
#include "titles/srt_parser.h"
#include "titles/subtitle_file.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

const char* const kTwoBlocks =
    "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\n00:00:03,000 --> 00:00:04,000\nTwo\n";

std::vector<std::string> textsOf(const SubtitleFile& srt) {
    std::vector<std::string> texts;
    for (const auto& t : srt.titles)
        texts.push_back(t.text);
    return texts;
}

} // namespace

TEST(SrtParse, EmptyTextOrOnlyLineFeedsGiveNoTitles) {
    EXPECT_TRUE(SubtitleFile::fromText("").titles.empty());
    EXPECT_TRUE(SubtitleFile::fromText("\n\n\n\n").titles.empty());
    EXPECT_TRUE(SubtitleFile::fromText("\r\n\r\n").titles.empty());
    EXPECT_TRUE(SubtitleFile().titles.empty());
}

TEST(SrtParse, ReadsIdTimesAndText) {
    const SubtitleFile srt = SubtitleFile::fromText(kTwoBlocks);
    ASSERT_EQ(srt.titles.size(), 2u);
    EXPECT_EQ(srt.titles[0], SubtitleCue(1, 1.0, 2.0, "One"));
    EXPECT_EQ(srt.titles[1], SubtitleCue(2, 3.0, 4.0, "Two"));
}

TEST(SrtParse, LastBlockNeedsNoClosingBlankLine) {
    const SubtitleFile srt = SubtitleFile::fromText("7\n00:00:01,000 --> 00:00:02,000\nOnly");
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0], SubtitleCue(7, 1.0, 2.0, "Only"));
}

TEST(SrtParse, CrLfParsesLikeLf) {
    std::string crlf = kTwoBlocks;
    crlf = quelvo::replace(crlf, "\n", "\r\n", false);
    EXPECT_EQ(SubtitleFile::fromText(crlf).titles, SubtitleFile::fromText(kTwoBlocks).titles);
}

TEST(SrtParse, RunsOfBlankLinesAndLeadingBlankLinesAreSkipped) {
    const SubtitleFile srt =
        SubtitleFile::fromText("\n\n\n1\n00:00:01,000 --> 00:00:02,000\nOne\n\n\n\n\n\n"
                               "2\n00:00:03,000 --> 00:00:04,000\nTwo\n\n\n");
    EXPECT_EQ(textsOf(srt), (std::vector<std::string>{"One", "Two"}));
}

TEST(SrtParse, ByteOrderMarkBeforeTheCounterIsIgnored) {
    const SubtitleFile srt = SubtitleFile::fromText("\xEF\xBB\xBF"
                                                    "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0].id, 1);
}

TEST(SrtParse, CounterLineKeepsOnlyItsDigits) {
    const auto idOf = [](const std::string& counter) {
        const SubtitleFile srt =
            SubtitleFile::fromText(counter + "\n00:00:01,000 --> 00:00:02,000\nx\n");
        return srt.titles.empty() ? std::optional<int64_t>() : srt.titles[0].id;
    };
    EXPECT_EQ(idOf(" 12\t"), 12);
    EXPECT_EQ(idOf("007"), 7);
    EXPECT_FALSE(idOf("99999999999999999999999")); // does not fit
}

TEST(SrtParse, TwoLineTextKeepsItsInnerLineFeedOnly) {
    const SubtitleFile srt =
        SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000\nFirst line\nsecond line\n\n");
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0].text, "First line\nsecond line");
}

TEST(SrtParse, ItalicTagsFollowTheIgnoreFlag) {
    SharedSettingsGuard guard;
    const std::string text = "1\n00:00:01,000 --> 00:00:02,000\n<i>Hi</i>\n";
    TitlesSettings::shared().ignore.ignoreITags = true;
    EXPECT_EQ(SubtitleFile::fromText(text).titles.at(0).text, "Hi");
    TitlesSettings::shared().ignore.ignoreITags = false;
    EXPECT_EQ(SubtitleFile::fromText(text).titles.at(0).text, "<i>Hi</i>");
}

TEST(SrtParse, TagRemovalIgnoresCaseAndTheBackslashForm) {
    TitlesSettings settings;
    EXPECT_EQ(srt::normalizeText(
                  "<I>a</I> <\\i>b<\\I> <B>c</b> <u>d</U> <font color=\"red\">e</FONT>", settings),
              "a b c d e");
    settings.ignore = {false, false, false, false};
    EXPECT_EQ(srt::normalizeText("<b>x</b> <font size=\"2\">y</font>", settings),
              "<b>x</b> <font size=\"2\">y</font>");
    settings.ignore.ignoreBTags = true;
    EXPECT_EQ(srt::normalizeText("<b>x</b> <u>y</u>", settings), "x <u>y</u>");
}

TEST(SrtParse, OnlyTheLastPassLeavesARunThatATagRemovalMade) {
    TitlesSettings settings;
    // Nothing to collapse in the first pass: the run the removal leaves stays.
    EXPECT_EQ(srt::normalizeText("a\n\n<i>\n\nb", settings), "a\n\n\n\nb");
    // A collapse in the first pass makes a second pass, which closes the run.
    EXPECT_EQ(srt::normalizeText("a\n\n<i>\n\nb\n\n\nc", settings), "a\n\nb\n\nc");
}

// Once a block without a time line ended the parse and every later subtitle
// was lost; now that block alone is skipped, and counted.
TEST(SrtParse, ABlockWithoutTimeLineIsSkippedAndTheRestRead) {
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("broken_third.srt"));
    ASSERT_EQ(srt.titles.size(), 3u);
    EXPECT_EQ(srt.titles[1].id, 2);
    EXPECT_EQ(srt.titles[2].id, 4);
    EXPECT_EQ(srt.titles[2].text, "Four is never reached.");
    EXPECT_EQ(srt.skippedBlocks, 1);
    EXPECT_EQ(srt.skippedLines, 2);
}

TEST(SrtParse, BlockWithoutLineFeedAfterTheEndTimeOrWithoutCounterEndsTheParse) {
    // The end time would start beyond the block: no line feed follows it.
    EXPECT_TRUE(SubtitleFile::fromText("1\n00:00:01,000 -->").titles.empty());
    // A missing final line feed is supplied.
    EXPECT_EQ(SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000").titles,
              std::vector<SubtitleCue>{SubtitleCue(1, 1.0, 2.0, "")});
    EXPECT_EQ(SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000\nx").titles.size(), 1u);
    EXPECT_EQ(SubtitleFile::fromText("x\n00:00:01,000 --> 00:00:02,000\nHi\n").titles.size(), 0u);
}

TEST(SrtTimecode, FixedColumnsWithCommaOrDotAndOneDigitHours) {
    EXPECT_DOUBLE_EQ(srt::parseTimecode("1:02:03,004"), 3723.004);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("01:02:03.004"), 3723.004);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("\n00:00:01,500"), 1.5);
    // Columns are fixed: a short thousandths column counts as written.
    EXPECT_DOUBLE_EQ(srt::parseTimecode("00:00:10.5"), 10.005);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("00:00:11,75"), 11.075);
    // Every hour digit counts, not the first two.
    EXPECT_DOUBLE_EQ(srt::parseTimecode("100:00:00,000"), 360000);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("1234:05:06,007"), 1234 * 3600 + 306.007);
    EXPECT_EQ(SubtitleFile::fromText("1\n99:59:59,000 --> 100:00:01,500\nx").titles,
              std::vector<SubtitleCue>{SubtitleCue(1, 359999, 360001.5, "x")});
}

TEST(SrtTimecode, UnreadableColumnsCountZero) {
    EXPECT_DOUBLE_EQ(srt::parseTimecode(""), 0);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("ab:cd:ef,ghi"), 0);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("00:xx:05,000"), 5);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("00:00:05,nan"), 5);
    EXPECT_DOUBLE_EQ(srt::parseTimecode("00:00:05,inf"), 5);
}

TEST(SrtTimecode, TextAfterTheEndTimeIsIgnored) {
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("positions.srt"));
    ASSERT_EQ(srt.titles.size(), 2u);
    EXPECT_EQ(srt.titles[0], SubtitleCue(1, 1.0, 2.5, "Positioned."));
    SubtitleCue top(2, 3.0, 4.0, "Top.");
    top.placement = CuePlacement::top; // from the {\an8} after the times
    EXPECT_EQ(srt.titles[1], top);
}

// A blank line inside a text used to end the parse after that block: the
// block kept the blank line but the scan resumed inside its text.
TEST(SrtParse, BlankLineInsideATextKeepsTheTextWholeAndTheRestOfTheFile) {
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("blank_line_inside.srt"));
    EXPECT_EQ(textsOf(srt), (std::vector<std::string>{"Before the gap\n\nafter the gap",
                                                      "Next one.", "Last one."}));
}

// A text line that is just the next counter must not cut the block short.
TEST(SrtParse, TextLineHoldingTheNextNumberStaysText) {
    const SubtitleFile srt = SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,500\nRound\n2\n\n"
                                                    "2\n00:00:03,000 --> 00:00:04,000\nTwo\n");
    ASSERT_EQ(srt.titles.size(), 2u);
    EXPECT_EQ(srt.titles[0], SubtitleCue(1, 1.0, 2.5, "Round\n2"));
    EXPECT_EQ(srt.titles[1].text, "Two");
}

// Counters out of order or repeated must not fold later blocks into a text.
TEST(SrtParse, CountersOutOfOrderOrRepeatedStaySeparateBlocks) {
    const SubtitleFile srt = SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000\nA\n\n"
                                                    "3\n00:00:03,000 --> 00:00:04,000\nC\n\n"
                                                    "2\n00:00:05,000 --> 00:00:06,000\nB\n\n"
                                                    "3\n00:00:07,000 --> 00:00:08,000\nC again\n");
    EXPECT_EQ(textsOf(srt), (std::vector<std::string>{"A", "C", "B", "C again"}));
}

TEST(SrtParse, SplitTextRewrapsTheWholeBlockAtCharacterBoundaries) {
    TitlesSettings settings;
    settings.splitText = SplitText{true, 30};
    // "é" and "ü" are two bytes each; the cut counts characters.
    const SubtitleFile srt =
        SubtitleFile::fromText("1\n00:00:01,000 --> 00:00:02,000\n\xC3\xA9t\xC3\xA9 au bord du lac "
                               "\xC3\xBC, loin de la ville\n",
                               settings);
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0].startTime, 1.0);
    EXPECT_EQ(srt.titles[0].endTime, 2.0);
    EXPECT_EQ(srt.titles[0].text, "\xC3\xA9t\xC3\xA9 au bord du lac \xC3\xBC, loin de\nla ville");
    EXPECT_EQ(srt::splitBlockText("short", 12), "short");
    EXPECT_EQ(srt::splitBlockText("abcdefghijklmnop", 5), "abcde\nfghij\nklmno\np");
}

TEST(SrtParse, SplitOffOrAbsentLeavesTextsAsWritten) {
    TitlesSettings settings;
    settings.splitText.reset();
    const std::string text =
        "1\n00:00:01,000 --> 00:00:02,000\nA rather long line that would be cut at ten\n";
    EXPECT_EQ(SubtitleFile::fromText(text, settings).titles.at(0).text,
              "A rather long line that would be cut at ten");
    settings.splitText = SplitText{false, 10};
    EXPECT_EQ(SubtitleFile::fromText(text, settings).titles.at(0).text,
              "A rather long line that would be cut at ten");
}

TEST(SrtParse, MultiByteTextsSurviveWhole) {
    const SubtitleFile srt = SubtitleFile::fromText(
        "1\n00:00:01,000 --> 00:00:02,000\n\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAC\n");
    ASSERT_EQ(srt.titles.size(), 1u);
    EXPECT_EQ(srt.titles[0].text, "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAC");
}

TEST(SrtTimes, LastEnd) {
    SubtitleFile empty;
    EXPECT_EQ(empty.lastEndTime(), 0);
    const SubtitleFile srt = SubtitleFile::fromFileUrl(srtCorpus("overlapping.srt"));
    EXPECT_DOUBLE_EQ(srt.lastEndTime(), 4.0);
}

TEST(SrtParse, ManyCuesParseInOnePass) {
    // 20 000 cues, about 1.5 MB: a scan of the remaining text per block would
    // take minutes here.
    std::string text;
    for (int i = 1; i <= 20000; ++i) {
        const int s = i * 2;
        char line[96];
        std::snprintf(line, sizeof line, "%d\n%02d:%02d:%02d,000 --> %02d:%02d:%02d,500\n", i,
                      s / 3600, s / 60 % 60, s % 60, s / 3600, s / 60 % 60, s % 60);
        text += line;
        text += "Subtitle number " + std::to_string(i) +
                " with <i>some</i> words\nand a second line\n\n";
    }
    const SubtitleFile srt = SubtitleFile::fromText(text);
    ASSERT_EQ(srt.titles.size(), 20000u);
    EXPECT_EQ(srt.titles.back().id, 20000);
    EXPECT_EQ(srt.titles.back().text, "Subtitle number 20000 with some words\nand a second line");
    EXPECT_DOUBLE_EQ(srt.titles.back().endTime, 40000.5);
}
