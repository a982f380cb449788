// The whole titles document: its parts, both versions, a video, the
// asynchronous twin, the export, golden files and DTD validity.
#include <clocale>
#include <cstdlib>

#include "base/strings.h"
#include "support/titles_test_support.h"
#include "titles/subtitle_file.h"
#include "writers/fcpxml_time.h"
#include "writers/titles_fcpxml.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

const std::string kComment = "Quelvo titles test";

fs::path video25() {
    return testDataDir() / "video" / "clip_25fps_tc1h.mov";
}
fs::path video2997() {
    return testDataDir() / "video" / "clip_2997.mp4";
}

std::vector<SubtitleCue> corpus(const std::string& name) {
    TitlesSettings parserSettings;
    return SubtitleFile::fromFileUrl(srtCorpus(name).string(), parserSettings).titles;
}

TitlesFcpxml titlesFor(const std::vector<SubtitleCue>& subtitles, TitlesSettings settings = {},
                       std::optional<std::string> video = std::nullopt,
                       std::string event = "Subtitles") {
    return TitlesFcpxml(std::move(event), subtitles, std::move(video), std::move(settings));
}

std::string document(TitlesFcpxml& g, bool useV19) {
    std::string xml;
    capturingStdout(
        [&] { xml = g.documentXML(useV19, g.settings.avoidOverlap.value_or(false), kComment); });
    return xml;
}

// Golden files must not depend on where the checkout lives.
std::string withStableVideoUrl(std::string xml, const fs::path& video) {
    return quelvo::replace(xml, quelvo::fcpxml::fileUrlOf(video.string()),
                           "file:///media/" + video.filename().string(), false);
}

TitlesSettings patchAndShadow() {
    TitlesSettings settings;
    settings.addPatch = true;
    settings.avoidOverlap = true;
    settings.shadow.enable = true;
    settings.shadow.color = {0.1, 0.2, 0.3, 1};
    settings.alignment = Alignment::left;
    settings.strokeBlur = 1.5;
    settings.lineSpacing = -4;
    return settings;
}

// A minimal PCM WAV: a media file without any video stream.
void writeWav(const fs::path& path, int seconds) {
    const uint32_t rate = 8000, bytes = rate * 2 * static_cast<uint32_t>(seconds);
    std::string h = "RIFF";
    const auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.push_back(static_cast<char>(v >> (8 * i)));
    };
    const auto u16 = [&](uint16_t v) {
        h.push_back(static_cast<char>(v));
        h.push_back(static_cast<char>(v >> 8));
    };
    u32(36 + bytes);
    h += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    h += "data";
    u32(bytes);
    writeFile(path, h + std::string(bytes, '\0'));
}

} // namespace

TEST(TitlesDocument, NoTitlesAndNoVideo) {
    auto g = titlesFor({});
    const std::string xml = document(g, true);
    EXPECT_NE(xml.find("<spine>\n <gap name=\"Gap\" offset=\"0s\" duration=\"0s\" "
                       "start=\"0s\">\n\n</gap>\n</spine>"),
              std::string::npos)
        << xml;
    EXPECT_VALID_FCPXML(xml, "1.9");
    EXPECT_VALID_FCPXML(document(g, false), "1.6");
}

TEST(TitlesDocument, EnvelopeAndParts) {
    auto g = titlesFor(corpus("basic.srt"));
    const std::string xml = document(g, true);
    EXPECT_EQ(
        xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE fcpxml>\n\n<!-- Quelvo "
                  "titles test -->"
                  "\n\n<fcpxml version=\"1.9\">\n<resources>\n<format id=\"FCPX_TimelineFormat\" "
                  "name=\"FFVideoFormat1080p30\" frameDuration=\"100/3000s\" width=\"1920\" "
                  "height=\"1080\"/>\n",
                  0),
        0u)
        << xml;
    EXPECT_NE(
        xml.find(
            "\n\n</resources>\n\n<!-- LIBRARY -->\n<library>\n\n<!-- EVENT -->\n<event "
            "name=\"Subtitles\">"
            "\n\n<!-- TIMELINE -->\n<project name=\"Subtitles\">\n<sequence "
            "duration=\"27000/3000s\" "
            "format=\"FCPX_TimelineFormat\" tcStart=\"0s\" tcFormat=\"NDF\" audioLayout=\"stereo\" "
            "audioRate=\"48k\">\n<spine>\n <gap name=\"Gap\" offset=\"0s\" "
            "duration=\"27000/3000s\" "
            "start=\"0s\">\n\n<title "),
        std::string::npos)
        << xml;
    EXPECT_TRUE(quelvo::endsWith(
        xml,
        "</title>\n</gap>\n</spine>\n</sequence>\n</project>\n</event>\n</library>\n</fcpxml>"));
}

TEST(TitlesDocument, TimelineRateSetting) {
    TitlesSettings settings;
    settings.timeLineFPS = 25.0;
    auto g = titlesFor(corpus("basic.srt"), settings);
    const std::string xml = document(g, true);
    EXPECT_NE(xml.find("name=\"FFVideoFormat1080p25\" frameDuration=\"100/2500s\""),
              std::string::npos);
    EXPECT_EQ(occurrences(xml, "/3000s"), 0);
    EXPECT_EQ(occurrences(xml, "/2500s\""),
              1 + 2 + 3 * 2); // format, sequence and gap, offset and duration per title
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesDocument, CustomTitleSourceOnTheFirstEffectOnly) {
    auto g = titlesFor(corpus("basic.srt"));
    const std::string plain = document(g, true);
    EXPECT_NE(
        plain.find(
            "Basic Title.moti\" />\n<effect id=\"ASSET_Tessary_BlackPatch\" name=\"Custom\" "
            "uid=\".../Generators.localized/Solids.localized/Custom.localized/Custom.motn\"/>\n"),
        std::string::npos)
        << plain;
    g.settings.customTitle = {true,
                              std::string("file:///Users/ed/Motion%20Templates/My%20Title.moti")};
    const std::string custom = document(g, true);
    EXPECT_NE(custom.find("uid=\".../Titles.localized/Bumper:Opener.localized/Basic "
                          "Title.localized/Basic Title.moti\"  "
                          "src=\"file:///Users/ed/Motion%20Templates/My%20Title.moti\"/>"),
              std::string::npos)
        << custom;
    EXPECT_EQ(occurrences(custom, " src="), 1);
    // Enabled without a source: no source, full style.
    g.settings.customTitle = {true, std::nullopt};
    EXPECT_EQ(document(g, true), plain);
}

TEST(TitlesDocument, Version16ChangesOnlyTheVersionAndThePatchOrder) {
    auto g = titlesFor(corpus("multiline.srt"), patchAndShadow());
    const std::string v19 = document(g, true);
    const std::string v16 = document(g, false);
    EXPECT_NE(v16.find("<fcpxml version=\"1.6\">"), std::string::npos);
    EXPECT_EQ(
        occurrences(v16,
                    "<video ref=\"ASSET_Tessary_BlackPatch\" name=\"Custom\" lane=\"1\" offset="),
        2);
    EXPECT_EQ(occurrences(v19, "<video name=\"Custom\" lane=\"1\" offset="), 2);
    // Back in the 1.9 order, the 1.6 document is the 1.9 one.
    std::string reordered = v16;
    const std::string from =
        "<video ref=\"ASSET_Tessary_BlackPatch\" name=\"Custom\" lane=\"1\" offset=";
    for (size_t at = reordered.find(from); at != std::string::npos;
         at = reordered.find(from, at + 1)) {
        const size_t offsetEnd = reordered.find(" duration=", at);
        const std::string offset = reordered.substr(at + from.size(), offsetEnd - at - from.size());
        reordered.replace(at, offsetEnd - at,
                          "<video name=\"Custom\" lane=\"1\" offset=" + offset +
                              " ref=\"ASSET_Tessary_BlackPatch\"");
    }
    reordered =
        quelvo::replace(reordered, "<fcpxml version=\"1.6\">", "<fcpxml version=\"1.9\">", false);
    EXPECT_EQ(reordered, v19);
    EXPECT_VALID_FCPXML(v19, "1.9");
    EXPECT_VALID_FCPXML(v16, "1.6");
}

TEST(TitlesDocument, EventNameLosesQuotesAndIsEscaped) {
    auto g = titlesFor(corpus("basic.srt"), {}, std::nullopt, "Tom's \"Cut\" & <Co>");
    const std::string xml = document(g, true);
    EXPECT_NE(xml.find("<event name=\"Toms Cut &amp; &lt;Co&gt;\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<project name=\"Toms Cut &amp; &lt;Co&gt;\">"), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesDocument, CommentCannotBreakTheDocument) {
    auto g = titlesFor(corpus("basic.srt"));
    std::string xml;
    capturingStdout([&] { xml = g.documentXML(true, false, "made -- with --> dashes-"); });
    EXPECT_NE(xml.find("<!-- made - - with - -> dashes- -->"), std::string::npos) << xml;
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesDocument, HostileTextsAndSettingsStillValidate) {
    TitlesSettings settings = patchAndShadow();
    settings.font = "A \"quoted\" & <odd> 'font'";
    settings.fontFace = "Bold\x01";
    settings.alignment = Alignment::justified;
    auto g = titlesFor({{1, 0, 1, "a & b < c > d \"e\" 'f'\n\x02line"},
                        {2, 0, 0, "]]> <![CDATA[ --"},
                        {3, 0.5, 0.2, ""}},
                       settings, std::nullopt, "ev\x7Fnt --");
    EXPECT_VALID_FCPXML(document(g, true), "1.9");
    EXPECT_VALID_FCPXML(document(g, false), "1.6");
}

TEST(TitlesDocument, GoldenPlain) {
    auto g = titlesFor(corpus("basic.srt"));
    const std::string v19 = document(g, true), v16 = document(g, false);
    expectGolden("titles_v1_9_plain.fcpxml", v19);
    expectGolden("titles_v1_6_plain.fcpxml", v16);
    EXPECT_VALID_FCPXML(v19, "1.9");
    EXPECT_VALID_FCPXML(v16, "1.6");
}

TEST(TitlesDocument, GoldenPatchAndShadow) {
    auto g = titlesFor(corpus("overlapping.srt"), patchAndShadow());
    const std::string v19 = document(g, true), v16 = document(g, false);
    expectGolden("titles_v1_9_patch_shadow.fcpxml", v19);
    expectGolden("titles_v1_6_patch_shadow.fcpxml", v16);
    EXPECT_VALID_FCPXML(v19, "1.9");
    EXPECT_VALID_FCPXML(v16, "1.6");
}

TEST(TitlesDocument, GoldenCustomTitle) {
    TitlesSettings settings;
    settings.customTitle = {true,
                            std::string("file:///Users/ed/Motion%20Templates/Lower%20Third.moti")};
    settings.alignment = Alignment::notSet;
    settings.timeLineFPS = 25.0;
    settings.frameSize = {3840, 2160};
    auto g = titlesFor(corpus("multiline.srt"), settings);
    const std::string v19 = document(g, true), v16 = document(g, false);
    expectGolden("titles_v1_9_custom_title.fcpxml", v19);
    expectGolden("titles_v1_6_custom_title.fcpxml", v16);
    EXPECT_VALID_FCPXML(v19, "1.9");
    EXPECT_VALID_FCPXML(v16, "1.6");
}

TEST(TitlesVideo, StartTimeComesFromTheTimecode) {
    auto g = titlesFor(corpus("basic.srt"), {}, video25().string());
    EXPECT_DOUBLE_EQ(g.videoStartTime, 3600.0);
    TitlesSettings ignoring;
    ignoring.handleNonZeroStartTime = false;
    EXPECT_EQ(titlesFor(corpus("basic.srt"), ignoring, video25().string()).videoStartTime, 0.0);
    EXPECT_EQ(titlesFor(corpus("basic.srt")).videoStartTime, 0.0);
}

TEST(TitlesVideo, TitlesAttachToTheVideoClip) {
    auto g = titlesFor(corpus("basic.srt"), patchAndShadow(), video25().string(), "Given name");
    const std::string v19 = document(g, true);
    EXPECT_NE(v19.find("<asset id=\"Tessary_VideoAsset\" name=\"clip_25fps_tc1h.mov\" "
                       "start=\"3600s\" duration=\"2s\""),
              std::string::npos)
        << v19;
    EXPECT_NE(v19.find("<format id=\"Tessary_VideoAssetFormat\" frameDuration=\"100/2500s\" "
                       "width=\"320\" height=\"180\"/>"),
              std::string::npos);
    EXPECT_NE(v19.find("<sequence duration=\"22500/2500s\" format=\"FCPX_TimelineFormat\""),
              std::string::npos);
    EXPECT_NE(
        v19.find(
            "<asset-clip name=\"clip_25fps_tc1h.mov\" ref=\"Tessary_VideoAsset\" offset=\"0s\" "
            "duration=\"5000/2500s\" start=\"9000000/2500s\" format=\"Tessary_VideoAssetFormat\" "
            "tcFormat=\"NDF\" audioRole=\"dialogue\">\n<video "),
        std::string::npos)
        << v19;
    // Title offsets count in the clip's media time, which starts at 1 h.
    EXPECT_NE(v19.find("offset=\"9002500/2500s\""), std::string::npos);
    EXPECT_EQ(g.eventName, "clip_25fps_tc1h");
    EXPECT_NE(v19.find("<event name=\"clip_25fps_tc1h\">"), std::string::npos);
    EXPECT_VALID_FCPXML(v19, "1.9");
    const std::string v16 = document(g, false);
    EXPECT_NE(
        v16.find("<asset id=\"Tessary_VideoAsset\" name=\"clip_25fps_tc1h.mov\" src=\"file:///"),
        std::string::npos);
    EXPECT_VALID_FCPXML(v16, "1.6");
    expectGolden("titles_v1_9_video.fcpxml", withStableVideoUrl(v19, video25()));
    expectGolden("titles_v1_6_video.fcpxml", withStableVideoUrl(v16, video25()));
}

TEST(TitlesVideo, NtscVideoWithoutTimecode) {
    auto g = titlesFor(corpus("basic.srt"), {}, video2997().string());
    const std::string v19 = document(g, true);
    EXPECT_EQ(g.videoStartTime, 0.0);
    EXPECT_NE(v19.find("name=\"FFVideoFormat1080p2997\" frameDuration=\"1001/30000s\""),
              std::string::npos)
        << v19;
    EXPECT_EQ(occurrences(v19, "/3000s"), 0);
    EXPECT_VALID_FCPXML(v19, "1.9");
    expectGolden("titles_v1_9_video_2997.fcpxml", withStableVideoUrl(v19, video2997()));
}

TEST(TitlesVideo, AwkwardVideoFileName) {
    TempDir dir;
    const fs::path video = dir / "My clip & 'co' <#1> \xC3\xA9t\xC3\xA9?.mov";
    fs::copy_file(video25(), video);
    auto g = titlesFor(corpus("basic.srt"), {}, video.string());
    const std::string v19 = document(g, true);
    EXPECT_NE(v19.find("name=\"My clip &amp; 'co' &lt;#1&gt; \xC3\xA9t\xC3\xA9?.mov\""),
              std::string::npos)
        << v19;
    EXPECT_NE(v19.find("My%20clip%20%26%20%27co%27%20%3C%231%3E%20%C3%A9t%C3%A9%3F.mov\""),
              std::string::npos);
    EXPECT_NE(v19.find("<event name=\"My clip &amp; co &lt;#1&gt; \xC3\xA9t\xC3\xA9?\">"),
              std::string::npos);
    EXPECT_VALID_FCPXML(v19, "1.9");
    EXPECT_VALID_FCPXML(document(g, false), "1.6");
}

TEST(TitlesVideo, MediaWithoutFrameRate) {
    TempDir dir;
    writeWav(dir / "voice.wav", 12);
    auto g = titlesFor(corpus("basic.srt"), {}, (dir / "voice.wav").string());
    const std::string xml = document(g, true);
    // Titles and the sequence count at 30 fps, the clip's own times are exact.
    EXPECT_NE(xml.find("<sequence duration=\"36000/3000s\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<asset-clip name=\"voice.wav\" ref=\"Tessary_VideoAsset\" offset=\"0s\" "
                       "duration=\"12s\" start=\"0s\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("width=\"1920\" height=\"1080\"/>\n\n\n</resources>"), std::string::npos);
    EXPECT_NE(
        xml.find("<title name=\"Hello there. - Basic Title\" lane=\"1\" offset=\"3000/3000s\""),
        std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST(TitlesVideo, UnreadableVideoStillGivesAValidDocument) {
    TempDir dir;
    writeFile(dir / "broken.mov", "not a movie at all");
    auto g = titlesFor(corpus("basic.srt"), {}, (dir / "broken.mov").string());
    const std::string xml = document(g, true);
    EXPECT_NE(xml.find("<sequence duration=\"27000/3000s\""), std::string::npos) << xml;
    EXPECT_VALID_FCPXML(xml, "1.9");
    EXPECT_VALID_FCPXML(document(g, false), "1.6");
}

TEST(TitlesExport, WritesTheDocumentAndReportsFailures) {
    TempDir dir;
    auto g = titlesFor(corpus("basic.srt"));
    g.settings.avoidOverlap = true;
    quelvo::Status status = quelvo::Status::failure("not run");
    capturingStdout([&] { status = g.exportXML((dir / "out.fcpxml").string(), true, kComment); });
    ASSERT_TRUE(status.ok()) << status.message();
    std::string expected;
    capturingStdout([&] { expected = g.documentXML(true, true, kComment); });
    EXPECT_EQ(readFile(dir / "out.fcpxml"), expected);

    capturingStdout([&] {
        status = g.exportXML((dir / "no" / "such" / "dir.fcpxml").string(), true, kComment);
    });
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST(TitlesExport, AsynchronousTwinDiffersOnlyInTwoComments) {
    TempDir dir;
    auto g = titlesFor(corpus("basic.srt"), patchAndShadow(), video25().string());
    const std::string sync = document(g, true);
    std::string async;
    capturingStdout([&] {
        const auto result =
            g.exportXMLAsync((dir / "async.fcpxml").string(), true, kComment).wait();
        EXPECT_TRUE(result.ok()) << result.error;
    });
    async = readFile(dir / "async.fcpxml");
    std::string expected =
        quelvo::replace(sync, "<!-- TIMELINE -->", "<!-- TIMELINE PROJECT -->", false);
    expected = quelvo::replace(expected, "audioRate=\"48k\">\n<spine>",
                               "audioRate=\"48k\">\n\n<!-- TIMELINE SPINE -->\n<spine>", false);
    EXPECT_EQ(async, expected);
    EXPECT_VALID_FCPXML(async, "1.9");
    std::string viaFuture;
    capturingStdout(
        [&] { viaFuture = g.documentXMLAsync(false, false, kComment).wait().value.value_or(""); });
    EXPECT_NE(viaFuture.find("<!-- TIMELINE SPINE -->"), std::string::npos);
    EXPECT_VALID_FCPXML(viaFuture, "1.6");
}

TEST(TitlesExport, SecondExportKeepsTheVideosEventName) {
    auto g = titlesFor(corpus("basic.srt"), {}, video25().string(), "First name");
    document(g, true);
    g.eventName = "Changed";
    EXPECT_NE(document(g, true).find("<event name=\"clip_25fps_tc1h\">"), std::string::npos);
}

// A comma decimal separator in an FCPXML file breaks the import.
TEST(TitlesExport, NumbersDoNotFollowTheProcessLocale) {
    TempDir dir;
    const std::string made = (dir / "de_DE.UTF-8").string();
    const auto r = runProgram({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", made});
    if (r.exitCode != 0 && !fs::exists(made))
        GTEST_SKIP() << "cannot build a German locale: " << r.err;
    setenv("LOCPATH", dir.path().c_str(), 1);
    auto g = titlesFor(corpus("overlapping.srt"), patchAndShadow());
    const std::string inC = document(g, true);
    const char* previous = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!previous) {
        unsetenv("LOCPATH");
        GTEST_SKIP() << "German locale not usable";
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 0.5);
    EXPECT_STREQ(buf, "0,5") << "the locale really is German";
    const std::string inGerman = document(g, true);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(inGerman, inC);
}

// The WebVTT and ASS readers feed the same titles: a public sample of each.
TEST(TitlesDocument, GoldenFromWebVttAndAss) {
    const std::pair<const char*, const char*> samples[] = {{"webvttpy_styles2.vtt", "webvtt"},
                                                           {"pysubs2_ttml_example.ass", "ass"}};
    for (const auto& [sample, name] : samples) {
        TitlesSettings parserSettings;
        auto g = titlesFor(
            SubtitleFile::fromFileUrl(subtitleSample(sample).string(), parserSettings).titles);
        const std::string v19 = document(g, true), v16 = document(g, false);
        expectGolden(std::string("titles_v1_9_") + name + ".fcpxml", v19);
        expectGolden(std::string("titles_v1_6_") + name + ".fcpxml", v16);
        EXPECT_VALID_FCPXML(v19, "1.9");
        EXPECT_VALID_FCPXML(v16, "1.6");
    }
}
