#pragma once
// The FCPXML 1.9 ducking project, assembled from FCPXML fragments: the
// dialogue on the spine (with its picture and the video's own format and
// timeline when it is a video), the music on lane -1 carrying the volume keyframes,
// and with a filler one filler clip on lane -2 for every silent stretch
// between two stretches of music, each fading out over 5 s. Further
// dialogue recordings are connected beneath the first (lanes -1, -2, ...)
// and the music and fillers move down by as many lanes. Everything comes
// from the project description; nothing is probed or looked up.
#include <string>

#include "project/project_description.h"

namespace quelvo {

// A view of a description, which must outlive it.
class DuckingFcpxml {
  public:
    static constexpr const char* kTimelineId = "QVTimeline";
    static constexpr const char* kSpeakerId = "QVSpeaker";
    static constexpr const char* kMusicId = "QVMusic";
    static constexpr const char* kFillerId = "QVFiller";
    static constexpr const char* kAudioFormatId = "QVAudio";
    static constexpr const char* kVideoFormatId = "QVVideo";

    // The audio format's id once the document's textual fixes have run
    // ("FORMAT_QVAudio"): what every reference must name to resolve.
    static std::string finalAudioFormatId();

    explicit DuckingFcpxml(const ProjectDescription& project);

    std::string makeDocument() const;
    std::string makeResources() const;
    std::string makeTimelineFormat() const;
    std::string makeAudioFormat() const;
    std::string makeSpeakerAsset() const;
    // The second and later dialogue recordings' assets, each after a newline.
    std::string makeOtherDialogueAssets() const;
    std::string makeMusicAsset() const;
    std::string makeFillerAsset() const;
    std::string makeLibraryContent() const;
    std::string makeMainClip() const;
    std::string makeOtherDialogueClips() const;
    std::string makeMusicClip() const;
    std::string makeFillerClips() const;
    // How many filler clips makeFillerClips writes.
    int fillerClipCount() const;

    // The asset id of the dialogue recording at `index` ("QVSpeaker",
    // "QVSpeaker2", ...).
    static std::string speakerId(size_t index);

  private:
    const DialogueClip& dialogue() const;
    int musicLane() const;
    // The first dialogue's picture; nothing for a sound recording.
    const VideoSourceFacts* video() const;
    std::string makeVideoSpeakerAsset(const VideoSourceFacts& video) const;
    const ProjectDescription* m_project;
};

} // namespace quelvo
