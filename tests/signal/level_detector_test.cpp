// What each detector parameter does, on made-up 10 ms level sequences.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "signal/level_detector.h"

using quelvo::Cluster;
using quelvo::ClusterList;
using quelvo::LevelDetector;
using quelvo::LevelParameters;

namespace {

constexpr double kSilence = -std::numeric_limits<double>::infinity();

// Levels built from runs: {frames, dB}.
std::vector<double> runs(std::initializer_list<std::pair<int, double>> parts) {
    std::vector<double> levels;
    for (const auto& [count, db] : parts)
        levels.insert(levels.end(), count, db);
    return levels;
}

ClusterList detect(const std::vector<double>& levels, double threshold, double hysteresis,
                   double decay) {
    LevelDetector detector(threshold, hysteresis, decay);
    for (double level : levels)
        detector.addFrame(level);
    return detector.finish(levels.size() / 100.0);
}

void expectClusters(const ClusterList& actual, const ClusterList& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i].start, expected[i].start, 1e-9) << "cluster " << i;
        EXPECT_NEAR(actual[i].end, expected[i].end, 1e-9) << "cluster " << i;
    }
}

} // namespace

TEST(LevelDetector, AFrameIsLoudAtOrAboveTheThreshold) {
    const auto levels = runs({{100, kSilence}, {50, -24.0}, {100, kSilence}});
    expectClusters(detect(levels, -24, 0, 0), {{1.0, 1.5}});
    expectClusters(detect(levels, -23.99, 0, 0), {});
    // Digital silence never counts, whatever the threshold.
    expectClusters(detect(runs({{100, kSilence}}), -1000, 0, 0), {});
}

TEST(LevelDetector, HysteresisKeepsAnOpenClusterOpenDownToThresholdMinusHysteresis) {
    // Loud, then a tail at -28 dB (below -24, above -29), then silence.
    const auto levels = runs({{50, kSilence}, {50, -10.0}, {100, -28.0}, {100, kSilence}});
    expectClusters(detect(levels, -24, 5, 0), {{0.5, 2.0}});
    expectClusters(detect(levels, -24, 2, 0), {{0.5, 1.0}});
    // A tail at that level never opens a cluster by itself.
    expectClusters(detect(runs({{100, -28.0}}), -24, 5, 0), {});
    // A negative hysteresis counts as none.
    expectClusters(detect(levels, -24, -3, 0), {{0.5, 1.0}});
}

TEST(LevelDetector, DecayHoldsThroughShortQuietRunsAndEndsWhereTheQuietBegan) {
    // Two bursts 0.3 s apart.
    const auto levels =
        runs({{100, kSilence}, {50, -6.0}, {30, kSilence}, {50, -6.0}, {200, kSilence}});
    expectClusters(detect(levels, -24, 5, 0.5), {{1.0, 2.3}});
    expectClusters(detect(levels, -24, 5, 0.31), {{1.0, 2.3}});
    // 30 quiet frames are 0.3 s of quiet: enough to close with a 0.3 s hold.
    expectClusters(detect(levels, -24, 5, 0.3), {{1.0, 1.5}, {1.8, 2.3}});
    // Decay 0 closes at the first quiet frame.
    expectClusters(detect(levels, -24, 5, 0), {{1.0, 1.5}, {1.8, 2.3}});
    // A hold longer than the rest of the file ends the cluster where the quiet began.
    expectClusters(detect(levels, -24, 5, 100), {{1.0, 2.3}});
    // A cluster still loud at the end runs to the file's end.
    expectClusters(detect(runs({{10, kSilence}, {40, -3.0}}), -24, 5, 0.5), {{0.1, 0.5}});
    // Hold times that are not numbers do not break anything.
    expectClusters(detect(levels, -24, 5, std::nan("")), {{1.0, 1.5}, {1.8, 2.3}});
    expectClusters(detect(levels, -24, 5, std::numeric_limits<double>::infinity()), {{1.0, 2.3}});
}

TEST(ShapeClusters, DropsShortClustersThenWidensClampsAndJoins) {
    LevelParameters p;
    p.minDuration = 0.5;
    p.fadeInDuration = 0.1;
    p.fadeOutDuration = 0.2;
    p.preRoll = 0;
    const ClusterList found = {{0.05, 1.0}, {1.1, 1.4}, {1.5, 2.5}, {2.7, 3.9}};
    // {1.1,1.4} is too short; the others widen to [0,1.2] [1.4,2.7] [2.6,4.0].
    expectClusters(quelvo::shapeClusters(found, p, 4.0), {{0.0, 1.2}, {1.4, 4.0}});
    p.minDuration = 0.3; // now {1.1,1.4} stays: exactly 0.3 long
    expectClusters(quelvo::shapeClusters(found, p, 4.0), {{0.0, 4.0}});
    // Touching after widening joins too.
    p.minDuration = 0;
    p.fadeInDuration = 0.1;
    p.fadeOutDuration = 0.1;
    expectClusters(quelvo::shapeClusters({{1.0, 2.0}, {2.2, 3.0}}, p, 5.0), {{0.9, 3.1}});
}

TEST(ShapeClusters, PreRollMovesStartsEarlierAndClampsAtZero) {
    LevelParameters p;
    p.minDuration = 0;
    p.fadeInDuration = 0.1;
    p.fadeOutDuration = 0.1;
    p.preRoll = 0.5;
    expectClusters(quelvo::shapeClusters({{0.3, 1.0}, {3.0, 4.0}}, p, 10),
                   {{0.0, 1.1}, {2.4, 4.1}});
    // Negative fades narrow; a cluster narrowed past nothing is gone.
    p.preRoll = 0;
    p.fadeInDuration = -0.2;
    p.fadeOutDuration = -0.2;
    expectClusters(quelvo::shapeClusters({{1.0, 1.3}, {2.0, 3.0}}, p, 10), {{2.2, 2.8}});
}

TEST(NoiseFloor, IsTheTenthPercentileOfFrameLevels) {
    quelvo::NoiseFloorEstimator floor;
    EXPECT_FALSE(floor.percentile(0.1).has_value());
    // 100 frames: 10 at -60, 90 louder.
    for (int i = 0; i < 10; ++i)
        floor.addFrame(-60.0);
    for (int i = 0; i < 90; ++i)
        floor.addFrame(-10.0 - i * 0.1);
    EXPECT_NEAR(*floor.percentile(0.1), -60.0, 0.01);
    EXPECT_NEAR(*floor.percentile(0.105), -18.9, 0.01);
    // Enough digital silence makes the floor -inf: nothing to raise the threshold above.
    quelvo::NoiseFloorEstimator silent;
    for (int i = 0; i < 20; ++i)
        silent.addFrame(kSilence);
    for (int i = 0; i < 80; ++i)
        silent.addFrame(-40);
    EXPECT_TRUE(std::isinf(*silent.percentile(0.1)));
}

TEST(NoiseFloor, RaisesTheThresholdBySixDecibelsPerNoiseLevel) {
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, -50.0, 1.0), -40); // floor + 6 is lower
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, -30.0, 1.0), -24);
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, -30.0, 2.0), -18);
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, -30.0, 0.0), -30);
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, kSilence, 1.0), -40);
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, std::nullopt, 1.0), -40);
    EXPECT_DOUBLE_EQ(quelvo::effectiveThreshold(-40, -30.0, std::nan("")), -40);
}

TEST(PeakToDb, FullScaleIsZeroAndSilenceIsMinusInfinity) {
    EXPECT_DOUBLE_EQ(quelvo::peakToDb(1.0f), 0.0);
    EXPECT_NEAR(quelvo::peakToDb(0.5f), -6.0206, 1e-4);
    EXPECT_TRUE(std::isinf(quelvo::peakToDb(0.0f)));
}
