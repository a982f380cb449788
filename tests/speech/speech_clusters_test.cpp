// The job's analysis steps: gap closing, dialogue and music clusters.
#include <gtest/gtest.h>

#include "project/envelope_timing.h"
#include "speech/speech_clusters.h"
#include "support/test_support.h"

using quelvo::closeGaps;
using quelvo::ClusterList;
using quelvo::EnvelopeTiming;

namespace {
EnvelopeTiming rolls(double preFadeIn, double postFadeOut) {
    return EnvelopeTiming{preFadeIn, 0.3, 0.3, postFadeOut, -24};
}
std::string shared(const std::string& relative) {
    return (quelvo::test::sharedDir() / "testdata" / relative).string();
}
} // namespace

TEST(CloseGaps, JoinsIntervalsCloserThanTheTwoFadesAndMovesNothingElse) {
    // 0.5 s apart with 0.3 + 0.7: one interval; 1.2 s apart: two.
    EXPECT_EQ(closeGaps({{1.0, 2.0}, {2.5, 3.0}}, rolls(0.3, 0.7)), (ClusterList{{1.0, 3.0}}));
    EXPECT_EQ(closeGaps({{1.0, 2.0}, {3.2, 4.0}}, rolls(0.3, 0.7)),
              (ClusterList{{1.0, 2.0}, {3.2, 4.0}}));
    // Exactly the two fades apart: the music would only touch its normal level, so no gap.
    EXPECT_EQ(closeGaps({{1.0, 2.0}, {3.0, 4.0}}, rolls(0.3, 0.7)), (ClusterList{{1.0, 4.0}}));
    // Edges come back exactly, also near zero where the widening went negative.
    const ClusterList edges = {{0.04, 0.93}, {2.87, 4.41}, {6.12, 6.99}};
    EXPECT_EQ(closeGaps(edges, rolls(0.3, 0.7)), edges);
    EXPECT_EQ(closeGaps({}, rolls(0.3, 0.7)), ClusterList{});
}

TEST(CloseGaps, ChainsOfShortGapsBecomeOneInterval) {
    const ClusterList chain = {{1.0, 1.5}, {2.0, 2.5}, {3.0, 3.5}, {6.0, 7.0}};
    EXPECT_EQ(closeGaps(chain, rolls(0.3, 0.7)), (ClusterList{{1.0, 3.5}, {6.0, 7.0}}));
    // Zero fades close nothing but touching intervals.
    EXPECT_EQ(closeGaps(chain, rolls(0, 0)), chain);
    EXPECT_EQ(closeGaps({{1.0, 2.0}, {2.0, 3.0}}, rolls(0, 0)), (ClusterList{{1.0, 3.0}}));
}

TEST(CloseGaps, NegativeTimingsNarrowFirstAndKeepWhatSurvives) {
    // -0.2 / -0.2 narrows each interval by 0.2 at both ends, then widens back:
    // an interval shorter than 0.4 s does not survive.
    EXPECT_EQ(closeGaps({{1.0, 1.3}, {2.0, 3.0}}, rolls(-0.2, -0.2)), (ClusterList{{2.0, 3.0}}));
}

TEST(AnalysisSettings, DialogueAndMusicUseTheJobsArguments) {
    const quelvo::LevelParameters d = quelvo::dialogueLevelParameters(-31);
    EXPECT_EQ(d.threshold, -31);
    EXPECT_EQ(d.decay, 0.5);
    EXPECT_EQ(d.minDuration, 0.5);
    EXPECT_EQ(d.fadeInDuration, 0.1);
    EXPECT_EQ(d.fadeOutDuration, 0.1);
    EXPECT_FALSE(d.noisyEnironment);
    EXPECT_EQ(d.environmentNoiseLevel, 1.0);
    EXPECT_EQ(d.hysteresis, 5.0);
    EXPECT_EQ(d.preRoll, 0.0);
    const quelvo::LevelParameters m = quelvo::musicLevelParameters();
    EXPECT_EQ(m.threshold, -60);
    EXPECT_EQ(m.decay, 0.0);
    EXPECT_EQ(m.minDuration, 0.5);
    EXPECT_EQ(m.fadeInDuration, 0.1);
    EXPECT_EQ(m.fadeOutDuration, 0.1);
    EXPECT_EQ(m.hysteresis, 5.0);
}

TEST(SpeechClusters, AreTheDialogueAnalysisWithGapsClosed) {
    QUELVO_REQUIRE_SHARED();
    const std::string file = shared("dialogue/dev02_pinknoise_wav44k_mono.wav");
    const EnvelopeTiming defaults = quelvo::envelopeTimingFromSettings();
    const quelvo::SpeechAnalysis a = quelvo::findSpeechClusters(file, defaults);
    ASSERT_TRUE(a.status) << a.status.message();
    EXPECT_EQ(a.sampleRate, 44100);
    EXPECT_NEAR(a.duration, 798802.0 / 44100, 1e-9);
    const quelvo::LevelAnalysis raw =
        quelvo::analyzeLevels(file, quelvo::dialogueLevelParameters(-24));
    EXPECT_EQ(a.clusters, closeGaps(raw.clusters, defaults));
    // Pauses of 0.8 s and 1.0 s outlast the 0.5 s hold but not the ramps:
    // four sentences make two speech stretches.
    EXPECT_EQ(raw.clusters.size(), 4u);
    EXPECT_EQ(a.clusters.size(), 2u);
}

TEST(SpeechClusters, MusicClustersFindTheSilentStretches) {
    QUELVO_REQUIRE_SHARED();
    const quelvo::SpeechAnalysis gaps =
        quelvo::findMusicClusters(shared("music/dev_music_gaps.wav"));
    ASSERT_TRUE(gaps.status) << gaps.status.message();
    // Music at [0,8] [10,19] [22,32], widened by the 0.1 s fades.
    const ClusterList expected = {{0.0, 8.1}, {9.9, 19.1}, {21.9, 32.0}};
    ASSERT_EQ(gaps.clusters.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(gaps.clusters[i].start, expected[i].start, 0.011) << i;
        EXPECT_NEAR(gaps.clusters[i].end, expected[i].end, 0.011) << i;
    }
    const quelvo::SpeechAnalysis real =
        quelvo::findMusicClusters(shared("music/dev_music_real.mp3"));
    ASSERT_TRUE(real.status);
    EXPECT_EQ(real.clusters, (ClusterList{{0.0, 40.0}}));
}

TEST(SpeechClusters, AnUnreadableFileIsAFailureWithNoClusters) {
    quelvo::test::TempDir tmp;
    quelvo::test::writeFile(tmp / "talk.wav", "RIFF....WAVEjunk");
    const quelvo::SpeechAnalysis a =
        quelvo::findSpeechClusters((tmp / "talk.wav").string(), rolls(0.3, 0.7));
    EXPECT_FALSE(a.status);
    EXPECT_TRUE(a.clusters.empty());
    EXPECT_EQ(a.duration, 0);
    EXPECT_FALSE(quelvo::findMusicClusters("").status);
}
