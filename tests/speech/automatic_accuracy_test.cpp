// The automatic detection on every case of the shared corpus, with no
// per-file setting, through the job's dialogue analysis and gap closing with
// the default timings. Prints the per-case table; asserts the targets:
//   no true speech interval missed, no cluster wholly inside a pause;
//   >= 97 % of the speech time covered per case, >= 99.5 % over all cases;
//   every pause longer than 1.5 s >= 90 % open (>= 80 % where music bleeds
//   into the microphone);
//   edge errors pooled over all cases: median <= 20 ms, 90th percentile <= 120 ms;
//   per case at least as good as every recorded peer on the mean of cover
//   and long-pause openness, and no more than 0.5 points under the fixed
//   -24 dB threshold's score.
// The cases are those of both manifests (the corpus keeps the newest ones
// apart until the detector meets them).
#include <gtest/gtest.h>

#include "project/envelope_timing.h"
#include "speech/speech_clusters.h"
#include "support/corpus_scoring.h"
#include "support/test_support.h"

using namespace quelvo;

TEST(AutomaticAccuracy, EveryCorpusCaseMeetsTheTargetsWithNoSetting) {
    QUELVO_REQUIRE_SHARED();
    const std::vector<test::CorpusCase> cases = test::loadCorpus(test::sharedDir() / "testdata");
    ASSERT_FALSE(cases.empty());
    EnvelopeTiming rolls = envelopeTimingFromSettings();
    ASSERT_EQ(rolls, (EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24.0}));
    rolls.detection = DetectionMode::automatic;

    EnvelopeTiming fixed = rolls;
    fixed.detection = DetectionMode::threshold;

    std::vector<test::CaseScore> scores, thresholdScores;
    for (const test::CorpusCase& c : cases) {
        const SpeechAnalysis a = findSpeechClusters(c.dialogue.string(), rolls);
        ASSERT_TRUE(a.status) << c.name << ": " << a.status.message();
        EXPECT_EQ(a.detection.mode, DetectionMode::automatic);
        scores.push_back(test::scoreCase(c, a.clusters, a.duration));
        const SpeechAnalysis b = findSpeechClusters(c.dialogue.string(), fixed);
        ASSERT_TRUE(b.status) << c.name << ": " << b.status.message();
        thresholdScores.push_back(test::scoreCase(c, b.clusters, b.duration));
    }
    test::printScores("automatic detection", cases, scores);
    test::printScores("threshold -24 dB", cases, thresholdScores);

    double speech = 0, covered = 0;
    std::vector<double> edges;
    for (size_t i = 0; i < cases.size(); ++i) {
        const test::CaseScore& s = scores[i];
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.missed, 0) << "a true speech interval has no cluster";
        EXPECT_EQ(s.falseClusters, 0) << "a cluster lies wholly inside a pause";
        EXPECT_GE(s.cover(), 0.97);
        EXPECT_GE(s.worstPauseOpen, cases[i].musicBleed ? 0.80 : 0.90);
        for (const auto& [peer, intervals] : cases[i].peers)
            EXPECT_GE(s.score(),
                      test::scorePeer(cases[i], intervals, cases[i].duration).score() - 1e-9)
                << peer;
        EXPECT_GE(s.score(), thresholdScores[i].score() - 0.005)
            << "the fixed threshold does better";
        speech += s.speech;
        covered += s.covered;
        edges.insert(edges.end(), s.edges.begin(), s.edges.end());
    }
    EXPECT_GE(covered / speech, 0.995);
    EXPECT_LE(test::percentileOf(edges, 0.5), 0.020);
    EXPECT_LE(test::percentileOf(edges, 0.9), 0.120);
}
