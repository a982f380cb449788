// The one grid edit points are put on: timeline rates, snapping, and the
// filler placement on a video's frames.
#include <gtest/gtest.h>

#include "project/project_builder.h"

namespace quelvo {
namespace {

TEST(FrameGrid, RatesSnapToTheTimelineRatesAndStepsRoundDown) {
    EXPECT_EQ(frameGridOf(24000.0 / 1001.0), (FrameGrid{1001, 24000}));
    EXPECT_EQ(frameGridOf(25), (FrameGrid{1, 25}));
    EXPECT_EQ(frameGridOf(60000.0 / 1001.0), (FrameGrid{1001, 60000}));
    // Variable-rate phone footage and odd rates take the nearest rate.
    EXPECT_DOUBLE_EQ(nearestTimelineRate(29.87), 30000.0 / 1001.0);
    EXPECT_DOUBLE_EQ(nearestTimelineRate(15), 24000.0 / 1001.0);
    EXPECT_DOUBLE_EQ(nearestTimelineRate(0), 30);
    const FrameGrid ntsc{1001, 30000};
    EXPECT_EQ(ntsc.stepsDown(1.0), 29);                // 1 s is 29.97 frames
    EXPECT_EQ(ntsc.stepsDown(ntsc.seconds(300)), 300); // a whole frame keeps itself
    EXPECT_EQ(kTenthsGrid.stepsDown(19.1 - 17.6), 15); // noise is no fraction
}

TEST(FrameGrid, FillersOfAVideoDialogueLieOnItsFrames) {
    const FrameGrid grid = fillerGridFor(TimelineFormat{25, 1920, 1080, false, true});
    EXPECT_EQ(grid, (FrameGrid{1, 25}));
    EXPECT_EQ(fillerGridFor(TimelineFormat{}), kTenthsGrid);
    const auto clips = fillerPlacements({{0.0, 8.03}, {10.5, 19.0}}, 0, grid);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].offsetSteps, 200);  // 8.03 s down to frame 200 (8.00 s)
    EXPECT_EQ(clips[0].durationSteps, 61); // 2.47 s down to 61 frames
    EXPECT_DOUBLE_EQ(clips[0].offset(), 8.0);
    EXPECT_DOUBLE_EQ(clips[0].fade.back().time, clips[0].duration());
}

} // namespace
} // namespace quelvo
