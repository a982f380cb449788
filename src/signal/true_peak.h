#pragma once
// True peak (the peak between samples, ITU-R BS.1770 Annex 2) by 4x
// oversampling with a 48-tap windowed-sinc interpolator, split into its
// phases: the samples themselves are one phase, so only the three points
// between two samples are computed, 12 taps each. What makes it cheap is
// that most of a file cannot raise the peak found so far: the samples are
// taken in runs of 64, and a run whose neighbourhood's sample peak times the
// interpolator's largest gain stays under the highest value yet is not
// oversampled at all. The answer is the one a full oversampling gives, and
// the highest of several parts' peaks is the whole's.
#include <vector>

namespace quelvo {

class TruePeakMeter {
  public:
    explicit TruePeakMeter(int channels);
    void add(const double* const* planes, int frames);
    // The highest sample or interpolated value seen, as a linear factor.
    double peak() const { return m_peak; }

  private:
    void addChannel(std::vector<double>& history, const double* x, int frames);

    int m_channels;
    double m_peak = 0;
    std::vector<std::vector<double>> m_history; // the last samples of each channel
    std::vector<double> m_joined;
};

} // namespace quelvo
