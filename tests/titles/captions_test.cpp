// Captions and the reading checks: golden documents per caption format, the
// frame grid with and without a video, the span reader and the check figures
// at their edges.
#include <regex>

#include "support/titles_test_support.h"
#include "titles/caption_format.h"
#include "titles/caption_spans.h"
#include "titles/reading_checks.h"
#include "writers/caption_document.h"
#include "writers/cue_output.h"

using namespace quelvo;
using namespace quelvo::test;
using namespace quelvo::titles;

namespace {

// Styled runs, a top cue, two lines, an overlap, an alignment and text that
// needs escaping: everything a caption element can carry.
CaptionRequest sampleRequest(CaptionFormat format) {
    CaptionRequest request;
    request.eventName = "talk";
    request.comment = "Quelvo test: captions from talk.srt";
    request.format = format;
    request.language = "en-US";
    request.timelineRate = 25;
    request.cues = {cue(1, 1.0, 3.0, "Hello <i>there</i>, <b>you</b>."),
                    cue(2, 2.5, 4.04, "<u>Overlapping</u>\nsecond line", CuePlacement::top),
                    cue(3, 5.0, 6.0, "Fish & <chips> <font color=\"red\">red</font>",
                        CuePlacement::bottom, CueAlignment::left)};
    return request;
}

// Every offset and duration of the captions, in seconds.
std::vector<std::pair<double, double>> captionTimes(const std::string& xml) {
    std::vector<std::pair<double, double>> times;
    const std::regex element(
        "<caption [^>]*offset=\"(\\d+)(?:/(\\d+))?s\" duration=\"(\\d+)(?:/(\\d+))?s\"");
    for (std::sregex_iterator it(xml.begin(), xml.end(), element), end; it != end; ++it) {
        const auto value = [&](int n, int d) {
            return std::stod((*it)[n]) / ((*it)[d].matched ? std::stod((*it)[d]) : 1.0);
        };
        times.emplace_back(value(1, 2), value(3, 4));
    }
    return times;
}

bool onGrid(double seconds, double rate) {
    const double frames = seconds * rate;
    return std::abs(frames - std::round(frames)) < 1e-6;
}

} // namespace

TEST(Captions, GoldenDocumentPerCaptionFormat) {
    for (const auto& [format, name] : {std::pair{CaptionFormat::srt, "captions_v1_9_srt.fcpxml"},
                                       std::pair{CaptionFormat::itt, "captions_v1_9_itt.fcpxml"}}) {
        const std::string xml = captionDocument(sampleRequest(format));
        expectGolden(name, xml);
        EXPECT_VALID_FCPXML(xml, "1.9");
    }
    // Placement belongs to iTT alone.
    EXPECT_EQ(captionDocument(sampleRequest(CaptionFormat::srt)).find("placement="),
              std::string::npos);
}

TEST(Captions, LanesWarningsAndTheFrameGrid) {
    CaptionRequest request = sampleRequest(CaptionFormat::srt);
    const auto places = placeCaptions(request.cues, 25);
    ASSERT_EQ(3u, places.size());
    EXPECT_EQ(1, places[0].lane);
    EXPECT_EQ(2, places[1].lane) << "the later of two overlapping cues takes the next lane";
    EXPECT_EQ(1, places[2].lane);
    EXPECT_EQ(38, places[1].frames) << "2.5 s is frame 62.5, rounded to 63; 4.04 s ends on 101";
    const CaptionNotes notes = noteCaptions(request.cues, places, 25);
    EXPECT_EQ(1, notes.topPlaced);
    EXPECT_EQ(1, notes.overlapping);
    const auto warnings = captionWarnings(notes, CaptionFormat::srt);
    ASSERT_EQ(2u, warnings.size());
    EXPECT_NE(warnings[0].find("1 cue asks for the top"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("--caption-format itt"), std::string::npos);
    EXPECT_NE(warnings[1].find("1 caption overlaps an earlier one, the first at 00:00:02.520"),
              std::string::npos)
        << warnings[1];
    EXPECT_EQ(1u, captionWarnings(notes, CaptionFormat::itt).size()) << "iTT keeps the top";

    // On a 29.97 video with a timecode start: every caption sits on the
    // video's frames and on the clip's.
    QUELVO_REQUIRE_SHARED();
    const std::string video = (testDataDir() / "video" / "clip_2997.mp4").string();
    request.video = CaptionVideo{video, readVideoFacts(video)};
    request.cues.push_back(cue(4, 0.0333, 0.05, "A blink."));
    const double rate = captionRate(request);
    ASSERT_NEAR(29.97, rate, 0.01);
    const std::string xml = captionDocument(request);
    EXPECT_VALID_FCPXML(xml, "1.9");
    const auto times = captionTimes(xml);
    ASSERT_EQ(4u, times.size()) << xml;
    for (const auto& [offset, duration] : times) {
        EXPECT_TRUE(onGrid(offset, rate)) << offset;
        EXPECT_TRUE(onGrid(offset - request.video->facts.startTime, rate)) << offset;
        EXPECT_TRUE(onGrid(duration, rate)) << duration;
        EXPECT_GE(duration * rate, 1 - 1e-6) << "a cue shorter than a frame keeps one";
    }
}

TEST(Captions, SpansLanguageTagsAndRoles) {
    const auto spans =
        captionSpans("<I>a</i>b<\\b>c<b><u>d</U></b><font x=\"1\">e</font> 1 < 2 > 0\n<x");
    ASSERT_EQ(4u, spans.size());
    EXPECT_EQ("a", spans[0].text);
    EXPECT_TRUE(spans[0].style.italic);
    EXPECT_EQ("bc", spans[1].text) << "a stray closing tag changes nothing";
    EXPECT_EQ("d", spans[2].text);
    EXPECT_TRUE(spans[2].style.bold && spans[2].style.underline);
    EXPECT_EQ("e 1 < 2 > 0\n<x", spans[3].text) << "a \"<\" that opens no tag is text";
    EXPECT_EQ("Hi\nthere", displayedText("<i>Hi</i>\n<font color=\"#fff\">there</font>"));
    EXPECT_EQ("Third & last <one>.", displayedText("Third & last <one>."))
        << "no tag of ours: shown";

    for (const char* good : {"en", "en-US", "zh-Hans-CN", "es-419", "deu"})
        EXPECT_TRUE(isLanguageTag(good)) << good;
    for (const char* bad : {"", "e", "english", "en_US", "en-", "-en", "en-U", "en US", "e1"})
        EXPECT_FALSE(isLanguageTag(bad)) << bad;
    EXPECT_EQ("iTT?captionFormat=ITT.fr-CA", captionRole(CaptionFormat::itt, "fr-CA"));
    EXPECT_EQ("SRT?captionFormat=SRT.en", captionRole(CaptionFormat::srt, "en"));
}

TEST(ReadingChecks, FiguresAtTheirEdges) {
    const ReadingLimits limits; // 17 a second, 42 a line, 2 lines, 0.83 s
    // 34 shown characters in 2 s is 17 a second exactly: passes. Tags and
    // the line break are not counted; spaces and punctuation are.
    const std::string atLimit = "<i>Exactly seventeen</i>\nSeventeen again!!"; // 17 + 17
    EXPECT_TRUE(checkCue(atLimit, 2.0, limits).empty());
    const auto fast = checkCue(atLimit + "x", 2.0, limits);
    ASSERT_EQ(1u, fast.size());
    EXPECT_EQ(ReadingCheck::charactersPerSecond, fast[0].check);
    EXPECT_EQ("17.5 characters a second (limit 17)", failureText(fast[0]));
    // Characters, not bytes: 42 letters with accents fit a line.
    std::string accented;
    for (int i = 0; i < 42; ++i)
        accented += "\xC3\xA9";
    EXPECT_TRUE(checkCue(accented, 10.0, limits).empty());
    const auto all = checkCue(accented + "e\nb\nc", 0.8, limits);
    ASSERT_EQ(4u, all.size());
    EXPECT_EQ("43 characters on a line (limit 42)", failureText(all[1]));
    EXPECT_EQ("3 lines (limit 2)", failureText(all[2]));
    EXPECT_EQ("shown for 0.80 s (at least 0.83)", failureText(all[3]));
    // 25 frames at 30 a second (0.8333 s) is long enough.
    EXPECT_TRUE(checkCue("Ok.", 25.0 / 30.0, limits).empty());

    // The line names the cue's own number and the time the document holds.
    const std::vector<SubtitleCue> cues = {cue(7, 0, 1, "Fine."),
                                           cue(9, 61.5, 62, "Too quick to read.")};
    const auto findings = checkCues(cues, {{0, 1}, {61.52, 0.48}}, limits);
    ASSERT_EQ(1u, findings.size());
    EXPECT_EQ("cue 9 at 00:01:01.520: 37.5 characters a second (limit 17); shown for 0.48 s (at "
              "least 0.83)",
              findingLine(findings[0]));
}
