#pragma once
// Samples of any of the decoder's encodings as floats (1.0 = full scale), for
// the speech-feature meter.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/frame_peaks.h"

namespace quelvo {

// A value of type T from bytes that may not be aligned for it.
template <typename T> T loadUnaligned(const uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// A float sample that is not a number, or absurdly large, would poison the
// filters' memories for the rest of the file; it counts as silence.
inline float sane(double v) {
    return std::fabs(v) <= 1e6 ? static_cast<float>(v) : 0.0f;
}
inline float sane(float v) {
    return std::fabs(v) <= 1e6f ? v : 0.0f;
}

// `count` samples of one channel, `strideBytes` apart, as floats (1.0 = full scale).
void toFloat(SampleEncoding encoding, const uint8_t* data, size_t strideBytes, size_t count,
             float* out);

} // namespace quelvo
