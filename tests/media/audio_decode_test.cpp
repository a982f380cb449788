// Decoding every format we accept, on the shared recordings and on our own
// small files: exact lengths, rates, channels, the encoder delay dropped, and
// the same peaks whichever path a PCM file takes.
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "media/audio_file.h"
#include "media/audio_reader.h"
#include "support/synth_audio.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::ClusterList;
using quelvo::test::Burst;
using quelvo::test::Signal;
using quelvo::test::WavFormat;

namespace {

nlohmann::json manifest() {
    return nlohmann::json::parse(
        quelvo::test::readFile(quelvo::test::sharedDir() / "testdata" / "manifest.json"));
}

std::vector<float> peaksOf(const fs::path& file, bool directPcm,
                           quelvo::DecodeSummary* summary = nullptr) {
    std::vector<float> peaks;
    quelvo::DecodeOptions options;
    options.directPcm = directPcm;
    const quelvo::DecodeSummary s = quelvo::readFramePeaks(
        file.string(), [&](float p) { peaks.push_back(p); }, options);
    EXPECT_TRUE(s.status) << file << ": " << s.status.message();
    if (summary) *summary = s;
    return peaks;
}

// The pattern of every file in tests/data/media: -6 dBFS at 0.5-1.2 s and
// -20 dBFS at 2.0-2.6 s, 3 s long.
Signal tonePattern(int rate, int channels) {
    Signal s;
    s.sampleRate = rate;
    s.channels = channels;
    s.duration = 3.0;
    s.bursts = {Burst{0.5, 1.2, -6.0}, Burst{2.0, 2.6, -20.0}};
    return s;
}

// Decay 0, no minimum, fades 0.1: the pattern's clusters at -24 dB.
quelvo::LevelParameters patternParameters() {
    quelvo::LevelParameters p;
    p.threshold = -24;
    p.decay = 0;
    p.minDuration = 0;
    return p;
}
const ClusterList kPatternClusters = {{0.4, 1.3}, {1.9, 2.7}};

void expectPatternClusters(const fs::path& file, double expectedDuration) {
    const quelvo::LevelAnalysis a = quelvo::analyzeLevels(file.string(), patternParameters());
    ASSERT_TRUE(a.status) << file << ": " << a.status.message();
    ASSERT_EQ(a.clusters.size(), kPatternClusters.size()) << file;
    for (size_t i = 0; i < kPatternClusters.size(); ++i) {
        EXPECT_NEAR(a.clusters[i].start, kPatternClusters[i].start, 1e-9)
            << file << " cluster " << i;
        EXPECT_NEAR(a.clusters[i].end, kPatternClusters[i].end, 1e-9) << file << " cluster " << i;
    }
    EXPECT_NEAR(a.duration, expectedDuration, 1e-9) << file;
}

} // namespace

TEST(AudioDecode, EverySharedRecordingDecodesToTheSampleCountFFmpegGives) {
    QUELVO_REQUIRE_SHARED();
    const nlohmann::json m = manifest();
    std::vector<nlohmann::json> entries;
    for (const auto& c : m["cases"])
        entries.push_back({{"file", c["dialogue"]},
                           {"format", c["format"]},
                           {"decode_check", c["decode_check"]}});
    for (const auto& c : m["music"])
        entries.push_back(c);
    ASSERT_GE(entries.size(), 9u);
    for (const auto& e : entries) {
        const fs::path file = quelvo::test::sharedDir() / "testdata" / e["file"].get<std::string>();
        SCOPED_TRACE(file.string());
        const int rate = e["format"]["sample_rate"];
        const int channels = e["format"]["channels"];
        const int64_t samples = e["decode_check"]["decoded_samples"];

        quelvo::DecodeSummary summary;
        const std::vector<float> peaks = peaksOf(file, true, &summary);
        EXPECT_EQ(summary.sampleRate, rate);
        EXPECT_EQ(summary.channels, channels);
        EXPECT_EQ(summary.sampleFrames, samples);
        EXPECT_DOUBLE_EQ(summary.duration, double(samples) / rate);
        // One level per started 10 ms.
        EXPECT_EQ(static_cast<int64_t>(peaks.size()), (samples * 100 + rate - 1) / rate);

        const quelvo::AudioFileInfo info = quelvo::probeAudioFile(file.string());
        ASSERT_TRUE(info.status) << info.status.message();
        EXPECT_EQ(info.sampleRate, rate);
        EXPECT_EQ(info.channels, channels);
        EXPECT_EQ(quelvo::audioSampleRate(file.string()), rate);
        EXPECT_DOUBLE_EQ(quelvo::audioDuration(file.string()), info.duration);
        EXPECT_DOUBLE_EQ(info.duration, double(info.sampleCount) / rate);
        // The header's figure: exact for PCM, within the codec's delay and padding otherwise.
        const std::string codec = e["format"]["codec"];
        if (codec.rfind("pcm_", 0) == 0) {
            EXPECT_EQ(info.sampleCount, samples);
        } else {
            EXPECT_NEAR(info.duration, double(samples) / rate, 0.06);
        }
    }
}

TEST(AudioDecode, PcmReadInPlaceGivesTheSamePeaksAsTheCodec) {
    QUELVO_REQUIRE_SHARED();
    quelvo::test::TempDir tmp;
    std::vector<fs::path> files = {
        quelvo::test::sharedDir() / "testdata/dialogue/dev01_clean_wav48k_stereo.wav",
        quelvo::test::sharedDir() / "testdata/dialogue/dev05_roomtone_aiff.aiff",
        quelvo::test::sharedDir() / "testdata/dialogue/dev06_synthetic_espeak_wav22k.wav",
        quelvo::test::testDataDir() / "media/tone_mono8k_s24.aif",
    };
    Signal s = tonePattern(11025, 2);
    s.noisePeakDb = -50;
    for (WavFormat f : {WavFormat::U8, WavFormat::S16, WavFormat::S24, WavFormat::S32,
                        WavFormat::F32, WavFormat::F64}) {
        const fs::path file = tmp / ("noise" + std::to_string(static_cast<int>(f)) + ".wav");
        quelvo::test::writeWav(file, s, f);
        files.push_back(file);
    }
    for (const fs::path& file : files) {
        const std::vector<float> direct = peaksOf(file, true);
        const std::vector<float> decoded = peaksOf(file, false);
        ASSERT_FALSE(direct.empty()) << file;
        EXPECT_EQ(direct, decoded) << file;
    }
}

TEST(AudioDecode, EveryFormatAndSampleTypeFindsTheSameBursts) {
    // Encoded by FFmpeg's own encoders (tests/data/media/make_media.sh).
    const fs::path data = quelvo::test::testDataDir() / "media";
    expectPatternClusters(data / "tone_mono44k.mp3", 3.0);
    expectPatternClusters(data / "tone_stereo48k.m4a",
                          144384.0 / 48000); // AAC frame padding kept, as FFmpeg does
    expectPatternClusters(data / "tone_mono8k_s24.aif", 3.0);
    // Written here: every PCM sample type, mono and stereo, odd rates, .wave too.
    quelvo::test::TempDir tmp;
    int n = 0;
    for (WavFormat f : {WavFormat::U8, WavFormat::S16, WavFormat::S24, WavFormat::S32,
                        WavFormat::F32, WavFormat::F64}) {
        for (int channels : {1, 2}) {
            for (int rate : {8000, 22050, 44100, 96000}) {
                ++n;
                const fs::path file =
                    tmp / ("pattern" + std::to_string(n) + (n % 2 ? ".wave" : ".wav"));
                quelvo::test::writeWav(file, tonePattern(rate, channels), f);
                expectPatternClusters(file, 3.0);
            }
        }
    }
}

TEST(AudioDecode, EncoderDelayIsDroppedSoTimesMatchTheSource) {
    // The first loud 10 ms frame is at 0.5 s in the source; a decoder that kept
    // the MP3 or AAC priming samples would see it 25-50 ms later.
    for (const char* name : {"tone_mono44k.mp3", "tone_stereo48k.m4a"}) {
        const std::vector<float> peaks =
            peaksOf(quelvo::test::testDataDir() / "media" / name, true);
        size_t first = 0;
        while (first < peaks.size() && peaks[first] < 0.1f)
            ++first;
        EXPECT_EQ(first, 50u) << name;
    }
}

TEST(AudioDecode, LevelsAreTakenPerChannelWithoutDownmix) {
    quelvo::test::TempDir tmp;
    Signal s;
    s.channels = 2;
    s.duration = 2.0;
    // -20 dBFS on the right channel only: a (L+R)/2 mix would read -26 dB.
    s.bursts = {Burst{0.5, 1.5, -20.0, 0b10}};
    quelvo::test::writeWav(tmp / "right.wav", s, WavFormat::S16);
    quelvo::LevelParameters p = patternParameters();
    p.fadeInDuration = p.fadeOutDuration = 0;
    const quelvo::LevelAnalysis a = quelvo::analyzeLevels((tmp / "right.wav").string(), p);
    ASSERT_TRUE(a.status);
    EXPECT_EQ(a.clusters, (ClusterList{{0.5, 1.5}}));
}

TEST(AudioDecode, TheEmptyPathAndUnreadableFilesAnswerZero) {
    EXPECT_EQ(quelvo::audioDuration(""), 0);
    EXPECT_EQ(quelvo::audioSampleRate(""), 0);
    EXPECT_FALSE(quelvo::probeAudioFile("").status);
    EXPECT_EQ(quelvo::audioDuration("/nonexistent/dir/file.wav"), 0);
    EXPECT_EQ(quelvo::audioSampleRate("/nonexistent/dir/file.wav"), 0);
    EXPECT_EQ(quelvo::probeAudioFile("/nonexistent/dir/file.wav").status.message(),
              "the file does not exist");
    EXPECT_TRUE(
        quelvo::getClusterListByWavePath("", -24, 0.5, 0.5, 0.1, 0.1, false, 1, 5, 0).empty());
}

TEST(AudioDecode, AnalysesOnSeveralThreadsAtOnceAgreeWithOneAlone) {
    // The job analyses on its worker while the main window probes durations.
    const std::vector<std::string> files = {
        (quelvo::test::testDataDir() / "media" / "tone_mono44k.mp3").string(),
        (quelvo::test::testDataDir() / "media" / "tone_stereo48k.m4a").string(),
        (quelvo::test::testDataDir() / "media" / "tone_mono8k_s24.aif").string(),
    };
    std::vector<ClusterList> alone;
    for (const std::string& f : files)
        alone.push_back(quelvo::analyzeLevels(f, patternParameters()).clusters);
    std::vector<std::vector<ClusterList>> together(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < together.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round)
                for (const std::string& f : files) {
                    together[t].push_back(quelvo::analyzeLevels(f, patternParameters()).clusters);
                    quelvo::audioDuration(f);
                }
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (const auto& results : together) {
        ASSERT_EQ(results.size(), files.size() * 3);
        for (size_t i = 0; i < results.size(); ++i)
            EXPECT_EQ(results[i], alone[i % files.size()]);
    }
}
