#include "mix/loudness_depth.h"

#include <algorithm>
#include <cmath>

#include "ducking/volume_keyframes.h"
#include "mix/envelope.h"
#include "platform/audio/loudness.h"

namespace quelvo::mix {

int levelForDistance(double dialogueLufs, double musicLufsAtUnity, double under, int overallDb) {
    double gain = dialogueLufs - under - musicLufsAtUnity;
    gain = std::clamp(gain, kDeepestDuck, 0.0);
    gain = std::min(gain, static_cast<double>(overallDb));
    return static_cast<int>(std::lround(gain));
}

IntervalLoudness shortTermPerInterval(const std::string& path, const kyaudio::PcmFormat& format,
                                      const kymovie::VolumeKeyframeList& keyframes, double overallDb,
                                      const kyaudio::ClusterList& intervals) {
    IntervalLoudness result;
    kykit::Status status = kykit::Status::success();
    auto stream = kyaudio::PcmStream::open(path, format, status);
    if (!stream) {
        result.status = status;
        return result;
    }
    const kyaudio::PcmFormat played = stream->format();
    const GainEnvelope envelope(keyframes, overallDb);
    kyaudio::LoudnessMeter meter(played, kyaudio::LoudnessMeter::shortTerm | kyaudio::LoudnessMeter::integrated);
    const int step = std::max(1, played.sampleRate / 10);
    std::vector<std::vector<double>> buffers(played.channels, std::vector<double>(step));
    std::vector<double*> planes(played.channels);
    for (int c = 0; c < played.channels; ++c) planes[c] = buffers[c].data();
    std::vector<double> gains(step);
    std::vector<double> energy(intervals.size(), 0.0);
    std::vector<int> readings(intervals.size(), 0);
    int64_t position = 0;
    size_t first = 0;
    for (;;) {
        const int got = stream->read(planes.data(), step);
        if (got <= 0) break;
        envelope.linearGains(position, got, played.sampleRate, gains.data());
        for (auto& plane : buffers)
            for (int i = 0; i < got; ++i) plane[i] *= gains[i];
        meter.add(planes.data(), got);
        position += got;
        const double now = static_cast<double>(position) / played.sampleRate;
        while (first < intervals.size() && intervals[first].end < now) ++first;
        for (size_t k = first; k < intervals.size() && intervals[k].start <= now; ++k) {
            if (now > intervals[k].end) continue;
            ++readings[k];
            if (const auto st = meter.shortTermNow()) energy[k] += std::pow(10.0, *st / 10.0);
        }
    }
    if (!stream->status()) {
        result.status = stream->status();
        return result;
    }
    for (size_t k = 0; k < intervals.size(); ++k) {
        if (readings[k] == 0 || energy[k] <= 0) result.perInterval.push_back(std::nullopt);
        else result.perInterval.push_back(10.0 * std::log10(energy[k] / readings[k]));
    }
    result.integrated = meter.figures().integrated;
    result.status = kykit::Status::success();
    return result;
}

LoudnessDepths loudnessDepths(const std::string& dialoguePath, const std::string& musicPath,
                              const kyaudio::ClusterList& speech, const QVRoll& rolls, double under,
                              int fixedLevel, int overallDb) {
    LoudnessDepths result;
    result.levels.assign(speech.size(), fixedLevel);
    const kyaudio::FileLoudness dialogue = kyaudio::measureFileLoudness(dialoguePath, &speech);
    if (!dialogue.status) {
        result.status = dialogue.status;
        return result;
    }
    result.dialogueLoudness = dialogue.figures.integrated;
    kykit::Status status = kykit::Status::success();
    kyaudio::PcmFormat format;
    {
        auto stream = kyaudio::PcmStream::open(dialoguePath, {}, status);
        if (!stream) {
            result.status = status;
            return result;
        }
        format = stream->sourceFormat();
    }
    // Round one: the music as it plays without ducking.
    IntervalLoudness unducked = shortTermPerInterval(musicPath, format, {}, 0.0, speech);
    if (!unducked.status) {
        result.status = unducked.status;
        return result;
    }
    result.musicLoudness = unducked.integrated;
    if (!result.dialogueLoudness || speech.empty()) {
        result.status = kykit::Status::success();
        return result;
    }
    // What the music would measure at unity gain under each interval; the
    // later rounds correct it for the fades that reach into the windows.
    std::vector<std::optional<double>> atUnity = unducked.perInterval;
    for (size_t k = 0; k < speech.size(); ++k)
        if (atUnity[k]) result.levels[k] = levelForDistance(*result.dialogueLoudness, *atUnity[k], under, overallDb);
    for (int round = 1; round < kLoudnessRounds; ++round) {
        const auto keyframes = makeVolumeKeyframes(speech, rolls, result.levels, overallDb);
        const IntervalLoudness ducked = shortTermPerInterval(musicPath, format, keyframes, overallDb, speech);
        if (!ducked.status) {
            result.status = ducked.status;
            return result;
        }
        bool changed = false;
        for (size_t k = 0; k < speech.size(); ++k) {
            if (!atUnity[k] || !ducked.perInterval[k]) continue;
            // Measured at this level: what unity gain would have measured.
            atUnity[k] = *ducked.perInterval[k] - result.levels[k];
            const int level = levelForDistance(*result.dialogueLoudness, *atUnity[k], under, overallDb);
            changed = changed || level != result.levels[k];
            result.levels[k] = level;
        }
        if (!changed) break;
    }
    result.status = kykit::Status::success();
    return result;
}

} // namespace quelvo::mix
