#pragma once
// Synthetic test signals written as WAV files: bursts at known levels and
// times, optionally over a noise bed, in any PCM sample format.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quelvo::test {

enum class WavFormat { U8, S16, S24, S32, F32, F64 };

struct Burst {
    double start = 0; // seconds
    double end = 0;
    double peakDb = -6; // dBFS
    // Which channels carry it (bit c = channel c); all by default.
    unsigned channels = ~0u;
};

struct Signal {
    int sampleRate = 48000;
    int channels = 1;
    double duration = 3.0;
    std::vector<Burst> bursts;
    // A noise bed under everything: uniform white noise with this peak, or none.
    double noisePeakDb = -1000;

    // Samples as floats, interleaved. Bursts alternate +peak and -peak each
    // sample, so every 10 ms frame inside a burst measures exactly its peak.
    std::vector<float> render() const;
};

// Writes the signal as a WAV file (IEEE float for F32/F64, PCM otherwise).
void writeWav(const std::filesystem::path& path, const Signal& signal, WavFormat format);

} // namespace quelvo::test
