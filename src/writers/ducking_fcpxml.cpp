#include "writers/ducking_fcpxml.h"

#include <algorithm>
#include <filesystem>

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
#include "writers/fcpxml_video_dialogue.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo {

namespace {

constexpr const char* kLibraryLocation = "file:///Users/Kyverne/Ky.fcpbundle/";
constexpr const char* kCommentPrefix = "FCPXML Produced with Kyverne Quelvo v. ";

// A name between apostrophes. Names come from file names and the command
// line, which may hold characters XML cannot carry; those go first.
std::string nameAttribute(const std::string& name) {
    return quelvo::xmlEscapeAttribute(fcpxml::xmlSafeText(name), false);
}

std::string fillerClip(const std::string& name, int lane, const std::string& offset,
                       const std::string& duration) {
    // The name lands between apostrophes, so it is escaped for them.
    return "<asset-clip name='" + nameAttribute(name) + "' lane='" + std::to_string(lane) +
           "' offset=" + offset + " ref='" + DuckingFcpxml::kFillerId + "' duration=" + duration +
           " audioRole='BGM' format='" + DuckingFcpxml::finalAudioFormatId() +
           "'>\n<adjust-volume>\n<param name='amount'>\n<fadeOut type=\"easeIn\" "
           "duration='5s'/>\n</param>\n</adjust-volume>\n<audio-channel-source role='BGM.BGM-1' "
           "srcCh='1, 2'/>\n</asset-clip>";
}

// The facts as the fragment functions take them.
AudioFileInfo audioInfo(const ClipSource& source) {
    AudioFileInfo info;
    info.status = Status::success();
    info.sampleRate = source.facts.sampleRate;
    info.channels = source.facts.channels;
    info.sampleCount = source.facts.sampleCount;
    info.duration = source.facts.duration;
    return info;
}

// Attribute text as the fragments write it.
std::string attr(const std::string& text) {
    return quelvo::xmlEscapeAttribute(fcpxml::xmlSafeText(text), true);
}

} // namespace

std::string DuckingFcpxml::finalAudioFormatId() {
    return std::string("FORMAT_") + kAudioFormatId;
}

DuckingFcpxml::DuckingFcpxml(const ProjectDescription& project) : m_project(&project) {}

// A description always holds a dialogue; an empty one gives an empty clip
// rather than undefined behaviour.
const DialogueClip& DuckingFcpxml::dialogue() const {
    static const DialogueClip none;
    return m_project->dialogue.empty() ? none : m_project->dialogue.front();
}

std::string DuckingFcpxml::speakerId(size_t index) {
    return index == 0 ? kSpeakerId : kSpeakerId + std::to_string(index + 1);
}

int DuckingFcpxml::musicLane() const {
    return -std::max(1, static_cast<int>(m_project->dialogue.size()));
}

const VideoSourceFacts* DuckingFcpxml::video() const {
    const auto& video = dialogue().source.facts.video;
    return video ? &*video : nullptr;
}

int DuckingFcpxml::fillerClipCount() const {
    return m_project->filler ? static_cast<int>(m_project->filler->clips.size()) : 0;
}

std::string DuckingFcpxml::makeDocument() const {
    const std::string comment = kCommentPrefix + quelvo::string(BuildVersion::buildNumber());
    return fcpxml::getXML(makeResources(), makeLibraryContent(), kLibraryLocation, comment, "1.9");
}

std::string DuckingFcpxml::makeResources() const {
    std::string formats = " " + makeTimelineFormat() + "\n " + makeAudioFormat();
    if (video()) formats += "\n   " + videoFormatElement(*video(), kVideoFormatId, '"', true);
    return formats + "\n " + makeSpeakerAsset() + makeOtherDialogueAssets() + "\n " +
           makeMusicAsset() + "\n " + makeFillerAsset();
}

std::string DuckingFcpxml::makeTimelineFormat() const {
    const TimelineFormat& t = m_project->timeline;
    if (video()) return "  " + timelineFormatElement(t, kTimelineId, '"');
    return std::string("  <format id=\"") + kTimelineId + "\" name=\"" +
           videoFormats::getVideoFormat({t.width, t.height}, t.frameRate) + "\"/>";
}

std::string DuckingFcpxml::makeAudioFormat() const {
    return std::string("  <format id=\"") + kAudioFormatId +
           "\" name=\"FFVideoFormatRateUndefined\"/>";
}

std::string DuckingFcpxml::makeSpeakerAsset() const {
    const ClipSource& s = dialogue().source;
    if (video()) return makeVideoSpeakerAsset(*video());
    return fcpxml::getResourceAudioAsset(kSpeakerId, s.path, audioInfo(s));
}

// Further recordings are placed for their sound: the first recording's
// picture is the one on the timeline.
std::string DuckingFcpxml::makeOtherDialogueAssets() const {
    std::string out;
    for (size_t i = 1; i < m_project->dialogue.size(); ++i) {
        const ClipSource& s = m_project->dialogue[i].source;
        out += "\n " + fcpxml::getResourceAudioAsset(speakerId(i), s.path, audioInfo(s));
    }
    return out;
}

std::string DuckingFcpxml::makeVideoSpeakerAsset(const VideoSourceFacts& video) const {
    const ClipSource& s = dialogue().source;
    const VideoDialogueTimes times = videoDialogueTimes(*m_project, '"');
    return std::string("<asset id=\"") + kSpeakerId + "\" name=\"" +
           attr(std::filesystem::path(s.name).replace_extension().string()) +
           "\" start=" + times.assetStart + " duration=" + times.assetDuration +
           videoAssetAttributes(video, kVideoFormatId, '"', true) +
           "><media-rep kind=\"original-media\" src=\"" + attr(fcpxml::fileUrlOf(s.path)) +
           "\"/></asset>";
}

std::string DuckingFcpxml::makeMusicAsset() const {
    const ClipSource& s = m_project->music.source;
    return fcpxml::getResourceAudioAsset(kMusicId, s.path, audioInfo(s));
}

std::string DuckingFcpxml::makeFillerAsset() const {
    if (!m_project->filler) return "";
    const ClipSource& s = m_project->filler->source;
    return fcpxml::getResourceAudioAsset(kFillerId, s.path, audioInfo(s));
}

std::string DuckingFcpxml::makeLibraryContent() const {
    const std::string duration = video() ? videoDialogueTimes(*m_project, '"').sequenceDuration
                                         : formatSequenceTime(m_project->duration);
    return " <event name='" + nameAttribute(m_project->eventName) + "'>\n  <project name='" +
           nameAttribute(m_project->projectName) + "'>\n   <sequence format=\"" + kTimelineId +
           "\" duration=" + duration + " tcStart=\"0s\" tcFormat=\"" +
           tcFormatText(m_project->timeline) +
           "\" audioLayout=\"stereo\" "
           "audioRate=\"48k\">\n\t<spine>\n" +
           makeMainClip() + "\n\t</spine>\n   </sequence>\n  </project>\n </event>";
}

std::string DuckingFcpxml::makeMainClip() const {
    const DialogueClip& d = dialogue();
    if (video()) {
        // The clip starts at the media's timecode, where the editor finds
        // its first frame, and keeps the video's own format.
        const VideoDialogueTimes times = videoDialogueTimes(*m_project, '"');
        return std::string("<asset-clip ref=\"") + kSpeakerId + "\" offset=" + times.clipOffset +
               " name=\"" + attr(d.source.name) + "\" duration=" + times.clipDuration +
               " start=" + times.clipStart + " format=\"" + kVideoFormatId + "\" tcFormat=\"" +
               tcFormatText(m_project->timeline) + "\" audioRole=\"" + attr(d.source.role) +
               "\">\n" + makeOtherDialogueClips() + makeMusicClip() + makeFillerClips() +
               "\n</asset-clip>";
    }
    return fcpxml::getAssetClipForMainLaneString(
        kSpeakerId, d.offset, d.source.name, d.source.facts.duration, kAudioFormatId, d.source.role,
        makeOtherDialogueClips() + makeMusicClip() + makeFillerClips());
}

std::string DuckingFcpxml::makeOtherDialogueClips() const {
    std::string out;
    const VideoDialogueTimes times =
        video() ? videoDialogueTimes(*m_project, '"') : VideoDialogueTimes{};
    for (size_t i = 1; i < m_project->dialogue.size(); ++i) {
        const DialogueClip& d = m_project->dialogue[i];
        const int lane = -static_cast<int>(i);
        if (video()) {
            // Connected to the video: counted from its start, on its frames.
            const auto& [offset, duration] = times.otherDialogue[i - 1];
            out += std::string("<asset-clip ref=\"") + speakerId(i) + "\" lane=\"" +
                   std::to_string(lane) + "\" offset=" + offset + " name=\"" + attr(d.source.name) +
                   "\" duration=" + duration + " start=\"0s\" format=\"" + kAudioFormatId +
                   "\" audioRole=\"" + attr(d.source.role) + "\">\n</asset-clip>\n";
            continue;
        }
        out += fcpxml::getAttachedAssetClipString(speakerId(i), lane, d.offset, d.source.name,
                                                  d.source.facts.duration, kAudioFormatId,
                                                  d.source.role, "") +
               "\n";
    }
    return out;
}

std::string DuckingFcpxml::makeMusicClip() const {
    const MusicClip& m = m_project->music;
    if (video()) {
        const VideoDialogueTimes times = videoDialogueTimes(*m_project, '"');
        return std::string("<asset-clip ref=\"") + kMusicId + "\" lane=\"" +
               std::to_string(musicLane()) + "\" offset=" + times.musicOffset + " name=\"" +
               attr(m.source.name) + "\" duration=" + times.musicDuration +
               " start=\"0s\" format=\"" + kAudioFormatId + "\" audioRole=\"" +
               attr(m.source.role) + "\">\n" + fcpxml::getVolumeString(m.keyframes) +
               "\n</asset-clip>";
    }
    return fcpxml::getAttachedAssetClipString(kMusicId, musicLane(), 0.0, m.source.name,
                                              m.source.facts.duration, kAudioFormatId,
                                              m.source.role, fcpxml::getVolumeString(m.keyframes));
}

std::string DuckingFcpxml::makeFillerClips() const {
    if (!m_project->filler) return "";
    std::string out = "\n";
    const std::string& name = m_project->filler->source.name;
    if (video()) {
        for (const auto& [offset, duration] : videoDialogueTimes(*m_project, '\'').fillers)
            out += fillerClip(name, musicLane() - 1, offset, duration) + "\n";
        return out;
    }
    for (const FillerPlacementClip& clip : m_project->filler->clips)
        out += fillerClip(name, musicLane() - 1, tenthsAttribute(clip.offsetSteps),
                          tenthsAttribute(clip.durationSteps)) +
               "\n";
    return out;
}

} // namespace quelvo
