// The meter against known signals, the depth rule's limits, and the filler
// clips at their places with the project's fade.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "media/pcm_stream.h"
#include "mix/loudness_depth.h"
#include "mix/mixer.h"
#include "project/filler_clips.h"
#include "signal/loudness.h"
#include "signal/true_peak.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace mix = quelvo::mix;

TEST(Loudness, AFullScaleSineAndItsIntervalsMeasureAsBs1770Says) {
    TempDir dir;
    const std::string tone = (dir / "tone.wav").string();
    // 1 kHz at -20 dBFS peak in both channels: -20 - 3.01 + 3.01 (two channels) LUFS.
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "2", "-b", "24", tone, "synth", "10", "sine", "1000",
                   "gain", "-20"}),
              0);
    const quelvo::FileLoudness whole = quelvo::measureFileLoudness(tone);
    ASSERT_TRUE(whole.status) << whole.status.message();
    ASSERT_TRUE(whole.figures.integrated);
    EXPECT_NEAR(*whole.figures.integrated, -20.0, 0.1);
    EXPECT_NEAR(*whole.figures.truePeak, -20.0, 0.1);
    EXPECT_NEAR(*whole.figures.range, 0.0, 0.1);
    // Only the intervals are heard: the same tone, even over 1.5 s of it.
    const quelvo::ClusterList intervals{{1.0, 1.5}, {4.0, 5.0}};
    const quelvo::FileLoudness part = quelvo::measureFileLoudness(tone, &intervals);
    ASSERT_TRUE(part.figures.integrated);
    EXPECT_NEAR(*part.figures.integrated, -20.0, 0.1);
    // Each interval on its own, one shorter than a 400 ms block among them.
    const quelvo::IntervalLoudness each =
        quelvo::measureIntervalLoudness(tone, {{1.0, 1.25}, {4.0, 5.0}});
    ASSERT_EQ(each.perInterval.size(), 2u);
    for (const auto& l : each.perInterval)
        EXPECT_NEAR(l.value_or(0), -20.0, 0.1);
    // Decoded ahead on a second thread: the very same figures.
    const quelvo::FileLoudness ahead = quelvo::measureFileLoudness(tone, nullptr, 1 | 2 | 4, {2});
    EXPECT_EQ(ahead.figures.integrated, whole.figures.integrated);
    EXPECT_EQ(ahead.figures.range, whole.figures.range);
    EXPECT_EQ(ahead.figures.truePeak, whole.figures.truePeak);
    // Digital silence has no loudness, and says so instead of -inf.
    const std::string silence = (dir / "silence.wav").string();
    ASSERT_EQ(sox({"-n", "-r", "44100", "-c", "1", silence, "trim", "0", "2"}), 0);
    EXPECT_FALSE(quelvo::measureFileLoudness(silence).figures.integrated);
    EXPECT_FALSE(quelvo::measureFileLoudness((dir / "missing.wav").string()).status);
}

TEST(DepthByLoudness, TheGainIsClampedNeverAboveTheOverallLevelAndWhole) {
    EXPECT_EQ(mix::levelForDistance(-20, -15, 18, 0), -23);
    EXPECT_EQ(mix::levelForDistance(-20, -15.4, 18, 0), -23); // -22.6 rounds to -23
    EXPECT_EQ(mix::levelForDistance(-20, -45, 18, 0), 0);     // already quiet enough
    EXPECT_EQ(mix::levelForDistance(-20, -45, 18, -6), -6);   // never above the overall level
    EXPECT_EQ(mix::levelForDistance(-60, 0, 20, 0), -60);     // no deeper than -60
    const quelvo::EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
    const auto parts = mix::duckedParts({{1.0, 4.0}, {6.0, 6.4}}, rolls);
    EXPECT_DOUBLE_EQ(parts[0].start, 1.3);
    EXPECT_DOUBLE_EQ(parts[0].end, 3.7);
    EXPECT_NEAR(parts[1].start, 6.15, 1e-9); // fades overlap: the middle 100 ms
    EXPECT_NEAR(parts[1].end, 6.25, 1e-9);
}

TEST(DepthByLoudness, SpansAreMeasuredAsTheyPlayThroughTheEnvelope) {
    TempDir dir;
    const std::string tone = (dir / "tone.wav").string();
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "1", "-b", "24", tone, "synth", "12", "sine", "1000",
                   "gain", "-10"}),
              0);
    // -10 dBFS peak mono: -13 LUFS; ducked by 17 dB between 4.3 and 7.7 s.
    const quelvo::VolumeKeyframeList keyframes{{4.0, 0}, {4.3, -17}, {7.7, -17}, {8.0, 0}};
    const mix::SpanLoudness s =
        mix::loudnessPerSpan(tone, {}, keyframes, 0.0, {{1.0, 3.5}, {4.3, 7.7}, {9.0, 9.5}});
    ASSERT_TRUE(s.status) << s.status.message();
    ASSERT_EQ(s.perSpan.size(), 3u);
    EXPECT_NEAR(*s.perSpan[0], -13.0, 0.1);
    EXPECT_NEAR(*s.perSpan[1], -30.0, 0.1);
    EXPECT_NEAR(*s.perSpan[2], -13.0, 0.1);
}

TEST(DepthByLoudness, EachIntervalAgainstItsOwnSpeechWhateverTheDialoguesFormat) {
    TempDir dir;
    const auto path = [&dir](const char* name) { return (dir / name).string(); };
    // A close and a far voice, 20 dB apart, then the same dialogue as 8 kHz
    // mono; a stereo 44.1 kHz bed of noise under both.
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "2", path("close.wav"), "synth", "3", "sine", "1000",
                   "gain", "-6", "pad", "1", "1"}),
              0);
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "2", path("far.wav"), "synth", "3", "sine", "1000",
                   "gain", "-26", "pad", "0", "1"}),
              0);
    ASSERT_EQ(sox({path("close.wav"), path("far.wav"), path("d48.wav")}), 0);
    ASSERT_EQ(sox({path("d48.wav"), "-r", "8000", "-c", "1", path("d8.wav")}), 0);
    ASSERT_EQ(sox({"-n", "-r", "44100", "-c", "2", path("bed.wav"), "synth", "10", "pinknoise",
                   "gain", "-10"}),
              0);
    const quelvo::ClusterList speech{{1.0, 4.0}, {5.0, 8.0}};
    const quelvo::EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
    mix::LoudnessDepths d48 =
        mix::loudnessDepths(path("d48.wav"), path("bed.wav"), speech, rolls, 18, -12, 0);
    mix::LoudnessDepths d8 =
        mix::loudnessDepths(path("d8.wav"), path("bed.wav"), speech, rolls, 18, -12, 0, {2});
    ASSERT_TRUE(d48.status && d8.status) << d48.status.message() << d8.status.message();
    // The music is measured as it is, whatever the dialogue, and as ffmpeg does.
    ASSERT_TRUE(d48.musicLoudness && d8.musicLoudness);
    EXPECT_DOUBLE_EQ(*d48.musicLoudness, *d8.musicLoudness);
    const CommandResult ff =
        runProgram({"/usr/bin/ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-i",
                    path("bed.wav"), "-af", "ebur128=framelog=verbose", "-f", "null", "-"});
    const size_t at = ff.err.rfind("I:");
    ASSERT_NE(at, std::string::npos) << ff.err;
    EXPECT_NEAR(*d48.musicLoudness, std::stod(ff.err.substr(at + 2)), 0.5);
    // The far voice gets music 20 dB lower than the close one, not the same.
    ASSERT_EQ(d48.levels.size(), 2u);
    EXPECT_NEAR(d48.levels[0] - d48.levels[1], 20, 1);
    EXPECT_LT(d48.levels[0], 0);
    // The copies differ only as their dialogue figures do.
    const double shift = *d48.dialogueLoudness - *d8.dialogueLoudness;
    EXPECT_NEAR(shift, 3.0, 0.2); // one channel of two
    for (size_t k = 0; k < 2; ++k)
        EXPECT_NEAR(d48.levels[k] - d8.levels[k], shift, 1.0) << k;
}

TEST(FillerClips, PlacedInTheMusicsSilencesInTenthsAndFadedOut) {
    const auto clips =
        mix::fillerClipsFor({{0.0, 8.04}, {10.0, 19.1}, {21.9, 32.0}, {40.0, 50.0}}, 0);
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_EQ(clips[0], (mix::FillerClip{8.0, 1.9}));
    // 21.9 - 19.1 is 2.7999999999999998: the projects write 28/10s, and so
    // does every other user of the one placement.
    EXPECT_EQ(clips[1], (mix::FillerClip{19.1, 2.8}));
    EXPECT_EQ(quelvo::placeFillers({{0.0, 19.1}, {21.9, 32.0}}, 0),
              (std::vector<quelvo::FillerPlacement>{{191, 28}}));
    // Never longer than the filler itself.
    EXPECT_EQ(clips[2], (mix::FillerClip{32.0, 8.0}));
    EXPECT_EQ(mix::fillerClipsFor({{0.0, 32.0}, {40.0, 50.0}}, 6.25)[0],
              (mix::FillerClip{32.0, 6.2}));
    const mix::FillerClip longClip{0.0, 12.0};
    EXPECT_DOUBLE_EQ(mix::fillerFadeGain(longClip, 6.9), 1.0);
    EXPECT_DOUBLE_EQ(mix::fillerFadeGain(longClip, 9.5), 0.75); // half way: 1 - 0.5^2
    EXPECT_DOUBLE_EQ(mix::fillerFadeGain(longClip, 12.0), 0.0);
    // A clip shorter than the fade fades over all of it.
    EXPECT_DOUBLE_EQ(mix::fillerFadeGain({0.0, 2.0}, 1.0), 0.75);
}

TEST(FillerClips, TheStemCarriesTheFillerOnlyWhereTheProjectPlacesIt) {
    TempDir dir;
    const std::string voice = (dir / "voice.wav").string(), bed = (dir / "bed.wav").string(),
                      filler = (dir / "filler.wav").string();
    ASSERT_EQ(sox({"-n", "-r", "16000", "-c", "1", "-b", "16", voice, "trim", "0", "10"}), 0);
    // Music for 3 s, silent for 4 s, music again; the filler is a steady tone.
    ASSERT_EQ(sox({"-n", "-r", "16000", "-c", "1", "-b", "16", bed, "synth", "3", "sine", "500",
                   "pad", "0", "4"}),
              0);
    ASSERT_EQ(sox({bed, bed, (dir / "bed2.wav").string()}), 0);
    ASSERT_EQ(sox({"-n", "-r", "16000", "-c", "1", "-b", "16", filler, "synth", "20", "sine", "800",
                   "gain", "-6"}),
              0);
    mix::MixInputs inputs;
    inputs.dialoguePath = voice;
    inputs.musicPath = (dir / "bed2.wav").string();
    inputs.fillerPath = filler;
    inputs.fillers = {{3.0, 4.0}};
    mix::RenderRequest request;
    request.outputPath = (dir / "mix.wav").string();
    request.stemPath = (dir / "mix_music.wav").string();
    ASSERT_TRUE(mix::renderMix(inputs, request).status);
    quelvo::Status status = quelvo::Status::success();
    auto stem = quelvo::PcmStream::open(request.stemPath, {}, status);
    ASSERT_TRUE(stem);
    std::vector<double> samples(16000 * 14);
    double* plane = samples.data();
    const int got = stem->read(&plane, static_cast<int>(samples.size()));
    ASSERT_GE(got, 16000 * 13);
    const auto peak = [&](double from, double to) {
        double p = 0;
        for (int i = static_cast<int>(from * 16000); i < static_cast<int>(to * 16000); ++i)
            p = std::max(p, std::abs(samples[i]));
        return p;
    };
    EXPECT_NEAR(peak(3.05, 3.95), 0.5, 0.01);        // the filler at full level before its fade
    EXPECT_NEAR(peak(4.95, 5.05), 0.5 * 0.75, 0.02); // half way through the 4 s fade
    EXPECT_LT(peak(6.99, 7.0), 0.01);                // faded out at the clip's end
    EXPECT_LT(peak(10.05, 10.95), 1e-4);             // the second silence has no clip here
}

TEST(TruePeak, FindsThePeakBetweenSamplesWhereItCouldReachTheCeiling) {
    // A quarter-rate sine sampled at 45 degrees: every sample at 0.707 of the
    // peak between them.
    const auto sine = [](double amplitude) {
        std::vector<double> x(4800);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = amplitude * std::sin(M_PI / 2 * i + M_PI / 4);
        return x;
    };
    std::vector<double> loud = sine(1.2);
    const double* plane = loud.data();
    quelvo::TruePeakMeter meter(1);
    for (int block = 0; block < 4800; block += 1000) {
        const double* at = plane + block;
        meter.add(&at, std::min(1000, 4800 - block));
    }
    // Within 0.1 dB, and never under: over-reading only lowers a mix a hair early.
    EXPECT_GE(meter.peak(), 1.2 * 0.999);
    EXPECT_LE(meter.peak(), 1.2 * 1.012);
    // Quiet passages are measured as exactly as loud ones, and a loud run
    // after a quieter one still raises the peak: skipping runs that cannot
    // beat the peak so far changes nothing.
    std::vector<double> quiet = sine(0.5);
    quiet.resize(9600, 0.0);
    for (size_t i = 4800; i < 9600; ++i)
        quiet[i] = 0.6 * std::sin(M_PI / 2 * i + M_PI / 4);
    const double* q = quiet.data();
    quelvo::TruePeakMeter low(1);
    low.add(&q, 4800);
    EXPECT_GE(low.peak(), 0.5 * 0.999);
    EXPECT_LE(low.peak(), 0.5 * 1.012);
    const double* later = q + 4800;
    low.add(&later, 4800);
    EXPECT_GE(low.peak(), 0.6 * 0.99); // within 0.1 dB
    EXPECT_LE(low.peak(), 0.6 * 1.012);
}
