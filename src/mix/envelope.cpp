#include "mix/envelope.h"

#include <algorithm>
#include <cmath>

#include "project/volume_keyframes.h"

namespace quelvo::mix {

double dbToLinear(double db) {
    if (db <= kSilenceDb) return 0.0;
    return std::pow(10.0, db / 20.0);
}

GainEnvelope::GainEnvelope(quelvo::VolumeKeyframeList keyframes, double overallDb)
    : m_keyframes(std::move(keyframes)), m_overall(overallDb) {
    // The keyframe rule keeps ramps of neighbouring intervals in their fixed
    // order even when they overlap; a curve needs them in time order. A stable
    // sort keeps keyframes at the same time in the order they were made, so
    // the later one holds from that time on.
    std::stable_sort(m_keyframes.begin(), m_keyframes.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
}

size_t GainEnvelope::segmentAfter(double seconds) const {
    const auto it = std::upper_bound(m_keyframes.begin(), m_keyframes.end(), seconds,
                                     [](double t, const auto& k) { return t < k.time; });
    return static_cast<size_t>(it - m_keyframes.begin());
}

double GainEnvelope::gainDbAt(double seconds) const {
    if (m_keyframes.empty()) return m_overall;
    const size_t after = segmentAfter(seconds);
    if (after == 0 || after == m_keyframes.size()) return m_overall;
    const auto& a = m_keyframes[after - 1];
    const auto& b = m_keyframes[after];
    const double span = b.time - a.time;
    if (span <= 0) return b.dbValue;
    return a.dbValue + (b.dbValue - a.dbValue) * (seconds - a.time) / span;
}

void GainEnvelope::linearGains(int64_t first, int count, int sampleRate, double* out) const {
    const double rate = sampleRate;
    int i = 0;
    while (i < count) {
        const double t = static_cast<double>(first + i) / rate;
        const size_t after = m_keyframes.empty() ? 0 : segmentAfter(t);
        // How far this segment reaches, in samples of this block.
        int end = count;
        if (after < m_keyframes.size()) {
            const double boundary = m_keyframes[after].time * rate;
            const int64_t lastInside = static_cast<int64_t>(std::ceil(boundary)) - 1 - first;
            end = static_cast<int>(std::clamp<int64_t>(lastInside + 1, i + 1, count));
        }
        const bool flat = m_keyframes.empty() || after == 0 || after == m_keyframes.size() ||
                          m_keyframes[after - 1].dbValue == m_keyframes[after].dbValue;
        if (flat) {
            std::fill(out + i, out + end, dbToLinear(gainDbAt(t)));
        } else {
            // Straight in dB is a constant factor per sample: one pow for the
            // start and one for the step instead of one per sample.
            const auto& a = m_keyframes[after - 1];
            const auto& b = m_keyframes[after];
            const double dbPerSample = (b.dbValue - a.dbValue) / (b.time - a.time) / rate;
            const double startDb = gainDbAt(t);
            if (std::min(a.dbValue, b.dbValue) <= kSilenceDb) {
                for (int k = i; k < end; ++k)
                    out[k] = dbToLinear(startDb + dbPerSample * (k - i));
            } else {
                const double step = std::pow(10.0, dbPerSample / 20.0);
                double gain = std::pow(10.0, startDb / 20.0);
                for (int k = i; k < end; ++k) {
                    out[k] = gain;
                    gain *= step;
                }
            }
        }
        i = end;
    }
}

} // namespace quelvo::mix
