#pragma once
// The FCPXML 1.9 ducking project, assembled from KyMovie fragments: the
// dialogue on the spine, the music on lane -1 carrying the volume keyframes,
// and with a filler one filler clip on lane -2 for every silent stretch
// between two stretches of music, each fading out over 5 s.
#include <optional>
#include <string>

#include "fcpxml/media_facts.h"
#include "platform/audio/cluster.h"
#include "platform/movie/volume_keyframe.h"

namespace quelvo {

// A plain value: copies are independent. Every make* call asks `facts`
// afresh; nothing is cached, and `facts` must outlive the value. File "URLs"
// are held as file system paths.
class QVFCPXML {
public:
    static constexpr const char* kTimelineId = "QVTimeline";
    static constexpr const char* kSpeakerId = "QVSpeaker";
    static constexpr const char* kMusicId = "QVMusic";
    static constexpr const char* kFillerId = "QVFiller";
    static constexpr const char* kAudioFormatId = "QVAudio";

    // The audio format's id once the document's textual fixes have run
    // ("FORMAT_QVAudio"): what every reference must name to resolve.
    static std::string finalAudioFormatId();

    QVFCPXML(std::string speechFileURL, std::string musicFileURL,
             std::optional<std::string> fillerFileURL, std::string eventName,
             std::string projectName, kymovie::VolumeKeyframeList audioKeyframeList,
             kyaudio::ClusterList fillerClusterList, const MediaFacts& facts = probedMediaFacts());

    std::string speechFileURL;
    std::string musicFileURL;
    std::optional<std::string> fillerFileURL;
    std::string eventName;
    std::string projectName;
    kymovie::VolumeKeyframeList audioKeyframeList;
    kyaudio::ClusterList fillerClusterList;

    std::string makeDocument() const;
    std::string makeResources() const;
    std::string makeTimelineFormat() const;
    std::string makeAudioFormat() const;
    std::string makeSpeakerAsset() const;
    std::string makeMusicAsset() const;
    std::string makeFillerAsset() const;
    std::string makeLibraryContent() const;
    std::string makeMainClip() const;
    std::string makeMusicClip() const;
    std::string makeFillerClips() const;
    // Seconds: the longest of dialogue, music and (when given) filler.
    double timelineDuration() const;

    // A filler was given and is not the drop area's caption.
    bool usesFiller() const;
    // How many filler clips makeFillerClips writes.
    int fillerClipCount() const;

private:
    double durationOf(const std::string& path) const;

    const MediaFacts* m_facts;
};

} // namespace quelvo
