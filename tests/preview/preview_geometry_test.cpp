// The geometry both painters copy: the ruler in the editor's time format, the
// waveform one column per pixel from the kept levels, the music lane's dB scale.
#include <gtest/gtest.h>

#include "preview/preview_geometry.h"

namespace pv = quelvo::preview;

TEST(PreviewGeometry, RulerTimesAreHoursMinutesSecondsAndFrames) {
    EXPECT_EQ(pv::timecodeText(0), "00:00:00.00");
    EXPECT_EQ(pv::timecodeText(3725.5), "01:02:05.15");
    EXPECT_EQ(pv::timecodeText(1.0 / 30 * 29), "00:00:00.29");
    EXPECT_EQ(pv::timecodeText(-4), "00:00:00.00");

    pv::PreviewScene scene;
    scene.dialogue = std::make_shared<const pv::LevelTrack>(std::vector<float>(6000, 0.5f), 60.0, 48000);
    const pv::Viewport view = pv::fitViewport(60, 600, 300);
    const pv::PreviewPicture p = pv::layoutPreview(scene, view);
    // Labelled ticks never closer than a label's width; the first at zero.
    std::vector<double> labelled;
    for (const auto& t : p.ticks)
        if (!t.label.empty()) labelled.push_back(t.x);
    ASSERT_GE(labelled.size(), 3u);
    EXPECT_DOUBLE_EQ(labelled[0], 0);
    for (size_t i = 1; i < labelled.size(); ++i) EXPECT_GE(labelled[i] - labelled[i - 1], 100);
}

TEST(PreviewGeometry, WaveformColumnsFollowTheKeptLevelsAndTheScaleIsInDb) {
    std::vector<float> peaks(1000, 0.0f);
    peaks[500] = 1.0f;   // one loud 10 ms frame at 5 s
    peaks[900] = 0.25f;
    pv::PreviewScene scene;
    scene.music = std::make_shared<const pv::LevelTrack>(peaks, 10.0, 44100);
    pv::Viewport view = pv::fitViewport(10, 100, 200);  // 0.1 s per pixel
    pv::PreviewPicture p = pv::layoutPreview(scene, view);
    ASSERT_EQ(p.musicWave.size(), 100u);
    EXPECT_TRUE(p.dialogueWave.empty());
    const auto height = [](const pv::Column& c) { return c.bottom - c.top; };
    EXPECT_NEAR(height(p.musicWave[50]), p.musicLane.h - 2, 1e-9);
    EXPECT_NEAR(height(p.musicWave[90]), (p.musicLane.h / 2 - 1) * 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(height(p.musicWave[10]), 1.0);  // silence is a hairline

    // The finest zoom is one level per pixel, whatever is asked.
    EXPECT_DOUBLE_EQ(pv::fitViewport(1, 1000, 100).secondsPerPixel, pv::kFinestSecondsPerPixel);
    // Scale: +12 dB on top, -60 dB and the -96 dB silence at the bottom.
    EXPECT_DOUBLE_EQ(pv::yForDb(p.musicLane, 12), p.musicLane.y);
    EXPECT_DOUBLE_EQ(pv::yForDb(p.musicLane, -96), p.musicLane.y + p.musicLane.h);
    EXPECT_NEAR(pv::dbForY(p.musicLane, pv::yForDb(p.musicLane, -12)), -12, 1e-9);
    // No keyframes: a flat line at the overall level across the view.
    scene.overallDb = -6;
    p = pv::layoutPreview(scene, view);
    ASSERT_EQ(p.envelope.size(), 2u);
    EXPECT_DOUBLE_EQ(p.envelope[0].y, pv::yForDb(p.musicLane, -6));
    EXPECT_DOUBLE_EQ(p.envelope[1].x, 100);
}
