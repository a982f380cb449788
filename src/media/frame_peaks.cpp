#include "media/frame_peaks.h"

#include <algorithm>
#include <cstring>

#include "media/sample_conversion.h"

namespace quelvo {

namespace {

inline uint16_t swap(uint16_t v) {
    return __builtin_bswap16(v);
}
inline uint32_t swap(uint32_t v) {
    return __builtin_bswap32(v);
}
inline uint64_t swap(uint64_t v) {
    return __builtin_bswap64(v);
}

// Smallest and largest value of an integer block, kept in the native type;
// the absolute peak follows from both (|INT_MIN| does not fit the type). The
// work is done in fixed groups of lanes with independent running extremes, a
// shape the compiler turns into vector instructions at the usual -O2.
template <typename S, typename U, bool bigEndian> inline S decodeInteger(const uint8_t* p) {
    U bits = loadUnaligned<U>(p);
    if constexpr (bigEndian) bits = swap(bits);
    return static_cast<S>(bits);
}

template <typename S, typename U, bool bigEndian>
double integerPeak(const uint8_t* data, size_t count, double fullScale) {
    constexpr size_t kLanes = 64 / sizeof(S);
    S lo[kLanes] = {}, hi[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (size_t j = 0; j < kLanes; ++j) {
            const S v = decodeInteger<S, U, bigEndian>(data + (i + j) * sizeof(U));
            lo[j] = v < lo[j] ? v : lo[j];
            hi[j] = v > hi[j] ? v : hi[j];
        }
    }
    S low = 0, high = 0;
    for (size_t j = 0; j < kLanes; ++j) {
        low = std::min(low, lo[j]);
        high = std::max(high, hi[j]);
    }
    for (; i < count; ++i) {
        const S v = decodeInteger<S, U, bigEndian>(data + i * sizeof(U));
        low = std::min(low, v);
        high = std::max(high, v);
    }
    return std::max(static_cast<double>(high), -static_cast<double>(low)) / fullScale;
}

// For IEEE floats the bit pattern without its sign orders like the absolute
// value, so the peak is an integer maximum; patterns above infinity are NaNs
// and are skipped.
template <typename U, bool bigEndian> inline U magnitudeBits(const uint8_t* p) {
    constexpr U signMask = U(1) << (sizeof(U) * 8 - 1);
    constexpr U infinity = sizeof(U) == 4 ? U(0x7F800000u) : U(0x7FF0000000000000ull);
    U bits = loadUnaligned<U>(p);
    if constexpr (bigEndian) bits = swap(bits);
    bits &= ~signMask;
    return bits > infinity ? U(0) : bits;
}

template <typename F, typename U, bool bigEndian>
double floatPeak(const uint8_t* data, size_t count) {
    constexpr size_t kLanes = 64 / sizeof(U);
    U lanes[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (size_t j = 0; j < kLanes; ++j) {
            const U bits = magnitudeBits<U, bigEndian>(data + (i + j) * sizeof(U));
            lanes[j] = bits > lanes[j] ? bits : lanes[j];
        }
    }
    U best = 0;
    for (size_t j = 0; j < kLanes; ++j)
        best = std::max(best, lanes[j]);
    for (; i < count; ++i)
        best = std::max(best, magnitudeBits<U, bigEndian>(data + i * sizeof(U)));
    F value;
    std::memcpy(&value, &best, sizeof value);
    return static_cast<double>(value);
}

template <bool bigEndian> double packed24Peak(const uint8_t* data, size_t count) {
    int32_t lo = 0, hi = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + 3 * i;
        const uint32_t b0 = bigEndian ? p[2] : p[0];
        const uint32_t b1 = p[1];
        const uint32_t b2 = bigEndian ? p[0] : p[2];
        // Place the 24 bits at the top of an int32 and shift back to sign-extend.
        const int32_t v = static_cast<int32_t>((b0 << 8) | (b1 << 16) | (b2 << 24)) >> 8;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    return std::max(static_cast<double>(hi), -static_cast<double>(lo)) / 8388608.0;
}

double unsigned8Peak(const uint8_t* data, size_t count) {
    uint8_t lo = 128, hi = 128;
    for (size_t i = 0; i < count; ++i) {
        lo = data[i] < lo ? data[i] : lo;
        hi = data[i] > hi ? data[i] : hi;
    }
    return std::max(hi - 128, 128 - lo) / 128.0;
}

} // namespace

size_t bytesPerSample(SampleEncoding encoding) {
    switch (encoding) {
    case SampleEncoding::U8:
    case SampleEncoding::S8:
        return 1;
    case SampleEncoding::S16:
    case SampleEncoding::S16BE:
        return 2;
    case SampleEncoding::S24:
    case SampleEncoding::S24BE:
        return 3;
    case SampleEncoding::S32:
    case SampleEncoding::S32BE:
    case SampleEncoding::F32:
    case SampleEncoding::F32BE:
        return 4;
    case SampleEncoding::S64:
    case SampleEncoding::F64:
    case SampleEncoding::F64BE:
        return 8;
    }
    return 1;
}

float blockPeak(SampleEncoding encoding, const uint8_t* data, size_t count) {
    double peak = 0;
    switch (encoding) {
    case SampleEncoding::U8:
        peak = unsigned8Peak(data, count);
        break;
    case SampleEncoding::S8:
        peak = integerPeak<int8_t, uint8_t, false>(data, count, 128.0);
        break;
    case SampleEncoding::S16:
        peak = integerPeak<int16_t, uint16_t, false>(data, count, 32768.0);
        break;
    case SampleEncoding::S16BE:
        peak = integerPeak<int16_t, uint16_t, true>(data, count, 32768.0);
        break;
    case SampleEncoding::S24:
        peak = packed24Peak<false>(data, count);
        break;
    case SampleEncoding::S24BE:
        peak = packed24Peak<true>(data, count);
        break;
    case SampleEncoding::S32:
        peak = integerPeak<int32_t, uint32_t, false>(data, count, 2147483648.0);
        break;
    case SampleEncoding::S32BE:
        peak = integerPeak<int32_t, uint32_t, true>(data, count, 2147483648.0);
        break;
    case SampleEncoding::S64:
        peak = integerPeak<int64_t, uint64_t, false>(data, count, 9223372036854775808.0);
        break;
    case SampleEncoding::F32:
        peak = floatPeak<float, uint32_t, false>(data, count);
        break;
    case SampleEncoding::F32BE:
        peak = floatPeak<float, uint32_t, true>(data, count);
        break;
    case SampleEncoding::F64:
        peak = floatPeak<double, uint64_t, false>(data, count);
        break;
    case SampleEncoding::F64BE:
        peak = floatPeak<double, uint64_t, true>(data, count);
        break;
    }
    return static_cast<float>(peak);
}

FramePeakMeter::FramePeakMeter(int sampleRate, Sink sink, SampleBlockObserver* observer)
    : m_rate(sampleRate > 0 ? sampleRate : 1), m_sink(std::move(sink)), m_observer(observer) {
    if (m_observer) m_observer->start(m_rate);
    m_frameEnd = static_cast<int64_t>(m_rate) / kLevelFramesPerSecond;
    // Below 100 Hz a frame would hold no sample; every sample is then a frame.
    if (m_frameEnd == 0) m_frameEnd = 1;
}

FramePeakMeter::FramePeakMeter(int sampleRate, int64_t firstFrame, Sink sink,
                               SampleBlockObserver* observer)
    : FramePeakMeter(sampleRate, std::move(sink), observer) {
    if (firstFrame <= 0 || m_rate < kLevelFramesPerSecond) return;
    m_frameIndex = firstFrame;
    m_samples = firstFrame * m_rate / kLevelFramesPerSecond;
    m_frameEnd = (firstFrame + 1) * m_rate / kLevelFramesPerSecond;
}

void FramePeakMeter::advance(int64_t count, float peak) {
    m_framePeak = std::max(m_framePeak, peak);
    m_samples += count;
    while (m_samples >= m_frameEnd) {
        if (m_sink) m_sink(m_framePeak);
        m_framePeak = 0;
        ++m_frameIndex;
        const int64_t next = (m_frameIndex + 1) * m_rate / kLevelFramesPerSecond;
        m_frameEnd = std::max(next, m_frameEnd + 1);
    }
}

void FramePeakMeter::addInterleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames,
                                    int channels) {
    if (channels <= 0) return;
    if (m_observer && frames > 0) m_observer->interleaved(encoding, data, frames, channels);
    const size_t stride = bytesPerSample(encoding) * static_cast<size_t>(channels);
    while (frames > 0) {
        const int64_t take = std::min(frames, samplesLeftInFrame());
        const float peak =
            m_sink ? blockPeak(encoding, data, static_cast<size_t>(take) * channels) : 0.0f;
        data += static_cast<size_t>(take) * stride;
        frames -= take;
        advance(take, peak);
    }
}

void FramePeakMeter::addPlanar(SampleEncoding encoding, const uint8_t* const* planes, int channels,
                               int64_t frames) {
    if (m_observer && frames > 0 && channels > 0)
        m_observer->planar(encoding, planes, channels, frames);
    const size_t width = bytesPerSample(encoding);
    int64_t offset = 0;
    while (offset < frames) {
        const int64_t take = std::min(frames - offset, samplesLeftInFrame());
        float peak = 0;
        for (int c = 0; c < channels && m_sink; ++c)
            peak = std::max(
                peak, blockPeak(encoding, planes[c] + offset * width, static_cast<size_t>(take)));
        offset += take;
        advance(take, peak);
    }
}

void FramePeakMeter::finish() {
    const int64_t frameStart = m_frameIndex * m_rate / kLevelFramesPerSecond;
    if (m_samples > frameStart) {
        if (m_sink) m_sink(m_framePeak);
        m_framePeak = 0;
        ++m_frameIndex;
        m_frameEnd = m_samples + 1;
    }
}

} // namespace quelvo
