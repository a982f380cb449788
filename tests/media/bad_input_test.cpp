// Files that cannot be analysed: a clear reason, zeros from the plain calls,
// never a crash or a hang; and awkward but valid paths that must just work.
#include <filesystem>
#include <random>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "media/audio_file.h"
#include "media/media_info.h"
#include "support/synth_audio.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::test::readFile;
using quelvo::test::writeFile;

namespace {

fs::path mediaData(const std::string& name) { return quelvo::test::testDataDir() / "media" / name; }

// The first `fraction` of a file's bytes, as a truncated copy would be.
fs::path truncatedCopy(const fs::path& from, const fs::path& to, double fraction) {
    const std::string bytes = readFile(from);
    writeFile(to, bytes.substr(0, static_cast<size_t>(bytes.size() * fraction)));
    return to;
}

std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// Every call on an unusable file fails softly and the same way.
void expectUnreadable(const fs::path& file, const std::string& reasonPart = "") {
    SCOPED_TRACE(file.string());
    const kyaudio::LevelAnalysis a = kyaudio::analyzeLevels(file.string(), kyaudio::LevelParameters{});
    EXPECT_FALSE(a.status);
    EXPECT_FALSE(a.status.message().empty());
    EXPECT_EQ(a.status.message().find('\n'), std::string::npos);
    if (!reasonPart.empty()) {
        EXPECT_NE(a.status.message().find(reasonPart), std::string::npos) << a.status.message();
    }
    EXPECT_TRUE(a.clusters.empty());
    EXPECT_EQ(a.duration, 0);
    EXPECT_TRUE(kyaudio::getclusterListByWavePath(file.string(), -24, 0.5, 0.5, 0.1, 0.1, false, 1, 5, 0, false).empty());
}

void expectProbeFails(const fs::path& file) {
    SCOPED_TRACE(file.string());
    EXPECT_FALSE(kyaudio::probeAudioFile(file.string()).status);
    EXPECT_EQ(kyaudio::aUt_getAudioDuration(file.string()), 0);
    EXPECT_EQ(kyaudio::aUt_getAudioFrequency(file.string()), 0);
}

} // namespace

TEST(BadInput, TruncatedFilesAreReportedNotAnalysedShort) {
    QUELVO_REQUIRE_SHARED();
    quelvo::test::TempDir tmp;
    const fs::path dialogue = quelvo::test::sharedDir() / "testdata" / "dialogue";
    // Headers that declare a length the data does not reach.
    expectUnreadable(truncatedCopy(dialogue / "dev01_clean_wav48k_stereo.wav", tmp / "cut.wav", 0.5), "ends early");
    expectUnreadable(truncatedCopy(dialogue / "dev05_roomtone_aiff.aiff", tmp / "cut.aiff", 0.7), "ends early");
    expectUnreadable(truncatedCopy(dialogue / "dev03_quiet_mp3.mp3", tmp / "cut.mp3", 0.5), "ends early");
    expectUnreadable(truncatedCopy(mediaData("tone_stereo48k.m4a"), tmp / "cut.m4a", 0.6), "ends early");
    // An M4A whose index was at the end has lost it.
    expectUnreadable(truncatedCopy(dialogue / "dev04_pauses_m4a.m4a", tmp / "noindex.m4a", 0.5), "moov");
    expectProbeFails(tmp / "noindex.m4a");
    // Only the header left.
    expectUnreadable(truncatedCopy(dialogue / "dev01_clean_wav48k_stereo.wav", tmp / "header.wav", 0.00002));
}

TEST(BadInput, RandomBytesEmptyFilesFoldersAndPipes) {
    quelvo::test::TempDir tmp;
    for (const char* name : {"noise.wav", "noise.mp3", "noise.m4a", "noise.aiff"}) {
        writeFile(tmp / name, randomBytes(64 * 1024, static_cast<unsigned>(std::string(name).size())));
        expectUnreadable(tmp / name);
    }
    writeFile(tmp / "empty.wav", "");
    expectUnreadable(tmp / "empty.wav", "empty");
    expectProbeFails(tmp / "empty.wav");
    fs::create_directory(tmp / "x.mp3");
    expectUnreadable(tmp / "x.mp3", "folder");
    expectProbeFails(tmp / "x.mp3");
    EXPECT_FALSE(kymediainfo::MIH::getDuration((tmp / "x.mp3").string()).has_value());
    // A named pipe with no writer would block a plain open() for ever.
    ASSERT_EQ(::mkfifo((tmp / "pipe.wav").c_str(), 0600), 0);
    expectUnreadable(tmp / "pipe.wav", "not a regular file");
    expectUnreadable(tmp / "missing.wav", "does not exist");
    writeFile(tmp / "text.wav", "this is not audio at all, just some words\n");
    expectUnreadable(tmp / "text.wav");
}

TEST(BadInput, AFileWithoutAudioSaysSo) {
    expectUnreadable(mediaData("video_only_2997.mp4"), "no audio stream");
    expectProbeFails(mediaData("video_only_2997.mp4"));
}

TEST(BadInput, PathsWithSpacesQuotesAmpersandsAndNonAsciiLettersWork) {
    quelvo::test::TempDir tmp;
    const fs::path folder = tmp / "Projekt & \"Ton\" 'mix'";
    fs::create_directory(folder);
    const fs::path file = folder / "Grüße, señor 日本 #1 ?%20.mp3";
    fs::copy_file(mediaData("tone_mono44k.mp3"), file);
    const kyaudio::LevelAnalysis a = kyaudio::analyzeLevels(file.string(), kyaudio::LevelParameters{});
    ASSERT_TRUE(a.status) << a.status.message();
    EXPECT_EQ(a.clusters, (kyaudio::ClusterList{{0.4, 1.3}, {1.9, 2.7}}));
    EXPECT_EQ(kyaudio::aUt_getAudioFrequency(file.string()), 44100);
    EXPECT_TRUE(kymediainfo::MIH::getDuration(file.string()).has_value());
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
    fs::copy_file(mediaData("tone_mono8k_s24.aif"), tmp / "pipe:0.aif");
    const kyaudio::LevelAnalysis a = kyaudio::analyzeLevels("pipe:0.aif", kyaudio::LevelParameters{});
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
    for (size_t at : {size_t(4), size_t(40)}) bytes.replace(at, 4, "\xFF\xFF\xFF\xFF", 4);
    writeFile(tmp / "open.wav", bytes);
    const kyaudio::LevelAnalysis a = kyaudio::analyzeLevels((tmp / "open.wav").string(), kyaudio::LevelParameters{});
    ASSERT_TRUE(a.status) << a.status.message();
    EXPECT_DOUBLE_EQ(a.duration, 2.0);
    EXPECT_EQ(a.clusters, (kyaudio::ClusterList{{0.4, 1.6}}));
}
