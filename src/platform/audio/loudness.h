#pragma once
// Loudness after EBU R128 / ITU-R BS.1770 (libebur128): integrated loudness,
// loudness range, short-term loudness and true peak of planar double blocks.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/cluster.h"
#include "platform/audio/pcm_stream.h"
#include "platform/toolkit/result.h"

namespace kyaudio {

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
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    bool valid() const { return m_state != nullptr; }
    void add(const double* const* planes, int frames);
    // Short-term loudness of the last 3 s; absent in silence.
    std::optional<double> shortTermNow() const;
    // Loudness of the last `milliseconds` (at most 3000 with shortTerm).
    std::optional<double> windowLoudness(unsigned long milliseconds) const;
    LoudnessFigures figures() const;
    // The highest true peak as a linear factor of full scale.
    double truePeakLinear() const;

private:
    void* m_state = nullptr;  // the library's state
    int m_channels = 0;
    int m_modes = 0;
    std::vector<double> m_interleaved;
};

// Integrated loudness, range and true peak of a whole file at its own
// format, or of the given intervals only (seconds; samples outside them are
// not measured). A file that cannot be read is a failure.
struct FileLoudness {
    kykit::Status status = kykit::Status::failure("not measured");
    LoudnessFigures figures;
    // Passed over as silence (PcmStream::damage), of `samples` in all.
    AudioDamage damage;
    int64_t samples = 0;
};
// `modes` (LoudnessMeter::Mode) picks what is measured: the true peak costs
// several times the rest.
FileLoudness measureFileLoudness(const std::string& path, const ClusterList* onlyIntervals = nullptr,
                                 int modes = 1 | 2 | 4);

// Level in dB of a linear factor; -inf for 0.
double linearToDb(double linear);

} // namespace kyaudio
