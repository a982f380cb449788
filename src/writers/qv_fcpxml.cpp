#include "writers/qv_fcpxml.h"

#include <algorithm>

#include "base/files.h"
#include "base/numbers.h"
#include "base/services.h"
#include "base/strings.h"
#include "media/audio_file.h"
#include "project/filler_clips.h"
#include "project/volume_keyframes.h"
#include "writers/fcpxml_audio.h"
#include "writers/fcpxml_document.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo {

namespace FU = kymovie::FCPXMLUtils;

namespace {

constexpr const char* kLibraryLocation = "file:///Users/Kyverne/Ky.fcpbundle/";
constexpr const char* kCommentPrefix = "FCPXML Produced with Kyverne Quelvo v. ";

// A name between apostrophes. Names come from file names and the command
// line, which may hold characters XML cannot carry; those go first.
std::string nameAttribute(const std::string& name) {
    return kykit::customPercEnc(kymovie::FCPXMLUtils::xmlSafeText(name), false);
}

std::string fillerClip(const std::string& name, int lane, const FillerPlacementClip& clip) {
    // The name lands between apostrophes, so it is escaped for them.
    return "<asset-clip name='" + nameAttribute(name) + "' lane='" + std::to_string(lane) +
           "' offset=" + tenthsAttribute(clip.offsetTenths) + " ref='" + QVFCPXML::kFillerId +
           "' duration=" + tenthsAttribute(clip.durationTenths) + " audioRole='BGM' format='" +
           QVFCPXML::finalAudioFormatId() +
           "'>\n<adjust-volume>\n<param name='amount'>\n<fadeOut type=\"easeIn\" "
           "duration='5s'/>\n</param>\n</adjust-volume>\n<audio-channel-source role='BGM.BGM-1' "
           "srcCh='1, 2'/>\n</asset-clip>";
}

// The facts as the fragment functions take them.
kyaudio::AudioFileInfo audioInfo(const ClipSource& source) {
    kyaudio::AudioFileInfo info;
    info.status = kykit::Status::success();
    info.sampleRate = source.facts.sampleRate;
    info.channels = source.facts.channels;
    info.sampleCount = source.facts.sampleCount;
    info.duration = source.facts.duration;
    return info;
}

} // namespace

std::string QVFCPXML::finalAudioFormatId() {
    return std::string("FORMAT_") + kAudioFormatId;
}

QVFCPXML::QVFCPXML(const ProjectDescription& project) : m_project(&project) {}

// A description always holds a dialogue; an empty one gives an empty clip
// rather than undefined behaviour.
const DialogueClip& QVFCPXML::dialogue() const {
    static const DialogueClip none;
    return m_project->dialogue.empty() ? none : m_project->dialogue.front();
}

std::string QVFCPXML::speakerId(size_t index) {
    return index == 0 ? kSpeakerId : kSpeakerId + std::to_string(index + 1);
}

int QVFCPXML::musicLane() const {
    return -std::max(1, static_cast<int>(m_project->dialogue.size()));
}

int QVFCPXML::fillerClipCount() const {
    return m_project->filler ? static_cast<int>(m_project->filler->clips.size()) : 0;
}

std::string QVFCPXML::makeDocument() const {
    const std::string comment =
        kCommentPrefix + kykit::string(kykit::VersionUpdate::getCurrentBuild());
    return FU::getXML(makeResources(), makeLibraryContent(), kLibraryLocation, comment, "1.9");
}

std::string QVFCPXML::makeResources() const {
    return " " + makeTimelineFormat() + "\n " + makeAudioFormat() + "\n " + makeSpeakerAsset() +
           makeOtherDialogueAssets() + "\n " + makeMusicAsset() + "\n " + makeFillerAsset();
}

std::string QVFCPXML::makeTimelineFormat() const {
    const TimelineFormat& t = m_project->timeline;
    return std::string("  <format id=\"") + kTimelineId + "\" name=\"" +
           kymovie::KyVideoFormats::getVideoFormat({t.width, t.height}, t.frameRate) + "\"/>";
}

std::string QVFCPXML::makeAudioFormat() const {
    return std::string("  <format id=\"") + kAudioFormatId +
           "\" name=\"FFVideoFormatRateUndefined\"/>";
}

std::string QVFCPXML::makeSpeakerAsset() const {
    const ClipSource& s = dialogue().source;
    return FU::getResourceAudioAsset(kSpeakerId, s.path, audioInfo(s));
}

std::string QVFCPXML::makeOtherDialogueAssets() const {
    std::string out;
    for (size_t i = 1; i < m_project->dialogue.size(); ++i) {
        const ClipSource& s = m_project->dialogue[i].source;
        out += "\n " + FU::getResourceAudioAsset(speakerId(i), s.path, audioInfo(s));
    }
    return out;
}

std::string QVFCPXML::makeMusicAsset() const {
    const ClipSource& s = m_project->music.source;
    return FU::getResourceAudioAsset(kMusicId, s.path, audioInfo(s));
}

std::string QVFCPXML::makeFillerAsset() const {
    if (!m_project->filler) return "";
    const ClipSource& s = m_project->filler->source;
    return FU::getResourceAudioAsset(kFillerId, s.path, audioInfo(s));
}

std::string QVFCPXML::makeLibraryContent() const {
    return " <event name='" + nameAttribute(m_project->eventName) + "'>\n  <project name='" +
           nameAttribute(m_project->projectName) + "'>\n   <sequence format=\"" + kTimelineId +
           "\" duration=" + formatSequenceTime(m_project->duration) +
           " tcStart=\"0s\" tcFormat=\"NDF\" audioLayout=\"stereo\" "
           "audioRate=\"48k\">\n\t<spine>\n" +
           makeMainClip() + "\n\t</spine>\n   </sequence>\n  </project>\n </event>";
}

std::string QVFCPXML::makeMainClip() const {
    const DialogueClip& d = dialogue();
    return FU::getAssetClipForMainLaneString(
        kSpeakerId, d.offset, d.source.name, d.source.facts.duration, kAudioFormatId, d.source.role,
        makeOtherDialogueClips() + makeMusicClip() + makeFillerClips());
}

std::string QVFCPXML::makeOtherDialogueClips() const {
    std::string out;
    for (size_t i = 1; i < m_project->dialogue.size(); ++i) {
        const DialogueClip& d = m_project->dialogue[i];
        out += FU::getAttachedAssetClipString(speakerId(i), -static_cast<int>(i), d.offset,
                                              d.source.name, d.source.facts.duration,
                                              kAudioFormatId, d.source.role, "") +
               "\n";
    }
    return out;
}

std::string QVFCPXML::makeMusicClip() const {
    const MusicClip& m = m_project->music;
    return FU::getAttachedAssetClipString(kMusicId, musicLane(), 0.0, m.source.name,
                                          m.source.facts.duration, kAudioFormatId, m.source.role,
                                          FU::getVolumeString(m.keyframes));
}

std::string QVFCPXML::makeFillerClips() const {
    if (!m_project->filler) return "";
    std::string out = "\n";
    for (const FillerPlacementClip& clip : m_project->filler->clips)
        out += fillerClip(m_project->filler->source.name, musicLane() - 1, clip) + "\n";
    return out;
}

} // namespace quelvo
