// The keyframe rule and the time texts both project documents use.
#include <cmath>

#include "project/volume_keyframes.h"
#include "support/test_support.h"

using namespace quelvo;
using quelvo::VolumeKeyframe;

namespace {
const EnvelopeTiming kHalfSeconds{0.5, 0.5, 0.5, 0.5, -24};
}

TEST(Keyframes, FourPerClusterAtTheRampEdges) {
    const auto k = makeVolumeKeyframes({{10.0, 20.0}}, kHalfSeconds, false, -20, 0);
    EXPECT_EQ(k, (std::vector<VolumeKeyframe>{{9.5, 0}, {10.5, -20}, {19.5, -20}, {20.5, 0}}));
    std::string legacy;
    for (const auto& kf : k)
        legacy += legacyKeyframeLine(kf.time, static_cast<int>(kf.dbValue));
    EXPECT_EQ(legacy,
              "<keyframe time='95/10s' value='0dB'/>\n<keyframe time='105/10s' value='-20dB'/>\n"
              "<keyframe time='195/10s' value='-20dB'/>\n<keyframe time='205/10s' value='0dB'/>\n");
}

TEST(Keyframes, DecreaseToZeroDucksToSilenceWhateverTheDecrease) {
    const auto k = makeVolumeKeyframes({{10.0, 20.0}}, kHalfSeconds, true, -3, -6);
    EXPECT_EQ(k[0].dbValue, -6);
    EXPECT_EQ(k[1].dbValue, -96);
    EXPECT_EQ(k[2].dbValue, -96);
    EXPECT_EQ(k[3].dbValue, -6);
}

TEST(Keyframes, NoClampingSortingOrDeduplication) {
    EXPECT_TRUE(makeVolumeKeyframes({}, kHalfSeconds, false, -12, 0).empty());
    // A cluster starting before the fade-in lead gives a negative first time.
    const auto early = makeVolumeKeyframes({{0.2, 5}}, kHalfSeconds, false, -12, 0);
    EXPECT_DOUBLE_EQ(early[0].time, -0.3);
    EXPECT_EQ(legacyKeyframeLine(early[0].time, 0), "<keyframe time='-3/10s' value='0dB'/>\n");
    // A cluster shorter than postFadeIn + preFadeOut keeps the order 1-2-3-4.
    const auto shortOne = makeVolumeKeyframes({{10, 10.4}}, kHalfSeconds, false, -12, 0);
    EXPECT_GT(shortOne[1].time, shortOne[2].time);
    // Overlapping ramps of neighbours interleave but keep their fixed order;
    // equal times are both kept.
    const auto pair =
        makeVolumeKeyframes({{1, 2}, {3, 4}}, EnvelopeTiming{1, 0, 0, 1, 0}, false, -12, 0);
    ASSERT_EQ(pair.size(), 8u);
    EXPECT_DOUBLE_EQ(pair[3].time, 3.0);
    EXPECT_DOUBLE_EQ(pair[4].time, 2.0);
    const auto same = makeVolumeKeyframes({{1, 1}}, EnvelopeTiming{0, 0, 0, 0, 0}, false, -12, 0);
    EXPECT_EQ(same.size(), 4u);
    // A last keyframe past the end of the music stays where the rule puts it.
    const auto last = makeVolumeKeyframes({{30, 40}}, kHalfSeconds, false, -12, 0);
    EXPECT_DOUBLE_EQ(last[3].time, 40.5);
}

TEST(TimeTexts, TruncateTowardZero) {
    EXPECT_EQ(formatTenths(12.345), "'123/10s'");
    EXPECT_EQ(formatTenths(0), "'0/10s'");
    EXPECT_EQ(formatTenths(0.19), "'1/10s'");
    EXPECT_EQ(formatTenths(-0.19), "'-1/10s'");
    EXPECT_EQ(formatTenths(1.27), "'12/10s'");
    EXPECT_EQ(formatSequenceTime(60), "'180000/3000s'");
    EXPECT_EQ(formatSequenceTime(75), "'225000/3000s'");
    EXPECT_EQ(legacyKeyframeLine(0.19, -96), "<keyframe time='1/10s' value='-96dB'/>\n");
    EXPECT_EQ(legacyKeyframeLine(-0.19, 0), "<keyframe time='-1/10s' value='0dB'/>\n");
}

TEST(TimeTexts, BrokenDurationsReadAsZeroInsteadOfGarbage) {
    EXPECT_EQ(formatTenths(std::nan("")), "'0/10s'");
    EXPECT_EQ(formatTenths(INFINITY), "'0/10s'");
    EXPECT_EQ(formatSequenceTime(-INFINITY), "'0/3000s'");
}
