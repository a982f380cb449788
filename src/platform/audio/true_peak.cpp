#include "platform/audio/true_peak.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kyaudio {

namespace {

constexpr int kHalf = 6;              // taps each side of the interpolated point
constexpr int kTaps = 2 * kHalf;      // per phase
constexpr int kHistory = kTaps - 1;

// Taps for the points a quarter, a half and three quarters between samples:
// y(m + k/4) = sum over j of x[m - kHalf + 1 + j] * taps[k-1][j], a Hann-
// windowed sinc normalised to unit gain at DC.
struct Taps {
    std::array<std::array<double, kTaps>, 3> phase{};
    double largestGain = 0;  // the largest sum of absolute taps
    Taps() {
        for (int k = 1; k <= 3; ++k) {
            double sum = 0;
            for (int j = 0; j < kTaps; ++j) {
                const double u = static_cast<double>(k) / 4.0 - static_cast<double>(j - kHalf + 1);
                const double sinc = std::sin(M_PI * u) / (M_PI * u);
                const double window = 0.5 * (1.0 + std::cos(M_PI * u / (kHalf + 0.0)));
                phase[k - 1][j] = sinc * window;
                sum += phase[k - 1][j];
            }
            double absolute = 0;
            for (double& t : phase[k - 1]) {
                t /= sum;
                absolute += std::abs(t);
            }
            largestGain = std::max(largestGain, absolute);
        }
    }
};

const Taps& taps() {
    static const Taps t;
    return t;
}

} // namespace

TruePeakMeter::TruePeakMeter(int channels, double ceiling)
    : m_channels(channels), m_ceiling(ceiling), m_skipBelow(ceiling / taps().largestGain),
      m_history(channels, std::vector<double>(kHistory, 0.0)) {}

void TruePeakMeter::add(const double* const* planes, int frames) {
    if (frames <= 0) return;
    const Taps& t = taps();
    for (int c = 0; c < m_channels; ++c) {
        const double* x = planes[c];
        double samplePeak = 0;
        for (int i = 0; i < frames; ++i) samplePeak = std::max(samplePeak, std::abs(x[i]));
        for (double h : m_history[c]) samplePeak = std::max(samplePeak, std::abs(h));
        m_peak = std::max(m_peak, samplePeak);
        if (samplePeak >= m_skipBelow) {
            m_joined.assign(m_history[c].begin(), m_history[c].end());
            m_joined.insert(m_joined.end(), x, x + frames);
            // Between joined[m] and joined[m + 1], with kHalf samples each side.
            for (size_t m = kHalf - 1; m + kHalf < m_joined.size(); ++m) {
                const double* window = m_joined.data() + m - (kHalf - 1);
                for (const auto& phase : t.phase) {
                    double y = 0;
                    for (int j = 0; j < kTaps; ++j) y += window[j] * phase[j];
                    m_peak = std::max(m_peak, std::abs(y));
                }
            }
        }
        // Keep the last samples for the next block's first points.
        std::vector<double>& h = m_history[c];
        if (frames >= kHistory) {
            h.assign(x + frames - kHistory, x + frames);
        } else {
            h.erase(h.begin(), h.begin() + frames);
            h.insert(h.end(), x, x + frames);
        }
    }
}

} // namespace kyaudio
