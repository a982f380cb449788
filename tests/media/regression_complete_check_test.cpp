// A music or filler file cut short was once accepted by the ducking job, which
// only probed its header: the project then claimed audio that was not there.
// The packet-level completeness check that now guards it must agree with the
// full analysis on every recording we have, whole or cut.
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/audio/audio_file.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::test::readFile;
using quelvo::test::writeFile;

namespace {

std::vector<fs::path> recordings() {
    std::vector<fs::path> files;
    for (const char* name : {"tone_mono44k.mp3", "tone_stereo48k.m4a", "tone_mono8k_s24.aif"})
        files.push_back(quelvo::test::testDataDir() / "media" / name);
    const fs::path shared = quelvo::test::sharedDir() / "testdata";
    for (const char* folder : {"dialogue", "music"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(shared / folder, ec)) files.push_back(entry.path());
    }
    return files;
}

} // namespace

TEST(CompleteCheckRegression, WholeRecordingsPass) {
    for (const fs::path& file : recordings()) {
        SCOPED_TRACE(file.string());
        const kykit::Status whole = kyaudio::checkAudioComplete(file.string());
        EXPECT_TRUE(whole) << whole.message();
    }
}

TEST(CompleteCheckRegression, CutCopiesFailAsTheAnalysisDoes) {
    quelvo::test::TempDir tmp;
    for (const fs::path& file : recordings()) {
        // An M4A whose index sits at the end loses it when cut: that fails
        // at opening, before any packet is read, and is covered elsewhere.
        const std::string bytes = readFile(file);
        const fs::path cut = tmp / ("cut" + file.extension().string());
        writeFile(cut, bytes.substr(0, bytes.size() * 6 / 10));
        SCOPED_TRACE(file.string());
        const kykit::Status check = kyaudio::checkAudioComplete(cut.string());
        const kyaudio::LevelAnalysis analysis = kyaudio::analyzeLevels(cut.string(), kyaudio::LevelParameters{});
        EXPECT_FALSE(check);
        EXPECT_FALSE(analysis.status);
        if (analysis.status.message().find("ends early") != std::string::npos) {
            EXPECT_NE(check.message().find("ends early"), std::string::npos) << check.message();
        }
    }
}

TEST(CompleteCheckRegression, UnreadableFilesGiveTheSameReasons) {
    quelvo::test::TempDir tmp;
    writeFile(tmp / "empty.wav", "");
    fs::create_directory(tmp / "dir.mp3");
    EXPECT_EQ(kyaudio::checkAudioComplete((tmp / "empty.wav").string()).message(), "the file is empty");
    EXPECT_EQ(kyaudio::checkAudioComplete((tmp / "dir.mp3").string()).message(), "it is a folder, not a file");
    EXPECT_EQ(kyaudio::checkAudioComplete((tmp / "absent.m4a").string()).message(), "the file does not exist");
}

// Found by fuzzing: a WAV header whose block alignment (32) disagrees with
// its samples (16-bit mono). The decoder goes by the samples; the check once
// went by the alignment, counted a sixteenth of the audio and called the
// file cut short.
TEST(CompleteCheckRegression, ABlockAlignmentThatDisagreesWithTheSamples) {
    quelvo::test::TempDir tmp;
    const fs::path wav = tmp / "odd_align.wav";
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/sox", "-n", "-r", "8000", "-c", "1", "-b", "16", wav.string(),
                                        "synth", "0.25", "sine", "440"}).exitCode, 0);
    std::string bytes = readFile(wav);
    ASSERT_EQ(bytes.substr(12, 4), "fmt ");
    ASSERT_EQ(bytes[32], 2); // block alignment: 2 bytes a frame
    bytes[32] = 32;
    writeFile(wav, bytes);
    const kyaudio::LevelAnalysis analysis = kyaudio::analyzeLevels(wav.string(), kyaudio::LevelParameters{});
    ASSERT_TRUE(analysis.status) << analysis.status.message();
    const kykit::Status check = kyaudio::checkAudioComplete(wav.string());
    EXPECT_TRUE(check) << check.message();
}

// A music bed made by looping a short file with ffmpeg is whole, but its AAC
// packets leave 25 ms gaps at every join, so the header's duration is longer
// than the decoded samples. Completeness comes from the MP4 sample table; the
// audio is placed at its packets' timestamps, gaps counted as silence, so the
// analysis is as long as the editor's timeline shows.
TEST(CompleteCheckRegression, ALoopedM4aWithTimestampGapsIsWhole) {
    quelvo::test::TempDir tmp;
    const std::string second = (tmp / "one.mp3").string(), looped = (tmp / "loop.m4a").string();
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=1",
                                        "-c:a", "libmp3lame", second}).exitCode, 0);
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/ffmpeg", "-v", "error", "-stream_loop", "-1", "-i", second, "-t",
                                        "10", "-c:a", "aac", "-b:a", "64k", looped}).exitCode, 0);
    const kykit::Status check = kyaudio::checkAudioComplete(looped);
    EXPECT_TRUE(check) << check.message();
    const kyaudio::LevelAnalysis analysis = kyaudio::analyzeLevels(looped, kyaudio::LevelParameters{});
    ASSERT_TRUE(analysis.status) << analysis.status.message();
    EXPECT_NEAR(analysis.duration, 10.0, 1024.0 / 44100);

    // The same file cut short is still refused.
    const std::string bytes = readFile(looped);
    const fs::path cut = tmp / "cut.m4a";
    writeFile(cut, bytes.substr(0, bytes.size() * 7 / 10));
    EXPECT_FALSE(kyaudio::checkAudioComplete(cut.string()));
}
