// The 10 ms peak measure on raw sample blocks of every encoding.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "media/frame_peaks.h"

using quelvo::blockPeak;
using quelvo::FramePeakMeter;
using quelvo::SampleEncoding;

namespace {

template <typename T> std::vector<uint8_t> bytesOf(const std::vector<T>& values) {
    std::vector<uint8_t> out(values.size() * sizeof(T));
    std::memcpy(out.data(), values.data(), out.size());
    return out;
}

template <typename T> std::vector<uint8_t> bigEndian(const std::vector<T>& values) {
    std::vector<uint8_t> out = bytesOf(values);
    for (size_t i = 0; i < out.size(); i += sizeof(T))
        for (size_t a = 0, b = sizeof(T) - 1; a < b; ++a, --b)
            std::swap(out[i + a], out[i + b]);
    return out;
}

float peakOf(SampleEncoding e, const std::vector<uint8_t>& bytes) {
    return blockPeak(e, bytes.data(), bytes.size() / quelvo::bytesPerSample(e));
}

} // namespace

TEST(BlockPeak, IntegerFormatsMeasureTheLargestMagnitudeEitherSign) {
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S16, bytesOf<int16_t>({100, -16384, 200})), 0.5f);
    // Full-scale negative does not overflow the type.
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S16, bytesOf<int16_t>({-32768, 5})), 1.0f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S16BE, bigEndian<int16_t>({3, 16384, -4})), 0.5f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S32, bytesOf<int32_t>({INT32_MIN / 4, 7})), 0.25f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S32BE, bigEndian<int32_t>({INT32_MIN, 7})), 1.0f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S64, bytesOf<int64_t>({INT64_MIN / 2})), 0.5f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::S8, bytesOf<int8_t>({-64, 10})), 0.5f);
    // Unsigned 8-bit is centred on 128.
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::U8, {128, 128, 192}), 0.5f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::U8, {0, 128}), 1.0f);
}

TEST(BlockPeak, Packed24BitSamplesAreSignExtended) {
    // -4194304 (half scale, negative) little-endian, then 1.
    const std::vector<uint8_t> le = {0x00, 0x00, 0xC0, 0x01, 0x00, 0x00};
    EXPECT_FLOAT_EQ(blockPeak(SampleEncoding::S24, le.data(), 2), 0.5f);
    const std::vector<uint8_t> be = {0xC0, 0x00, 0x00, 0x00, 0x00, 0x01};
    EXPECT_FLOAT_EQ(blockPeak(SampleEncoding::S24BE, be.data(), 2), 0.5f);
    const std::vector<uint8_t> positive = {0xFF, 0xFF, 0x7F};
    EXPECT_NEAR(blockPeak(SampleEncoding::S24, positive.data(), 1), 1.0f, 1e-6);
}

TEST(BlockPeak, FloatFormatsIgnoreNaNAndKeepOvers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F32, bytesOf<float>({0.1f, -0.25f, nan, 0.2f})), 0.25f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F32, bytesOf<float>({1.5f, -0.25f})), 1.5f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F32BE, bigEndian<float>({-0.75f, 0.5f})), 0.75f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F64, bytesOf<double>({-0.125, 0.0625})), 0.125f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F64BE, bigEndian<double>({0.5, -0.0})), 0.5f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F32, bytesOf<float>({nan, nan})), 0.0f);
    EXPECT_FLOAT_EQ(peakOf(SampleEncoding::F32, {}), 0.0f);
}

TEST(FramePeakMeter, SplitsAtTenMillisecondBoundariesWhateverTheBlockSizes) {
    std::vector<float> peaks;
    FramePeakMeter meter(1000, [&](float p) { peaks.push_back(p); }); // 10 samples a frame
    std::vector<int16_t> samples(35, 0);
    samples[9] = 16384;  // last sample of frame 0
    samples[10] = 8192;  // first sample of frame 1
    samples[34] = -4096; // in the short last frame
    const std::vector<uint8_t> bytes = bytesOf(samples);
    // Blocks of 7 samples straddle the frame edges.
    for (size_t at = 0; at < samples.size(); at += 7) {
        const size_t n = std::min<size_t>(7, samples.size() - at);
        meter.addInterleaved(SampleEncoding::S16, bytes.data() + at * 2, static_cast<int64_t>(n),
                             1);
    }
    meter.finish();
    ASSERT_EQ(peaks.size(), 4u);
    EXPECT_FLOAT_EQ(peaks[0], 0.5f);
    EXPECT_FLOAT_EQ(peaks[1], 0.25f);
    EXPECT_FLOAT_EQ(peaks[2], 0.0f);
    EXPECT_FLOAT_EQ(peaks[3], 0.125f);
    EXPECT_EQ(meter.sampleFrames(), 35);
    meter.finish(); // nothing left to report
    EXPECT_EQ(peaks.size(), 4u);
}

TEST(FramePeakMeter, FractionalFrameLengthsKeepFrameStartsOnTheHundredthOfASecond) {
    // 22050 Hz: frames alternate 220 and 221 samples; 100 frames are exactly one second.
    int frames = 0;
    FramePeakMeter meter(22050, [&](float) { ++frames; });
    std::vector<int16_t> second(22050, 0);
    meter.addInterleaved(SampleEncoding::S16, bytesOf(second).data(), 22050, 1);
    EXPECT_EQ(frames, 100);
    meter.finish();
    EXPECT_EQ(frames, 100);
}

TEST(FramePeakMeter, TakesEveryChannelWithoutMixing) {
    std::vector<float> peaks;
    FramePeakMeter meter(100, [&](float p) { peaks.push_back(p); }); // one sample a frame
    // Interleaved stereo: the loud sample is on the right channel only.
    const std::vector<uint8_t> interleaved = bytesOf<float>({0.0f, 0.5f, 0.25f, 0.0f});
    meter.addInterleaved(SampleEncoding::F32, interleaved.data(), 2, 2);
    // Planar stereo.
    const std::vector<uint8_t> left = bytesOf<float>({0.1f, 0.0f});
    const std::vector<uint8_t> right = bytesOf<float>({0.0f, -0.7f});
    const uint8_t* planes[] = {left.data(), right.data()};
    meter.addPlanar(SampleEncoding::F32, planes, 2, 2);
    ASSERT_EQ(peaks.size(), 4u);
    EXPECT_FLOAT_EQ(peaks[0], 0.5f);
    EXPECT_FLOAT_EQ(peaks[1], 0.25f);
    EXPECT_FLOAT_EQ(peaks[2], 0.1f);
    EXPECT_FLOAT_EQ(peaks[3], 0.7f);
}
