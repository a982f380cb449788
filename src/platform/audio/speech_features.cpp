#include "platform/audio/speech_features.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace kyaudio {

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---- Sample conversion -----------------------------------------------------

template <typename T> T load(const uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// A float sample that is not a number, or absurdly large, would poison the
// filters' memories for the rest of the file; it counts as silence.
inline float sane(double v) { return std::fabs(v) <= 1e6 ? static_cast<float>(v) : 0.0f; }

template <typename Read>
void convertLoop(const uint8_t* data, size_t strideBytes, size_t count, float* out, Read read) {
    for (size_t i = 0; i < count; ++i) out[i] = read(data + i * strideBytes);
}

// `count` samples of one channel, `strideBytes` apart, as floats (1.0 = full scale).
void toFloat(SampleEncoding encoding, const uint8_t* data, size_t strideBytes, size_t count, float* out) {
    switch (encoding) {
    case SampleEncoding::U8:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) { return (p[0] - 128) / 128.0f; });
        break;
    case SampleEncoding::S8:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return static_cast<int8_t>(p[0]) / 128.0f; });
        break;
    case SampleEncoding::S16:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return load<int16_t>(p) * (1.0f / 32768.0f); });
        break;
    case SampleEncoding::S16BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<int16_t>(__builtin_bswap16(load<uint16_t>(p))) * (1.0f / 32768.0f);
        });
        break;
    case SampleEncoding::S24:
    case SampleEncoding::S24BE: {
        const bool big = encoding == SampleEncoding::S24BE;
        convertLoop(data, strideBytes, count, out, [big](const uint8_t* p) {
            const uint32_t b0 = big ? p[2] : p[0];
            const uint32_t b2 = big ? p[0] : p[2];
            const int32_t v = static_cast<int32_t>((b0 << 8) | (uint32_t(p[1]) << 16) | (b2 << 24)) >> 8;
            return v * (1.0f / 8388608.0f);
        });
        break;
    }
    case SampleEncoding::S32:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return static_cast<float>(load<int32_t>(p) / 2147483648.0); });
        break;
    case SampleEncoding::S32BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<float>(static_cast<int32_t>(__builtin_bswap32(load<uint32_t>(p))) / 2147483648.0);
        });
        break;
    case SampleEncoding::S64:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<float>(static_cast<double>(load<int64_t>(p)) / 9223372036854775808.0);
        });
        break;
    case SampleEncoding::F32:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) { return sane(load<float>(p)); });
        break;
    case SampleEncoding::F32BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            const uint32_t bits = __builtin_bswap32(load<uint32_t>(p));
            float v;
            std::memcpy(&v, &bits, sizeof v);
            return sane(v);
        });
        break;
    case SampleEncoding::F64:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) { return sane(load<double>(p)); });
        break;
    case SampleEncoding::F64BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            const uint64_t bits = __builtin_bswap64(load<uint64_t>(p));
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return sane(v);
        });
        break;
    }
}

// ---- Filters -----------------------------------------------------------------

// A 2nd-order Butterworth section (bilinear transform), transposed direct form.
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

struct BiquadMemory {
    float z1 = 0, z2 = 0;
    float run(const Biquad& f, float x) {
        const float y = f.b0 * x + z1;
        z1 = f.b1 * x - f.a1 * y + z2;
        z2 = f.b2 * x - f.a2 * y;
        return y;
    }
    // Memories decaying towards zero in silence turn into denormal numbers,
    // which are very slow on most processors; below any audible level they
    // are zero.
    void flush() {
        if (std::fabs(z1) < 1e-15f) z1 = 0;
        if (std::fabs(z2) < 1e-15f) z2 = 0;
    }
};

// ---- The voicing measure --------------------------------------------------------

constexpr double kVoicingRate = 4000;        // Hz, about
constexpr double kVoicingLowHz = 80, kVoicingHighHz = 1000;
constexpr double kBandLowHz = 200, kBandHighHz = 4000;
constexpr double kShortestPeriod = 0.0025;   // s: 400 Hz
constexpr double kLongestPeriod = 0.01425;   // s: 70 Hz
constexpr double kVoicingWindow = 0.030;     // s
constexpr size_t kHistory = 256;             // decimated samples kept, > the window
// The voicing is measured where a frame stands this far above the quietest
// tenth of the frames so far; the detector asks for it only 10 dB and more
// above the floor of the whole file.
constexpr float kVoicingGateDb = 7.0f;
// The gate's level histogram: 1 dB bins from the silence level up.
constexpr int kGateBins = 130;

} // namespace

struct SpeechFeatureMeter::State {
    int rate = 0;
    int channels = 0;
    int decimation = 1;
    float invDecimation = 1;
    int window = 0;          // decimated samples in the voicing window
    int shortestLag = 0, longestLag = 0;
    std::array<Biquad, 4> band;  // two high-passes, two low-passes
    std::array<Biquad, 3> voice; // one high-pass, two low-passes

    struct Channel {
        std::array<BiquadMemory, 4> band;
        std::array<BiquadMemory, 3> voice;
        float sum = 0;       // of the samples of the decimation step so far
        int summed = 0;
        float framePeak = 0; // band peak in the current frame
        float lastPeak = 0;  // band peak in the previous frame
        std::array<float, kHistory> history{};
        size_t written = 0;  // decimated samples so far
    };
    std::vector<Channel> channel;

    int64_t samples = 0;     // sample frames taken
    int64_t frameIndex = 0;
    int64_t frameEnd = 0;
    float rawPeak = 0;       // largest absolute input sample in the frame

    std::array<uint32_t, kGateBins> gateHistogram{};
    uint64_t gateFrames = 0;
    float gateLevel = kFeatureSilenceDb;  // quietest tenth so far + kVoicingGateDb

    std::vector<float> scratch;
    std::vector<double> window64, prefix;
    SpeechFeatures features;

    void configure(int sampleRate);
    void ensureChannels(int count);
    void take(int c, const float* x, int64_t count);
    void endFrame();
    float voicingOf(const Channel& ch);
    void updateGate(float level);
};

void SpeechFeatureMeter::State::configure(int sampleRate) {
    rate = std::max(1, sampleRate);
    decimation = std::max(1, static_cast<int>(std::lround(rate / kVoicingRate)));
    invDecimation = 1.0f / static_cast<float>(decimation);
    const double low = static_cast<double>(rate) / decimation;
    window = std::max(4, static_cast<int>(std::lround(kVoicingWindow * low)));
    window = std::min<int>(window, kHistory);
    shortestLag = std::max(1, static_cast<int>(std::floor(kShortestPeriod * low)));
    longestLag = std::min(window / 2, static_cast<int>(std::ceil(kLongestPeriod * low)));
    band[0] = band[1] = Biquad::make(true, kBandLowHz, rate);
    band[2] = band[3] = Biquad::make(false, std::min(kBandHighHz, 0.45 * rate), rate);
    voice[0] = Biquad::make(true, kVoicingLowHz, low);
    voice[1] = voice[2] = Biquad::make(false, kVoicingHighHz, low);
    frameEnd = std::max<int64_t>(1, rate / kLevelFramesPerSecond);
    scratch.assign(static_cast<size_t>(frameEnd) + 1, 0.0f);
    window64.assign(static_cast<size_t>(window), 0.0);
    prefix.assign(static_cast<size_t>(window) + 1, 0.0);
}

void SpeechFeatureMeter::State::ensureChannels(int count) {
    if (count > channels) {
        channel.resize(static_cast<size_t>(count));
        channels = count;
    }
}

// `count` samples of channel c, all inside the current frame.
void SpeechFeatureMeter::State::take(int c, const float* x, int64_t count) {
    Channel& ch = channel[static_cast<size_t>(c)];
    float peak = ch.framePeak;
    float raw = rawPeak;
    for (int64_t i = 0; i < count; ++i) {
        const float s = x[i];
        raw = std::max(raw, std::fabs(s));
        float y = ch.band[0].run(band[0], s);
        y = ch.band[1].run(band[1], y);
        y = ch.band[2].run(band[2], y);
        y = ch.band[3].run(band[3], y);
        peak = std::max(peak, std::fabs(y));
        ch.sum += s;
        if (++ch.summed == decimation) {
            float v = ch.sum * invDecimation;
            ch.sum = 0;
            ch.summed = 0;
            v = ch.voice[0].run(voice[0], v);
            v = ch.voice[1].run(voice[1], v);
            v = ch.voice[2].run(voice[2], v);
            ch.history[ch.written++ % kHistory] = v;
        }
    }
    ch.framePeak = peak;
    rawPeak = raw;
}

float SpeechFeatureMeter::State::voicingOf(const Channel& ch) {
    const size_t n = static_cast<size_t>(window);
    if (ch.written < n) return 0.0f;
    const size_t first = ch.written - n;
    prefix[0] = 0;
    for (size_t i = 0; i < n; ++i) {
        const double v = ch.history[(first + i) % kHistory];
        window64[i] = v;
        prefix[i + 1] = prefix[i] + v * v;
    }
    const double energy = prefix[n];
    if (!(energy > 1e-14)) return 0.0f;
    double best = 0;
    for (int lag = shortestLag; lag <= longestLag; ++lag) {
        const size_t span = n - static_cast<size_t>(lag);
        double r = 0;
        for (size_t i = 0; i < span; ++i) r += window64[i] * window64[i + static_cast<size_t>(lag)];
        if (r <= 0) continue;
        const double e1 = prefix[span];
        const double e2 = energy - prefix[static_cast<size_t>(lag)];
        const double norm = std::sqrt(e1 * e2);
        if (norm > 0) best = std::max(best, r / norm);
    }
    return static_cast<float>(std::min(best, 1.0));
}

void SpeechFeatureMeter::State::updateGate(float level) {
    const int bin = std::clamp(static_cast<int>(level - kFeatureSilenceDb), 0, kGateBins - 1);
    ++gateHistogram[static_cast<size_t>(bin)];
    ++gateFrames;
    // Recomputed now and then: it moves slowly once there are a few seconds.
    if (gateFrames < 100 || gateFrames % 50 == 0) {
        const uint64_t rank = std::max<uint64_t>(1, gateFrames / 10);
        uint64_t seen = 0;
        for (int b = 0; b < kGateBins; ++b) {
            seen += gateHistogram[static_cast<size_t>(b)];
            if (seen >= rank) {
                gateLevel = kFeatureSilenceDb + static_cast<float>(b) + kVoicingGateDb;
                break;
            }
        }
    }
}

void SpeechFeatureMeter::State::endFrame() {
    float peak = 0;
    for (Channel& ch : channel) peak = std::max(peak, ch.framePeak);
    float level = kFeatureSilenceDb;
    if (rawPeak > 0 && peak > 0) level = std::max(kFeatureSilenceDb, 20.0f * std::log10(peak));
    features.level.push_back(level);
    features.voicing.push_back(SpeechFeatures::kNotMeasured);
    updateGate(level);

    // The window that just ended is centred on the previous frame; it is
    // measured on the channel that was loudest there.
    const size_t count = features.level.size();
    if (count >= 2) {
        const size_t centre = count - 2;
        const float around = std::max({features.level[centre], level, centre > 0 ? features.level[centre - 1] : level});
        if (around > kFeatureSilenceDb && around >= gateLevel) {
            const Channel* loudest = &channel.front();
            for (const Channel& ch : channel)
                if (ch.lastPeak > loudest->lastPeak) loudest = &ch;
            features.voicing[centre] = voicingOf(*loudest);
        }
    }
    for (Channel& ch : channel) {
        ch.lastPeak = ch.framePeak;
        ch.framePeak = 0;
        for (BiquadMemory& m : ch.band) m.flush();
        for (BiquadMemory& m : ch.voice) m.flush();
    }
    rawPeak = 0;
    ++frameIndex;
    const int64_t next = (frameIndex + 1) * rate / kLevelFramesPerSecond;
    frameEnd = std::max(next, frameEnd + 1);
}

SpeechFeatureMeter::SpeechFeatureMeter() : m_state(std::make_unique<State>()) {}
SpeechFeatureMeter::~SpeechFeatureMeter() = default;

void SpeechFeatureMeter::start(int sampleRate) { m_state->configure(sampleRate); }

void SpeechFeatureMeter::interleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames, int channels) {
    State& s = *m_state;
    if (s.rate == 0 || channels <= 0) return;
    s.ensureChannels(channels);
    const size_t width = bytesPerSample(encoding);
    const size_t stride = width * static_cast<size_t>(channels);
    while (frames > 0) {
        const int64_t take = std::min(frames, s.frameEnd - s.samples);
        for (int c = 0; c < channels; ++c) {
            toFloat(encoding, data + static_cast<size_t>(c) * width, stride, static_cast<size_t>(take), s.scratch.data());
            s.take(c, s.scratch.data(), take);
        }
        data += static_cast<size_t>(take) * stride;
        frames -= take;
        s.samples += take;
        if (s.samples >= s.frameEnd) s.endFrame();
    }
}

void SpeechFeatureMeter::planar(SampleEncoding encoding, const uint8_t* const* planes, int channels, int64_t frames) {
    State& s = *m_state;
    if (s.rate == 0 || channels <= 0) return;
    s.ensureChannels(channels);
    const size_t width = bytesPerSample(encoding);
    int64_t offset = 0;
    while (offset < frames) {
        const int64_t take = std::min(frames - offset, s.frameEnd - s.samples);
        for (int c = 0; c < channels; ++c) {
            toFloat(encoding, planes[c] + static_cast<size_t>(offset) * width, width, static_cast<size_t>(take),
                    s.scratch.data());
            s.take(c, s.scratch.data(), take);
        }
        offset += take;
        s.samples += take;
        if (s.samples >= s.frameEnd) s.endFrame();
    }
}

SpeechFeatures SpeechFeatureMeter::finish() {
    State& s = *m_state;
    const int64_t frameStart = s.frameIndex * s.rate / kLevelFramesPerSecond;
    if (s.rate > 0 && s.samples > frameStart && !s.channel.empty()) s.endFrame();
    return std::move(s.features);
}

FeatureAnalysis readSpeechFeatures(const std::string& path) {
    FeatureAnalysis analysis;
    SpeechFeatureMeter meter;
    DecodeOptions options;
    options.observer = &meter;
    analysis.decoded = readFramePeaks(path, [](float) {}, options);
    analysis.features = meter.finish();
    return analysis;
}

} // namespace kyaudio
