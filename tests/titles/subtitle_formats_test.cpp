// WebVTT and ASS/SSA input, SRT placement overrides, and what is refused.
#include "support/titles_test_support.h"
#include "titles/subtitle_file.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

// Tags kept, so that the spans can be checked.
SubtitleFile readKeepingTags(std::string_view text, std::string* problem = nullptr) {
    TitlesSettings settings;
    settings.ignore = {false, false, false, false};
    return SubtitleFile::fromText(text, settings, problem);
}

} // namespace

TEST(WebVtt, BlocksTimesSettingsAndMarkup) {
    const SubtitleFile vtt = readKeepingTags(
        "WEBVTT - a title\nKind: captions\n\nNOTE a comment\n-- still the comment\n\nSTYLE\n::cue "
        "{ color: red }\n\n"
        "REGION\nid:r\n\nintro\n00:01.000 --> 00:02.500 line:0 align:start\n<v.loud Ann>Hi "
        "<i.x>you</i> &amp; "
        "<c.y>me</c>&nbsp;<00:01.500><b>now</b>\n\n"
        "100:00:03.000 --> 100:00:04.000 line:80% align:end\n<lang "
        "en><u>Far</u></lang>\n<ruby>A<rt>a</rt></ruby>\n\n"
        "00:00:05.000 --> 00:00:06.000 line:10% align:middle\n&lt;top&gt;&lrm;\n\n"
        "00:00:07.000 --> 00:00:07.000\nNo length\n\n00:00:09.000 --> 00:00:08.000\nBackwards\n\n"
        "00:00:09.5 --> 00:00:10.000\nBad time\n\n00:00:11.000 --> 00:00:12.000 line:-2\n\n"
        "00:00:13.000 --> 00:00:14.000 line:-1\nLast\n");
    EXPECT_EQ(vtt.format, SubtitleFormat::webvtt);
    ASSERT_EQ(vtt.titles.size(), 4u);
    EXPECT_EQ(vtt.titles[0], cue(1, 1, 2.5, "Hi <i>you</i> & me\xC2\xA0<b>now</b>",
                                 CuePlacement::top, CueAlignment::left));
    EXPECT_EQ(vtt.titles[1],
              cue(2, 360003, 360004, "<u>Far</u>\nAa", CuePlacement::bottom, CueAlignment::right));
    EXPECT_EQ(vtt.titles[2],
              cue(3, 5, 6, "<top>\xE2\x80\x8E", CuePlacement::top, CueAlignment::center));
    EXPECT_EQ(vtt.titles[3], cue(7, 13, 14, "Last", CuePlacement::bottom));
    EXPECT_EQ(vtt.skippedCues, 2);
    EXPECT_EQ(vtt.skippedBlocks, 1);
    // The default settings drop the tags, as for SRT.
    EXPECT_EQ(SubtitleFile::fromText("WEBVTT\n\n00:01.000 --> 00:02.000\n<i>a</i> <b>b</b>\n")
                  .titles[0]
                  .text,
              "a b");
}

TEST(Ass, EventsStylesAndOverrides) {
    const std::string script =
        "[Script Info]\nWrapStyle: 2\n\n[V4+ Styles]\nFormat: Name, Alignment, Fontname\n"
        "Style: Default,2,Arial\nStyle: *Sign,8,Arial\n\n[Events]\n"
        "Format: Start, End, Style, Layer, Text\n"
        "Dialogue: 0:00:05.00,0:00:06.50,Sign,0,Up, there\\Nand\\nsoft\\hspace\n"
        "Comment: 0:00:01.00,0:00:02.00,Default,0,Not shown\n"
        "Dialogue: "
        "0:00:01.00,0:00:02.00,Default,0,{\\i1}a{\\b1}b{\\i0}c{\\b0\\u1}d{\\r}e{\\fs20\\blur2 "
        "note}f\n"
        "Dialogue: 0:00:03.00,0:00:04.00,Missing,0,{\\an8\\pos(1,2)}Top{\\p1}m 0 0 l 1 1{\\p0}!\n"
        "Dialogue: 0:00:04.00,0:00:04.00,Default,0,No length\n"
        "Dialogue: 1:00:00.5,0:00:05.00,Default,0,Backwards\n"
        "Dialogue: 0:00:0x.00,0:00:05.00,Default,0,Bad time\n"
        "Dialogue: 0:00:07.00,0:00:08.00,Default,0,{\\p1}m 0 0 l 1 1\n";
    const SubtitleFile ass = readKeepingTags(script);
    EXPECT_EQ(ass.format, SubtitleFormat::ass);
    ASSERT_EQ(ass.titles.size(), 3u);
    // In start order, numbered by their Dialogue line.
    EXPECT_EQ(ass.titles[0],
              cue(2, 1, 2, "<i>a<b>b</b></i><b>c</b><u>d</u>ef", CuePlacement::bottom));
    EXPECT_EQ(ass.titles[1], cue(3, 3, 4, "Top!", CuePlacement::top));
    EXPECT_EQ(ass.titles[2],
              cue(1, 5, 6.5, "Up, there\nand\nsoft\xC2\xA0space", CuePlacement::top));
    EXPECT_EQ(ass.skippedCues, 2);
    EXPECT_EQ(ass.skippedBlocks, 1);

    // SSA numbering and the \a override; \n a space without WrapStyle 2.
    const SubtitleFile ssa = readKeepingTags(
        "[Script Info]\n[V4 Styles]\nFormat: Name, Alignment\nStyle: Default,6\n\n"
        "[Events]\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, "
        "Effect, Text\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0,0,0,,a\\nb\n"
        "Dialogue: Marked=0,0:00:03.00,0:00:04.00,Default,,0,0,0,,{\\a2}c\n");
    ASSERT_EQ(ssa.titles.size(), 2u);
    EXPECT_EQ(ssa.titles[0], cue(1, 1, 2, "a b", CuePlacement::top));
    EXPECT_EQ(ssa.titles[1].placement, CuePlacement::bottom);

    std::string problem;
    EXPECT_TRUE(
        readKeepingTags(
            "[Events]\nFormat: Start, End, Style\nDialogue: 0:00:01.00,0:00:02.00,Default\n",
            &problem)
            .titles.empty());
    EXPECT_EQ(problem,
              "its [Events] Format line has no Text field, so no subtitle text can be found");
}

TEST(SrtPlacement, OverridesPlaceTheCueAndBackwardsCuesAreSkipped) {
    const SubtitleFile srt =
        readKeepingTags("1\n00:00:01,000 --> 00:00:02,000\n{\\an8}<i>Top</i>\n\n"
                        "2\n00:00:03,000 --> 00:00:03,000\nEmpty\n\n"
                        "3\n00:00:05,000 --> 00:00:04,000\nBackwards\n\n"
                        "4\n00:00:06,000 --> 00:00:07,000\n{\\an2}Low {\\a6}still low\n");
    ASSERT_EQ(srt.titles.size(), 2u);
    EXPECT_EQ(srt.titles[0], cue(1, 1, 2, "<i>Top</i>", CuePlacement::top));
    EXPECT_EQ(srt.titles[1], cue(4, 6, 7, "Low still low", CuePlacement::bottom));
    EXPECT_EQ(srt.skippedCues, 2);
}

TEST(SubtitleFormats, ChosenByContentAndRefusedWhenNone) {
    TempDir dir;
    // A WebVTT file named .srt, in UTF-16 with a byte-order mark.
    const std::string vtt = "WEBVTT\r\n\r\n00:01.000 --> 00:02.000\r\nOne\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : vtt)
        utf16 += {c, '\0'};
    writeFile(dir / "web.srt", utf16);
    const SubtitleFile read = SubtitleFile::fromFileUrl((dir / "web.srt").string());
    EXPECT_EQ(read.format, SubtitleFormat::webvtt);
    EXPECT_EQ(read.encoding, "UTF-16LE");
    EXPECT_EQ(read.titles, std::vector<SubtitleCue>{cue(1, 1, 2, "One")});

    writeFile(dir / "notes.vtt", "Meeting notes\n10:00 --> 11:00 planning\n");
    std::string problem;
    EXPECT_TRUE(SubtitleFile::fromFileUrl((dir / "notes.vtt").string(), &problem).titles.empty());
    EXPECT_EQ(problem, kNotASubtitleFile);
    EXPECT_TRUE(
        SubtitleFile::fromText("1\n00:00:02,000 --> 00:00:01,000\nx\n", TitlesSettings(), &problem)
            .titles.empty());
    EXPECT_EQ(problem, "every cue in it ends before it starts");
}
