// Time, format and URL texts shared by every FCPXML document.
#include <gtest/gtest.h>

#include "writers/fcpxml_time.h"

namespace quelvo {
namespace {

using namespace fcpxml;

TEST(FCPXMLTime, WholeFramesOfTheTimebase) {
    EXPECT_EQ(getTime(1.0, 30), "\"3000/3000s\"");
    EXPECT_EQ(getTime(0.0, 30), "\"0s\"");
    EXPECT_EQ(getTime(1.0 / 60, 30), "\"100/3000s\""); // half a frame rounds up
    EXPECT_EQ(snappedTime(1.01, 25, 2), "\"2600/2500s\"");
    EXPECT_EQ(snappedTime(1.0, 25, 2), "\"2500/2500s\"");
    EXPECT_EQ(getTime(1.0, 30000.0 / 1001), "\"30030/30000s\"");
    EXPECT_EQ(getTime(1.0, 23.976), "\"24024/24000s\"");
}

TEST(FCPXMLTime, FormatNames) {
    EXPECT_EQ(getFormat(29.97), "FFVideoFormat1080p2997");
    EXPECT_EQ(getFormat(25.0), "FFVideoFormat1080p25");
    EXPECT_EQ(getFormat(12.0), "FFVideoFormatRateUndefined");
    EXPECT_EQ(getFormat(std::nullopt), "FFVideoFormatRateUndefined");
    EXPECT_EQ(videoFormats::getVideoFormat({1920, 1080}, 30.0), "FFVideoFormat1080p30");
    EXPECT_EQ(videoFormats::getVideoFormat({1280, 720}, 59.94), "FFVideoFormat720p5994");
    EXPECT_EQ(videoFormats::getVideoFormat({640, 480}, 30.0), "FFVideoFormatRateUndefined");
}

TEST(FCPXMLTime, FileUrlsAreUtf8PercentEncoded) {
    EXPECT_EQ(fileUrlOf("/a b/é&'#?.wav"), "file:///a%20b/%C3%A9%26%27%23%3F.wav");
    EXPECT_EQ(fileUrlOf("/x/y-z_1.~.mp3"), "file:///x/y-z_1.~.mp3");
}

TEST(FCPXMLTime, ColoursUseAtMostFourDecimalsAndAPoint) {
    EXPECT_EQ(getColor({1, 0.5, 0.123456, 1}), "1 0.5 0.1235 1");
}

// Values from hand-edited settings that once broke the shared FCPXML texts:
// a timeline rate or a time far beyond any video overflowed the frame count,
// and a colour component too long for a fixed buffer came out as stray bytes.
TEST(FCPXMLValuesRegression, RatesNoTimelineRunsAtCountAsThirty) {
    EXPECT_EQ(getTime(1.0, 1e308), "\"3000/3000s\"");
    EXPECT_EQ(getTime(1.0, 2e6), "\"3000/3000s\"");
    EXPECT_EQ(getTime(1.0, 0.004), "\"3000/3000s\"");
    EXPECT_EQ(getTime(1.0, 0.5), "\"100/50s\"");
}

TEST(FCPXMLValuesRegression, HugeTimesStayWithinTheFrameCount) {
    EXPECT_EQ(getTime(1e300, 30), "\"100000000000000000/3000s\"");
    EXPECT_EQ(getTime(-1e308, 30), "\"-100000000000000000/3000s\"");
    EXPECT_EQ(snappedTime(1e300, 30000.0 / 1001, 2), "\"1001000000000000000/30000s\"");
    // The value the settings decoder met first: -1e308 s of extension at 1e308 fps.
    EXPECT_EQ(snappedTime(-1e308, 1e308, 1), "\"-100000000000000000/3000s\"");
}

TEST(FCPXMLValuesRegression, HugeColourComponentsAreWrittenInFull) {
    const std::string text = getColor({1e300, -1e300, 0.5, 1});
    EXPECT_EQ(text.find_first_not_of("0123456789 .-"), std::string::npos) << text;
    EXPECT_EQ(text.substr(0, 4), "1000");
    EXPECT_EQ(text.size(), 301u + 1 + 302 + 1 + 3 + 1 + 1) << text;
}

} // namespace
} // namespace quelvo
