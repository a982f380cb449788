// The gain envelope: the curve the project asks Final Cut Pro to apply, read
// at any time and sample by sample.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "mix/envelope.h"
#include "project/volume_keyframes.h"

using quelvo::mix::GainEnvelope;

TEST(GainEnvelope, OverallLevelOutsideTheKeyframesAndLinearInDbBetweenThem) {
    const GainEnvelope none({}, -3.0);
    EXPECT_DOUBLE_EQ(none.gainDbAt(-1.0), -3.0);
    EXPECT_DOUBLE_EQ(none.gainDbAt(100.0), -3.0);

    // One speech interval 2..5 s with the default fades.
    const quelvo::EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
    const GainEnvelope e(quelvo::makeVolumeKeyframes({{2.0, 5.0}}, rolls, false, -12, -2), -2.0);
    EXPECT_DOUBLE_EQ(e.gainDbAt(0.0), -2.0);
    EXPECT_DOUBLE_EQ(e.gainDbAt(1.7), -2.0);
    EXPECT_NEAR(e.gainDbAt(2.0), -7.0, 1e-9); // half way down the 0.6 s fade
    EXPECT_DOUBLE_EQ(e.gainDbAt(2.3), -12.0);
    EXPECT_DOUBLE_EQ(e.gainDbAt(4.0), -12.0);
    EXPECT_NEAR(e.gainDbAt(5.2), -7.0, 1e-9); // half way up the 1.0 s fade
    EXPECT_DOUBLE_EQ(e.gainDbAt(5.7), -2.0);
    EXPECT_DOUBLE_EQ(e.gainDbAt(60.0), -2.0);
}

TEST(GainEnvelope, OverlappingRampsAreReadInTimeOrderAndSilenceIsZero) {
    // The keyframe rule keeps its fixed order even when ramps overlap.
    const GainEnvelope e({{1.0, 0}, {1.6, -96}, {1.5, -96}, {2.5, 0}}, 0.0);
    EXPECT_DOUBLE_EQ(e.keyframes()[1].time, 1.5);
    EXPECT_DOUBLE_EQ(e.gainDbAt(1.55), -96.0);
    EXPECT_DOUBLE_EQ(quelvo::mix::dbToLinear(-96.0), 0.0);
    EXPECT_DOUBLE_EQ(quelvo::mix::dbToLinear(0.0), 1.0);
    EXPECT_NEAR(quelvo::mix::dbToLinear(-6.0), 0.501187, 1e-6);
}

TEST(GainEnvelope, SampleGainsMatchTheCurveAcrossBlockAndKeyframeBoundaries) {
    const quelvo::EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
    const GainEnvelope e(
        quelvo::makeVolumeKeyframes({{0.5, 1.2}, {2.0, 2.9}}, rolls, false, -20, 0), 0.0);
    const int rate = 8000;
    for (const int block : {1, 7, 1000, 4096}) {
        std::vector<double> gains(block);
        for (int64_t first = 0; first < 4 * rate; first += block) {
            e.linearGains(first, block, rate, gains.data());
            for (int i = 0; i < block; ++i) {
                const double expected =
                    quelvo::mix::dbToLinear(e.gainDbAt(double(first + i) / rate));
                ASSERT_NEAR(gains[i], expected, 1e-12)
                    << "sample " << first + i << " block " << block;
            }
        }
    }
}

TEST(GainEnvelope, PerIntervalLevelsKeepTheRampTimes) {
    const quelvo::EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
    const auto fixed = quelvo::makeVolumeKeyframes({{1, 3}, {6, 8}}, rolls, false, -12, 0);
    const auto perInterval =
        quelvo::makeVolumeKeyframes({{1, 3}, {6, 8}}, rolls, std::vector<int>{-17, -25}, 0);
    ASSERT_EQ(perInterval.size(), fixed.size());
    for (size_t i = 0; i < fixed.size(); ++i)
        EXPECT_DOUBLE_EQ(perInterval[i].time, fixed[i].time);
    EXPECT_EQ(perInterval[1].dbValue, -17);
    EXPECT_EQ(perInterval[2].dbValue, -17);
    EXPECT_EQ(perInterval[5].dbValue, -25);
    EXPECT_EQ(perInterval[7].dbValue, 0);
}
