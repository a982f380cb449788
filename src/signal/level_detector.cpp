#include "signal/level_detector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "media/frame_peaks.h"
#include "signal/time_grid.h"

namespace quelvo {

namespace {

double frameTime(int64_t frame) {
    return static_cast<double>(frame) / kLevelFramesPerSecond;
}

// At least one quiet frame closes a cluster ("decay 0 closes at once"); a hold
// time that is not a finite number never closes one.
int64_t decayInFrames(double decay) {
    if (std::isnan(decay) || decay <= 0) return 1;
    const double frames = std::ceil(decay * kLevelFramesPerSecond - 1e-9);
    if (frames >= 1e15) return std::numeric_limits<int64_t>::max();
    return std::max<int64_t>(1, static_cast<int64_t>(frames));
}

} // namespace

double peakToDb(float peak) {
    if (!(peak > 0)) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(static_cast<double>(peak));
}

// A negative hysteresis would ask more of a cluster to stay open than to
// open, so a frame could open a cluster and close it at once; it counts as 0.
LevelDetector::LevelDetector(double threshold, double hysteresis, double decay)
    : m_openLevel(threshold), m_stayOpenLevel(threshold - (hysteresis > 0 ? hysteresis : 0.0)),
      m_decayFrames(decayInFrames(decay)) {}

void LevelDetector::addFrame(double levelDb) {
    const int64_t frame = m_frames++;
    if (!m_open) {
        if (levelDb >= m_openLevel) {
            m_open = true;
            m_clusterStart = frame;
            m_quietStart = -1;
        }
        return;
    }
    if (levelDb >= m_stayOpenLevel) {
        m_quietStart = -1;
        return;
    }
    if (m_quietStart < 0) m_quietStart = frame;
    if (frame - m_quietStart + 1 >= m_decayFrames) {
        m_clusters.push_back({frameTime(m_clusterStart), frameTime(m_quietStart)});
        m_open = false;
        m_quietStart = -1;
    }
}

ClusterList LevelDetector::finish(double duration) {
    if (m_open) {
        const double start = frameTime(m_clusterStart);
        const double end = m_quietStart >= 0 ? frameTime(m_quietStart) : duration;
        // A last frame shorter than 10 ms may end before its own nominal start time.
        m_clusters.push_back({start, std::max(end, start)});
        m_open = false;
    }
    return m_clusters;
}

ClusterList shapeClusters(const ClusterList& found, const LevelParameters& parameters,
                          double duration) {
    const double limit = duration > 0 ? duration : 0.0;
    ClusterList shaped;
    shaped.reserve(found.size());
    for (const Cluster& cluster : found) {
        // Edges are whole frames; the allowance keeps a cluster of exactly
        // minDuration from losing to rounding (1.4 - 1.1 < 0.3 in binary).
        if (cluster.end - cluster.start < parameters.minDuration - 1e-9) continue;
        Cluster widened{cluster.start - parameters.fadeInDuration - parameters.preRoll,
                        cluster.end + parameters.fadeOutDuration};
        widened.start = onTimeGrid(std::clamp(widened.start, 0.0, limit));
        widened.end = onTimeGrid(std::clamp(widened.end, 0.0, limit));
        // Negative fades narrow; a cluster narrowed past nothing is gone.
        if (!(widened.end >= widened.start)) continue;
        shaped.push_back(widened);
    }
    std::sort(shaped.begin(), shaped.end(),
              [](const Cluster& a, const Cluster& b) { return a.start < b.start; });
    ClusterList joined;
    for (const Cluster& cluster : shaped) {
        if (!joined.empty() && cluster.start <= joined.back().end)
            joined.back().end = std::max(joined.back().end, cluster.end);
        else
            joined.push_back(cluster);
    }
    return joined;
}

void NoiseFloorEstimator::addFrame(double levelDb) {
    ++m_total;
    if (std::isinf(levelDb) && levelDb < 0) {
        ++m_silent;
        return;
    }
    if (std::isnan(levelDb)) levelDb = kLowest;
    const double clamped = std::clamp(levelDb, kLowest, kHighest);
    const auto bin = static_cast<size_t>((clamped - kLowest) / kStep);
    ++m_bins[std::min(bin, kBins - 1)];
}

std::optional<double> NoiseFloorEstimator::percentile(double fraction) const {
    if (m_total == 0) return std::nullopt;
    // The rank-th quietest frame (1-based), rank = ceil(fraction x frames).
    const double wanted = std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(m_total));
    const uint64_t rank = std::max<uint64_t>(1, static_cast<uint64_t>(wanted));
    if (rank <= m_silent) return -std::numeric_limits<double>::infinity();
    uint64_t seen = m_silent;
    for (size_t bin = 0; bin < kBins; ++bin) {
        seen += m_bins[bin];
        if (seen >= rank) return kLowest + (static_cast<double>(bin) + 0.5) * kStep;
    }
    return kHighest;
}

double effectiveThreshold(double threshold, std::optional<double> noiseFloorDb,
                          double environmentNoiseLevel) {
    if (!noiseFloorDb || !std::isfinite(*noiseFloorDb)) return threshold;
    const double raised = *noiseFloorDb + 6.0 * environmentNoiseLevel;
    return std::isnan(raised) ? threshold : std::max(threshold, raised);
}

} // namespace quelvo
