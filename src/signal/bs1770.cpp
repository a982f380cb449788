#include "signal/bs1770.h"

#include <algorithm>
#include <cmath>

namespace quelvo {

namespace {

constexpr double kAbsoluteGate = -70.0;

double loudnessOf(double power) {
    return -0.691 + 10.0 * std::log10(power);
}

double powerOf(double lufs) {
    return std::pow(10.0, (lufs + 0.691) / 10.0);
}

// The channel weights in FFmpeg's order for up to 5.1; channels past the
// sixth are not counted, as libebur128 does.
double weightOf(int channel, int channels) {
    if (channels <= 2) return 1.0;
    static const double kFivePointOne[] = {1.0, 1.0, 1.0, 0.0, 1.41, 1.41};
    return channel < 6 ? kFivePointOne[channel] : 0.0;
}

} // namespace

KWeighting::KWeighting(const PcmFormat& format) {
    const double rate = format.sampleRate;
    // The high shelf and the high pass of BS.1770 as analogue prototypes,
    // moved to this rate by the bilinear transform (so 48 kHz gives the
    // standard's coefficients and other rates the same response).
    double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(M_PI * f0 / rate);
    const double vh = std::pow(10.0, gain / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    m_shelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
               (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
               (1.0 - k / q + k * k) / a0};
    f0 = 38.13547087602444;
    q = 0.5003270373238773;
    k = std::tan(M_PI * f0 / rate);
    a0 = 1.0 + k / q + k * k;
    m_highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    for (int c = 0; c < format.channels; ++c)
        m_weights.push_back(weightOf(c, format.channels));
    m_state.assign(m_weights.size(), {0.0, 0.0, 0.0, 0.0});
}

void KWeighting::power(const double* const* planes, int frames, double* power) {
    std::fill(power, power + frames, 0.0);
    // Up to eight channels go through the filters side by side: each
    // channel's recursion waits on its previous sample, and several
    // independent ones keep the processor busy meanwhile. The channels'
    // powers are still added in channel order.
    constexpr size_t kLockstep = 8;
    const Biquad s = m_shelf, h = m_highPass;
    for (size_t first = 0; first < m_weights.size(); first += kLockstep) {
        const size_t n = std::min(kLockstep, m_weights.size() - first);
        double z[kLockstep][4];
        double w[kLockstep];
        const double* x[kLockstep];
        for (size_t c = 0; c < n; ++c) {
            for (int k = 0; k < 4; ++k)
                z[c][k] = m_state[first + c][k];
            w[c] = m_weights[first + c];
            x[c] = planes[first + c];
        }
        for (int i = 0; i < frames; ++i) {
            double sum = power[i];
            for (size_t c = 0; c < n; ++c) {
                // Transposed direct form II, the two stages one after the other.
                const double in = x[c][i];
                const double y = s.b0 * in + z[c][0];
                z[c][0] = s.b1 * in - s.a1 * y + z[c][1];
                z[c][1] = s.b2 * in - s.a2 * y;
                const double v = h.b0 * y + z[c][2];
                z[c][2] = h.b1 * y - h.a1 * v + z[c][3];
                z[c][3] = h.b2 * y - h.a2 * v;
                sum += w[c] * v * v;
            }
            power[i] = sum;
        }
        for (size_t c = 0; c < n; ++c)
            for (int k = 0; k < 4; ++k)
                m_state[first + c][k] = z[c][k];
    }
}

std::optional<double> powerToLoudness(double meanPower) {
    if (!(meanPower > 0)) return std::nullopt;
    const double lufs = loudnessOf(meanPower);
    if (!std::isfinite(lufs) || lufs <= kAbsoluteGate) return std::nullopt;
    return lufs;
}

LoudnessBlocks::LoudnessBlocks(int sampleRate) : m_step(std::max(1, (sampleRate + 5) / 10)) {}

void LoudnessBlocks::add(const double* power, int frames) {
    for (int i = 0; i < frames;) {
        const int n = std::min(frames - i, m_step - m_partialFrames);
        double sum = m_partial;
        for (int k = i; k < i + n; ++k)
            sum += power[k];
        m_partial = sum;
        m_partialFrames += n;
        i += n;
        if (m_partialFrames == m_step) {
            m_steps.push_back(m_partial);
            m_total += m_partial;
            m_partial = 0;
            m_partialFrames = 0;
        }
    }
}

void LoudnessBlocks::append(const LoudnessBlocks& later) {
    for (double s : later.m_steps) {
        m_steps.push_back(s);
        m_total += s;
    }
    m_partial = later.m_partial;
    m_partialFrames = later.m_partialFrames;
}

std::vector<double> LoudnessBlocks::blockPowers(int stepsPerBlock, int hop) const {
    std::vector<double> blocks;
    const double frames = static_cast<double>(stepsPerBlock) * m_step;
    for (size_t first = 0; first + stepsPerBlock <= m_steps.size(); first += hop) {
        double sum = 0;
        for (int k = 0; k < stepsPerBlock; ++k)
            sum += m_steps[first + k];
        blocks.push_back(sum / frames);
    }
    return blocks;
}

std::optional<double> LoudnessBlocks::integrated() const {
    const double absolute = powerOf(kAbsoluteGate);
    double sum = 0;
    size_t count = 0;
    const std::vector<double> blocks = blockPowers(4, 1);
    for (double b : blocks)
        if (b >= absolute) sum += b, ++count;
    if (count == 0) return std::nullopt;
    const double relative = sum / static_cast<double>(count) * 0.1; // -10 LU
    sum = 0;
    count = 0;
    for (double b : blocks)
        if (b >= absolute && b >= relative) sum += b, ++count;
    if (count == 0) return std::nullopt;
    return powerToLoudness(sum / static_cast<double>(count));
}

std::optional<double> LoudnessBlocks::range() const {
    const double absolute = powerOf(kAbsoluteGate);
    std::vector<double> gated;
    double sum = 0;
    for (double b : blockPowers(30, 10))
        if (b >= absolute) gated.push_back(b), sum += b;
    if (gated.empty()) return std::nullopt;
    const double relative = sum / static_cast<double>(gated.size()) * 0.01; // -20 LU
    std::vector<double> kept;
    for (double b : gated)
        if (b >= relative) kept.push_back(b);
    if (kept.empty()) return std::nullopt;
    std::sort(kept.begin(), kept.end());
    const auto at = [&kept](double share) {
        return kept[static_cast<size_t>(static_cast<double>(kept.size() - 1) * share + 0.5)];
    };
    return loudnessOf(at(0.95)) - loudnessOf(at(0.10));
}

std::optional<double> LoudnessBlocks::asOneBlock() const {
    const int64_t n = frames();
    if (n == 0) return std::nullopt;
    return powerToLoudness((m_total + m_partial) / static_cast<double>(n));
}

} // namespace quelvo
