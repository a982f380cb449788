// The preview follows the detection mode: from one decode of the dialogue it
// keeps what both detectors need, finds exactly the job's speech in either
// mode, and switching the mode changes the speech without decoding again.
#include <gtest/gtest.h>

#include "preview/preview_model.h"
#include "speech/speech_clusters.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace pv = quelvo::preview;

namespace {

// The dialogue decoded once, as the main window's analysis keeps it; then,
// from that one model, the speech in each mode against the job's.
void expectBothModesAsTheJob(const std::string& dialogue, double threshold) {
    SCOPED_TRACE(dialogue);
    const pv::TrackAnalysis kept =
        pv::analyzeLevelTrack(dialogue, nullptr, {}, pv::TrackContent::levelsAndSpeechFeatures);
    ASSERT_TRUE(kept.status) << kept.status.message();
    ASSERT_NE(kept.track->speechFeatures(), nullptr);
    EXPECT_EQ(kept.track->speechFeatures()->level.size(), kept.track->peaks().size());
    const pv::PreviewModel model(kept.track, nullptr);

    pv::PreviewSettings s;
    s.rolls = {0.3, 0.3, 0.3, 0.7, threshold};
    s.rolls.detection = quelvo::DetectionMode::automatic;
    const quelvo::SpeechAnalysis automatic = quelvo::findSpeechClusters(dialogue, s.rolls);
    ASSERT_TRUE(automatic.status) << automatic.status.message();
    ASSERT_FALSE(automatic.clusters.empty());
    EXPECT_EQ(model.scene(s).speech, automatic.clusters);

    s.rolls.detection = quelvo::DetectionMode::threshold;
    const quelvo::SpeechAnalysis fixed = quelvo::findSpeechClusters(dialogue, s.rolls);
    ASSERT_TRUE(fixed.status) << fixed.status.message();
    EXPECT_EQ(model.scene(s).speech, fixed.clusters);
    EXPECT_NE(fixed.clusters, automatic.clusters); // the switch shows

    // Music keeps no features; asked for automatic speech anyway, such a
    // track falls back to its levels.
    const pv::TrackAnalysis levelsOnly = pv::analyzeLevelTrack(dialogue);
    ASSERT_TRUE(levelsOnly.status);
    EXPECT_EQ(levelsOnly.track->speechFeatures(), nullptr);
    EXPECT_LT(levelsOnly.track->bytes(), kept.track->bytes());
}

} // namespace

TEST(PreviewDetection, GeneratedSpeechMatchesTheJobInBothModes) {
    // Two sentences two seconds apart over a faint noise bed, the second one
    // 20 dB down: the fixed threshold misses it, the automatic mode does not.
    TempDir dir;
    const auto path = [&](const char* name) { return (dir / name).string(); };
    const auto make = [](std::vector<std::string> argv) {
        const CommandResult r = runProgram(argv);
        EXPECT_EQ(r.exitCode, 0) << argv.front() << ": " << r.err;
        return r.exitCode == 0;
    };
    const std::string sox = "/usr/bin/sox", espeak = "/usr/bin/espeak-ng";
    ASSERT_TRUE(make({espeak, "-w", path("a.wav"), "Hello there, this is a short interview."}));
    ASSERT_TRUE(make({espeak, "-w", path("b.raw.wav"), "After a pause, it goes on for a while."}));
    ASSERT_TRUE(make({sox, path("b.raw.wav"), path("b.wav"), "gain", "-20"}));
    ASSERT_TRUE(make({sox, path("a.wav"), path("joined.wav"), "pad", "0.5", "2"}));
    ASSERT_TRUE(make({sox, path("joined.wav"), path("b.wav"), path("talk.wav"), "pad", "0", "1"}));
    ASSERT_TRUE(make({sox, "-n", "-r", "22050", "-c", "1", path("bed.wav"), "synth", "12",
                      "pinknoise", "gain", "-60"}));
    ASSERT_TRUE(make(
        {sox, "-m", path("talk.wav"), path("bed.wav"), path("dialogue.wav"), "trim", "0", "10"}));
    expectBothModesAsTheJob(path("dialogue.wav"), -24);
}

TEST(PreviewDetection, RecordedInterviewMatchesTheJobInBothModes) {
    QUELVO_REQUIRE_SHARED();
    const fs::path dialogue =
        sharedDir() / "testdata/dialogue/dev08_interview_20db_roomtone_wav16k.wav";
    if (!fs::exists(dialogue)) GTEST_SKIP() << "no test recordings at " << dialogue;
    expectBothModesAsTheJob(dialogue.string(), -24);
}
