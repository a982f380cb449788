// getClusterListByWavePath end to end on synthetic files: bursts at known
// levels and times, every parameter doing what it says.
#include <filesystem>

#include <gtest/gtest.h>

#include "media/audio_file.h"
#include "support/synth_audio.h"
#include "support/test_support.h"

using quelvo::ClusterList;
using quelvo::LevelParameters;
using quelvo::test::Burst;
using quelvo::test::Signal;
using quelvo::test::WavFormat;

namespace {

class LevelAnalysis : public ::testing::Test {
  protected:
    std::string write(const Signal& signal, WavFormat format = WavFormat::S16) {
        const auto path = m_tmp / ("signal" + std::to_string(m_count++) + ".wav");
        quelvo::test::writeWav(path, signal, format);
        return path.string();
    }
    // No fades, no minimum, no hold: the detector's raw answer.
    static LevelParameters bare(double threshold) {
        LevelParameters p;
        p.threshold = threshold;
        p.decay = 0;
        p.minDuration = 0;
        p.fadeInDuration = 0;
        p.fadeOutDuration = 0;
        p.hysteresis = 0;
        return p;
    }
    static ClusterList clusters(const std::string& path, const LevelParameters& p) {
        const quelvo::LevelAnalysis a = quelvo::analyzeLevels(path, p);
        EXPECT_TRUE(a.status) << a.status.message();
        return a.clusters;
    }
    static ClusterList viaFrameworkCall(const std::string& path, const LevelParameters& p) {
        return quelvo::getClusterListByWavePath(
            path, p.threshold, p.decay, p.minDuration, p.fadeInDuration, p.fadeOutDuration,
            p.noisyEnironment, p.environmentNoiseLevel, p.hysteresis, p.preRoll);
    }

    quelvo::test::TempDir m_tmp;
    int m_count = 0;
};

Signal withBursts(std::vector<Burst> bursts, double duration = 4.0, int rate = 44100) {
    Signal s;
    s.sampleRate = rate;
    s.duration = duration;
    s.bursts = std::move(bursts);
    return s;
}

} // namespace

TEST_F(LevelAnalysis, ThresholdSeparatesBurstsByTheirPeakLevel) {
    const auto file = write(withBursts({{0.5, 1.0, -20.0}, {2.0, 2.5, -10.0}}));
    EXPECT_EQ(clusters(file, bare(-24)), (ClusterList{{0.5, 1.0}, {2.0, 2.5}}));
    EXPECT_EQ(clusters(file, bare(-18)), (ClusterList{{2.0, 2.5}}));
    EXPECT_EQ(clusters(file, bare(-5)), ClusterList{});
}

TEST_F(LevelAnalysis, EdgesAreAccurateToOneFrame) {
    // Bursts that start and stop mid-frame cover the frames they touch.
    const auto file = write(withBursts({{0.503, 1.2049, -6.0}}, 2.0, 48000));
    EXPECT_EQ(clusters(file, bare(-24)), (ClusterList{{0.5, 1.21}}));
}

TEST_F(LevelAnalysis, HysteresisAndDecayOnARealFile) {
    // A word at -10 dB with a -27 dB tail, then a second word 0.3 s later.
    const auto file = write(withBursts({{0.5, 1.0, -10.0}, {1.0, 1.4, -27.0}, {1.7, 2.2, -10.0}}));
    LevelParameters p = bare(-24);
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.5, 1.0}, {1.7, 2.2}}));
    p.hysteresis = 5;
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.5, 1.4}, {1.7, 2.2}}));
    p.decay = 0.5; // the 0.3 s pause is held through
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.5, 2.2}}));
}

TEST_F(LevelAnalysis, MinDurationFadesAndPreRoll) {
    const auto file = write(withBursts({{0.05, 0.8, -6.0}, {1.5, 1.8, -6.0}, {3.0, 3.95, -6.0}}));
    LevelParameters p = bare(-24);
    p.minDuration = 0.5;
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.05, 0.8}, {3.0, 3.95}}));
    p.fadeInDuration = 0.1;
    p.fadeOutDuration = 0.1;
    // Clamped to the file: [0, 4].
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.0, 0.9}, {2.9, 4.0}}));
    p.preRoll = 0.25;
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.0, 0.9}, {2.65, 4.0}}));
    p.minDuration = 0.2; // the short burst comes back, widened
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.0, 0.9}, {1.15, 1.9}, {2.65, 4.0}}));
}

TEST_F(LevelAnalysis, NoisyEnvironmentRaisesTheThresholdAboveTheNoiseFloor) {
    // Speech at -10 dBFS over noise peaking at -30 dBFS.
    Signal s = withBursts({{1.0, 1.5, -10.0}, {2.5, 3.0, -10.0}});
    s.noisePeakDb = -30;
    const auto file = write(s, WavFormat::F32);
    LevelParameters p = bare(-40);
    // Below the noise, everything is active.
    EXPECT_EQ(clusters(file, p), (ClusterList{{0.0, 4.0}}));
    p.noisyEnironment = true;
    p.environmentNoiseLevel = 1.0; // floor about -30.5, threshold about -24.5
    EXPECT_EQ(clusters(file, p), (ClusterList{{1.0, 1.5}, {2.5, 3.0}}));
    // A large noise level puts the threshold above the speech too.
    p.environmentNoiseLevel = 5.0;
    EXPECT_EQ(clusters(file, p), ClusterList{});
    // When the threshold is above floor + 6 dB it stays.
    p.environmentNoiseLevel = 1.0;
    p.threshold = -12;
    EXPECT_EQ(clusters(file, p), (ClusterList{{1.0, 1.5}, {2.5, 3.0}}));
    // On a clean file (digital silence around the speech) nothing changes.
    const auto clean = write(withBursts({{1.0, 1.5, -10.0}}), WavFormat::F32);
    EXPECT_EQ(clusters(clean, p), (ClusterList{{1.0, 1.5}}));
}

TEST_F(LevelAnalysis, ThePlainCallGivesTheAnalysisClusters) {
    const auto file = write(withBursts({{0.5, 1.0, -6.0}, {2.0, 3.0, -12.0}}));
    LevelParameters p;
    p.threshold = -24;
    const ClusterList expected = clusters(file, p);
    EXPECT_EQ(expected, (ClusterList{{0.4, 1.1}, {1.9, 3.1}}));
    EXPECT_EQ(viaFrameworkCall(file, p), expected);
}

TEST_F(LevelAnalysis, ReportsTheDecodedDurationAndRate) {
    const auto file = write(withBursts({{0.5, 1.0, -6.0}}, 2.5, 22050));
    const quelvo::LevelAnalysis a = quelvo::analyzeLevels(file, bare(-24));
    ASSERT_TRUE(a.status);
    EXPECT_DOUBLE_EQ(a.duration, 2.5);
    EXPECT_EQ(a.sampleRate, 22050);
}
