// Time, format and URL texts shared by every FCPXML document.
#include <gtest/gtest.h>

#include "writers/fcpxml_time.h"

namespace kymovie {
namespace {

using namespace FCPXMLUtils;

TEST(FCPXMLTime, WholeFramesOfTheTimebase) {
    EXPECT_EQ(getTime(1.0, 30), "\"3000/3000s\"");
    EXPECT_EQ(getTime(0.0, 30), "\"0s\"");
    EXPECT_EQ(getTime(1.0 / 60, 30), "\"100/3000s\""); // half a frame rounds up
    EXPECT_EQ(getTimeV3(1.01, 25, 2), "\"2600/2500s\"");
    EXPECT_EQ(getTimeV3(1.0, 25, 2), "\"2500/2500s\"");
    EXPECT_EQ(getTime(1.0, 30000.0 / 1001), "\"30030/30000s\"");
    EXPECT_EQ(getTime(1.0, 23.976), "\"24024/24000s\"");
}

TEST(FCPXMLTime, FormatNames) {
    EXPECT_EQ(getFormat(29.97), "FFVideoFormat1080p2997");
    EXPECT_EQ(getFormat(25.0), "FFVideoFormat1080p25");
    EXPECT_EQ(getFormat(12.0), "FFVideoFormatRateUndefined");
    EXPECT_EQ(getFormat(std::nullopt), "FFVideoFormatRateUndefined");
    EXPECT_EQ(KyVideoFormats::getVideoFormat({1920, 1080}, 30.0), "FFVideoFormat1080p30");
    EXPECT_EQ(KyVideoFormats::getVideoFormat({1280, 720}, 59.94), "FFVideoFormat720p5994");
    EXPECT_EQ(KyVideoFormats::getVideoFormat({640, 480}, 30.0), "FFVideoFormatRateUndefined");
}

TEST(FCPXMLTime, FileUrlsAreUtf8PercentEncoded) {
    EXPECT_EQ(fcpxmlPercEnc("/a b/é&'#?.wav"), "file:///a%20b/%C3%A9%26%27%23%3F.wav");
    EXPECT_EQ(fcpxmlPercEnc("/x/y-z_1.~.mp3"), "file:///x/y-z_1.~.mp3");
}

TEST(FCPXMLTime, ColoursUseAtMostFourDecimalsAndAPoint) {
    EXPECT_EQ(getColor({1, 0.5, 0.123456, 1}), "1 0.5 0.1235 1");
}

} // namespace
} // namespace kymovie
