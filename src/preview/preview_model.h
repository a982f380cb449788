#pragma once
// The preview's state: two kept level tracks and, for any set of controls,
// what the project would hold (speech clusters, the keyframe function's own
// keyframes, filler clips). Changing a control asks for a new scene; nothing
// is decoded again.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "mix/envelope.h"
#include "mix/mixer.h"
#include "preview/level_track.h"
#include "preview/speech_decision.h"
#include "project/envelope_timing.h"
#include "project/project_description.h"
#include "project/volume_keyframe.h"

namespace quelvo::preview {

// Every control the picture follows.
struct PreviewSettings {
    EnvelopeTiming rolls;
    int duckingDecrease = -12;
    int overallMusicLevel = 0;
    bool decreaseToZero = false;
    bool withFiller = false;
    // Depth by loudness: the music this many LU under the speech, each
    // interval's level measured (see DepthMeasurement); absent for the fixed depth.
    std::optional<double> underLU;
    double fillerSeconds = 0; // the filler's length, which caps its clips (0: unknown)
    // Where filler clips may start and end (fillerGridFor of the project's
    // timeline): a video dialogue's frames, else tenths of a second.
    FrameGrid fillerGrid = kTenthsGrid;
    bool operator==(const PreviewSettings&) const = default;
};

// One microphone's lane when the dialogue is several files recorded together:
// its waveform and the speech found in it alone, before gap closing (which
// runs on the union the music ducks under).
struct MicrophoneLane {
    std::shared_ptr<const LevelTrack> track; // null while analysed or when unreadable
    std::string name;
    quelvo::ClusterList speech;
};

// One picture's content, independent of zoom and size.
struct PreviewScene {
    std::shared_ptr<const LevelTrack> dialogue, music; // either may be null
    quelvo::ClusterList speech;
    quelvo::VolumeKeyframeList keyframes; // exactly as the keyframe function made them
    double overallDb = 0;
    std::vector<mix::FillerClip> fillers;
    // Each speech interval's ducked level when the depth is set by loudness
    // (empty for the fixed depth).
    std::vector<int> duckedLevels;
    // Several dialogue files: one lane each, and `speech` is their union with
    // gaps closed. Empty for one file, whose lane is `dialogue`.
    std::vector<MicrophoneLane> microphones;

    double duration() const;
    mix::GainEnvelope envelope() const { return mix::GainEnvelope(keyframes, overallDb); }
};

// The scene with a ducked level of its own for each speech interval: the
// keyframes the job makes from the measured levels.
void applyDuckedLevels(PreviewScene& scene, const EnvelopeTiming& rolls, std::vector<int> levels);

// The filler clips the mixer plays for a description's placements.
std::vector<mix::FillerClip> fillerClipsOf(const std::vector<FillerPlacementClip>& placements);
// What a written project holds, as a scene without waveforms (`duck --plot`
// adds them): its speech, envelope and filler clips exactly.
PreviewScene sceneOf(const ProjectDescription& project);
// The scene with other speech than the detection's (the editor's
// corrections), used as it is: the keyframes follow it, no gaps are closed.
void applySpeech(PreviewScene& scene, const PreviewSettings& settings, quelvo::ClusterList speech);

class PreviewModel {
  public:
    PreviewModel(std::shared_ptr<const LevelTrack> dialogue,
                 std::shared_ptr<const LevelTrack> music, SpeechDecision decision = detectedSpeech);
    // Several dialogue files (their lanes' tracks and names, speech unset):
    // the first lane's track is `dialogue`, the speech is their union.
    PreviewModel(std::vector<MicrophoneLane> microphones, std::shared_ptr<const LevelTrack> music);

    PreviewScene scene(const PreviewSettings& settings) const;

    const std::shared_ptr<const LevelTrack>& dialogue() const { return m_dialogue; }
    const std::shared_ptr<const LevelTrack>& music() const { return m_music; }
    const std::vector<MicrophoneLane>& microphones() const { return m_microphones; }

  private:
    std::shared_ptr<const LevelTrack> m_dialogue, m_music;
    SpeechDecision m_decision;
    quelvo::ClusterList m_musicClusters; // no control moves them
    std::vector<MicrophoneLane> m_microphones;
};

} // namespace quelvo::preview
