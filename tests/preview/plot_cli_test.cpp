// `quelvo-cli duck --plot`: well-formed SVG with a mark for every keyframe the
// project holds, a shaded box per speech interval and the filler clips.
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "preview/svg_writer.h"
#include "support/test_support.h"

using namespace quelvo::test;

namespace {

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(PlotCommand, WritesTheSameKeyframesAsTheProjectAndValidSvg) {
    TempDir dir;
    const CommandResult r = runProgram(
        {(binDir() / "quelvo-cli").string(), "duck", "--dialogue",
         recordingOrStandIn("dialogue/dev04_pauses_m4a.m4a").string(), "--music",
         recordingOrStandIn("music/dev_music_gaps.wav").string(), "--filler",
         recordingOrStandIn("music/dev_music_real.mp3").string(), "--format", "1.9", "--output",
         (dir / "p.fcpxml").string(), "--plot", (dir / "p.svg").string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    const std::string svg = readFile(dir / "p.svg");
    EXPECT_EQ(runProgram({"/usr/bin/xmllint", "--noout", (dir / "p.svg").string()}).exitCode, 0);
    EXPECT_EQ(count(svg, "<circle"), summary["keyframes"].get<size_t>());
    EXPECT_EQ(count(svg, "<polyline"), 1u);
    EXPECT_GE(count(svg, "fill=\"#c98fe0\""), summary["fillerClips"].get<size_t>());
    EXPECT_NE(svg.find("00:00:00:00"), std::string::npos);

    // A plot that cannot be written fails the command and says so.
    const CommandResult bad = runProgram(
        {(binDir() / "quelvo-cli").string(), "duck", "--dialogue",
         recordingOrStandIn("dialogue/dev04_pauses_m4a.m4a").string(), "--music",
         recordingOrStandIn("music/dev_music_gaps.wav").string(), "--format", "1.9", "--output",
         (dir / "q.fcpxml").string(), "--plot", (dir / "no/such/folder.svg").string()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("plot"), std::string::npos) << bad.err;
}

// File names may hold control characters and bytes that are not UTF-8: the
// title loses the first and shows U+FFFD for the second, as the projects do.
TEST(PlotSvg, AwkwardFileNamesStayWellFormed) {
    TempDir dir;
    const std::string svg =
        quelvo::preview::previewSvg({}, "a\x01\x1b<&>\xE9\xFF b.wav / m\x7f\xC3.mp3");
    EXPECT_NE(
        svg.find(
            "<title>a&lt;&amp;&gt;\xEF\xBF\xBD\xEF\xBF\xBD b.wav / m\x7f\xEF\xBF\xBD.mp3</title>"),
        std::string::npos)
        << svg;
    writeFile(dir / "t.svg", svg);
    EXPECT_EQ(runProgram({"/usr/bin/xmllint", "--noout", (dir / "t.svg").string()}).exitCode, 0);
}
