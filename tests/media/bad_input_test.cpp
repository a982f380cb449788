// Files that cannot be analysed: a clear reason, zeros from the plain calls,
// never a crash or a hang; and awkward but valid paths that must just work.
#include <filesystem>
#include <random>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "media/audio_file.h"
#include "media/media_info.h"
#include "media/wav_header.h"
#include "support/synth_audio.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::test::mediaFile;
using quelvo::test::readFile;
using quelvo::test::writeFile;

namespace {

// The first `fraction` of a file's bytes, as a truncated copy would be.
fs::path truncatedCopy(const fs::path& from, const fs::path& to, double fraction) {
    const std::string bytes = readFile(from);
    writeFile(to, bytes.substr(0, static_cast<size_t>(bytes.size() * fraction)));
    return to;
}

std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// Every call on an unusable file fails softly and the same way.
void expectUnreadable(const fs::path& file, const std::string& reasonPart = "") {
    SCOPED_TRACE(file.string());
    const quelvo::LevelAnalysis a = quelvo::analyzeLevels(file.string(), quelvo::LevelParameters{});
    EXPECT_FALSE(a.status);
    EXPECT_FALSE(a.status.message().empty());
    EXPECT_EQ(a.status.message().find('\n'), std::string::npos);
    if (!reasonPart.empty()) {
        EXPECT_NE(a.status.message().find(reasonPart), std::string::npos) << a.status.message();
    }
    EXPECT_TRUE(a.clusters.empty());
    EXPECT_EQ(a.duration, 0);
    EXPECT_TRUE(
        quelvo::getClusterListByWavePath(file.string(), -24, 0.5, 0.5, 0.1, 0.1, false, 1, 5, 0)
            .empty());
}

void expectProbeFails(const fs::path& file) {
    SCOPED_TRACE(file.string());
    EXPECT_FALSE(quelvo::probeAudioFile(file.string()).status);
    EXPECT_EQ(quelvo::audioDuration(file.string()), 0);
    EXPECT_EQ(quelvo::audioSampleRate(file.string()), 0);
}

} // namespace

TEST(BadInput, TruncatedFilesAreReportedNotAnalysedShort) {
    QUELVO_REQUIRE_SHARED();
    quelvo::test::TempDir tmp;
    const fs::path dialogue = quelvo::test::sharedDir() / "testdata" / "dialogue";
    // Headers that declare a length the data does not reach.
    expectUnreadable(
        truncatedCopy(dialogue / "dev01_clean_wav48k_stereo.wav", tmp / "cut.wav", 0.5),
        "ends early");
    expectUnreadable(truncatedCopy(dialogue / "dev05_roomtone_aiff.aiff", tmp / "cut.aiff", 0.7),
                     "ends early");
    expectUnreadable(truncatedCopy(dialogue / "dev03_quiet_mp3.mp3", tmp / "cut.mp3", 0.5),
                     "ends early");
    expectUnreadable(truncatedCopy(mediaFile("tone_stereo48k.m4a"), tmp / "cut.m4a", 0.6),
                     "ends early");
    // An M4A whose index was at the end has lost it.
    expectUnreadable(truncatedCopy(dialogue / "dev04_pauses_m4a.m4a", tmp / "noindex.m4a", 0.5),
                     "moov");
    expectProbeFails(tmp / "noindex.m4a");
    // Only the header left.
    expectUnreadable(
        truncatedCopy(dialogue / "dev01_clean_wav48k_stereo.wav", tmp / "header.wav", 0.00002));
}

TEST(BadInput, RandomBytesEmptyFilesFoldersAndPipes) {
    quelvo::test::TempDir tmp;
    for (const char* name : {"noise.wav", "noise.mp3", "noise.m4a", "noise.aiff"}) {
        writeFile(tmp / name,
                  randomBytes(64 * 1024, static_cast<unsigned>(std::string(name).size())));
        expectUnreadable(tmp / name);
    }
    writeFile(tmp / "empty.wav", "");
    expectUnreadable(tmp / "empty.wav", "empty");
    expectProbeFails(tmp / "empty.wav");
    fs::create_directory(tmp / "x.mp3");
    expectUnreadable(tmp / "x.mp3", "folder");
    expectProbeFails(tmp / "x.mp3");
    EXPECT_FALSE(quelvo::MediaTiming::getDuration((tmp / "x.mp3").string()).has_value());
    // A named pipe with no writer would block a plain open() for ever.
    ASSERT_EQ(::mkfifo((tmp / "pipe.wav").c_str(), 0600), 0);
    expectUnreadable(tmp / "pipe.wav", "not a regular file");
    expectUnreadable(tmp / "missing.wav", "does not exist");
    writeFile(tmp / "text.wav", "this is not audio at all, just some words\n");
    expectUnreadable(tmp / "text.wav");
}

TEST(BadInput, AFileWithoutAudioSaysSo) {
    expectUnreadable(mediaFile("video_only_2997.mp4"), "no audio stream");
    expectProbeFails(mediaFile("video_only_2997.mp4"));
}

TEST(BadInput, PathsWithSpacesQuotesAmpersandsAndNonAsciiLettersWork) {
    quelvo::test::TempDir tmp;
    const fs::path folder = tmp / "Projekt & \"Ton\" 'mix'";
    fs::create_directory(folder);
    const fs::path file = folder / "Grüße, señor 日本 #1 ?%20.mp3";
    fs::copy_file(mediaFile("tone_mono44k.mp3"), file);
    const quelvo::LevelAnalysis a = quelvo::analyzeLevels(file.string(), quelvo::LevelParameters{});
    ASSERT_TRUE(a.status) << a.status.message();
    EXPECT_EQ(a.clusters, (quelvo::ClusterList{{0.4, 1.3}, {1.9, 2.7}}));
    EXPECT_EQ(quelvo::audioSampleRate(file.string()), 44100);
    EXPECT_TRUE(quelvo::MediaTiming::getDuration(file.string()).has_value());
}

TEST(BadInput, NamesThatLookLikeFFmpegUrlsAreOnlyEverFiles) {
    quelvo::test::TempDir tmp;
    const fs::path before = fs::current_path();
    fs::current_path(tmp.path());
    // Relative names that FFmpeg would read as a protocol: stdin, a network
    // address, a concatenation. Absent, they are missing files; present, they
    // are analysed as files.
    for (const char* name : {"pipe:0", "http://127.0.0.1:9/x.wav", "concat:a.wav|b.wav"})
        expectUnreadable(name, "does not exist");
    fs::copy_file(mediaFile("tone_mono8k_s24.aif"), tmp / "pipe:0.aif");
    const quelvo::LevelAnalysis a = quelvo::analyzeLevels("pipe:0.aif", quelvo::LevelParameters{});
    fs::current_path(before);
    ASSERT_TRUE(a.status) << a.status.message();
    EXPECT_DOUBLE_EQ(a.duration, 3.0);
}

TEST(BadInput, AWavWhoseHeaderLeavesTheLengthOpenIsReadToTheEnd) {
    // Recorders that stop abruptly leave 0xFFFFFFFF sizes; the audio is all there.
    quelvo::test::TempDir tmp;
    quelvo::test::Signal s;
    s.duration = 2.0;
    s.bursts = {{0.5, 1.5, -6.0}};
    quelvo::test::writeWav(tmp / "open.wav", s, quelvo::test::WavFormat::S16);
    std::string bytes = readFile(tmp / "open.wav");
    for (size_t at : {size_t(4), size_t(40)})
        bytes.replace(at, 4, "\xFF\xFF\xFF\xFF", 4);
    writeFile(tmp / "open.wav", bytes);
    const quelvo::LevelAnalysis a =
        quelvo::analyzeLevels((tmp / "open.wav").string(), quelvo::LevelParameters{});
    ASSERT_TRUE(a.status) << a.status.message();
    EXPECT_DOUBLE_EQ(a.duration, 2.0);
    EXPECT_EQ(a.clusters, (quelvo::ClusterList{{0.4, 1.6}}));
}

// A music or filler file cut short was once accepted by the ducking job, which
// only probed its header: the project then claimed audio that was not there.
// The packet-level completeness check that now guards it must agree with the
// full analysis on every recording we have, whole or cut.
namespace {

std::vector<fs::path> recordings() {
    std::vector<fs::path> files;
    for (const char* name : {"tone_mono44k.mp3", "tone_stereo48k.m4a", "tone_mono8k_s24.aif"})
        files.push_back(quelvo::test::testDataDir() / "media" / name);
    const fs::path shared = quelvo::test::sharedDir() / "testdata";
    for (const char* folder : {"dialogue", "music"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(shared / folder, ec))
            files.push_back(entry.path());
    }
    return files;
}

} // namespace

TEST(CompleteCheckRegression, WholeRecordingsPass) {
    for (const fs::path& file : recordings()) {
        SCOPED_TRACE(file.string());
        const quelvo::Status whole = quelvo::checkAudioComplete(file.string());
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
        const quelvo::Status check = quelvo::checkAudioComplete(cut.string());
        const quelvo::LevelAnalysis analysis =
            quelvo::analyzeLevels(cut.string(), quelvo::LevelParameters{});
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
    EXPECT_EQ(quelvo::checkAudioComplete((tmp / "empty.wav").string()).message(),
              "the file is empty");
    EXPECT_EQ(quelvo::checkAudioComplete((tmp / "dir.mp3").string()).message(),
              "it is a folder, not a file");
    EXPECT_EQ(quelvo::checkAudioComplete((tmp / "absent.m4a").string()).message(),
              "the file does not exist");
}

// Found by fuzzing: a WAV header whose block alignment (32) disagrees with
// its samples (16-bit mono). The decoder goes by the samples; the check once
// went by the alignment, counted a sixteenth of the audio and called the
// file cut short.
TEST(CompleteCheckRegression, ABlockAlignmentThatDisagreesWithTheSamples) {
    quelvo::test::TempDir tmp;
    const fs::path wav = tmp / "odd_align.wav";
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/sox", "-n", "-r", "8000", "-c", "1", "-b", "16",
                                        wav.string(), "synth", "0.25", "sine", "440"})
                  .exitCode,
              0);
    std::string bytes = readFile(wav);
    ASSERT_EQ(bytes.substr(12, 4), "fmt ");
    ASSERT_EQ(bytes[32], 2); // block alignment: 2 bytes a frame
    bytes[32] = 32;
    writeFile(wav, bytes);
    const quelvo::LevelAnalysis analysis =
        quelvo::analyzeLevels(wav.string(), quelvo::LevelParameters{});
    ASSERT_TRUE(analysis.status) << analysis.status.message();
    const quelvo::Status check = quelvo::checkAudioComplete(wav.string());
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
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                                        "sine=f=440:d=1", "-c:a", "libmp3lame", second})
                  .exitCode,
              0);
    ASSERT_EQ(
        quelvo::test::runProgram({"/usr/bin/ffmpeg", "-v", "error", "-stream_loop", "-1", "-i",
                                  second, "-t", "10", "-c:a", "aac", "-b:a", "64k", looped})
            .exitCode,
        0);
    const quelvo::Status check = quelvo::checkAudioComplete(looped);
    EXPECT_TRUE(check) << check.message();
    const quelvo::LevelAnalysis analysis = quelvo::analyzeLevels(looped, quelvo::LevelParameters{});
    ASSERT_TRUE(analysis.status) << analysis.status.message();
    EXPECT_NEAR(analysis.duration, 10.0, 1024.0 / 44100);

    // The same file cut short is still refused.
    const std::string bytes = readFile(looped);
    const fs::path cut = tmp / "cut.m4a";
    writeFile(cut, bytes.substr(0, bytes.size() * 7 / 10));
    EXPECT_FALSE(quelvo::checkAudioComplete(cut.string()));
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
            const quelvo::Status check = quelvo::checkAudioComplete(mov.string());
            EXPECT_TRUE(check) << check.message();
            const quelvo::LevelAnalysis analysis =
                quelvo::analyzeLevels(mov.string(), quelvo::LevelParameters{});
            ASSERT_TRUE(analysis.status) << analysis.status.message();
            EXPECT_DOUBLE_EQ(analysis.duration, 3.0);

            const std::string bytes = readFile(mov);
            const fs::path cut = tmp / "cut.mov";
            writeFile(cut, bytes.substr(0, bytes.size() * 6 / 10));
            EXPECT_NE(quelvo::checkAudioComplete(cut.string()).message().find("ends early"),
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
        const auto chunk = quelvo::detail::findWavDataChunk(whole.string());
        ASSERT_TRUE(chunk);
        EXPECT_EQ(chunk->declaredBytes, static_cast<int64_t>(samples.size()));
        EXPECT_EQ(chunk->presentBytes, static_cast<int64_t>(samples.size()));
        EXPECT_TRUE(quelvo::checkAudioComplete(whole.string()));
        const quelvo::LevelAnalysis analysis =
            quelvo::analyzeLevels(whole.string(), quelvo::LevelParameters{});
        ASSERT_TRUE(analysis.status) << analysis.status.message();
        EXPECT_DOUBLE_EQ(analysis.duration, 2.0);
        // Sizes past 32 bits are read whole.
        writeFile(cut, build(id, uint64_t(5) << 30));
        EXPECT_EQ(quelvo::detail::findWavDataChunk(cut.string())->declaredBytes, int64_t(5) << 30);
        // A copy that lost half its samples.
        writeFile(cut, build(id, 2 * samples.size()));
        EXPECT_NE(quelvo::checkAudioComplete(cut.string()).message().find("ends early"),
                  std::string::npos);
    }
}
