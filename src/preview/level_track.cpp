#include "preview/level_track.h"

#include <algorithm>
#include <cmath>

#include "media/audio_file.h"
#include "media/audio_reader.h"
#include "media/parallel_reader.h"

namespace quelvo::preview {

namespace {

// Thrown from the decoder's sink to leave it early. The reader has no stop
// option of its own; everything it holds is released by destructors, and the
// exception never leaves this file.
struct Stopped {};

} // namespace

LevelTrack::LevelTrack(std::vector<float> peaks, double duration, int sampleRate,
                       std::optional<quelvo::SpeechFeatures> speechFeatures)
    : m_peaks(std::move(peaks)), m_duration(duration), m_sampleRate(sampleRate),
      m_features(std::move(speechFeatures)) {
    m_overview.resize((m_peaks.size() + kBlock - 1) / kBlock, 0.0f);
    for (size_t i = 0; i < m_peaks.size(); ++i)
        m_overview[i / kBlock] = std::max(m_overview[i / kBlock], m_peaks[i]);
}

float LevelTrack::peakOver(int64_t first, int64_t last) const {
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, static_cast<int64_t>(m_peaks.size()));
    float peak = 0.0f;
    while (first < last) {
        if (first % kBlock == 0 && first + kBlock <= last) {
            peak = std::max(peak, m_overview[first / kBlock]);
            first += kBlock;
        } else {
            peak = std::max(peak, m_peaks[first++]);
        }
    }
    return peak;
}

size_t LevelTrack::bytes() const {
    size_t floats = m_peaks.capacity() + m_overview.capacity();
    if (m_features) floats += m_features->level.capacity() + m_features->voicing.capacity();
    return sizeof(*this) + floats * sizeof(float);
}

TrackAnalysis analyzeLevelTrack(const std::string& path, const std::atomic<bool>* cancel,
                                const std::function<void(double)>& progress, TrackContent content) {
    TrackAnalysis result;
    // A long AAC file is decoded in chunks by the job; the preview reads the
    // same chunks so that the two cannot disagree. It says how far it got
    // only at the end, and stops only between reading and keeping.
    if (quelvo::readInChunks(path)) {
        const bool withFeatures = content == TrackContent::levelsAndSpeechFeatures;
        quelvo::FileLevels levels =
            quelvo::readFileLevels(path,
                                   withFeatures ? quelvo::LevelContent::peaksAndSpeechFeatures
                                                : quelvo::LevelContent::peaks,
                                   {});
        if (cancel && cancel->load()) {
            result.status = quelvo::Status::failure("the analysis was cancelled");
            return result;
        }
        if (!levels.decoded.status) {
            result.status = levels.decoded.status;
            return result;
        }
        if (progress) progress(1.0);
        std::optional<quelvo::SpeechFeatures> features;
        if (withFeatures) features = std::move(levels.features);
        result.track =
            std::make_shared<const LevelTrack>(std::move(levels.peaks), levels.decoded.duration,
                                               levels.decoded.sampleRate, std::move(features));
        result.status = quelvo::Status::success();
        return result;
    }
    const double expected = quelvo::audioDuration(path);
    const int64_t expectedFrames =
        std::isfinite(expected) && expected > 0
            ? static_cast<int64_t>(expected * quelvo::kLevelFramesPerSecond) + 1
            : 0;
    std::vector<float> peaks;
    if (expectedFrames > 0) peaks.reserve(static_cast<size_t>(expectedFrames));
    // The feature meter watches the same decoded blocks the peak meter reads.
    std::optional<quelvo::SpeechFeatureMeter> meter;
    quelvo::DecodeOptions options;
    if (content == TrackContent::levelsAndSpeechFeatures) options.observer = &meter.emplace();
    quelvo::DecodeSummary summary;
    try {
        summary = quelvo::readFramePeaks(
            path,
            [&](float peak) {
                peaks.push_back(peak);
                // Every second of audio: cheap enough not to show in the decode.
                if (peaks.size() % quelvo::kLevelFramesPerSecond != 0) return;
                if (cancel && cancel->load(std::memory_order_relaxed)) throw Stopped{};
                if (progress && expectedFrames > 0)
                    progress(std::min(1.0, static_cast<double>(peaks.size()) / expectedFrames));
            },
            options);
    } catch (const Stopped&) {
        result.status = quelvo::Status::failure("the analysis was cancelled");
        return result;
    }
    if (!summary.status) {
        result.status = summary.status;
        return result;
    }
    peaks.shrink_to_fit();
    std::optional<quelvo::SpeechFeatures> features;
    if (meter) {
        features = meter->finish();
        features->level.shrink_to_fit();
        features->voicing.shrink_to_fit();
    }
    result.track = std::make_shared<const LevelTrack>(std::move(peaks), summary.duration,
                                                      summary.sampleRate, std::move(features));
    result.status = quelvo::Status::success();
    return result;
}

} // namespace quelvo::preview
