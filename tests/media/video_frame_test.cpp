// One frame of a video for the titles preview: decoded at the asked time,
// scaled into the asked box with its shape kept, and refused plainly for
// files that hold no picture.
#include "media/video_frame.h"
#include "support/test_support.h"

using namespace quelvo::test;

TEST(VideoFrame, TheFrameAtATimeFitsTheBoxAndBadInputsSayWhy) {
    const std::string mov = (testDataDir() / "video" / "clip_25fps_tc1h.mov").string();
    const quelvo::FrameResult frame = quelvo::readFrame(mov, 1.0, 640, 640);
    ASSERT_TRUE(frame.status) << frame.status.message();
    EXPECT_EQ(640, frame.image.width);
    EXPECT_EQ(360, frame.image.height) << "16:9 kept inside a square box";
    EXPECT_EQ(size_t(640 * 360 * 3), frame.image.pixels.size());
    // Different times are different pictures (the test clip moves).
    const quelvo::FrameResult start = quelvo::readFrame(mov, 0, 640, 640);
    ASSERT_TRUE(start.status);
    EXPECT_NE(start.image.pixels, frame.image.pixels);
    // Past the end: the last frame, not a failure.
    EXPECT_TRUE(quelvo::readFrame(mov, 3600, 64, 64).status);
    const quelvo::FrameResult mp4 =
        quelvo::readFrame((testDataDir() / "video" / "clip_2997.mp4").string(), 0.5, 100, 100);
    EXPECT_TRUE(mp4.status) << mp4.status.message();

    EXPECT_FALSE(quelvo::readFrame(mov, 0, 0, 10).status);
    EXPECT_FALSE(
        quelvo::readFrame((testDataDir() / "nothing-here.mov").string(), 0, 64, 64).status);
    const quelvo::FrameResult subtitles =
        quelvo::readFrame((testDataDir() / "srt" / "basic.srt").string(), 0, 64, 64);
    EXPECT_FALSE(subtitles.status);
}
