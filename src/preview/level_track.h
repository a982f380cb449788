#pragma once
// A file's 10 ms peak levels kept in memory: what the preview draws its
// waveform from and what the speech decision runs on again when a control
// changes, so that moving a slider never decodes the file a second time.
// One hour is 360,000 floats (1.4 MB) plus a coarse overview for wide views.
// A dialogue's track also keeps the automatic detection's per-frame features
// (two floats a frame, 2.9 MB an hour), measured in the same decoding pass.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "media/speech_features.h"

namespace quelvo::preview {

class LevelTrack {
  public:
    LevelTrack() = default;
    // peaks[k] is the sample peak (1.0 = full scale) of [k/100 s, (k+1)/100 s).
    LevelTrack(std::vector<float> peaks, double duration, int sampleRate,
               std::optional<quelvo::SpeechFeatures> speechFeatures = std::nullopt);

    const std::vector<float>& peaks() const { return m_peaks; }
    double duration() const { return m_duration; }
    int sampleRate() const { return m_sampleRate; }
    // The automatic detection's features of every frame; null when the track
    // was analysed without them (music, the plot's waveforms).
    const quelvo::SpeechFeatures* speechFeatures() const {
        return m_features ? &*m_features : nullptr;
    }

    // The largest peak of frames [first, last), clamped to the track; 0 when empty.
    float peakOver(int64_t first, int64_t last) const;
    // Bytes held, for the memory figures.
    size_t bytes() const;

  private:
    static constexpr int64_t kBlock = 64; // frames per overview entry (0.64 s)
    std::vector<float> m_peaks;
    std::vector<float> m_overview; // max of every kBlock frames
    double m_duration = 0;
    int m_sampleRate = 0;
    std::optional<quelvo::SpeechFeatures> m_features;
};

struct TrackAnalysis {
    quelvo::Status status = quelvo::Status::failure("not analysed");
    std::shared_ptr<const LevelTrack> track;
};

// What a decode keeps besides the levels.
enum class TrackContent { levels, levelsAndSpeechFeatures };

// Decodes the file once and keeps its levels (and, when asked, the speech features). `cancel` set
// from another thread stops the decode within one 10 ms frame and gives a failure; `progress` is
// told the share done (0..1) now and then.
TrackAnalysis analyzeLevelTrack(const std::string& path, const std::atomic<bool>* cancel = nullptr,
                                const std::function<void(double)>& progress = {},
                                TrackContent content = TrackContent::levels);

} // namespace quelvo::preview
