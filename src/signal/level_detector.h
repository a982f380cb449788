#pragma once
// From 10 ms frame levels to clusters of activity. Works on levels alone, so
// it is tested with made-up level sequences as well as with decoded files.
#include <array>
#include <cstdint>
#include <optional>

#include "base/cluster.h"
#include "media/audio_file.h"

namespace quelvo {

// dBFS of a linear peak; -inf for digital silence.
double peakToDb(float peak);

// Opens a cluster at a frame whose level reaches the threshold, keeps it open
// while levels stay at or above threshold - hysteresis, and closes it once the
// level has stayed below that for `decay` seconds; the cluster then ends where
// the quiet run began. Frame k starts at k / 100 s.
class LevelDetector {
  public:
    LevelDetector(double threshold, double hysteresis, double decay);

    void addFrame(double levelDb);
    // Closes a cluster still open at the end of the file (at the start of a
    // quiet run in progress, else at `duration`) and returns the clusters as
    // found, before minDuration, fades and preRoll.
    ClusterList finish(double duration);

    int64_t frames() const { return m_frames; }

  private:
    double m_openLevel;
    double m_stayOpenLevel;
    int64_t m_decayFrames;
    int64_t m_frames = 0;
    bool m_open = false;
    int64_t m_clusterStart = 0;
    int64_t m_quietStart = -1; // first frame of the quiet run, -1 while loud
    ClusterList m_clusters;
};

// Drops clusters shorter than minDuration, widens the rest by the fades
// (starts also by preRoll), clamps them to [0, duration] and joins those that
// then overlap or touch.
ClusterList shapeClusters(const ClusterList& found, const LevelParameters& parameters,
                          double duration);

// The level below which a tenth of the frames lie, from a fixed-size
// histogram (0.01 dB steps), so that memory does not grow with the file.
class NoiseFloorEstimator {
  public:
    void addFrame(double levelDb);
    // nullopt before any frame; -inf when the quietest tenth is digital silence.
    std::optional<double> percentile(double fraction) const;

  private:
    static constexpr double kLowest = -200.0; // dB; anything lower counts here
    static constexpr double kHighest = 50.0;
    static constexpr double kStep = 0.01;
    static constexpr size_t kBins = static_cast<size_t>((kHighest - kLowest) / kStep) + 1;
    std::array<uint64_t, kBins> m_bins{};
    uint64_t m_silent = 0;
    uint64_t m_total = 0;
};

// max(threshold, floor + 6 dB x environmentNoiseLevel); the threshold alone
// when the floor is unknown or digital silence.
double effectiveThreshold(double threshold, std::optional<double> noiseFloorDb,
                          double environmentNoiseLevel);

} // namespace quelvo
