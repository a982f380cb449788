// Media facts by probing: durations, frame rates, start times, sizes.
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "media/audio_file.h"
#include "media/media_info.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::MediaTiming;
using quelvo::VideoTiming;
using quelvo::test::mediaFile;

TEST(Timecode, ConvertsNonDropAndDropFrameTextsAtTheirRate) {
    using quelvo::timecodeToSeconds;
    EXPECT_DOUBLE_EQ(*timecodeToSeconds("01:00:00:00", 25), 3600.0);
    EXPECT_DOUBLE_EQ(*timecodeToSeconds("00:00:01:12", 24), 1.5);
    // Non-drop at 29.97: frame numbers run at 30 a "second", the clock at 29.97.
    EXPECT_NEAR(*timecodeToSeconds("01:00:00:00", 30000.0 / 1001), 108000 * 1001 / 30000.0, 1e-9);
    // Drop-frame: the first timecode of minute one is frame 1800.
    EXPECT_NEAR(*timecodeToSeconds("00:01:00;02", 30000.0 / 1001), 1800 * 1001 / 30000.0, 1e-9);
    // Ten minutes have no dropped numbers at their start: 17982 frames.
    EXPECT_NEAR(*timecodeToSeconds("00:10:00;00", 30000.0 / 1001), 17982 * 1001 / 30000.0, 1e-9);
    EXPECT_NEAR(*timecodeToSeconds("00:01:00;04", 60000.0 / 1001), 3600 * 1001 / 60000.0, 1e-9);
    for (const char* bad : {"", "01:00:00", "1:2:3:4:5", "01:00:00:25", "aa:00:00:00",
                            "01:61:00:00", "01;00:00:00", "01:00:00:00 ", "-01:00:00:00"})
        EXPECT_FALSE(timecodeToSeconds(bad, 25).has_value()) << bad;
    EXPECT_FALSE(timecodeToSeconds("01:00:00:00", 0).has_value());
    EXPECT_FALSE(timecodeToSeconds("01:00:00:00", std::nan("")).has_value());
}

TEST(MediaInfo, AMovieWithATimecodeStartsThereAndTellsItsRateAndSize) {
    const std::string movie = mediaFile("video_tc25.mov").string();
    EXPECT_DOUBLE_EQ(*MediaTiming::getFrameRate(movie), 25.0);
    EXPECT_DOUBLE_EQ(*VideoTiming::getFrameRate(movie), 25.0);
    EXPECT_DOUBLE_EQ(*MediaTiming::getStart(movie), 3600.0);
    EXPECT_DOUBLE_EQ(VideoTiming::getVideoStartTime(movie), 3600.0);
    EXPECT_DOUBLE_EQ(VideoTiming::getVideoStartTime(movie, false), 3600.0);
    EXPECT_NEAR(*MediaTiming::getDuration(movie), 2.0, 1e-6);
    EXPECT_NEAR(VideoTiming::getVideoDuration(movie), 2.0, 1e-6);
    EXPECT_EQ(quelvo::intSize(movie), (quelvo::VideoSize{64, 48}));
    const quelvo::MediaInfo facts = quelvo::probeMedia(movie);
    EXPECT_TRUE(facts.hasVideo);
    EXPECT_TRUE(facts.hasAudio);
    EXPECT_FALSE(facts.variableFrameRate);
}

TEST(MediaInfo, WithoutATimecodeTheContainerStartCounts) {
    const std::string movie = mediaFile("video_only_2997.mp4").string();
    EXPECT_NEAR(*MediaTiming::getFrameRate(movie), 30000.0 / 1001, 1e-9);
    EXPECT_DOUBLE_EQ(*MediaTiming::getStart(movie), 0.0);
    EXPECT_NEAR(VideoTiming::getVideoDuration(movie), 1.001, 1e-6);
    EXPECT_EQ(quelvo::intSize(movie), (quelvo::VideoSize{80, 60}));
    EXPECT_FALSE(quelvo::probeMedia(movie).hasAudio);
}

TEST(MediaInfo, AVariableFrameRateStartIsPutOnAWholeFrameOnlyWhenAsked) {
    const std::string movie = mediaFile("video_vfr_start.mp4").string();
    const double rate = 450.0 / 19;
    ASSERT_NEAR(*MediaTiming::getFrameRate(movie), rate, 1e-9);
    EXPECT_TRUE(quelvo::probeMedia(movie).variableFrameRate);
    const double start = *MediaTiming::getStart(movie);
    EXPECT_NEAR(start, 0.122982, 1e-6);
    EXPECT_DOUBLE_EQ(VideoTiming::getVideoStartTime(movie, false), start);
    EXPECT_NEAR(VideoTiming::getVideoStartTime(movie, true), 3 / rate, 1e-12);
}

TEST(MediaInfo, AudioFilesHaveTheAudioLayersDurationAndNoVideoFacts) {
    for (const char* name : {"tone_mono44k.mp3", "tone_stereo48k.m4a", "tone_mono8k_s24.aif"}) {
        const std::string file = mediaFile(name).string();
        SCOPED_TRACE(file);
        ASSERT_TRUE(MediaTiming::getDuration(file).has_value());
        EXPECT_DOUBLE_EQ(*MediaTiming::getDuration(file), quelvo::audioDuration(file));
        EXPECT_FALSE(MediaTiming::getFrameRate(file).has_value());
        EXPECT_FALSE(quelvo::intSize(file).has_value());
        EXPECT_EQ(VideoTiming::getVideoStartTime(file), MediaTiming::getStart(file).value_or(0));
    }
    EXPECT_DOUBLE_EQ(*MediaTiming::getDuration(mediaFile("tone_mono8k_s24.aif").string()), 3.0);
}

TEST(MediaInfo, TheEmptyPathAndUnreadableFilesGiveNothingAndSayWhy) {
    EXPECT_FALSE(MediaTiming::getDuration("").has_value());
    EXPECT_FALSE(MediaTiming::getFrameRate("").has_value());
    EXPECT_FALSE(MediaTiming::getStart("").has_value());
    EXPECT_EQ(VideoTiming::getVideoDuration(""), 0);
    EXPECT_EQ(VideoTiming::getVideoStartTime(""), 0);
    EXPECT_FALSE(VideoTiming::getFrameRate("").has_value());
    EXPECT_FALSE(quelvo::intSize("").has_value());
    quelvo::test::TempDir tmp;
    quelvo::test::writeFile(tmp / "junk.mov", std::string(4096, 'x'));
    const std::string junk = (tmp / "junk.mov").string();
    EXPECT_FALSE(MediaTiming::getDuration(junk).has_value());
    EXPECT_EQ(VideoTiming::getVideoDuration(junk), 0);
    EXPECT_FALSE(quelvo::intSize(junk).has_value());
    const quelvo::MediaInfo facts = quelvo::probeMedia(junk);
    EXPECT_FALSE(facts.status);
    EXPECT_FALSE(facts.status.message().empty());
    EXPECT_EQ(quelvo::probeMedia((tmp / "none.mov").string()).status.message(),
              "the file does not exist");
}
