#pragma once
// Loudness after EBU R128 / ITU-R BS.1770: integrated loudness, loudness
// range, the loudness of the last seconds and true peak of planar double
// blocks (bs1770.h and true_peak.h do the measuring).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "base/result.h"
#include "media/parallelism.h"
#include "media/pcm_stream.h"
#include "signal/bs1770.h"
#include "signal/true_peak.h"

namespace quelvo {

// Levels in LUFS / LU / dBTP; absent where nothing measurable was heard
// (digital silence, or less than one 400 ms block).
struct LoudnessFigures {
    std::optional<double> integrated;
    std::optional<double> range;
    std::optional<double> truePeak;
};

class LoudnessMeter {
  public:
    enum Mode : int { integrated = 1, range = 2, truePeak = 4, shortTerm = 8 };
    LoudnessMeter(const PcmFormat& format, int modes);

    bool valid() const { return m_valid; }
    void add(const double* const* planes, int frames);
    // Loudness of the last `milliseconds` (at most 3000, with shortTerm).
    std::optional<double> windowLoudness(unsigned long milliseconds) const;
    LoudnessFigures figures() const;
    // The highest true peak as a linear factor of full scale.
    double truePeakLinear() const;

  private:
    bool m_valid = false;
    int m_modes = 0;
    int m_rate = 0;
    KWeighting m_weighting;
    LoudnessBlocks m_blocks;
    TruePeakMeter m_peak;
    std::vector<double> m_power;
    // The last 3 s of power, as a ring, for windowLoudness.
    std::vector<double> m_recent;
    size_t m_recentEnd = 0;
    int64_t m_added = 0;
};

// Integrated loudness, range and true peak of a whole file at its own
// format, or of the given intervals only (seconds; samples outside them are
// not measured). A file that cannot be read is a failure.
struct FileLoudness {
    Status status = Status::failure("not measured");
    LoudnessFigures figures;
    // Passed over as silence (PcmStream::damage), of `samples` in all.
    AudioDamage damage;
    int64_t samples = 0;
};
// `modes` (LoudnessMeter::Mode) picks what is measured: the true peak costs
// several times the rest.
// With two jobs or more the file is decoded ahead on a second thread while
// it is measured; the figures are the same.
FileLoudness measureFileLoudness(const std::string& path,
                                 const ClusterList* onlyIntervals = nullptr, int modes = 1 | 2 | 4,
                                 const Parallelism& parallelism = {});

// Each interval's own integrated loudness (an interval shorter than one
// 400 ms block is one block of its own length) and that of all of them
// together, of a file at its own format. The K-weighting runs over the whole
// file, so an interval's first samples are weighted as they sound in context.
struct IntervalLoudness {
    Status status = Status::failure("not measured");
    std::optional<double> together;
    std::vector<std::optional<double>> perInterval;
    // Passed over as silence (PcmStream::damage), of `samples` in all.
    AudioDamage damage;
    int64_t samples = 0;
};
IntervalLoudness measureIntervalLoudness(const std::string& path, const ClusterList& intervals,
                                         const Parallelism& parallelism = {});
// The same of several recordings made together, summed as a listener hears
// them (the others at the first's format); damage and samples are the
// first's, a failure any file's.
IntervalLoudness measureIntervalLoudness(const std::vector<std::string>& paths,
                                         const ClusterList& intervals,
                                         const Parallelism& parallelism = {});

// Level in dB of a linear factor; -inf for 0.
double linearToDb(double linear);

} // namespace quelvo
