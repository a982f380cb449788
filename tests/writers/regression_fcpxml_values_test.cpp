// Values from hand-edited settings that once broke the shared FCPXML texts:
// a timeline rate or a time far beyond any video overflowed the frame count,
// and a colour component too long for a fixed buffer came out as stray bytes.
#include <gtest/gtest.h>

#include "writers/fcpxml_time.h"

namespace kymovie {
namespace {

using namespace FCPXMLUtils;

TEST(FCPXMLValuesRegression, RatesNoTimelineRunsAtCountAsThirty) {
    EXPECT_EQ(getTime(1.0, 1e308), "\"3000/3000s\"");
    EXPECT_EQ(getTime(1.0, 2e6), "\"3000/3000s\"");
    EXPECT_EQ(getTime(1.0, 0.004), "\"3000/3000s\"");
    EXPECT_EQ(getTime(1.0, 0.5), "\"100/50s\"");
}

TEST(FCPXMLValuesRegression, HugeTimesStayWithinTheFrameCount) {
    EXPECT_EQ(getTime(1e300, 30), "\"100000000000000000/3000s\"");
    EXPECT_EQ(getTime(-1e308, 30), "\"-100000000000000000/3000s\"");
    EXPECT_EQ(getTimeV3(1e300, 30000.0 / 1001, 2), "\"1001000000000000000/30000s\"");
    // The value the settings decoder met first: -1e308 s of extension at 1e308 fps.
    EXPECT_EQ(getTimeV3(-1e308, 1e308, 1), "\"-100000000000000000/3000s\"");
}

TEST(FCPXMLValuesRegression, HugeColourComponentsAreWrittenInFull) {
    const std::string text = getColor({1e300, -1e300, 0.5, 1});
    EXPECT_EQ(text.find_first_not_of("0123456789 .-"), std::string::npos) << text;
    EXPECT_EQ(text.substr(0, 4), "1000");
    EXPECT_EQ(text.size(), 301u + 1 + 302 + 1 + 3 + 1 + 1) << text;
}

} // namespace
} // namespace kymovie
