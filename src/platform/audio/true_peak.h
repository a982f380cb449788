#pragma once
// True peak (the peak between samples, ITU-R BS.1770 Annex 2) by 4x
// oversampling with a 48-tap windowed-sinc interpolator, cheap enough to run
// on every render: a block whose samples are so low that no interpolated
// value can reach the ceiling (the sample peak times the interpolator's
// largest gain) is not oversampled at all. Only values that may reach the
// ceiling are measured exactly; below it, peak() is the sample peak.
#include <vector>

namespace kyaudio {

class TruePeakMeter {
public:
    TruePeakMeter(int channels, double ceiling);
    void add(const double* const* planes, int frames);
    // The highest sample or interpolated value seen, as a linear factor.
    double peak() const { return m_peak; }

private:
    int m_channels;
    double m_ceiling;
    double m_skipBelow;  // a block whose sample peak is under this cannot reach the ceiling
    double m_peak = 0;
    std::vector<std::vector<double>> m_history;  // the last samples of each channel
    std::vector<double> m_joined;
};

} // namespace kyaudio
