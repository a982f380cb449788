#include "mix/loudness_depth.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "base/side_by_side.h"
#include "mix/envelope.h"
#include "signal/loudness.h"

namespace quelvo::mix {

int levelForDistance(double dialogueLufs, double musicLufsAtUnity, double under, int overallDb) {
    double gain = dialogueLufs - under - musicLufsAtUnity;
    gain = std::clamp(gain, kDeepestDuck, 0.0);
    gain = std::min(gain, static_cast<double>(overallDb));
    return static_cast<int>(std::lround(gain));
}

quelvo::ClusterList duckedParts(const quelvo::ClusterList& speech, const EnvelopeTiming& rolls) {
    quelvo::ClusterList parts;
    for (const auto& c : speech) {
        quelvo::Cluster part{c.start + rolls.postFadeIn, c.end - rolls.preFadeOut};
        if (part.end - part.start < 0.1) {
            const double middle = (c.start + c.end) / 2;
            part = {middle - 0.05, middle + 0.05};
        }
        parts.push_back(part);
    }
    return parts;
}

namespace {

// Each span's loudness, the energy mean of its readings; none where it had no
// reading or only silence.
std::vector<std::optional<double>> meanLoudness(const std::vector<double>& energy,
                                                const std::vector<int>& readings) {
    std::vector<std::optional<double>> perSpan;
    for (size_t k = 0; k < energy.size(); ++k) {
        if (readings[k] == 0 || energy[k] <= 0)
            perSpan.push_back(std::nullopt);
        else
            perSpan.push_back(10.0 * std::log10(energy[k] / readings[k]));
    }
    return perSpan;
}

// Meters each span on its own: a fresh meter per span, so that its windows
// never reach outside it, read every 100 ms once three seconds are in (a
// shorter span is one window, read at its end).
class SpanMeter {
  public:
    SpanMeter(const quelvo::PcmFormat& format, const quelvo::ClusterList& spans)
        : m_format(format), m_spans(spans), m_rate(format.sampleRate),
          m_step(std::max(1, m_rate / 10)), m_slice(format.channels), m_energy(spans.size(), 0.0),
          m_readings(spans.size(), 0) {}

    int step() const { return m_step; }
    // Blocks end on the span's 100 ms reading points.
    int nextBlock(int64_t position) const {
        if (m_current >= m_spans.size()) return m_step;
        const int64_t start = sampleAt(m_spans[m_current].start);
        if (position < start) return static_cast<int>(std::min<int64_t>(m_step, start - position));
        return static_cast<int>(m_step - (position - start) % m_step);
    }
    // The block of `got` frames that starts at `position`.
    void feed(const std::vector<double*>& planes, int64_t position, int got) {
        while (m_current < m_spans.size() && sampleAt(m_spans[m_current].end) <= position) {
            m_meter.reset();
            ++m_current;
            m_fedInSpan = 0;
        }
        if (m_current >= m_spans.size()) return;
        const int64_t from = std::max(position, sampleAt(m_spans[m_current].start));
        const int64_t to = std::min(position + got, sampleAt(m_spans[m_current].end));
        if (to <= from) return;
        if (!m_meter)
            m_meter =
                std::make_unique<quelvo::LoudnessMeter>(m_format, quelvo::LoudnessMeter::shortTerm);
        for (size_t c = 0; c < m_slice.size(); ++c)
            m_slice[c] = planes[c] + (from - position);
        m_meter->add(m_slice.data(), static_cast<int>(to - from));
        m_fedInSpan += to - from;
        if (readingPoint(to)) read();
    }
    std::vector<std::optional<double>> perSpan() const {
        return meanLoudness(m_energy, m_readings);
    }

  private:
    int64_t sampleAt(double seconds) const {
        return static_cast<int64_t>(std::llround(std::max(0.0, seconds) * m_rate));
    }
    bool readingPoint(int64_t to) const {
        const quelvo::Cluster& span = m_spans[m_current];
        const int64_t window = 3 * static_cast<int64_t>(m_rate);
        if (sampleAt(span.end) - sampleAt(span.start) >= window)
            return m_fedInSpan >= window && m_fedInSpan % m_step == 0;
        return to == sampleAt(span.end);
    }
    void read() {
        const auto ms =
            static_cast<unsigned long>(std::min<int64_t>(3000, m_fedInSpan * 1000 / m_rate));
        ++m_readings[m_current];
        if (const auto l = m_meter->windowLoudness(std::max(1ul, ms)))
            m_energy[m_current] += std::pow(10.0, *l / 10.0);
    }

    const quelvo::PcmFormat m_format;
    const quelvo::ClusterList& m_spans;
    const int m_rate;
    const int m_step;
    std::vector<const double*> m_slice;
    std::vector<double> m_energy;
    std::vector<int> m_readings;
    std::unique_ptr<quelvo::LoudnessMeter> m_meter;
    size_t m_current = 0;
    int64_t m_fedInSpan = 0;
};

} // namespace

SpanLoudness loudnessPerSpan(const std::string& path, const quelvo::PcmFormat& format,
                             const quelvo::VolumeKeyframeList& keyframes, double overallDb,
                             const quelvo::ClusterList& spans) {
    SpanLoudness result;
    quelvo::Status status = quelvo::Status::success();
    auto stream = quelvo::PcmStream::open(path, format, status);
    if (!stream) {
        result.status = status;
        return result;
    }
    const quelvo::PcmFormat played = stream->format();
    const GainEnvelope envelope(keyframes, overallDb);
    quelvo::LoudnessMeter whole(played, quelvo::LoudnessMeter::integrated);
    SpanMeter meter(played, spans);
    std::vector<std::vector<double>> buffers(played.channels, std::vector<double>(meter.step()));
    std::vector<double*> planes(played.channels);
    for (int c = 0; c < played.channels; ++c)
        planes[c] = buffers[c].data();
    std::vector<double> gains(meter.step());
    for (int64_t position = 0;;) {
        const int got = stream->read(planes.data(), meter.nextBlock(position));
        if (got <= 0) break;
        envelope.linearGains(position, got, played.sampleRate, gains.data());
        for (auto& plane : buffers)
            for (int i = 0; i < got; ++i)
                plane[i] *= gains[i];
        whole.add(planes.data(), got);
        meter.feed(planes, position, got);
        position += got;
    }
    if (!stream->status()) {
        result.status = stream->status();
        return result;
    }
    result.perSpan = meter.perSpan();
    result.integrated = whole.figures().integrated;
    result.status = quelvo::Status::success();
    return result;
}

LoudnessDepths loudnessDepths(const std::string& dialoguePath, const std::string& musicPath,
                              const quelvo::ClusterList& speech, const EnvelopeTiming& rolls,
                              double under, int fixedLevel, int overallDb,
                              const quelvo::Parallelism& parallelism) {
    return loudnessDepths(std::vector<std::string>{dialoguePath}, musicPath, speech, rolls, under,
                          fixedLevel, overallDb, parallelism);
}

LoudnessDepths loudnessDepths(const std::vector<std::string>& dialoguePaths,
                              const std::string& musicPath, const quelvo::ClusterList& speech,
                              const EnvelopeTiming& rolls, double under, int fixedLevel,
                              int overallDb, const quelvo::Parallelism& parallelism) {
    LoudnessDepths result;
    result.levels.assign(speech.size(), fixedLevel);
    // Each file is measured in its own format, as the editor's timeline plays
    // it: the music's figures do not depend on the dialogue's rate or layout.
    quelvo::Beside<SpanLoudness> measuredMusic =
        quelvo::startBeside(parallelism.jobs >= 2, [&musicPath, &speech, &rolls] {
            return loudnessPerSpan(musicPath, {}, {}, 0.0, duckedParts(speech, rolls));
        });
    const quelvo::IntervalLoudness dialogue =
        quelvo::measureIntervalLoudness(dialoguePaths, speech);
    // The failures in the order of one thread: the dialogue's, then the music's.
    if (!dialogue.status) {
        result.status = dialogue.status;
        return result;
    }
    result.dialogueLoudness = dialogue.together;
    const SpanLoudness music = measuredMusic.get();
    if (!music.status) {
        result.status = music.status;
        return result;
    }
    result.musicLoudness = music.integrated;
    // Each interval against its own speech: one loudness for the whole file
    // would bury a quiet speaker under music set for the loud one.
    for (size_t k = 0; k < speech.size(); ++k)
        if (dialogue.perInterval[k] && music.perSpan[k])
            result.levels[k] =
                levelForDistance(*dialogue.perInterval[k], *music.perSpan[k], under, overallDb);
    result.status = quelvo::Status::success();
    return result;
}

} // namespace quelvo::mix
