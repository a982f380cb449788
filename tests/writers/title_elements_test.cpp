// Title elements: timing rules, lanes, escaping, the two text styles, the
// shadow, the patch in both versions and the baseline.
#include <cstring>

#include "support/titles_test_support.h"
#include "titles/subtitle_file.h"
#include "writers/title_texts.h"
#include "writers/titles_fcpxml.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

TitlesFcpxml generator(std::vector<TimedTitle> titles, TitlesSettings settings = {}) {
    return TitlesFcpxml("Event", std::move(titles), std::nullopt, std::move(settings));
}

std::string element(TitlesFcpxml& g, size_t i, std::optional<double> fps = std::nullopt,
                    bool avoidOverlap = false, bool useV19 = true, bool custom = false) {
    std::string xml;
    capturingStdout([&] { xml = g.titleXML(i, fps, avoidOverlap, useV19, custom); });
    return xml;
}

// The value of attribute `name` in the first element of xml that has it.
std::string attr(const std::string& xml, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = xml.find(key);
    if (at == std::string::npos) return "<absent>";
    const size_t from = at + key.size();
    return xml.substr(from, xml.find('"', from) - from);
}

} // namespace

TEST(TitleTiming, DefaultsWithoutAnyRate) {
    auto g = generator({{"Hello", 1.0, 3.0}});
    const std::string xml = element(g, 0);
    // Offset at 1.0 s, duration (2.0 - 1/30) + 0.5 = 74 frames at 30 fps.
    EXPECT_EQ(attr(xml, "offset"), "3000/3000s");
    EXPECT_EQ(attr(xml, "duration"), "7400/3000s");
    EXPECT_EQ(attr(xml, "lane"), "1");
    EXPECT_EQ(attr(xml, "start"), "3600s");
    EXPECT_EQ(attr(xml, "ref"), "Tessary_BasicTitle");
    // No patch: the element is preceded by a single line feed.
    EXPECT_EQ(xml.rfind("\n<title ", 0), 0u);
}

TEST(TitleTiming, MinimumDurationAndAvoidingOverlap) {
    TitlesSettings settings;
    settings.minDuration = 4.0;
    auto g = generator({{"a", 1.0, 2.0}, {"b", 3.0, 4.0}}, settings);
    EXPECT_EQ(attr(element(g, 0), "duration"), "12000/3000s");
    // The next title starts 2.0 s later: 2.0 - 1/30 s.
    EXPECT_EQ(attr(element(g, 0, std::nullopt, true), "duration"), "5900/3000s");
    // The last title has no successor to avoid.
    EXPECT_EQ(attr(element(g, 1, std::nullopt, true), "duration"), "12000/3000s");
}

TEST(TitleTiming, WithoutTheBlankFrameAndWithAnExtension) {
    TitlesSettings settings;
    settings.add1BlankFrame = false;
    settings.extendAfter = 0;
    auto g = generator({{"a", 1.0, 3.0}}, settings);
    EXPECT_EQ(attr(element(g, 0), "duration"), "6000/3000s");
}

TEST(TitleTiming, VideoRateGivesTimebaseAndFrame) {
    TitlesSettings settings;
    settings.extendAfter = 0;
    auto g = generator({{"a", 1.0, 3.0}}, settings);
    const std::string xml = element(g, 0, 25.0);
    EXPECT_EQ(attr(xml, "offset"), "2500/2500s");
    EXPECT_EQ(attr(xml, "duration"), "4900/2500s"); // 2.0 s less one 25 fps frame
    const std::string ntsc = element(g, 0, 30000.0 / 1001.0);
    EXPECT_EQ(attr(ntsc, "offset"), "30030/30000s");
}

TEST(TitleTiming, TimelineRateSettingSetsTheTimebaseButNotTheFrame) {
    TitlesSettings settings;
    settings.timeLineFPS = 25.0;
    settings.extendAfter = 0;
    auto g = generator({{"a", 1.0, 3.0}}, settings);
    // 2.0 - 1/30 s = 1.9667 s, rounded to 49 frames of 25 fps.
    EXPECT_EQ(attr(element(g, 0), "duration"), "4900/2500s");
    EXPECT_EQ(attr(element(g, 0), "offset"), "2500/2500s");
}

// The overlap rule used to give zero or negative durations.
TEST(TitleTiming, DurationNeverBelowOneFrame) {
    auto g = generator({{"a", 1.0, 2.0}, {"b", 1.0, 3.0}, {"c", 1.02, 4.0}});
    EXPECT_EQ(attr(element(g, 0, std::nullopt, true), "duration"), "100/3000s");
    EXPECT_EQ(attr(element(g, 1, std::nullopt, true), "duration"), "100/3000s");
    TitlesSettings settings;
    settings.timeLineFPS = 24.0;
    auto g24 = generator({{"a", 1.0, 2.0}, {"b", 1.0, 3.0}}, settings);
    EXPECT_EQ(attr(element(g24, 0, std::nullopt, true), "duration"), "100/2400s");
    // An end before the start is the same case.
    auto backwards = generator({{"a", 5.0, 1.0}});
    EXPECT_EQ(attr(element(backwards, 0), "duration"), "100/3000s");
}

TEST(TitleTiming, VideoStartTimeShiftsEveryOffset) {
    auto g = generator({{"a", 1.0, 2.0}});
    g.videoStartTime = 3600.0;
    EXPECT_EQ(attr(element(g, 0), "offset"), "10803000/3000s");
}

TEST(TitleLanes, OwnLaneEachOrAllOnOne) {
    auto g = generator({{"a", 0, 1}, {"b", 0, 1}, {"c", 0, 1}});
    EXPECT_EQ(attr(element(g, 2), "lane"), "3");
    EXPECT_EQ(attr(element(g, 2, std::nullopt, true), "lane"), "1");
    TitlesSettings settings;
    settings.addPatch = true;
    auto p = generator({{"a", 0, 1}, {"b", 0, 1}, {"c", 0, 1}}, settings);
    const std::string xml = element(p, 2, std::nullopt, true);
    EXPECT_EQ(attr(xml.substr(xml.find("<title")), "lane"), "2");
    EXPECT_EQ(attr(element(p, 2).substr(element(p, 2).find("<title")), "lane"), "4");
}

TEST(TitleText, EscapingAndQuotesInTheName) {
    auto g = generator({{"Tom & \"Jerry\" <it's>", 0, 1}});
    const std::string xml = element(g, 0);
    EXPECT_NE(xml.find("<title name=\"Tom &amp; Jerry &lt;its&gt; - Basic Title\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find(">Tom &amp; \"Jerry\" &lt;it's&gt;</text-style>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<text-style ref=\"TSY_TextStile_1\">"), std::string::npos);
    EXPECT_NE(xml.find("<text-style-def id=\"TSY_TextStile_1\">"), std::string::npos);
}

TEST(TitleText, ControlCharactersCannotBreakTheDocument) {
    auto g = generator({{"bell\x07 and\x0B tab\tok", 0, 1}});
    const std::string xml = element(g, 0);
    EXPECT_NE(xml.find(">bell and tab\tok</text-style>"), std::string::npos) << xml;
    EXPECT_EQ(titles::escapeTitleText("a\xFFz"), "a\xEF\xBF\xBDz");
}

TEST(TitleText, TemplateTokensInTheTextStayText) {
    auto g = generator({{"[lane] [text]", 0, 1}});
    EXPECT_NE(element(g, 0).find(">[lane] [text]</text-style>"), std::string::npos);
}

TEST(TitleStyle, FullStyleWithDefaults) {
    auto g = generator({{"Hello", 1.0, 3.0}});
    const std::string xml = element(g, 0);
    EXPECT_NE(xml.find("<text-style font=\"Helvetica\" fontFace=\"Regular\" fontSize=\"60\" "
                       "fontColor=\"1 1 1 1\"  "
                       "strokeColor=\"0 0 0 1\" strokeWidth=\"-2.0\" baseline=\"-351.0\" "
                       "alignment=\"center\"/>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("value=\"0.0 0.0\"/>"), std::string::npos);             // stroke blur
    EXPECT_NE(xml.find("14/16\" value=\"1.0 1.0 1.0\"/>"), std::string::npos); // face colour
    EXPECT_NE(xml.find("404\" value=\"0.0\"/>\n\n<text>"), std::string::npos)
        << "without a shadow line 5 stays empty";
}

TEST(TitleStyle, AlignmentNotSetAndJustified) {
    TitlesSettings settings;
    settings.alignment = Alignment::notSet;
    auto g = generator({{"a", 0, 1}}, settings);
    EXPECT_EQ(element(g, 0).find("alignment="), std::string::npos);
    g.settings.alignment = Alignment::justified;
    EXPECT_NE(element(g, 0).find(" alignment=\"justified\"/>"), std::string::npos);
}

TEST(TitleStyle, ShadowInStyleAndParameters) {
    TitlesSettings settings;
    settings.shadow.enable = true;
    settings.shadow.color = {0.25, 0.5, 1, 1};
    settings.shadow.blur = 2.5;
    auto g = generator({{"a", 0, 1}}, settings);
    const std::string xml = element(g, 0);
    EXPECT_NE(
        xml.find(
            "fontColor=\"1 1 1 1\" shadowColor=\"0.25 0.5 1.0 0.75\" shadowOffset=\"5.0 315.0\" "
            "shadowBlurRadius=\"5.0\" strokeColor="),
        std::string::npos)
        << xml;
    EXPECT_NE(xml.find("404\" value=\"0.0\"/>\n"
                       "<param name=\"Angle\" key=\"9999/999166631/999166633/5/999166635/21/29\" "
                       "value=\"315.0\"/>\n"
                       "<param name=\"Blur\" key=\"9999/999166631/999166633/5/999166635/21/75\" "
                       "value=\"2.5 2.5\"/>\n"
                       "<text>"),
              std::string::npos)
        << xml;
}

TEST(TitleStyle, CustomTitleSwitchesToTheShortStyle) {
    auto g = generator({{"a", 0, 1}});
    const std::string xml = element(g, 0, std::nullopt, false, true, true);
    EXPECT_NE(xml.find("<text-style font=\"Helvetica\" fontFace=\"Regular\" fontSize=\"60\" "
                       "alignment=\"center\"/>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("strokeColor"), std::string::npos);

    // titlesXML decides from the settings: enabled and with a source.
    std::string all;
    g.settings.customTitle = {true, std::nullopt};
    capturingStdout([&] { all = g.titlesXML(std::nullopt, false, true); });
    EXPECT_NE(all.find("strokeColor"), std::string::npos);
    g.settings.customTitle = {true, std::string("file:///Titles/Mine.moti")};
    capturingStdout([&] { all = g.titlesXML(std::nullopt, false, true); });
    EXPECT_EQ(all.find("strokeColor"), std::string::npos);
}

// Font and face land in attributes and are escaped like any attribute.
TEST(TitleStyle, SettingTextsAreEscapedInAttributes) {
    TitlesSettings settings;
    settings.font = "Bold \"Serif\" & <Co>";
    settings.fontFace = "It's";
    auto g = generator({{"a", 0, 1}}, settings);
    const std::string xml = element(g, 0);
    EXPECT_NE(xml.find("font=\"Bold &quot;Serif&quot; &amp; &lt;Co&gt;\" fontFace=\"It's\""),
              std::string::npos)
        << xml;
}

TEST(TitleBaseline, RaisedPerExtraLineIn32BitFloat) {
    auto g = generator({});
    EXPECT_DOUBLE_EQ(g.baselineValue("one line"), -351.0);
    EXPECT_DOUBLE_EQ(g.baselineValue("two\nlines"), -288.0);
    EXPECT_DOUBLE_EQ(g.baselineValue(""), -351.0);
    // The sum is a float: compare with the float arithmetic itself.
    const float p = 0.175f + static_cast<float>(2.0 * 60 / 1080 * 1.05);
    EXPECT_EQ(g.baselineValue("a\nb\nc"), static_cast<double>(1080.0f * p - 540.0f));
    g.settings.frameSize.height = 2160;
    EXPECT_NEAR(g.baselineValue("two\nlines"), -319.5, 1e-3);
}

TEST(TitlePatch, NoneUnlessAskedForAndPresent) {
    TitlesSettings settings;
    auto g = generator({{"a", 0, 1}}, settings);
    EXPECT_EQ(g.patchVideoXML("\"0s\"", "\"30/30s\"", true), "");
    g.settings.addPatch = true;
    g.settings.patch.reset();
    EXPECT_EQ(g.patchVideoXML("\"0s\"", "\"30/30s\"", true), "");
}

TEST(TitlePatch, BothAttributeOrders) {
    TitlesSettings settings;
    settings.addPatch = true;
    auto g = generator({{"a", 0, 1}}, settings);
    const std::string tail =
        " start=\"3600s\">\n <param name=\"Color\" key=\"9999/10008/10006/2/1/1\" value=\"0.0 0.0 "
        "0.0\"/>\n"
        " <adjust-crop mode=\"trim\">\n<trim-rect top=\"" +
        titles::num((1 - 0.125 - 0.1) * 100) + "\" left=\"" + titles::num((1 - 0.8) * 100 / 2) +
        "\" right=\"" + titles::num((1 - 0.8) * 100 / 2) + "\" bottom=\"" + titles::num(0.1 * 100) +
        "\"/>\n </adjust-crop>\n <adjust-blend amount=\"0.9\"/>\n</video>";
    EXPECT_EQ(g.patchVideoXML("\"A\"", "\"B\"", true),
              "<video name=\"Custom\" lane=\"1\" offset=\"A\" ref=\"ASSET_Tessary_BlackPatch\" "
              "duration=\"B\"" +
                  tail);
    EXPECT_EQ(g.patchVideoXML("\"A\"", "\"B\"", false),
              "<video ref=\"ASSET_Tessary_BlackPatch\" name=\"Custom\" lane=\"1\" offset=\"A\" "
              "duration=\"B\"" +
                  tail);
    // The element carries the patch first, spanning the title exactly.
    const std::string xml = element(g, 0);
    EXPECT_EQ(xml.rfind("<video name=\"Custom\" lane=\"1\" offset=\"0s\"", 0), 0u) << xml;
    EXPECT_EQ(attr(xml, "duration"), attr(xml.substr(xml.find("<title")), "duration"));
}

TEST(TitleOutput, EachTitleIsPrintedAndTitlesJoinWithNothingBetween) {
    auto g = generator({{"one", 0, 1}, {"two", 2, 3}});
    std::string xml;
    const std::string printed =
        capturingStdout([&] { xml = g.titlesXML(std::nullopt, false, true); });
    EXPECT_EQ(xml.rfind("\n<title", 0), 0u);
    EXPECT_NE(xml.find("</title>\n<title"), std::string::npos);
    EXPECT_EQ(xml.find("</title>\n\n"), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 8), "</title>");
    EXPECT_NE(printed.find(">one</text-style>"), std::string::npos);
    EXPECT_NE(printed.find(">two</text-style>"), std::string::npos);
}

TEST(TitleGenerator, FromSubtitlesDropsTheCounterAndReadsStoredSettings) {
    SubtitleFile srt;
    srt.titles = {{42, 1, 2, "x"}, {43, 3, 4, "y"}};
    TitlesFcpxml g("Event", srt.titles, std::nullopt);
    ASSERT_EQ(g.titleList.size(), 2u);
    EXPECT_EQ(g.titleList[1].text, "y");
    EXPECT_EQ(g.titleList[1].startTime, 3);
    EXPECT_EQ(g.eventName, "Event");
    EXPECT_EQ(g.videoStartTime, 0);
    EXPECT_EQ(g.settings, TitlesSettings::load());
}

TEST(TitleGenerator, EndTimesAndLineCounts) {
    auto g = generator({{"a\nb\n", 1, 5}, {"\n  one  \n", 2, 3}});
    EXPECT_EQ(g.lastEndTime(), 5);
    EXPECT_EQ(g.minEndTime(), 0);
    EXPECT_EQ(g.maxLineCount(), 2);
    auto empty = generator({});
    EXPECT_EQ(empty.lastEndTime(), 0);
    EXPECT_EQ(empty.maxLineCount(), 0);
}
