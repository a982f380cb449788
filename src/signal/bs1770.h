#pragma once
// The pieces of an ITU-R BS.1770 / EBU R128 loudness measurement, written so
// that a file measured in parts gives the figures of one run: the K-weighting
// filter turns each frame into one channel-weighted power, and LoudnessBlocks
// keeps the power summed per 100 ms step of the file's own sample grid. The
// 400 ms blocks of the integrated loudness and the 3 s blocks of the range
// are made of whole steps, so two measurements that meet on a step boundary
// join by appending their steps, and the gating runs on the joined list.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "media/pcm_stream.h"

namespace quelvo {

// The two K-weighting stages (the head's high shelf, then the high pass) for
// any sample rate, with BS.1770's channel weights (FFmpeg's channel order:
// left, right, centre 1; the low-frequency channel 0; surrounds 1.41).
class KWeighting {
  public:
    explicit KWeighting(const PcmFormat& format);
    // power[i] = sum over channels of weight * (K-weighted sample)^2 for the
    // `frames` frames given; the filters carry on from the previous call.
    void power(const double* const* planes, int frames, double* power);
    int channels() const { return static_cast<int>(m_weights.size()); }

  private:
    struct Biquad {
        double b0, b1, b2, a1, a2;
    };
    Biquad m_shelf{}, m_highPass{};
    std::vector<double> m_weights;
    std::vector<std::array<double, 4>> m_state; // per channel: the two stages' memories
};

// LUFS of a mean power; absent at or below the absolute gate (-70 LUFS).
std::optional<double> powerToLoudness(double meanPower);

class LoudnessBlocks {
  public:
    explicit LoudnessBlocks(int sampleRate);
    void add(const double* power, int frames);
    // Appends a measurement that starts where this one ends; this one must
    // end on a step boundary (its frames a multiple of stepFrames()).
    void append(const LoudnessBlocks& later);

    // Gated integrated loudness over 400 ms blocks every 100 ms.
    std::optional<double> integrated() const;
    // Loudness range (EBU Tech 3342) over 3 s blocks every second.
    std::optional<double> range() const;
    // The loudness of everything added as one block, whatever its length.
    std::optional<double> asOneBlock() const;

    int stepFrames() const { return m_step; }
    int64_t frames() const {
        return static_cast<int64_t>(m_steps.size()) * m_step + m_partialFrames;
    }

  private:
    std::vector<double> blockPowers(int stepsPerBlock, int hop) const;
    int m_step;
    std::vector<double> m_steps; // summed power of each whole step
    double m_partial = 0;
    int m_partialFrames = 0;
    double m_total = 0; // every frame's power, for asOneBlock
};

} // namespace quelvo
