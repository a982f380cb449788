// The MLT project: its text for a known project, its level keyframes, and
// what melt makes of a real one.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "writers/melt_proof.h"
#include "writers/mlt_writer.h"
#include "writers/sample_project.h"

namespace quelvo {
namespace {

TEST(MltWriter, WritesTheSampleProjectAsShotcutReadsIt) {
    const std::string mlt = writeMlt(test::sampleProject());
    test::expectGolden("writers_sample.mlt", mlt);
    test::expectWellFormed(mlt, "sample.mlt");
}

TEST(MltWriter, LevelKeyframesAreInTimeOrderOnWholeFramesFromTheClipStart) {
    const TimelineFormat timeline;
    // Overlapping ramps come back in time order; two on one frame keep the later.
    EXPECT_EQ(mltLevel({{1.0, 0}, {2.0, -12}, {1.5, -12}, {1.51, -6}, {3.0, 0}}, 0, timeline),
              "00:00:01.000=0;00:00:01.500=-6;00:00:02.000=-12;00:00:03.000=0");
    // A ramp that begins before the clip starts where the envelope is at 0 s.
    EXPECT_EQ(mltLevel({{-1.0, 0}, {1.0, -20}, {2.0, 0}}, 0, timeline),
              "00:00:00.000=-10;00:00:01.000=-20;00:00:02.000=0");
    // No keyframes: the steady level; 29.97 fps frames.
    EXPECT_EQ(mltLevel({}, -3, timeline), "-3");
    EXPECT_EQ(mltLevel({{1.0, 0}}, 0, {30000.0 / 1001.0}), "00:00:01.001=0");
}

// The dialogue muted, the music follows the envelope, the fillers sit where the
// project puts them, and the whole agrees with the renderer's music stem.
TEST(MltWriter, MeltPlaysTheDuckAsTheProjectDescribesIt) {
    if (test::meltProgram().empty())
        GTEST_SKIP() << "melt is not installed (scripts/setup.sh installs it)";
    QUELVO_REQUIRE_CORPUS_SPEECH();
    const auto corpus = test::sharedDir() / "testdata";
    test::TempDir work;
    const test::MeltFindings found =
        test::checkWithMelt({(corpus / "dialogue/dev02_pinknoise_wav44k_mono.wav").string(),
                             (corpus / "music/dev_music_gaps.wav").string(),
                             (corpus / "music/dev_music_real.mp3").string()},
                            work.path());
    ASSERT_TRUE(found.status.ok()) << found.status.message();
    EXPECT_GT(found.windows, 1000);
    EXPECT_LE(found.envelopeDeviation, 0.5);
    EXPECT_LE(found.stemDeviation, 0.5);
    EXPECT_GT(found.ramps, 0);
    EXPECT_LE(found.rampBeginFrames, 2.0);
    EXPECT_LE(found.rampEndFrames, 2.0);
    EXPECT_EQ(found.fillers, 2);
    EXPECT_LE(found.fillerOffsetFrames, 2.0);
    EXPECT_LE(found.fillerLevelDb, 0.5);
    EXPECT_LT(found.fillerOutsideDb, -60);
}

} // namespace
} // namespace quelvo
