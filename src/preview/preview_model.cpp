#include "preview/preview_model.h"

#include <algorithm>

#include "project/project_builder.h"
#include "speech/speech_union.h"

namespace quelvo::preview {

std::vector<mix::FillerClip> fillerClipsOf(const std::vector<FillerPlacementClip>& placements) {
    std::vector<mix::FillerClip> clips;
    for (const FillerPlacementClip& p : placements)
        clips.push_back({p.offset(), p.duration()});
    return clips;
}

PreviewScene sceneOf(const ProjectDescription& project) {
    PreviewScene scene;
    scene.speech = project.speech;
    scene.keyframes = project.music.keyframes;
    scene.duckedLevels = project.duckedLevels;
    scene.overallDb = project.music.overallLevel;
    if (project.filler) scene.fillers = fillerClipsOf(project.filler->clips);
    return scene;
}

double PreviewScene::duration() const {
    double d = 0;
    if (dialogue) d = std::max(d, dialogue->duration());
    if (music) d = std::max(d, music->duration());
    for (const MicrophoneLane& lane : microphones)
        if (lane.track) d = std::max(d, lane.track->duration());
    return d;
}

void applyDuckedLevels(PreviewScene& scene, const EnvelopeTiming& rolls, std::vector<int> levels) {
    DuckDepth depth;
    depth.overallMusicLevel = static_cast<int>(scene.overallDb);
    scene.keyframes = musicKeyframes(scene.speech, rolls, depth, levels);
    scene.duckedLevels = std::move(levels);
}

void applySpeech(PreviewScene& scene, const PreviewSettings& s, quelvo::ClusterList speech) {
    scene.speech = std::move(speech);
    const DuckDepth depth{s.duckingDecrease, s.decreaseToZero, s.overallMusicLevel, std::nullopt};
    scene.keyframes = musicKeyframes(scene.speech, s.rolls, depth);
    scene.duckedLevels.clear();
}

PreviewModel::PreviewModel(std::shared_ptr<const LevelTrack> dialogue,
                           std::shared_ptr<const LevelTrack> music, SpeechDecision decision)
    : m_dialogue(std::move(dialogue)), m_music(std::move(music)), m_decision(std::move(decision)) {
    if (m_music) m_musicClusters = musicClustersFromLevels(*m_music);
}

PreviewModel::PreviewModel(std::vector<MicrophoneLane> microphones,
                           std::shared_ptr<const LevelTrack> music)
    : PreviewModel(microphones.empty() ? nullptr : microphones.front().track, std::move(music)) {
    m_microphones = std::move(microphones);
}

PreviewScene PreviewModel::scene(const PreviewSettings& s) const {
    PreviewScene scene;
    scene.dialogue = m_dialogue;
    scene.music = m_music;
    scene.overallDb = s.overallMusicLevel;
    if (!m_microphones.empty()) {
        // Each lane shows what its own microphone hears; the music ducks
        // under the union, whose gaps are closed as one.
        scene.microphones = m_microphones;
        std::vector<quelvo::ClusterList> perFile;
        for (MicrophoneLane& lane : scene.microphones)
            if (lane.track)
                perFile.push_back(lane.speech = speechBeforeGapClosing(*lane.track, s.rolls));
        scene.speech = duckedSpeech(perFile, s.rolls);
    } else if (m_dialogue) {
        scene.speech = m_decision(*m_dialogue, s.rolls);
    }
    const DuckDepth depth{s.duckingDecrease, s.decreaseToZero, s.overallMusicLevel, std::nullopt};
    scene.keyframes = musicKeyframes(scene.speech, s.rolls, depth);
    if (s.withFiller)
        scene.fillers =
            fillerClipsOf(fillerPlacements(m_musicClusters, s.fillerSeconds, s.fillerGrid));
    return scene;
}

} // namespace quelvo::preview
