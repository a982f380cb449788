#include "synth_audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace quelvo::test {

namespace {

void put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

int bytesOf(WavFormat format) {
    switch (format) {
    case WavFormat::U8:
        return 1;
    case WavFormat::S16:
        return 2;
    case WavFormat::S24:
        return 3;
    case WavFormat::S32:
    case WavFormat::F32:
        return 4;
    case WavFormat::F64:
        return 8;
    }
    return 2;
}

void putSample(std::string& out, float v, WavFormat format) {
    const double x = std::clamp(static_cast<double>(v), -1.0, 1.0);
    switch (format) {
    case WavFormat::U8:
        put(out, static_cast<uint8_t>(std::lround(128 + x * 127)), 1);
        break;
    case WavFormat::S16:
        put(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(x * 32767))), 2);
        break;
    case WavFormat::S24:
        put(out, static_cast<uint32_t>(static_cast<int32_t>(std::lround(x * 8388607))), 3);
        break;
    case WavFormat::S32:
        put(out, static_cast<uint32_t>(static_cast<int32_t>(std::llround(x * 2147483647.0))), 4);
        break;
    case WavFormat::F32: {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        put(out, bits, 4);
        break;
    }
    case WavFormat::F64: {
        const double d = v;
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        put(out, bits, 8);
        break;
    }
    }
}

} // namespace

std::vector<float> Signal::render() const {
    const int64_t frames = static_cast<int64_t>(std::llround(duration * sampleRate));
    std::vector<float> samples(static_cast<size_t>(frames * channels), 0.0f);
    // A fixed generator, so every run makes the same file.
    uint32_t state = 12345;
    const double noisePeak = std::pow(10.0, noisePeakDb / 20);
    for (int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            double v = 0;
            if (noisePeakDb > -200) {
                state = state * 1664525u + 1013904223u;
                v = noisePeak * (static_cast<double>(state) / 4294967295.0 * 2 - 1);
            }
            for (const Burst& b : bursts) {
                const int64_t first = std::llround(b.start * sampleRate);
                const int64_t last = std::llround(b.end * sampleRate);
                if (i >= first && i < last && (b.channels >> c) & 1u) {
                    const double peak = std::pow(10.0, b.peakDb / 20);
                    v = (i % 2 == 0) ? peak : -peak;
                }
            }
            samples[static_cast<size_t>(i * channels + c)] = static_cast<float>(v);
        }
    }
    return samples;
}

void writeWav(const std::filesystem::path& path, const Signal& signal, WavFormat format) {
    const std::vector<float> samples = signal.render();
    const int width = bytesOf(format);
    const bool isFloat = format == WavFormat::F32 || format == WavFormat::F64;
    std::string data;
    data.reserve(samples.size() * width);
    for (float v : samples)
        putSample(data, v, format);
    std::string out = "RIFF";
    put(out, 36 + data.size(), 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, isFloat ? 3 : 1, 2);
    put(out, signal.channels, 2);
    put(out, signal.sampleRate, 4);
    put(out, static_cast<uint64_t>(signal.sampleRate) * signal.channels * width, 4);
    put(out, signal.channels * width, 2);
    put(out, width * 8, 2);
    out += "data";
    put(out, data.size(), 4);
    out += data;
    std::ofstream(path, std::ios::binary) << out;
}

} // namespace quelvo::test
