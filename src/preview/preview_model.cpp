#include "preview/preview_model.h"

#include <algorithm>

#include "ducking/volume_keyframes.h"

namespace quelvo::preview {

double PreviewScene::duration() const {
    double d = 0;
    if (dialogue) d = std::max(d, dialogue->duration());
    if (music) d = std::max(d, music->duration());
    return d;
}

void applyDuckedLevels(PreviewScene& scene, const QVRoll& rolls, std::vector<int> levels) {
    scene.keyframes =
        makeVolumeKeyframes(scene.speech, rolls, levels, static_cast<int>(scene.overallDb));
    scene.duckedLevels = std::move(levels);
}

void applySpeech(PreviewScene& scene, const PreviewSettings& s, kyaudio::ClusterList speech) {
    scene.speech = std::move(speech);
    scene.keyframes =
        makeVolumeKeyframes(scene.speech, s.rolls, s.decreaseToZero, s.duckingDecrease, s.overallMusicLevel);
    scene.duckedLevels.clear();
}

PreviewModel::PreviewModel(std::shared_ptr<const LevelTrack> dialogue, std::shared_ptr<const LevelTrack> music,
                           SpeechDecision decision)
    : m_dialogue(std::move(dialogue)), m_music(std::move(music)), m_decision(std::move(decision)) {
    if (m_music) m_musicClusters = musicClustersFromLevels(*m_music);
}

PreviewScene PreviewModel::scene(const PreviewSettings& s) const {
    PreviewScene scene;
    scene.dialogue = m_dialogue;
    scene.music = m_music;
    scene.overallDb = s.overallMusicLevel;
    if (m_dialogue) scene.speech = m_decision(*m_dialogue, s.rolls);
    scene.keyframes =
        makeVolumeKeyframes(scene.speech, s.rolls, s.decreaseToZero, s.duckingDecrease, s.overallMusicLevel);
    if (s.withFiller) scene.fillers = mix::fillerClipsFor(m_musicClusters, s.fillerSeconds);
    return scene;
}

} // namespace quelvo::preview
