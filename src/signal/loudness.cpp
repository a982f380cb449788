#include "signal/loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "media/read_ahead.h"

namespace quelvo {

namespace {

constexpr int kBlockFrames = 16384;

// A stream opened at its own format, read block by block; with two jobs or
// more it is decoded a few blocks ahead on a thread of its own, so decoding
// and measuring overlap (the blocks, hence the figures, are the same).
// Several recordings made together (one microphone per speaker) are read as
// their sum, as a listener hears them: the others converted to the first's
// format, each ending in silence where it ends before the longest.
struct Reader {
    Reader(const std::vector<std::string>& paths, const Parallelism& parallelism) {
        for (const std::string& path : paths) {
            std::unique_ptr<PcmStream> opened = PcmStream::open(path, format, status);
            if (!opened) {
                streams.clear();
                return;
            }
            if (streams.empty()) format = opened->format();
            streams.push_back(std::move(opened));
        }
        for (auto& s : streams)
            aheads.push_back(std::make_unique<ReadAhead>(*s, kBlockFrames, parallelism.jobs >= 2));
        if (streams.size() > 1) {
            sum.assign(format.channels, std::vector<double>(kBlockFrames));
            for (auto& plane : sum)
                sumPlanes.push_back(plane.data());
        }
        stream = streams.empty() ? nullptr : streams.front().get();
    }
    int read() {
        if (aheads.size() == 1) return aheads.front()->next(planes);
        int frames = 0;
        for (auto& plane : sum)
            std::fill(plane.begin(), plane.end(), 0.0);
        for (auto& ahead : aheads) {
            const double* const* got = nullptr;
            const int n = ahead->next(got);
            for (size_t c = 0; c < sum.size(); ++c)
                for (int i = 0; i < n; ++i)
                    sum[c][i] += got[c][i];
            frames = std::max(frames, n);
        }
        planes = sumPlanes.data();
        return frames;
    }
    Status status = Status::success();
    std::vector<std::unique_ptr<PcmStream>> streams;
    std::vector<std::unique_ptr<ReadAhead>> aheads;
    PcmStream* stream = nullptr; // the first: its format, damage and length are reported
    PcmFormat format;
    const double* const* planes = nullptr;
    std::vector<std::vector<double>> sum;
    std::vector<double*> sumPlanes;
};

int64_t sampleAt(double seconds, int rate) {
    return std::llround(std::max(0.0, seconds) * rate);
}

// After the last block: the stream's failure, or too much of it damaged to
// measure (false, with the status set); else what it passed over as silence.
template <typename Result> bool takeStreamEnd(const Reader& in, Result& result) {
    for (const auto& stream : in.streams) {
        if (!stream->status()) {
            result.status = stream->status();
            return false;
        }
        if (Status whole = stream->damageVerdict(); !whole) {
            result.status = whole;
            return false;
        }
    }
    result.damage = in.stream->damage();
    result.samples = in.stream->placedSamples();
    return true;
}

} // namespace

double linearToDb(double linear) {
    return linear > 0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

LoudnessMeter::LoudnessMeter(const PcmFormat& format, int modes)
    : m_valid(format.channels > 0 && format.sampleRate > 0), m_modes(modes),
      m_rate(format.sampleRate), m_weighting(format), m_blocks(format.sampleRate),
      m_peak(format.channels) {
    if (m_valid && (modes & shortTerm)) m_recent.assign(static_cast<size_t>(3 * m_rate), 0.0);
}

void LoudnessMeter::add(const double* const* planes, int frames) {
    if (!m_valid || frames <= 0) return;
    if (m_modes & truePeak) m_peak.add(planes, frames);
    if (!(m_modes & (integrated | range | shortTerm))) return;
    m_power.resize(static_cast<size_t>(frames));
    m_weighting.power(planes, frames, m_power.data());
    if (m_modes & (integrated | range)) m_blocks.add(m_power.data(), frames);
    if (!m_recent.empty()) {
        for (double p : m_power) {
            m_recent[m_recentEnd] = p;
            m_recentEnd = (m_recentEnd + 1) % m_recent.size();
        }
    }
    m_added += frames;
}

std::optional<double> LoudnessMeter::windowLoudness(unsigned long milliseconds) const {
    if (m_recent.empty()) return std::nullopt;
    const auto wanted =
        static_cast<int64_t>(std::llround(static_cast<double>(milliseconds) * m_rate / 1000.0));
    const int64_t n = std::min<int64_t>({wanted, m_added, static_cast<int64_t>(m_recent.size())});
    if (n <= 0) return std::nullopt;
    double sum = 0;
    size_t at = m_recentEnd;
    for (int64_t i = 0; i < n; ++i) {
        at = (at == 0 ? m_recent.size() : at) - 1;
        sum += m_recent[at];
    }
    // Like a meter that has only heard silence before, a window longer than
    // what was heard counts the missing part as silence.
    return powerToLoudness(sum / static_cast<double>(std::max<int64_t>(wanted, 1)));
}

double LoudnessMeter::truePeakLinear() const {
    return (m_modes & truePeak) ? m_peak.peak() : 0.0;
}

LoudnessFigures LoudnessMeter::figures() const {
    LoudnessFigures out;
    if (!m_valid) return out;
    if (m_modes & integrated) out.integrated = m_blocks.integrated();
    if ((m_modes & range) && out.integrated) out.range = m_blocks.range();
    if (m_modes & truePeak) {
        const double peak = truePeakLinear();
        if (peak > 0) out.truePeak = linearToDb(peak);
    }
    return out;
}

FileLoudness measureFileLoudness(const std::string& path, const ClusterList* onlyIntervals,
                                 int modes, const Parallelism& parallelism) {
    FileLoudness result;
    if (!onlyIntervals) {
        Reader in({path}, parallelism);
        if (!in.stream) {
            result.status = in.status;
            return result;
        }
        LoudnessMeter meter(in.format, modes);
        if (!meter.valid()) {
            result.status = Status::failure("the loudness meter does not take this format");
            return result;
        }
        for (int got = in.read(); got > 0; got = in.read())
            meter.add(in.planes, got);
        if (!takeStreamEnd(in, result)) return result;
        result.figures = meter.figures();
        result.status = Status::success();
        return result;
    }
    const IntervalLoudness measured = measureIntervalLoudness(path, *onlyIntervals, parallelism);
    result.status = measured.status;
    result.figures.integrated = measured.together;
    result.damage = measured.damage;
    result.samples = measured.samples;
    return result;
}

IntervalLoudness measureIntervalLoudness(const std::string& path, const ClusterList& intervals,
                                         const Parallelism& parallelism) {
    return measureIntervalLoudness(std::vector<std::string>{path}, intervals, parallelism);
}

IntervalLoudness measureIntervalLoudness(const std::vector<std::string>& paths,
                                         const ClusterList& intervals,
                                         const Parallelism& parallelism) {
    IntervalLoudness result;
    Reader in(paths, parallelism);
    if (!in.stream) {
        result.status = in.status;
        return result;
    }
    const int rate = in.format.sampleRate;
    if (in.format.channels <= 0 || rate <= 0) {
        result.status = Status::failure("the loudness meter does not take this format");
        return result;
    }
    KWeighting weighting(in.format);
    LoudnessBlocks together(rate);
    std::vector<LoudnessBlocks> each(intervals.size(), LoudnessBlocks(rate));
    std::vector<double> power(kBlockFrames);
    int64_t position = 0;
    size_t next = 0; // the first interval that may still hold samples
    for (int got = in.read(); got > 0; got = in.read()) {
        weighting.power(in.planes, got, power.data());
        const int64_t blockEnd = position + got;
        while (next < intervals.size() && sampleAt(intervals[next].end, rate) <= position)
            ++next;
        for (size_t k = next; k < intervals.size(); ++k) {
            const int64_t from = std::max(position, sampleAt(intervals[k].start, rate));
            const int64_t to = std::min(blockEnd, sampleAt(intervals[k].end, rate));
            if (from >= blockEnd) break;
            if (to <= from) continue;
            const double* at = power.data() + (from - position);
            together.add(at, static_cast<int>(to - from));
            each[k].add(at, static_cast<int>(to - from));
        }
        position = blockEnd;
    }
    if (!takeStreamEnd(in, result)) return result;
    result.together = together.integrated();
    for (const LoudnessBlocks& blocks : each) {
        // Shorter than one 400 ms block: the interval is its own block.
        const bool short_ = blocks.frames() < 4 * static_cast<int64_t>(blocks.stepFrames());
        result.perInterval.push_back(short_ ? blocks.asOneBlock() : blocks.integrated());
    }
    result.status = Status::success();
    return result;
}

} // namespace quelvo
