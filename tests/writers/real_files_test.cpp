// Both writers on real recordings, with every fact probed through FFmpeg:
// exact asset durations from the decoder, filler clips in the music's real
// silent stretches, and documents that validate.
#include <regex>

#include <gtest/gtest.h>

#include "jobs/duck_job.h"
#include "media/audio_file.h"
#include "media/media_info.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"

namespace quelvo {
namespace {

struct RealFiles {
    std::string dialogue, music, filler;
};

// dev01: 15.88 s of speech at 48 kHz stereo (762240 samples); the gaps music:
// 32 s at 44.1 kHz mono, sounding 0-8 s, 10-19 s and 22-32 s.
RealFiles realFiles() {
    const auto data = test::sharedDir() / "testdata";
    return {(data / "dialogue" / "dev01_clean_wav48k_stereo.wav").string(),
            (data / "music" / "dev_music_gaps.wav").string(),
            (data / "music" / "dev_music_real.mp3").string()};
}

#define REQUIRE_TESTDATA()                                                                         \
    do {                                                                                           \
        QUELVO_REQUIRE_SHARED();                                                                   \
        if (!std::filesystem::exists(realFiles().dialogue)) GTEST_SKIP() << "no test recordings";  \
    } while (0)

// The gaps between the music's clusters, as (offset, duration) in tenths.
std::vector<std::pair<int, int>> fillerClipTimes(const std::string& doc) {
    std::vector<std::pair<int, int>> out;
    const std::regex clip(
        "lane='-2' offset='(-?[0-9]+)/10s' ref='[A-Za-z]+' duration='(-?[0-9]+)/10s'");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), clip); it != std::sregex_iterator();
         ++it)
        out.emplace_back(std::stoi((*it)[1]), std::stoi((*it)[2]));
    return out;
}

void expectFillerInTheMusicGaps(const std::string& doc) {
    const auto clips = fillerClipTimes(doc);
    ASSERT_EQ(clips.size(), 2u) << doc;
    // Each gap starts where the music stops (8 s, 19 s) and lasts until it
    // resumes (10 s, 22 s), give or take the analysis' 0.1 s fades.
    EXPECT_NEAR(clips[0].first, 80, 2);
    EXPECT_NEAR(clips[0].first + clips[0].second, 100, 2);
    EXPECT_NEAR(clips[1].first, 190, 2);
    EXPECT_NEAR(clips[1].first + clips[1].second, 220, 2);
}

// The job on the real files with the speech given as it is: every fact
// probed and analysed, then one description written in the asked format.
DuckOutcome duckAs(const RealFiles& f, ProjectFormat format, const std::string& output) {
    DuckRequest request;
    request.inputs = {{f.dialogue}, f.music, f.filler};
    request.rolls = EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24};
    request.depth.decrease = -20;
    request.eventName = "dev01_duck_event";
    request.projectName = "dev01_duck_project";
    request.output = {format, output, false, true};
    request.speech = ClusterList{{1.0, 3.565}, {4.765, 7.53}, {9.53, 14.38}};
    FixedFormatAnswer unused(std::nullopt);
    return duckAudioFiles(request, unused);
}

TEST(RealFiles, ProjectFromProbedFilesHasExactDurationsAndValidates) {
    REQUIRE_TESTDATA();
    const auto f = realFiles();
    test::TempDir dir;
    const auto output = dir / "dev01.fcpxml";
    const DuckOutcome outcome = duckAs(f, ProjectFormat::fcpxml19, output.string());
    ASSERT_TRUE(outcome.success) << outcome.message;
    const std::string doc = test::readFile(output);
    EXPECT_NE(doc.find("name=\"dev01_clean_wav48k_stereo\" start=\"0s\" duration=\"762240/48000s\" "
                       "hasAudio=\"1\" audioSources=\"1\" audioChannels=\"2\" audioRate=\"48000\""),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("duration=\"1411200/44100s\" hasAudio=\"1\" audioSources=\"1\" "
                       "audioChannels=\"1\" audioRate=\"44100\""),
              std::string::npos);
    // 15.88 s is 476.4 frames: the spine clip is 476 whole frames long.
    EXPECT_NE(doc.find("name=\"dev01_clean_wav48k_stereo.wav\" duration=\"47600/3000s\""),
              std::string::npos);
    // The filler (40 s) is the longest file.
    const double fillerSeconds = MediaTiming::getDuration(f.filler).value_or(0);
    EXPECT_NEAR(fillerSeconds, 40.0, 0.1);
    EXPECT_NE(
        doc.find("<sequence format=\"QVTimeline\" duration=" + formatSequenceTime(fillerSeconds)),
        std::string::npos);
    expectFillerInTheMusicGaps(doc);
    EXPECT_EQ(outcome.keyframes, 12);
    EXPECT_EQ(outcome.fillerClips, 2);
    EXPECT_VALID_FCPXML(doc, "1.9");
}

TEST(RealFiles, LegacyDocumentFromTheSameJobValidates) {
    REQUIRE_TESTDATA();
    const auto f = realFiles();
    test::TempDir dir;
    const auto output = dir / "dev01.fcpxml";
    testing::internal::CaptureStdout();
    const DuckOutcome outcome = duckAs(f, ProjectFormat::fcpxml16, output.string());
    // The legacy document is no longer printed: standard output stays the command's.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(outcome.success) << outcome.message;
    const std::string doc = test::readFile(output);
    EXPECT_NE(doc.find("dev01_clean_wav48k_stereo.wav' start='0s' duration='158/10s' hasAudio='1' "
                       "audioSources='1' audioRate='48000'"),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("<sequence duration='320/10s'"), std::string::npos);
    expectFillerInTheMusicGaps(doc);
    EXPECT_VALID_FCPXML(doc, "1.6");
}

TEST(RealFiles, AnUnreadableFileStopsTheJobAndNothingIsWritten) {
    REQUIRE_TESTDATA();
    auto f = realFiles();
    test::TempDir dir;
    f.dialogue = (dir / "gone.wav").string();
    const DuckOutcome outcome = duckAs(f, ProjectFormat::fcpxml19, (dir / "gone.fcpxml").string());
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.unreadableRole, "dialogue");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
} // namespace quelvo
