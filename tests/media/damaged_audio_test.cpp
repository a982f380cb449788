// Damaged files made here from good ones: bytes of an AAC overwritten with
// noise, an MP3 whose Xing header counts one frame, a FLAC whose frame
// numbers jump. Damage is measured as silence by every reader at every
// number of jobs and counted; too much of it refuses the file; timestamps
// that jump are closed up; a header that undercounts does not shorten the
// audio.
#include <algorithm>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include "media/audio_file.h"
#include "media/decoding.h"
#include "media/parallel_reader.h"
#include "media/pcm_stream.h"
#include "signal/loudness.h"
#include "support/damaged_media.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::test::runProgram;

namespace {

void ffmpeg(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/ffmpeg", "-v", "error", "-y"});
    ASSERT_EQ(runProgram(args).exitCode, 0);
}

// Every sample a PcmStream gives, counted, and its largest magnitude.
struct Played {
    int64_t frames = 0;
    double peak = 0;
    quelvo::AudioDamage damage;
};
Played play(const std::string& path) {
    Played played;
    quelvo::Status status = quelvo::Status::success();
    auto stream = quelvo::PcmStream::open(path, {}, status);
    EXPECT_TRUE(stream) << status.message();
    if (!stream) return played;
    const int channels = stream->format().channels;
    std::vector<std::vector<double>> data(channels, std::vector<double>(4096));
    std::vector<double*> planes;
    for (auto& plane : data)
        planes.push_back(plane.data());
    for (int got; (got = stream->read(planes.data(), 4096)) > 0; played.frames += got)
        for (const auto& plane : data)
            for (int i = 0; i < got; ++i)
                played.peak = std::max(played.peak, std::abs(plane[i]));
    played.damage = stream->damage();
    return played;
}

quelvo::Parallelism jobs(int count) {
    quelvo::Parallelism parallelism;
    parallelism.jobs = count;
    parallelism.minSegmentSeconds = 4;
    parallelism.planFirst = true;
    return parallelism;
}

} // namespace

TEST(DamagedAudio, DamagedAacIsSilenceForEveryReaderAndTooMuchIsRefused) {
    quelvo::test::TempDir tmp;
    // Long enough to be read in chunks: every number of jobs reads it alike.
    const fs::path good = tmp / "good.m4a";
    ffmpeg({"-f", "lavfi", "-i", "sine=f=330:d=200", "-af", "volume=0.5", "-ac", "1", "-ar",
            "48000", "-c:a", "aac", "-b:a", "64k", good.string()});
    const fs::path light = tmp / "light.m4a";
    quelvo::test::damageMp4Samples(good, light, 0.40, 0.41, 0.5);

    const quelvo::LevelAnalysis whole = quelvo::analyzeLevels(good.string(), {});
    ASSERT_TRUE(whole.status) << whole.status.message();
    EXPECT_FALSE(whole.damage.any());
    std::optional<quelvo::LevelAnalysis> first;
    for (const int count : {1, 3}) {
        SCOPED_TRACE(count);
        const quelvo::LevelAnalysis analysis =
            quelvo::analyzeLevels(light.string(), {}, jobs(count));
        ASSERT_TRUE(analysis.status) << analysis.status.message();
        const double share =
            analysis.damage.share(std::llround(analysis.duration * analysis.damage.rate));
        EXPECT_GT(share, 0.001);
        EXPECT_LT(share, 0.05);
        EXPECT_NEAR(analysis.damage.seconds(analysis.damage.firstDamaged), 80, 3);
        EXPECT_NEAR(analysis.duration, whole.duration, 0.03);
        if (!first) {
            first = analysis;
            continue;
        }
        EXPECT_EQ(analysis.clusters, first->clusters);
        EXPECT_EQ(analysis.damage.damagedSamples, first->damage.damagedSamples);
    }
    const quelvo::FileLevels levels =
        quelvo::readFileLevels(light.string(), quelvo::LevelContent::peaks, jobs(3));
    EXPECT_LE(*std::max_element(levels.peaks.begin(), levels.peaks.end()), 1.0f);

    // The mix and the loudness read the same silence where the analysis does.
    const Played played = play(light.string());
    EXPECT_LE(played.peak, 1.0);
    EXPECT_NEAR(double(played.frames) / 48000, first->duration, 0.03);
    EXPECT_NEAR(double(played.damage.damagedSamples), double(first->damage.damagedSamples), 4096);
    const quelvo::FileLoudness loudness = quelvo::measureFileLoudness(light.string(), nullptr, 1);
    ASSERT_TRUE(loudness.status) << loudness.status.message();
    EXPECT_LT(*loudness.figures.integrated, -5);

    // A short file with 12% of its samples' bytes noise is refused by all.
    const fs::path shortGood = tmp / "short.m4a";
    ffmpeg(
        {"-f", "lavfi", "-i", "sine=f=330:d=20", "-c:a", "aac", "-b:a", "64k", shortGood.string()});
    const fs::path heavy = tmp / "heavy.m4a";
    quelvo::test::damageMp4Samples(shortGood, heavy, 0, 1, 0.12);
    const quelvo::LevelAnalysis refused = quelvo::analyzeLevels(heavy.string(), {});
    ASSERT_FALSE(refused.status);
    EXPECT_NE(refused.status.message().find("of the audio is damaged, first at 00:00:"),
              std::string::npos)
        << refused.status.message();
    const quelvo::FileLoudness unmeasured = quelvo::measureFileLoudness(heavy.string(), nullptr, 1);
    EXPECT_FALSE(unmeasured.status);
}

TEST(DamagedAudio, TimestampJumpsAreClosedUpAndAnUndercountingHeaderDoesNotShortenTheAudio) {
    quelvo::test::TempDir tmp;
    // A FLAC whose frames from the tenth on claim to start 3.1 s later.
    const fs::path flac = tmp / "shifted.flac";
    ffmpeg(
        {"-f", "lavfi", "-i", "sine=f=440:d=4.44", "-ar", "44100", "-c:a", "flac", flac.string()});
    ASSERT_TRUE(quelvo::test::skipFlacFrames(flac, 10, 30));
    for (const int count : {1, 2}) {
        const quelvo::LevelAnalysis analysis =
            quelvo::analyzeLevels(flac.string(), {}, jobs(count));
        ASSERT_TRUE(analysis.status) << analysis.status.message();
        EXPECT_NEAR(analysis.duration, 4.44, 0.001);
        EXPECT_EQ(analysis.damage.jumps, 1);
        EXPECT_EQ(analysis.damage.damagedSamples, 0);
        EXPECT_NEAR(analysis.damage.seconds(analysis.damage.firstJump), 10 * 4608 / 44100.0, 0.25);
        EXPECT_NEAR(analysis.packetSeconds, 4.44, 0.001);
    }
    const Played played = play(flac.string());
    EXPECT_EQ(played.frames, 195804);
    EXPECT_EQ(played.damage.jumps, 1);

    // A looped file's joins are in its packets' durations: they stay silence.
    const fs::path one = tmp / "one.mp3", looped = tmp / "loop.m4a";
    ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=1", "-c:a", "libmp3lame", one.string()});
    ffmpeg({"-stream_loop", "-1", "-i", one.string(), "-t", "10", "-c:a", "aac", "-b:a", "64k",
            looped.string()});
    const quelvo::LevelAnalysis loop = quelvo::analyzeLevels(looped.string(), {});
    ASSERT_TRUE(loop.status);
    EXPECT_FALSE(loop.damage.any());
    EXPECT_NEAR(double(play(looped.string()).frames) / 44100, loop.duration, 1.0 / 44100);

    // An MP3 whose Xing header counts one frame: its packets last 4.44 s.
    const fs::path mp3 = tmp / "xing.mp3";
    ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=4.44", "-ar", "44100", "-c:a", "libmp3lame",
            mp3.string()});
    const double whole =
        quelvo::probeAudioFile(mp3.string()).duration; // its frames, encoder delay included
    ASSERT_TRUE(quelvo::test::undercountXing(mp3));
    EXPECT_EQ(quelvo::probeAudioFile(mp3.string()).sampleCount, 1152);
    const quelvo::LevelAnalysis counted = quelvo::countAudioPackets(mp3.string());
    ASSERT_TRUE(counted.status) << counted.status.message();
    EXPECT_NEAR(counted.packetSeconds, whole, 1e-6);
    EXPECT_NEAR(quelvo::analyzeLevels(mp3.string(), {}).packetSeconds, counted.packetSeconds, 1e-9);
}

// The damage test reads float samples a vector at a time: one sample out of
// range or not a number is found wherever it lies, in a vector or in the
// samples after the last whole vector, in any plane, packed or planar.
TEST(DamagedAudio, OneBadSampleAnywhereMarksAFloatFrameDamaged) {
    const auto check = [](AVSampleFormat format, int channels, int bytes) {
        std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(),
                                                           [](AVFrame* f) { av_frame_free(&f); });
        frame->format = format;
        frame->nb_samples = 1001;
        av_channel_layout_default(&frame->ch_layout, channels);
        ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
        const bool planar = av_sample_fmt_is_planar(format);
        const int perPlane = frame->nb_samples * (planar ? 1 : channels);
        const auto set = [&](int plane, int index, double value) {
            uint8_t* at = frame->extended_data[plane] + static_cast<size_t>(index) * bytes;
            if (bytes == 4)
                *reinterpret_cast<float*>(at) = static_cast<float>(value);
            else
                *reinterpret_cast<double*>(at) = value;
        };
        for (int p = 0; p < (planar ? channels : 1); ++p)
            for (int i = 0; i < perPlane; ++i)
                set(p, i, i % 2 ? 3.9 : -3.9); // +11.8 dBFS: loud, not damaged
        EXPECT_FALSE(quelvo::detail::isDamagedFrame(frame.get()));
        const int lastPlane = planar ? channels - 1 : 0;
        for (int index : {0, 3, 517, perPlane - 1})
            for (double bad : {std::nan(""), 4.5, -4.5, HUGE_VAL}) {
                set(lastPlane, index, bad);
                EXPECT_TRUE(quelvo::detail::isDamagedFrame(frame.get())) << index << " " << bad;
                set(lastPlane, index, 0.0);
            }
    };
    check(AV_SAMPLE_FMT_FLTP, 2, 4);
    check(AV_SAMPLE_FMT_FLT, 3, 4);
    check(AV_SAMPLE_FMT_DBL, 1, 8);
    check(AV_SAMPLE_FMT_DBLP, 2, 8);
}
