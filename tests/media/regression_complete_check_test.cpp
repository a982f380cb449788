// A music or filler file cut short was once accepted by the ducking job, which
// only probed its header: the project then claimed audio that was not there.
// The packet-level completeness check that now guards it must agree with the
// full analysis on every recording we have, whole or cut.
#include <filesystem>

#include <gtest/gtest.h>

#include "media/audio_file.h"
#include "media/wav_header.h"
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

// How cameras and Final Cut Pro masters carry sound: PCM in a QuickTime
// movie. Its sample table lists every sample frame, while the demuxer hands
// them out a chunk (about a thousand) at a time; counting packets against the
// table once called every such file cut short.
TEST(CompleteCheckRegression, PcmInAQuickTimeMovieIsWhole) {
    quelvo::test::TempDir tmp;
    const std::string ffmpeg = "/usr/bin/ffmpeg";
    const fs::path wav = tmp / "talk.wav";
    ASSERT_EQ(quelvo::test::runProgram({ffmpeg, "-v", "error", "-f", "lavfi", "-i",
                                        "sine=f=440:d=3:r=48000", wav.string()})
                  .exitCode,
              0);
    for (const char* codec : {"pcm_s16le", "pcm_s24le"}) {
        for (const bool video : {false, true}) {
            const fs::path mov = tmp / (std::string(codec) + (video ? "_video" : "") + ".mov");
            std::vector<std::string> args = {ffmpeg, "-v", "error"};
            if (video) args.insert(args.end(), {"-f", "lavfi", "-i", "testsrc=s=64x48:d=3:r=25"});
            args.insert(args.end(), {"-i", wav.string(), "-c:a", codec});
            if (video) args.insert(args.end(), {"-c:v", "mpeg4"});
            // The index first, so that a copy cut short keeps it.
            args.insert(args.end(), {"-movflags", "+faststart", mov.string()});
            ASSERT_EQ(quelvo::test::runProgram(args).exitCode, 0);
            SCOPED_TRACE(mov.filename().string());
            const kykit::Status check = kyaudio::checkAudioComplete(mov.string());
            EXPECT_TRUE(check) << check.message();
            const kyaudio::LevelAnalysis analysis =
                kyaudio::analyzeLevels(mov.string(), kyaudio::LevelParameters{});
            ASSERT_TRUE(analysis.status) << analysis.status.message();
            EXPECT_DOUBLE_EQ(analysis.duration, 3.0);

            const std::string bytes = readFile(mov);
            const fs::path cut = tmp / "cut.mov";
            writeFile(cut, bytes.substr(0, bytes.size() * 6 / 10));
            EXPECT_NE(kyaudio::checkAudioComplete(cut.string()).message().find("ends early"),
                      std::string::npos);
        }
    }
}

namespace {

std::string littleEndian(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}

} // namespace

// WAV past 4 GiB is RF64 (or BW64): the 32-bit sizes say 0xFFFFFFFF and the
// real ones are in a ds64 chunk. Built here around a small PCM WAV's chunks.
TEST(CompleteCheckRegression, Rf64AndBw64SizesComeFromTheirDs64Chunk) {
    quelvo::test::TempDir tmp;
    const fs::path wav = tmp / "plain.wav";
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/sox", "-n", "-r", "8000", "-c", "1", "-b", "16",
                                        wav.string(), "synth", "2", "sine", "440"})
                  .exitCode,
              0);
    const std::string plain = readFile(wav);
    ASSERT_EQ(plain.substr(36, 4), "data");
    const std::string format = plain.substr(12, 24), samples = plain.substr(44);
    const auto build = [&](const char* id, uint64_t dataBytes) {
        const std::string ds64 =
            "ds64" + littleEndian(28, 4) + littleEndian(4 + 36 + 24 + 8 + dataBytes, 8) +
            littleEndian(dataBytes, 8) + littleEndian(dataBytes / 2, 8) + littleEndian(0, 4);
        return std::string(id) + littleEndian(0xFFFFFFFF, 4) + "WAVE" + ds64 + format + "data" +
               littleEndian(0xFFFFFFFF, 4) + samples;
    };
    for (const char* id : {"RF64", "BW64"}) {
        SCOPED_TRACE(id);
        const fs::path whole = tmp / "whole.wav", cut = tmp / "cut.wav";
        writeFile(whole, build(id, samples.size()));
        const auto chunk = kyaudio::detail::findWavDataChunk(whole.string());
        ASSERT_TRUE(chunk);
        EXPECT_EQ(chunk->declaredBytes, static_cast<int64_t>(samples.size()));
        EXPECT_EQ(chunk->presentBytes, static_cast<int64_t>(samples.size()));
        EXPECT_TRUE(kyaudio::checkAudioComplete(whole.string()));
        const kyaudio::LevelAnalysis analysis =
            kyaudio::analyzeLevels(whole.string(), kyaudio::LevelParameters{});
        ASSERT_TRUE(analysis.status) << analysis.status.message();
        EXPECT_DOUBLE_EQ(analysis.duration, 2.0);
        // Sizes past 32 bits are read whole.
        writeFile(cut, build(id, uint64_t(5) << 30));
        EXPECT_EQ(kyaudio::detail::findWavDataChunk(cut.string())->declaredBytes, int64_t(5) << 30);
        // A copy that lost half its samples.
        writeFile(cut, build(id, 2 * samples.size()));
        EXPECT_NE(kyaudio::checkAudioComplete(cut.string()).message().find("ends early"),
                  std::string::npos);
    }
}
