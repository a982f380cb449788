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
    const int rate = played.sampleRate;
    const GainEnvelope envelope(keyframes, overallDb);
    quelvo::LoudnessMeter whole(played, quelvo::LoudnessMeter::integrated);
    const int step = std::max(1, rate / 10);
    std::vector<std::vector<double>> buffers(played.channels, std::vector<double>(step));
    std::vector<double*> planes(played.channels);
    std::vector<const double*> slice(played.channels);
    for (int c = 0; c < played.channels; ++c)
        planes[c] = buffers[c].data();
    std::vector<double> gains(step);
    std::vector<double> energy(spans.size(), 0.0);
    std::vector<int> readings(spans.size(), 0);
    // One fresh meter per span, so its windows never reach outside it.
    std::unique_ptr<quelvo::LoudnessMeter> meter;
    size_t current = 0;
    int64_t fedInSpan = 0;
    int64_t position = 0;
    const auto sampleAt = [rate](double seconds) {
        return static_cast<int64_t>(std::llround(std::max(0.0, seconds) * rate));
    };
    for (;;) {
        // Blocks end on the span's 100 ms reading points.
        int want = step;
        if (current < spans.size()) {
            const int64_t start = sampleAt(spans[current].start);
            if (position < start)
                want = static_cast<int>(std::min<int64_t>(step, start - position));
            else
                want = static_cast<int>(step - (position - start) % step);
        }
        const int got = stream->read(planes.data(), want);
        if (got <= 0) break;
        envelope.linearGains(position, got, rate, gains.data());
        for (auto& plane : buffers)
            for (int i = 0; i < got; ++i)
                plane[i] *= gains[i];
        whole.add(planes.data(), got);
        const int64_t blockEnd = position + got;
        while (current < spans.size() && sampleAt(spans[current].end) <= position) {
            meter.reset();
            ++current;
            fedInSpan = 0;
        }
        if (current < spans.size()) {
            const int64_t from = std::max(position, sampleAt(spans[current].start));
            const int64_t to = std::min(blockEnd, sampleAt(spans[current].end));
            if (to > from) {
                if (!meter)
                    meter = std::make_unique<quelvo::LoudnessMeter>(
                        played, quelvo::LoudnessMeter::shortTerm);
                for (int c = 0; c < played.channels; ++c)
                    slice[c] = planes[c] + (from - position);
                meter->add(slice.data(), static_cast<int>(to - from));
                fedInSpan += to - from;
                // Full 3 s windows inside the part; a shorter part is one window.
                const int64_t spanLength =
                    sampleAt(spans[current].end) - sampleAt(spans[current].start);
                const int64_t window = 3 * static_cast<int64_t>(rate);
                const bool readingPoint = spanLength >= window
                                              ? fedInSpan >= window && fedInSpan % step == 0
                                              : to == sampleAt(spans[current].end);
                if (readingPoint) {
                    const auto ms = static_cast<unsigned long>(
                        std::min<int64_t>(3000, fedInSpan * 1000 / rate));
                    ++readings[current];
                    if (const auto l = meter->windowLoudness(std::max(1ul, ms)))
                        energy[current] += std::pow(10.0, *l / 10.0);
                }
            }
        }
        position = blockEnd;
    }
    if (!stream->status()) {
        result.status = stream->status();
        return result;
    }
    result.perSpan = meanLoudness(energy, readings);
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
