#pragma once
// The speech-feature meter's filters: up to four channels side by side in one
// vector, through 2nd-order sections.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace quelvo {

inline constexpr double kPi = 3.14159265358979323846;

// Up to four channels are filtered side by side in one vector: a stereo file
// costs what a mono one does, which matters because the filters' feedback
// makes each channel a chain of dependent operations.
using Lanes = float __attribute__((vector_size(16)));
using LaneBits = int32_t __attribute__((vector_size(16)));
constexpr int kLanes = 4;

inline Lanes absolute(Lanes v) {
    LaneBits bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits &= 0x7fffffff;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

inline Lanes larger(Lanes a, Lanes b) {
#if defined(__clang__)
    return __builtin_elementwise_max(a, b);
#else
    return a > b ? a : b;
#endif
}

// Memories decaying towards zero in silence turn into denormal numbers,
// which are very slow on most processors; below any audible level they are
// zero. Called once a frame.
inline void flushDenormals(Lanes& v) {
    for (int i = 0; i < kLanes; ++i)
        if (std::fabs(v[i]) < 1e-15f) v[i] = 0;
}

// A 2nd-order Butterworth section (bilinear transform).
struct Biquad {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;

    static Biquad make(bool highPass, double frequency, double rate) {
        // Kept inside (0, 0.45 x rate) so the section stays stable for any rate.
        frequency = std::clamp(frequency, 1e-3 * rate, 0.45 * rate);
        const double w0 = 2 * kPi * frequency / rate;
        const double cosW = std::cos(w0);
        const double alpha = std::sin(w0) / (2 * std::sqrt(0.5));
        const double a0 = 1 + alpha;
        Biquad f;
        const double edge = highPass ? (1 + cosW) / 2 : (1 - cosW) / 2;
        f.b0 = static_cast<float>(edge / a0);
        f.b1 = static_cast<float>((highPass ? -2 * edge : 2 * edge) / a0);
        f.b2 = f.b0;
        f.a1 = static_cast<float>(-2 * cosW / a0);
        f.a2 = static_cast<float>((1 - alpha) / a0);
        return f;
    }
};

// Transposed direct form.
struct BiquadMemory {
    Lanes z1{}, z2{};
    Lanes run(const Biquad& f, Lanes x) {
        const Lanes y = f.b0 * x + z1;
        z1 = f.b1 * x - f.a1 * y + z2;
        z2 = f.b2 * x - f.a2 * y;
        return y;
    }
    void flush() {
        flushDenormals(z1);
        flushDenormals(z2);
    }
};

} // namespace quelvo
