#include "media/speech_features.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "media/lane_filters.h"
#include "media/parallel_reader.h"
#include "media/sample_conversion.h"

namespace quelvo {

namespace {

// ---- The voicing measure --------------------------------------------------------

constexpr double kVoicingRate = 4000; // Hz, about
constexpr int kBandRate = 16000;      // Hz, at least
constexpr double kVoicingLowHz = 80, kVoicingHighHz = 1000;
constexpr double kBandLowHz = 200, kBandHighHz = 4000;
constexpr double kShortestPeriod = 0.0025; // s: 400 Hz
constexpr double kLongestPeriod = 0.01425; // s: 70 Hz
constexpr double kVoicingWindow = 0.030;   // s
constexpr size_t kHistory = 256;           // decimated samples kept, > the window
constexpr int kMaxLagGroups = 32;          // lags in groups of four: up to 128
// The voicing is measured where a frame stands this far above the quietest
// tenth of the frames so far; the detector asks for it only 10 dB and more
// above the floor of the whole file, and a recording with no quiet part
// (where the floor is put lower) is judged on the frames measured.
constexpr float kVoicingGateDb = 7.0f;
// The gate's level histogram: 1 dB bins from the silence level up.
constexpr int kGateBins = 130;

// Where the voicing is worth measuring: kVoicingGateDb above the quietest
// tenth of the frames so far. One meter updates it frame by frame; the
// parallel analysis replays it over the joined segments (applyVoicingGate).
class VoicingGate {
  public:
    void update(float level) {
        const int bin = std::clamp(static_cast<int>(level - kFeatureSilenceDb), 0, kGateBins - 1);
        ++m_histogram[static_cast<size_t>(bin)];
        ++m_frames;
        // Recomputed now and then: it moves slowly once there are a few seconds.
        if (mayMove(m_frames)) {
            const uint64_t rank = std::max<uint64_t>(1, m_frames / 10);
            uint64_t seen = 0;
            for (int b = 0; b < kGateBins; ++b) {
                seen += m_histogram[static_cast<size_t>(b)];
                if (seen >= rank) {
                    m_level = kFeatureSilenceDb + static_cast<float>(b) + kVoicingGateDb;
                    break;
                }
            }
        }
    }
    float level() const { return m_level; }
    // Whether the gate may change when the file's frame count reaches `frames`.
    static bool mayMove(uint64_t frames) { return frames < 100 || frames % 50 == 0; }

  private:
    std::array<uint32_t, kGateBins> m_histogram{};
    uint64_t m_frames = 0;
    float m_level = kFeatureSilenceDb;
};

// The range of frames (a frame's and its neighbours' levels) the voicing
// of `centre` is decided on; `latest` is the frame after it.
float levelAround(const std::vector<float>& level, size_t centre, float latest) {
    return std::max({level[centre], latest, centre > 0 ? level[centre - 1] : latest});
}

template <typename T> void append(std::vector<uint8_t>& out, const T& value) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

} // namespace

struct SpeechFeatureMeter::State {
    int rate = 0;
    int channels = 0;
    int bandStep = 1; // input samples averaged into one band-rate sample
    float invBandStep = 1;
    int decimation = 1; // band-rate samples averaged into one voicing-rate sample
    float invDecimation = 1;
    int window = 0; // decimated samples in the voicing window
    int shortestLag = 0, longestLag = 0;
    std::array<Biquad, 4> band;  // two high-passes, two low-passes
    std::array<Biquad, 3> voice; // one high-pass, two low-passes

    // Four channels filtered side by side.
    struct Group {
        std::array<BiquadMemory, 4> band;
        std::array<BiquadMemory, 3> voice;
        Lanes bandSum{}; // of the input samples of the band step so far
        Lanes sum{};     // of the band-rate samples of the decimation step so far
        int summed = 0;
        Lanes framePeak{}; // band peak in the current frame
        Lanes lastPeak{};  // band peak in the previous frame
        Lanes rawPeak{};   // largest absolute input sample in the frame
        std::array<Lanes, kHistory> history{};
        size_t written = 0; // decimated samples so far
    };
    std::vector<Group> groups;

    int64_t samples = 0; // sample frames taken
    int64_t frameIndex = 0;
    int64_t frameEnd = 0;

    VoicingGate gate;
    int64_t firstFrame = 0;      // the file's frame number of features[0]
    bool everyCandidate = false; // see beginSegment
    float previousAround = kFeatureSilenceDb;

    int bandSummed = 0;           // input samples in the band step so far (all channels alike)
    std::vector<float> converted; // one channel of a frame's input
    std::vector<Lanes> scratch;   // a frame's band-rate samples
    std::vector<float> windowSamples;
    SpeechFeatures features;

    void configure(int sampleRate);
    void ensureChannels(int count);
    void take(Group& g, const Lanes* x, int64_t count);
    // Averages a frame's worth of converted input into band-rate samples of
    // one lane; returns how many it made.
    int64_t average(Group& g, int lane, const float* in, int64_t count, int summedBefore);
    template <int Step>
    int64_t averageWholeSteps(const float* in, int64_t count, int64_t& i, int lane, int64_t made);
    template <typename Convert> void takeChunk(int channels, int64_t count, Convert convert);
    void endFrame();
    float voicingOf(const Group& g, int lane);
    float voicingOfLoudest();
    // Whether a segment's meter measures the voicing of `centre`, so that
    // the gate replayed later finds every value one meter would have had.
    bool candidate(size_t centre, float around) const;
};

namespace {

// Nothing the level needs lies above 4 kHz: high rates are first averaged
// down to 16 kHz or more, which keeps the cost of an hour of 48 kHz to a
// third and changes the speech band's peak by a fraction of a decibel.
int bandStepAt(int rate) {
    return std::max(1, rate / kBandRate);
}
int decimationAt(int rate) {
    const double bandRate = static_cast<double>(rate) / bandStepAt(rate);
    return std::max(1, static_cast<int>(std::lround(bandRate / kVoicingRate)));
}

} // namespace

int64_t SpeechFeatureMeter::averagingStep(int sampleRate) {
    const int rate = std::max(1, sampleRate);
    return static_cast<int64_t>(bandStepAt(rate)) * decimationAt(rate);
}

void SpeechFeatureMeter::State::configure(int sampleRate) {
    rate = std::max(1, sampleRate);
    bandStep = bandStepAt(rate);
    invBandStep = 1.0f / static_cast<float>(bandStep);
    const double bandRate = static_cast<double>(rate) / bandStep;
    decimation = decimationAt(rate);
    invDecimation = 1.0f / static_cast<float>(decimation);
    const double low = bandRate / decimation;
    window = std::max(4, static_cast<int>(std::lround(kVoicingWindow * low)));
    window = std::min<int>(window, kHistory / 2);
    shortestLag = std::max(1, static_cast<int>(std::floor(kShortestPeriod * low)));
    longestLag = std::min({window / 2, static_cast<int>(std::ceil(kLongestPeriod * low)),
                           shortestLag + kLanes * kMaxLagGroups - 1});
    band[0] = band[1] = Biquad::make(true, kBandLowHz, bandRate);
    band[2] = band[3] = Biquad::make(false, std::min(kBandHighHz, 0.45 * bandRate), bandRate);
    voice[0] = Biquad::make(true, kVoicingLowHz, low);
    voice[1] = voice[2] = Biquad::make(false, kVoicingHighHz, low);
    frameIndex = firstFrame;
    samples = firstFrame * rate / kLevelFramesPerSecond;
    frameEnd = std::max<int64_t>(samples + 1, (firstFrame + 1) * rate / kLevelFramesPerSecond);
    // The longest frame: rate / 100 samples, one more where it does not divide.
    const size_t longest = static_cast<size_t>(std::max(1, rate / kLevelFramesPerSecond)) + 1;
    converted.assign(longest + 1, 0.0f);
    scratch.assign(longest + 1, Lanes{});
    // Zeros after the window, so that every lag group reads whole vectors.
    windowSamples.assign(static_cast<size_t>(window + longestLag + kLanes), 0.0f);
}

void SpeechFeatureMeter::State::ensureChannels(int count) {
    if (count > channels) {
        groups.resize(static_cast<size_t>((count + kLanes - 1) / kLanes));
        channels = count;
    }
}

// A section's coefficients spread over the lanes, held in registers while a
// block is filtered.
struct LaneBiquad {
    Lanes b0, b1, b2, a1, a2;
    explicit LaneBiquad(const Biquad& f)
        : b0(Lanes{} + f.b0), b1(Lanes{} + f.b1), b2(Lanes{} + f.b2), a1(Lanes{} + f.a1),
          a2(Lanes{} + f.a2) {}
    Lanes run(Lanes& z1, Lanes& z2, Lanes x) const {
        const Lanes y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// `count` band-rate samples of a group's channels, all inside the current
// frame. The filters' coefficients and memories are copied into locals
// first: through the group's fields the compiler would reload them for
// every sample.
void SpeechFeatureMeter::State::take(Group& g, const Lanes* x, int64_t count) {
    const LaneBiquad high(band[0]), low(band[2]);
    Lanes h1 = g.band[0].z1, h2 = g.band[0].z2, h3 = g.band[1].z1, h4 = g.band[1].z2;
    Lanes l1 = g.band[2].z1, l2 = g.band[2].z2, l3 = g.band[3].z1, l4 = g.band[3].z2;
    Lanes peak = g.framePeak;
    Lanes raw = g.rawPeak;
    Lanes sum = g.sum;
    int summed = g.summed;
    for (int64_t i = 0; i < count; ++i) {
        const Lanes s = x[i];
        raw = larger(raw, absolute(s));
        Lanes y = high.run(h1, h2, s);
        y = high.run(h3, h4, y);
        y = low.run(l1, l2, y);
        y = low.run(l3, l4, y);
        peak = larger(peak, absolute(y));
        sum += s;
        if (++summed == decimation) {
            Lanes v = sum * invDecimation;
            sum = Lanes{};
            summed = 0;
            v = g.voice[0].run(voice[0], v);
            v = g.voice[1].run(voice[1], v);
            v = g.voice[2].run(voice[2], v);
            g.history[g.written++ % kHistory] = v;
        }
    }
    g.band[0].z1 = h1, g.band[0].z2 = h2, g.band[1].z1 = h3, g.band[1].z2 = h4;
    g.band[2].z1 = l1, g.band[2].z2 = l2, g.band[3].z1 = l3, g.band[3].z2 = l4;
    g.framePeak = peak;
    g.rawPeak = raw;
    g.sum = sum;
    g.summed = summed;
}

// The largest normalised autocorrelation over the pitch lags. Lags are
// summed four at a time (one vector per group of lags), which the plain
// loop over samples could not do without reordering its additions.
float SpeechFeatureMeter::State::voicingOf(const Group& g, int lane) {
    const size_t n = static_cast<size_t>(window);
    if (g.written < n) return 0.0f;
    const size_t first = g.written - n;
    float* w = windowSamples.data();
    double energy = 0;
    for (size_t i = 0; i < n; ++i) {
        w[i] = g.history[(first + i) % kHistory][lane];
        energy += static_cast<double>(w[i]) * w[i];
    }
    if (!(energy > 1e-14)) return 0.0f;
    const int lags = longestLag - shortestLag + 1;
    const int lagGroups = (lags + kLanes - 1) / kLanes;
    Lanes sums[kMaxLagGroups] = {};
    for (size_t i = 0; i < n; ++i) {
        const float wi = w[i];
        const float* ahead = w + i + static_cast<size_t>(shortestLag);
        for (int q = 0; q < lagGroups; ++q) {
            Lanes next;
            std::memcpy(&next, ahead + kLanes * q, sizeof next);
            sums[q] += wi * next;
        }
    }
    // Energies of the two overlapping parts, from running sums.
    double best = 0;
    double head = energy, tail = energy; // w[0, n - lag) and w[lag, n)
    for (int lag = 1; lag < shortestLag; ++lag) {
        head -=
            static_cast<double>(w[n - static_cast<size_t>(lag)]) * w[n - static_cast<size_t>(lag)];
        tail -= static_cast<double>(w[lag - 1]) * w[lag - 1];
    }
    for (int lag = shortestLag; lag <= longestLag; ++lag) {
        head -=
            static_cast<double>(w[n - static_cast<size_t>(lag)]) * w[n - static_cast<size_t>(lag)];
        tail -= static_cast<double>(w[lag - 1]) * w[lag - 1];
        const int k = lag - shortestLag;
        const double r = sums[k / kLanes][k % kLanes];
        const double norm = std::sqrt(std::max(0.0, head) * std::max(0.0, tail));
        if (r > 0 && norm > 0) best = std::max(best, r / norm);
    }
    return static_cast<float>(std::min(best, 1.0));
}

float SpeechFeatureMeter::State::voicingOfLoudest() {
    size_t loudestGroup = 0;
    int loudestLane = 0;
    for (size_t gi = 0; gi < groups.size(); ++gi)
        for (int l = 0; l < kLanes && static_cast<int>(gi) * kLanes + l < channels; ++l)
            if (groups[gi].lastPeak[l] > groups[loudestGroup].lastPeak[loudestLane]) {
                loudestGroup = gi;
                loudestLane = l;
            }
    return voicingOf(groups[loudestGroup], loudestLane);
}

// One meter measures an even frame above the gate, and an odd frame above
// the gate unless its even neighbour was measured (it then takes that
// value). Above digital silence every even frame may pass a gate; an odd
// one needs its own value only where the even one could fail a gate it
// passes: where it is louder around, or where the gate may just have moved.
bool SpeechFeatureMeter::State::candidate(size_t centre, float around) const {
    if (!(around > kFeatureSilenceDb)) return false;
    const int64_t fileCentre = firstFrame + static_cast<int64_t>(centre);
    if (fileCentre % 2 == 0) return true;
    return centre == 0 || previousAround < around ||
           VoicingGate::mayMove(static_cast<uint64_t>(fileCentre) + 2);
}

void SpeechFeatureMeter::State::endFrame() {
    float peak = 0, raw = 0;
    for (const Group& g : groups)
        for (int l = 0; l < kLanes; ++l) {
            peak = std::max(peak, g.framePeak[l]);
            raw = std::max(raw, g.rawPeak[l]);
        }
    float level = kFeatureSilenceDb;
    if (raw > 0 && peak > 0) level = std::max(kFeatureSilenceDb, 20.0f * std::log10(peak));
    features.level.push_back(level);
    features.voicing.push_back(SpeechFeatures::kNotMeasured);
    if (!everyCandidate) gate.update(level);

    // The window that just ended is centred on the previous frame; it is
    // measured on the channel that was loudest there.
    const size_t count = features.level.size();
    if (count >= 2) {
        const size_t centre = count - 2;
        const float around = levelAround(features.level, centre, level);
        if (everyCandidate) {
            if (candidate(centre, around)) features.voicing[centre] = voicingOfLoudest();
        } else {
            // Every other frame: the 30 ms window spans three frames, so each
            // measure serves its neighbour too.
            const bool second = (firstFrame + static_cast<int64_t>(centre)) % 2 == 1;
            if (second && centre > 0 &&
                features.voicing[centre - 1] != SpeechFeatures::kNotMeasured) {
                features.voicing[centre] = features.voicing[centre - 1];
            } else if (around > kFeatureSilenceDb && around >= gate.level()) {
                features.voicing[centre] = voicingOfLoudest();
            }
        }
        previousAround = around;
    }
    for (Group& g : groups) {
        g.lastPeak = g.framePeak;
        g.framePeak = Lanes{};
        g.rawPeak = Lanes{};
        for (BiquadMemory& m : g.band)
            m.flush();
        for (BiquadMemory& m : g.voice)
            m.flush();
    }
    ++frameIndex;
    const int64_t next = (frameIndex + 1) * rate / kLevelFramesPerSecond;
    frameEnd = std::max(next, frameEnd + 1);
}

SpeechFeatureMeter::SpeechFeatureMeter() : m_state(std::make_unique<State>()) {}
SpeechFeatureMeter::~SpeechFeatureMeter() = default;

void SpeechFeatureMeter::beginSegment(int64_t firstFrame, bool everyCandidate,
                                      int64_t expectedFrames) {
    m_state->firstFrame = std::max<int64_t>(0, firstFrame);
    m_state->everyCandidate = everyCandidate;
    // A little over, for the frames a segment reads past its seam; beyond
    // about three hours (8 MB) the lists grow as they go.
    const auto frames =
        static_cast<size_t>(std::clamp<int64_t>(expectedFrames + 64, 0, int64_t{1} << 20));
    m_state->features.level.reserve(frames);
    m_state->features.voicing.reserve(frames);
}

void SpeechFeatureMeter::start(int sampleRate) {
    m_state->configure(sampleRate);
}

std::vector<uint8_t> SpeechFeatureMeter::stateAtFrameBoundary() const {
    const State& s = *m_state;
    std::vector<uint8_t> out;
    append(out, s.samples);
    append(out, s.frameIndex);
    append(out, s.bandSummed);
    for (const State::Group& g : s.groups) {
        for (const BiquadMemory& m : g.band)
            append(out, m);
        for (const BiquadMemory& m : g.voice)
            append(out, m);
        append(out, g.bandSum);
        append(out, g.sum);
        append(out, g.summed);
        append(out, g.framePeak);
        append(out, g.lastPeak);
        append(out, g.rawPeak);
        // The history as the voicing reads it: oldest first, however far
        // round the ring the writing has come.
        const size_t kept = std::min<size_t>(g.written, kHistory);
        append(out, kept);
        for (size_t i = g.written - kept; i < g.written; ++i)
            append(out, g.history[i % kHistory]);
    }
    return out;
}

void applyVoicingGate(SpeechFeatures& features) {
    const std::vector<float>& level = features.level;
    std::vector<float> kept(level.size(), SpeechFeatures::kNotMeasured);
    VoicingGate gate;
    for (size_t f = 0; f < level.size(); ++f) {
        gate.update(level[f]);
        if (f == 0) continue;
        const size_t centre = f - 1;
        const float around = levelAround(level, centre, level[f]);
        if (centre % 2 == 1 && kept[centre - 1] != SpeechFeatures::kNotMeasured)
            kept[centre] = kept[centre - 1];
        else if (around > kFeatureSilenceDb && around >= gate.level())
            kept[centre] = features.voicing[centre];
    }
    features.voicing = std::move(kept);
}

// Whole band steps from in[i] on (`Step` samples each, or bandStep when
// it is 0); advances i and returns the count of band-rate samples made.
template <int Step>
int64_t SpeechFeatureMeter::State::averageWholeSteps(const float* in, int64_t count, int64_t& i,
                                                     int lane, int64_t made) {
    const int step = Step > 0 ? Step : bandStep;
    for (; i + step <= count; i += step) {
        float sum = 0;
        for (int j = 0; j < step; ++j)
            sum += sane(in[i + j]);
        scratch[static_cast<size_t>(made++)][lane] = sum * invBandStep;
    }
    return made;
}

int64_t SpeechFeatureMeter::State::average(Group& g, int lane, const float* in, int64_t count,
                                           int summedBefore) {
    float partial = g.bandSum[lane];
    int64_t i = 0, made = 0;
    // Finish the step begun in the previous chunk, then whole steps, then a
    // begun one; no test for the step's end in the inner loop.
    if (summedBefore > 0) {
        for (; i < count && summedBefore + i < bandStep; ++i)
            partial += sane(in[i]);
        if (summedBefore + i < bandStep) {
            g.bandSum[lane] = partial;
            return 0;
        }
        scratch[static_cast<size_t>(made++)][lane] = partial * invBandStep;
        partial = 0;
    }
    switch (bandStep) { // the common steps with their loop unrolled
    case 1:
        made = averageWholeSteps<1>(in, count, i, lane, made);
        break;
    case 2:
        made = averageWholeSteps<2>(in, count, i, lane, made);
        break;
    case 3:
        made = averageWholeSteps<3>(in, count, i, lane, made);
        break;
    default:
        made = averageWholeSteps<0>(in, count, i, lane, made);
        break;
    }
    for (; i < count; ++i)
        partial += sane(in[i]);
    g.bandSum[lane] = partial;
    return made;
}

// One frame's chunk of `count` sample frames: each channel as floats from
// convert(channel, buffer) (the buffer, or the decoder's own float plane),
// averaged to the band rate into its lane, then filtered four channels at a
// time.
template <typename Convert>
void SpeechFeatureMeter::State::takeChunk(int channelCount, int64_t count, Convert convert) {
    const int summedBefore = bandSummed;
    int64_t made = 0;
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const int firstChannel = static_cast<int>(gi) * kLanes;
        const int inGroup = std::min(kLanes, channelCount - firstChannel);
        if (inGroup < kLanes) std::fill(scratch.begin(), scratch.end(), Lanes{});
        for (int l = 0; l < inGroup; ++l) {
            const float* in = convert(firstChannel + l, converted.data());
            made = average(groups[gi], l, in, count, summedBefore);
        }
        take(groups[gi], scratch.data(), made);
    }
    bandSummed = static_cast<int>((summedBefore + count) % bandStep);
}

void SpeechFeatureMeter::interleaved(SampleEncoding encoding, const uint8_t* data, int64_t frames,
                                     int channels) {
    State& s = *m_state;
    if (s.rate == 0 || channels <= 0) return;
    s.ensureChannels(channels);
    const size_t width = bytesPerSample(encoding);
    const size_t stride = width * static_cast<size_t>(channels);
    while (frames > 0) {
        const int64_t take = std::min(frames, s.frameEnd - s.samples);
        s.takeChunk(channels, take, [&](int channel, float* out) -> const float* {
            toFloat(encoding, data + static_cast<size_t>(channel) * width, stride,
                    static_cast<size_t>(take), out);
            return out;
        });
        data += static_cast<size_t>(take) * stride;
        frames -= take;
        s.samples += take;
        if (s.samples >= s.frameEnd) s.endFrame();
    }
}

void SpeechFeatureMeter::planar(SampleEncoding encoding, const uint8_t* const* planes, int channels,
                                int64_t frames) {
    State& s = *m_state;
    if (s.rate == 0 || channels <= 0) return;
    s.ensureChannels(channels);
    const size_t width = bytesPerSample(encoding);
    int64_t offset = 0;
    while (offset < frames) {
        const int64_t take = std::min(frames - offset, s.frameEnd - s.samples);
        s.takeChunk(channels, take, [&](int channel, float* out) -> const float* {
            const uint8_t* plane = planes[channel] + static_cast<size_t>(offset) * width;
            // Most decoders give planar floats: read in place (the averaging
            // drops what is not a number).
            if (encoding == SampleEncoding::F32) return reinterpret_cast<const float*>(plane);
            toFloat(encoding, plane, width, static_cast<size_t>(take), out);
            return out;
        });
        offset += take;
        s.samples += take;
        if (s.samples >= s.frameEnd) s.endFrame();
    }
}

SpeechFeatures SpeechFeatureMeter::finish() {
    State& s = *m_state;
    const int64_t frameStart = s.frameIndex * s.rate / kLevelFramesPerSecond;
    if (s.rate > 0 && s.samples > frameStart && !s.groups.empty()) s.endFrame();
    return std::move(s.features);
}

FeatureAnalysis readSpeechFeaturesInOneRun(const std::string& path, const std::atomic<bool>* stop) {
    FeatureAnalysis analysis;
    SpeechFeatureMeter meter;
    DecodeOptions options;
    options.observer = &meter;
    options.stop = stop;
    analysis.decoded = readFramePeaks(path, nullptr, options);
    analysis.features = meter.finish();
    return analysis;
}

FeatureAnalysis readSpeechFeatures(const std::string& path, const Parallelism& parallelism) {
    if (parallelism.jobs <= 1 && !readInChunks(path))
        return readSpeechFeaturesInOneRun(path, parallelism.stop);
    FeatureAnalysis analysis;
    FileLevels levels = readFileLevels(path, LevelContent::speechFeatures, parallelism);
    analysis.decoded = levels.decoded;
    analysis.features = std::move(levels.features);
    return analysis;
}

} // namespace quelvo
