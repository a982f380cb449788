// The geometry both painters copy: the ruler in the editor's time format, the
// waveform one column per pixel from the kept levels, the music lane's dB scale,
// labels that read and a quiet lane drawn to its own peak.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "preview/preview_colors.h"
#include "preview/preview_geometry.h"

namespace pv = quelvo::preview;

TEST(PreviewGeometry, RulerTimesAreHoursMinutesSecondsAndFrames) {
    EXPECT_EQ(pv::timecodeText(0), "00:00:00:00");
    EXPECT_EQ(pv::timecodeText(3725.5), "01:02:05:15");
    EXPECT_EQ(pv::timecodeText(1.0 / 30 * 29), "00:00:00:29");
    EXPECT_EQ(pv::timecodeText(-4), "00:00:00:00");

    pv::PreviewScene scene;
    scene.dialogue =
        std::make_shared<const pv::LevelTrack>(std::vector<float>(6000, 0.5f), 60.0, 48000);
    const pv::Viewport view = pv::fitViewport(60, 600, 300);
    const pv::PreviewPicture p = pv::layoutPreview(scene, view);
    // Labelled ticks never closer than a label's width; the first at zero.
    std::vector<double> labelled;
    for (const auto& t : p.ticks)
        if (!t.label.empty()) labelled.push_back(t.x);
    ASSERT_GE(labelled.size(), 3u);
    EXPECT_DOUBLE_EQ(labelled[0], 0);
    for (size_t i = 1; i < labelled.size(); ++i)
        EXPECT_GE(labelled[i] - labelled[i - 1], 100);
}

TEST(PreviewGeometry, WaveformColumnsFollowTheKeptLevelsAndTheScaleIsInDb) {
    std::vector<float> peaks(1000, 0.0f);
    peaks[500] = 1.0f; // one loud 10 ms frame at 5 s
    peaks[900] = 0.25f;
    pv::PreviewScene scene;
    scene.music = std::make_shared<const pv::LevelTrack>(peaks, 10.0, 44100);
    pv::Viewport view = pv::fitViewport(10, 100, 200); // 0.1 s per pixel
    pv::PreviewPicture p = pv::layoutPreview(scene, view);
    ASSERT_EQ(p.musicWave.size(), 100u);
    EXPECT_TRUE(p.dialogueWave.empty());
    const auto height = [](const pv::Column& c) { return c.bottom - c.top; };
    EXPECT_NEAR(height(p.musicWave[50]), p.musicLane.h - 2, 1e-9);
    EXPECT_NEAR(height(p.musicWave[90]), (p.musicLane.h / 2 - 1) * 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(height(p.musicWave[10]), 1.0); // silence is a hairline

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

namespace {

// WCAG 2's contrast ratio of two "#rrggbb" colours.
double contrast(const char* a, const char* b) {
    const auto luminance = [](const char* hex) {
        double l = 0;
        const double weights[] = {0.2126, 0.7152, 0.0722};
        for (int i = 0; i < 3; ++i) {
            const double c = std::stoi(std::string(hex + 1 + 2 * i, 2), nullptr, 16) / 255.0;
            l += weights[i] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

TEST(PreviewGeometry, LabelsReadOnTheirPlatesAndAQuietLaneIsDrawnToItsPeak) {
    namespace colors = pv::colors;
    EXPECT_GE(contrast(colors::kRulerText, colors::kLabelPlate), 4.5);
    // Without the plate the text stood on the music's green (mixed over the lane): 2.7:1.
    EXPECT_LT(contrast(colors::kRulerText, "#60826b"), 3.0);

    // A dialogue that peaks at -20 dBFS fills its lane, and says so.
    std::vector<float> quiet(500, 0.01f);
    quiet[200] = 0.1f;
    pv::PreviewScene scene;
    scene.dialogue = std::make_shared<const pv::LevelTrack>(quiet, 5.0, 48000);
    scene.music = std::make_shared<const pv::LevelTrack>(std::vector<float>(500, 1.0f), 5.0, 48000);
    scene.fillers.push_back({});
    scene.fillers.back().offset = 1;
    scene.fillers.back().duration = 2;
    pv::Viewport view = pv::fitViewport(5, 500, 400);
    view.labelHeight = 16;
    const pv::PreviewPicture p = pv::layoutPreview(scene, view);
    EXPECT_NEAR(p.dialogueWave[200].bottom - p.dialogueWave[200].top, p.dialogueLane.h - 2, 1e-9);
    EXPECT_NEAR(p.dialogueWave[100].bottom - p.dialogueWave[100].top, (p.dialogueLane.h - 2) / 10,
                1e-4);
    EXPECT_EQ("Dialogue, drawn to its peak of -20 dBFS", p.dialogueCaption.text);
    EXPECT_EQ("Music", p.musicCaption.text) << "a full-scale lane is drawn as it is";
    EXPECT_EQ("Filler clips", p.fillerLegend.text);
    EXPECT_GT(p.fillerSwatch.w, 0);

    // At the least height all four dB labels show, each above its line and
    // clear of the next; an inch less drops some.
    view.height = pv::minimumPreviewHeight(view.labelHeight);
    pv::PreviewPicture least = pv::layoutPreview(scene, view);
    ASSERT_EQ(4u, least.dbGrid.size());
    for (size_t i = 0; i < least.dbGrid.size(); ++i) {
        const pv::Box& plate = least.dbGrid[i].label.plate;
        EXPECT_GE(plate.y, least.musicLane.y);
        if (i > 0) {
            EXPECT_LE(least.dbGrid[i - 1].label.plate.y + view.labelHeight, plate.y + 1e-9);
        }
    }
    view.height -= 96;
    EXPECT_LT(pv::layoutPreview(scene, view).dbGrid.size(), 4u);
}
