#include "platform/audio/loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <ebur128.h>

namespace kyaudio {

namespace {

constexpr int kBlockFrames = 4096;

ebur128_state* st(void* state) { return static_cast<ebur128_state*>(state); }

// BS.1770 leaves the low-frequency channel out; the rest follow FFmpeg's order.
void mapChannels(ebur128_state* state, const PcmFormat& format) {
    if (format.channels <= 2) return;  // the library's default: left, right
    static const int kFivePointOne[] = {EBUR128_LEFT, EBUR128_RIGHT, EBUR128_CENTER,
                                        EBUR128_UNUSED, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND};
    for (int c = 0; c < format.channels && c < 6; ++c)
        ebur128_set_channel(state, static_cast<unsigned>(c), kFivePointOne[c]);
}

std::optional<double> finiteOrNone(double value) {
    if (!std::isfinite(value) || value <= -70.0) return std::nullopt;
    return value;
}

} // namespace

double linearToDb(double linear) {
    return linear > 0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

LoudnessMeter::LoudnessMeter(const PcmFormat& format, int modes) : m_channels(format.channels), m_modes(modes) {
    int libraryModes = 0;
    if (modes & integrated) libraryModes |= EBUR128_MODE_I;
    if (modes & range) libraryModes |= EBUR128_MODE_LRA;
    if (modes & truePeak) libraryModes |= EBUR128_MODE_TRUE_PEAK;
    if (modes & shortTerm) libraryModes |= EBUR128_MODE_S;
    if (format.channels <= 0 || format.sampleRate <= 0) return;
    m_state = ebur128_init(static_cast<unsigned>(format.channels), static_cast<unsigned long>(format.sampleRate),
                           libraryModes);
    if (m_state) mapChannels(st(m_state), format);
}

LoudnessMeter::~LoudnessMeter() {
    if (m_state) {
        ebur128_state* state = st(m_state);
        ebur128_destroy(&state);
    }
}

void LoudnessMeter::add(const double* const* planes, int frames) {
    if (!m_state) return;
    for (int done = 0; done < frames; done += kBlockFrames) {
        const int n = std::min(kBlockFrames, frames - done);
        m_interleaved.resize(static_cast<size_t>(n) * m_channels);
        for (int c = 0; c < m_channels; ++c)
            for (int i = 0; i < n; ++i) m_interleaved[static_cast<size_t>(i) * m_channels + c] = planes[c][done + i];
        ebur128_add_frames_double(st(m_state), m_interleaved.data(), static_cast<size_t>(n));
    }
}

std::optional<double> LoudnessMeter::shortTermNow() const {
    double value = 0;
    if (!m_state || ebur128_loudness_shortterm(st(m_state), &value) != EBUR128_SUCCESS) return std::nullopt;
    return finiteOrNone(value);
}

std::optional<double> LoudnessMeter::windowLoudness(unsigned long milliseconds) const {
    double value = 0;
    if (!m_state || ebur128_loudness_window(st(m_state), milliseconds, &value) != EBUR128_SUCCESS) return std::nullopt;
    return finiteOrNone(value);
}

double LoudnessMeter::truePeakLinear() const {
    double highest = 0;
    if (!m_state || !(m_modes & truePeak)) return 0;
    for (int c = 0; c < m_channels; ++c) {
        double peak = 0;
        if (ebur128_true_peak(st(m_state), static_cast<unsigned>(c), &peak) == EBUR128_SUCCESS)
            highest = std::max(highest, peak);
    }
    return highest;
}

LoudnessFigures LoudnessMeter::figures() const {
    LoudnessFigures out;
    if (!m_state) return out;
    double value = 0;
    if ((m_modes & integrated) && ebur128_loudness_global(st(m_state), &value) == EBUR128_SUCCESS)
        out.integrated = finiteOrNone(value);
    if ((m_modes & range) && ebur128_loudness_range(st(m_state), &value) == EBUR128_SUCCESS && out.integrated)
        out.range = value;
    if (m_modes & truePeak) {
        const double peak = truePeakLinear();
        if (peak > 0) out.truePeak = linearToDb(peak);
    }
    return out;
}

FileLoudness measureFileLoudness(const std::string& path, const ClusterList* onlyIntervals, int modes) {
    FileLoudness result;
    kykit::Status opened = kykit::Status::success();
    auto stream = PcmStream::open(path, {}, opened);
    if (!stream) {
        result.status = opened;
        return result;
    }
    const PcmFormat format = stream->format();
    LoudnessMeter meter(format, modes);
    if (!meter.valid()) {
        result.status = kykit::Status::failure("the loudness meter does not take this format");
        return result;
    }
    std::vector<std::vector<double>> buffers(format.channels, std::vector<double>(kBlockFrames));
    std::vector<double*> planes(format.channels);
    std::vector<const double*> slice(format.channels);
    for (int c = 0; c < format.channels; ++c) planes[c] = buffers[c].data();
    int64_t position = 0;
    size_t next = 0;  // the first interval that may still hold samples
    for (;;) {
        const int got = stream->read(planes.data(), kBlockFrames);
        if (got <= 0) break;
        if (!onlyIntervals) {
            meter.add(planes.data(), got);
        } else {
            // Feed the parts of this block that lie inside the intervals.
            const int64_t blockEnd = position + got;
            while (next < onlyIntervals->size() &&
                   std::llround((*onlyIntervals)[next].end * format.sampleRate) <= position)
                ++next;
            for (size_t k = next; k < onlyIntervals->size(); ++k) {
                const int64_t from = std::max<int64_t>(position, std::llround((*onlyIntervals)[k].start * format.sampleRate));
                const int64_t to = std::min<int64_t>(blockEnd, std::llround((*onlyIntervals)[k].end * format.sampleRate));
                if (from >= blockEnd) break;
                if (to <= from) continue;
                for (int c = 0; c < format.channels; ++c) slice[c] = planes[c] + (from - position);
                meter.add(slice.data(), static_cast<int>(to - from));
            }
        }
        position += got;
    }
    if (!stream->status()) {
        result.status = stream->status();
        return result;
    }
    if (kykit::Status whole = stream->damageVerdict(); !whole) {
        result.status = whole;
        return result;
    }
    result.damage = stream->damage();
    result.samples = stream->placedSamples();
    result.figures = meter.figures();
    result.status = kykit::Status::success();
    return result;
}

} // namespace kyaudio
