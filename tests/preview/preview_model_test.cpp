// The preview against the job: for the same files and controls, the speech it
// shades, the keyframes its envelope passes through and the filler clips it
// places are exactly what the project holds.
#include <atomic>
#include <cmath>

#include <gtest/gtest.h>

#include "jobs/duck_job.h"
#include "preview/preview_geometry.h"
#include "preview/preview_model.h"
#include "project/version_sheet.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace pv = quelvo::preview;

namespace {

class PreviewAgainstJob : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dialogue = recordingOrStandIn("dialogue/dev04_pauses_m4a.m4a").string();
        m_music = recordingOrStandIn("music/dev_music_gaps.wav").string();
        m_filler = recordingOrStandIn("music/dev_music_real.mp3").string();
    }

    // The job's own answer, stopped before it writes, against the preview's.
    void expectSame(const pv::PreviewSettings& s) {
        quelvo::DuckRequest request;
        request.inputs = {{m_dialogue}, m_music, s.withFiller ? m_filler : ""};
        request.rolls = s.rolls;
        request.depth = {s.duckingDecrease, s.decreaseToZero, s.overallMusicLevel, std::nullopt};
        const quelvo::DuckOutcome job = quelvo::describeDuck(request);
        ASSERT_TRUE(job.success) << job.message;
        const quelvo::ProjectDescription& project = job.project;
        ASSERT_FALSE(project.music.keyframes.empty());
        const double fillerSeconds = project.filler ? project.filler->source.facts.duration : 0.0;

        const pv::PreviewModel model(pv::analyzeLevelTrack(m_dialogue).track,
                                     pv::analyzeLevelTrack(m_music).track);
        pv::PreviewSettings withLength = s;
        withLength.fillerSeconds = fillerSeconds;
        const pv::PreviewScene scene = model.scene(withLength);
        EXPECT_EQ(scene.speech, project.speech);
        EXPECT_EQ(scene.keyframes, project.music.keyframes);
        EXPECT_EQ(scene.fillers, s.withFiller ? quelvo::mix::fillerClipsFor(
                                                    project.music.soundingIntervals, fillerSeconds)
                                              : std::vector<quelvo::mix::FillerClip>{});
        if (s.withFiller) {
            EXPECT_FALSE(scene.fillers.empty());
            EXPECT_EQ(scene.fillers, pv::sceneOf(project).fillers);
        }

        // The drawn line: left edge, the project's keyframes in time order, right edge.
        const pv::Viewport view = pv::fitViewport(scene.duration() + 2, 2000, 400);
        const pv::PreviewPicture picture = pv::layoutPreview(scene, view);
        const quelvo::mix::GainEnvelope envelope(project.music.keyframes, s.overallMusicLevel);
        ASSERT_EQ(picture.envelope.size(), envelope.keyframes().size() + 2);
        for (size_t i = 0; i < envelope.keyframes().size(); ++i) {
            const auto& k = envelope.keyframes()[i];
            EXPECT_NEAR(pv::timeForX(view, picture.envelope[i + 1].x), k.time, 1e-9) << i;
            EXPECT_DOUBLE_EQ(picture.envelope[i + 1].y, pv::yForDb(picture.musicLane, k.dbValue))
                << i;
        }
        EXPECT_DOUBLE_EQ(picture.envelope.front().y,
                         pv::yForDb(picture.musicLane, s.overallMusicLevel));
        EXPECT_EQ(picture.speech.size(), project.speech.size());
    }

    pv::PreviewSettings settings() const {
        pv::PreviewSettings s;
        s.rolls = {0.3, 0.3, 0.3, 0.7, -24};
        return s;
    }

    std::string m_dialogue, m_music, m_filler;
};

} // namespace

TEST_F(PreviewAgainstJob, NormalDucking) {
    pv::PreviewSettings s = settings();
    s.duckingDecrease = -18;
    s.overallMusicLevel = -3;
    expectSame(s);
}

TEST_F(PreviewAgainstJob, DecreaseToZero) {
    pv::PreviewSettings s = settings();
    s.decreaseToZero = true;
    s.rolls.threshold = -30;
    expectSame(s);
}

TEST_F(PreviewAgainstJob, WithFiller) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    pv::PreviewSettings s = settings();
    s.withFiller = true;
    s.rolls = {0.5, 0.2, 0.1, 1.5, -20};
    expectSame(s);
}

TEST(PreviewAnalysis, CancellingStopsTheDecodeAndUnreadableFilesSayWhy) {
    const std::string path =
        recordingOrStandIn("dialogue/dev14_long_conversation_mp3.mp3").string();
    std::atomic<bool> cancel{true};
    const pv::TrackAnalysis stopped = pv::analyzeLevelTrack(path, &cancel);
    EXPECT_FALSE(stopped.status);
    EXPECT_FALSE(stopped.track);

    double last = 0;
    const pv::TrackAnalysis whole =
        pv::analyzeLevelTrack(path, nullptr, [&](double share) { last = share; });
    ASSERT_TRUE(whole.status) << whole.status.message();
    EXPECT_NEAR(whole.track->duration(), 191.18, 0.05);
    EXPECT_EQ(whole.track->peaks().size(),
              static_cast<size_t>(std::ceil(whole.track->duration() * 100)));
    EXPECT_GT(last, 0.95);

    const pv::TrackAnalysis missing = pv::analyzeLevelTrack("/nonexistent/file.wav");
    EXPECT_FALSE(missing.status);
    EXPECT_FALSE(missing.status.message().empty());
}
