#include "signal/true_peak.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quelvo {

namespace {

constexpr int kHalf = 6;         // taps each side of the interpolated point
constexpr int kTaps = 2 * kHalf; // per phase
constexpr int kHistory = kTaps - 1;
constexpr int kRun = 64; // points judged together for the skip

// Taps for the points a quarter, a half and three quarters between samples:
// y(m + k/4) = sum over j of x[m - kHalf + 1 + j] * taps[k-1][j], a Hann-
// windowed sinc normalised to unit gain at DC.
struct Taps {
    std::array<std::array<double, kTaps>, 3> phase{};
    double largestGain = 0; // the largest sum of absolute taps
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

TruePeakMeter::TruePeakMeter(int channels)
    : m_channels(channels),
      m_history(static_cast<size_t>(std::max(channels, 0)), std::vector<double>(kHistory, 0.0)) {}

void TruePeakMeter::add(const double* const* planes, int frames) {
    if (frames <= 0) return;
    for (int c = 0; c < m_channels; ++c)
        addChannel(m_history[c], planes[c], frames);
}

void TruePeakMeter::addChannel(std::vector<double>& history, const double* x, int frames) {
    const Taps& t = taps();
    m_joined.assign(history.begin(), history.end());
    m_joined.insert(m_joined.end(), x, x + frames);
    const double* joined = m_joined.data();
    const size_t size = m_joined.size();
    for (int i = 0; i < frames; ++i)
        m_peak = std::max(m_peak, std::abs(x[i]));
    // Points between joined[m] and joined[m + 1] need joined[m - kHalf + 1 ..
    // m + kHalf]; the last kHalf - 1 samples wait for the next block.
    for (size_t first = kHalf - 1; first + kHalf < size; first += kRun) {
        const size_t last = std::min(first + kRun, size - kHalf); // points [first, last)
        double around = 0;
        for (size_t i = first - (kHalf - 1); i < last + kHalf; ++i)
            around = std::max(around, std::abs(joined[i]));
        if (around * t.largestGain <= m_peak) continue;
        double highest = m_peak;
        for (size_t m = first; m < last; ++m) {
            const double* window = joined + m - (kHalf - 1);
            for (const auto& phase : t.phase) {
                double y = 0;
                for (int j = 0; j < kTaps; ++j)
                    y += window[j] * phase[j];
                highest = std::max(highest, std::abs(y));
            }
        }
        m_peak = highest;
    }
    // Keep the last samples for the next block's first points.
    history.assign(m_joined.end() - kHistory, m_joined.end());
}

} // namespace quelvo
