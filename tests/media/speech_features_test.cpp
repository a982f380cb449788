// The automatic detection's per-frame features on generated signals: the
// speech-band level ignores hum, digital silence is the silence level, a
// voice-like harmonic tone is voiced and noise is not, the loudest channel
// carries the voicing, and interleaved and planar blocks measure alike.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "media/speech_features.h"

using quelvo::SampleEncoding;
using quelvo::SpeechFeatureMeter;
using quelvo::SpeechFeatures;

namespace {

constexpr int kRate = 48000;
constexpr double kPi = 3.14159265358979323846;

// One second of each: silence, a 150 Hz voice-like tone (harmonics falling
// 6 dB per octave), white noise, 50 Hz mains hum; all with peaks near -6 dBFS.
std::vector<float> testSignal() {
    std::vector<float> x(static_cast<size_t>(4 * kRate), 0.0f);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    for (int i = 0; i < kRate; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double tone = 0;
        for (int h = 1; h <= 12; ++h)
            tone += std::sin(2 * kPi * 150 * h * t) / h;
        x[static_cast<size_t>(kRate + i)] = static_cast<float>(0.25 * tone);
        x[static_cast<size_t>(2 * kRate + i)] = uniform(random);
        x[static_cast<size_t>(3 * kRate + i)] =
            static_cast<float>(0.5 * std::sin(2 * kPi * 50 * t));
    }
    return x;
}

SpeechFeatures measureInterleaved(const std::vector<float>& interleaved, int channels,
                                  size_t block) {
    SpeechFeatureMeter meter;
    meter.start(kRate);
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    for (size_t at = 0; at < frames; at += block) {
        const size_t n = std::min(block, frames - at);
        meter.interleaved(SampleEncoding::F32,
                          reinterpret_cast<const uint8_t*>(interleaved.data() +
                                                           at * static_cast<size_t>(channels)),
                          static_cast<int64_t>(n), channels);
    }
    return meter.finish();
}

// Middle frames of second s (away from its edges and the filters' settling).
template <typename F> void forMiddleFrames(int second, F f) {
    for (int k = second * 100 + 10; k < second * 100 + 90; ++k)
        f(static_cast<size_t>(k));
}

} // namespace

TEST(SpeechFeatures, LevelIgnoresHumAndVoicingTellsAVoiceFromNoise) {
    const SpeechFeatures f = measureInterleaved(testSignal(), 1, 1152);
    ASSERT_EQ(f.level.size(), 400u);
    ASSERT_EQ(f.voicing.size(), 400u);
    forMiddleFrames(0, [&](size_t k) { EXPECT_EQ(f.level[k], quelvo::kFeatureSilenceDb) << k; });
    forMiddleFrames(1, [&](size_t k) {
        EXPECT_GT(f.level[k], -12.0f) << k;
        EXPECT_GT(f.voicing[k], 0.9f) << k;
    });
    int voicedNoise = 0;
    forMiddleFrames(2, [&](size_t k) {
        EXPECT_GT(f.level[k], -20.0f)
            << k; // white noise keeps about a sixth of its power in the band
        if (f.voicing[k] >= 0.65f) ++voicedNoise;
    });
    EXPECT_LE(voicedNoise, 4);
    // Two 200 Hz high-passes leave 50 Hz some 48 dB down from its -6 dBFS.
    forMiddleFrames(3, [&](size_t k) { EXPECT_LT(f.level[k], -45.0f) << k; });
}

TEST(SpeechFeatures, TheLoudestChannelCarriesTheVoiceAndBlockShapesDoNotMatter) {
    const std::vector<float> mono = testSignal();
    // Stereo: the voice on the right only, faint noise on the left.
    std::vector<float> stereo(mono.size() * 2);
    std::vector<float> left(mono.size()), right(mono);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> faint(-0.001f, 0.001f);
    for (size_t i = 0; i < mono.size(); ++i) {
        left[i] = faint(random);
        stereo[2 * i] = left[i];
        stereo[2 * i + 1] = right[i];
    }
    const SpeechFeatures a = measureInterleaved(stereo, 2, 1024);
    forMiddleFrames(1, [&](size_t k) { EXPECT_GT(a.voicing[k], 0.9f) << k; });

    const SpeechFeatures b = measureInterleaved(stereo, 2, 441);
    SpeechFeatureMeter meter;
    meter.start(kRate);
    for (size_t at = 0; at < mono.size(); at += 4096) {
        const size_t n = std::min<size_t>(4096, mono.size() - at);
        const uint8_t* planes[2] = {reinterpret_cast<const uint8_t*>(left.data() + at),
                                    reinterpret_cast<const uint8_t*>(right.data() + at)};
        meter.planar(SampleEncoding::F32, planes, 2, static_cast<int64_t>(n));
    }
    const SpeechFeatures c = meter.finish();
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.voicing, b.voicing);
    EXPECT_EQ(a.level, c.level);
    EXPECT_EQ(a.voicing, c.voicing);
}

TEST(SpeechFeatures, OddRatesShortFilesAndBrokenSamplesStayFinite) {
    for (const int rate : {100, 8000, 11025, 22050, 44100, 96000}) {
        SCOPED_TRACE(rate);
        std::vector<float> x(static_cast<size_t>(rate) / 5 + 7); // 0.2 s and a bit
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = (i % 2 ? 1.0f : -1.0f); // clipped at full scale
        x[3] = std::nanf("");
        x[4] = INFINITY;
        SpeechFeatureMeter meter;
        meter.start(rate);
        meter.interleaved(SampleEncoding::F32, reinterpret_cast<const uint8_t*>(x.data()),
                          static_cast<int64_t>(x.size()), 1);
        const SpeechFeatures f = meter.finish();
        // Every frame, the last shorter one too.
        EXPECT_EQ(f.level.size(),
                  (x.size() * 100 + static_cast<size_t>(rate) - 1) / static_cast<size_t>(rate));
        for (size_t k = 0; k < f.level.size(); ++k) {
            EXPECT_TRUE(std::isfinite(f.level[k])) << k;
            EXPECT_TRUE(std::isfinite(f.voicing[k])) << k;
            EXPECT_LE(f.voicing[k], 1.0f);
        }
    }
}
