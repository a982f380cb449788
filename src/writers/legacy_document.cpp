#include "writers/legacy_document.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "base/strings.h"
#include "project/filler_clips.h"
#include "project/volume_keyframes.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_video_dialogue.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo {

namespace {

constexpr const char* kHeader =
    "<?xml version='1.0' encoding='UTF-8'?>\n<!DOCTYPE fcpxml>\n<fcpxml version='1.6'>\n";

constexpr const char* kFillerClipTail =
    " audioRole='BGM' format='UNDEFINED'>\n<adjust-volume>\n<param name='amount'>\n"
    "<fadeOut type=\"easeIn\" duration='5s'/>\n</param>\n</adjust-volume>\n"
    "<audio-channel-source role='BGM.BGM-1' srcCh='1, 2'/>\n</asset-clip>";

constexpr const char* kTail =
    "</asset-clip>\n</spine>\n</sequence>\n</project>\n</event>\n</library>\n</fcpxml>";

double finiteOrZero(double seconds) {
    return std::isfinite(seconds) ? seconds : 0.0;
}

std::string asset(const char* id, const std::string& path, const std::string& duration, int rate) {
    // The same file URL as the 1.9 and titles documents (RFC 3986, relative
    // paths made absolute): one encoder, so both formats name a file alike.
    return std::string("<asset id='") + id + "' name='" + id + "' src='" + fcpxml::fileUrlOf(path) +
           "' start='0s' duration=" + duration + " hasAudio='1' audioSources='1' audioRate='" +
           std::to_string(rate) + "'>\n</asset>\n";
}

std::string videoAsset(const ClipSource& speaker, const VideoSourceFacts& video,
                       const VideoDialogueTimes& times) {
    return std::string("<asset id='SPEAKER' name='SPEAKER' src='") +
           fcpxml::fileUrlOf(speaker.path) + "' start=" + times.assetStart +
           " duration=" + times.assetDuration + videoAssetAttributes(video, "VIDEO", '\'', false) +
           ">\n</asset>\n" + videoFormatElement(video, "VIDEO", '\'', false) + "\n";
}

// The id of the dialogue recording at `index`: SPEAKER, SPEAKER2, ...
std::string speakerId(size_t index) {
    return index == 0 ? "SPEAKER" : "SPEAKER" + std::to_string(index + 1);
}

// The further recordings are placed for their sound: the first one's picture
// is the one on the timeline.
std::string otherDialogueAssets(const std::vector<DialogueClip>& dialogue) {
    std::string out;
    for (size_t i = 1; i < dialogue.size(); ++i) {
        const ClipSource& s = dialogue[i].source;
        const std::string id = speakerId(i);
        out += asset(id.c_str(), s.path, formatTenths(s.facts.duration), s.facts.sampleRate);
    }
    return out;
}

std::string resources(const ProjectDescription& project, const ClipSource& speaker,
                      const ClipSource& music, const ClipSource& filler) {
    const auto& video = speaker.facts.video;
    std::string out = "<resources>\n";
    if (video) {
        out += timelineFormatElement(project.timeline, "TIMELINE", '\'') + "\n" +
               videoAsset(speaker, *video, videoDialogueTimes(project, '\''));
    } else {
        out += "<format id='TIMELINE' name='FFVideoFormatRateUndefined'/>\n" +
               asset("SPEAKER", speaker.path, formatTenths(speaker.facts.duration),
                     speaker.facts.sampleRate);
    }
    // The filler asset and its format are written also without a filler.
    return out + otherDialogueAssets(project.dialogue) +
           asset("MUSIC", music.path, formatTenths(music.facts.duration), music.facts.sampleRate) +
           "<format id='UNDEFINED' name='FFVideoFormatRateUndefined'/>\n" +
           asset("FILLER", filler.path, formatTenths(filler.facts.duration),
                 filler.facts.sampleRate) +
           "</resources>";
}

// The music sits beneath every dialogue recording, the fillers beneath it.
int musicLane(const ProjectDescription& project) {
    return -std::max(1, static_cast<int>(project.dialogue.size()));
}

// A name between apostrophes. Names come from file names and the command
// line, which may hold characters XML cannot carry; those go first.
std::string nameAttribute(const std::string& name) {
    return quelvo::xmlEscapeAttribute(fcpxml::xmlSafeText(name), false);
}

// Where the dialogue and the music go: clip times with their quotes, and
// what the dialogue clip says of its format and timecode.
struct LegacyPlacement {
    std::string sequenceDuration, speakerOffset, speakerDuration, speakerStart, speakerFormat;
    std::string musicOffset, musicDuration, tcFormat;
    // Further recordings, connected beneath the first: offset and duration.
    std::vector<std::pair<std::string, std::string>> otherDialogue;
};

std::string otherDialogueClips(const ProjectDescription& project, const LegacyPlacement& p) {
    std::string out;
    for (size_t i = 1; i < project.dialogue.size() && i <= p.otherDialogue.size(); ++i) {
        const std::string id = speakerId(i);
        out += "<asset-clip name='" + id + "' lane='-" + std::to_string(i) +
               "' offset=" + p.otherDialogue[i - 1].first + " ref='" + id +
               "' duration=" + p.otherDialogue[i - 1].second + " start='0s' audioRole='" +
               nameAttribute(project.dialogue[i].source.role) +
               "' format='UNDEFINED'>\n</asset-clip>\n";
    }
    return out;
}

std::string libraryHead(const ProjectDescription& project, const LegacyPlacement& p) {
    const std::string speakerRole =
        project.dialogue.empty() || project.dialogue[0].source.role.empty()
            ? "dialogue"
            : project.dialogue[0].source.role;
    return "<library location='file:///Users/tovensk/Desktop/quelvo.fcpbundle/'>\n<event name='" +
           nameAttribute(project.eventName) + "'>\n<project name='" +
           nameAttribute(project.projectName) + "'>\n<sequence duration=" + p.sequenceDuration +
           " format='TIMELINE'  tcStart='0s' tcFormat='" + p.tcFormat +
           "' audioLayout='stereo' "
           "audioRate='48k'>\n<spine>\n<asset-clip name='SPEAKER' offset=" +
           p.speakerOffset + " ref='SPEAKER' duration=" + p.speakerDuration +
           " start=" + p.speakerStart + p.speakerFormat + " audioRole='" +
           nameAttribute(speakerRole) + "'>\n" + otherDialogueClips(project, p) +
           "<asset-clip name='MUSIC' lane='" + std::to_string(musicLane(project)) +
           "' offset=" + p.musicOffset + " ref='MUSIC' duration=" + p.musicDuration +
           " start='0s' audioRole='music' format='UNDEFINED'>\n<adjust-volume>\n<param "
           "name='amount'>\n<keyframeAnimation>";
}

LegacyPlacement audioPlacement(const ProjectDescription& project) {
    static const ClipSource none;
    const ClipSource& speaker = project.dialogue.empty() ? none : project.dialogue.front().source;
    const ClipSource& music = project.music.source;
    // This document's sequence has always been as long as the longest of the
    // dialogue and the music, whatever the filler's length.
    double longest = finiteOrZero(music.facts.duration);
    LegacyPlacement p;
    for (size_t i = 0; i < project.dialogue.size(); ++i) {
        const DialogueClip& d = project.dialogue[i];
        longest = std::max(longest, finiteOrZero(d.source.facts.duration));
        if (i > 0)
            p.otherDialogue.emplace_back(formatTenths(d.offset),
                                         formatTenths(d.source.facts.duration));
    }
    p.sequenceDuration = formatTenths(longest);
    p.speakerOffset = p.speakerStart = p.musicOffset = "'0s'";
    p.speakerDuration = formatTenths(speaker.facts.duration);
    p.musicDuration = formatTenths(music.facts.duration);
    p.tcFormat = "NDF";
    return p;
}

LegacyPlacement videoPlacement(const ProjectDescription& project, const VideoDialogueTimes& t) {
    return {t.sequenceDuration,
            t.clipOffset,
            t.clipDuration,
            t.clipStart,
            " format='VIDEO' tcFormat='" + tcFormatText(project.timeline) + "'",
            t.musicOffset,
            t.musicDuration,
            tcFormatText(project.timeline),
            t.otherDialogue};
}

std::string keyframes(const VolumeKeyframeList& list) {
    std::string out;
    for (const auto& k : list)
        out += legacyKeyframeLine(k.time, static_cast<int>(k.dbValue));
    return out + "</keyframeAnimation>\n</param>\n</adjust-volume>\n</asset-clip>";
}

} // namespace

std::string legacyFillerClips(const std::vector<FillerPlacementClip>& clips, int lane) {
    std::string out;
    for (const FillerPlacementClip& clip : clips)
        out += "<asset-clip name='FILLER' lane='" + std::to_string(lane) +
               "' offset=" + tenthsAttribute(clip.offsetSteps) +
               " ref='FILLER' duration=" + tenthsAttribute(clip.durationSteps) + kFillerClipTail;
    return out;
}

std::string legacyDocument(const ProjectDescription& project) {
    static const DialogueClip noDialogue;
    const ClipSource& speaker =
        project.dialogue.empty() ? noDialogue.source : project.dialogue.front().source;
    const ClipSource& music = project.music.source;
    const ClipSource noFiller;
    const ClipSource& filler = project.filler ? project.filler->source : noFiller;
    const bool video = speaker.facts.video.has_value();
    const VideoDialogueTimes times = videoDialogueTimes(project, '\'');

    std::string doc = kHeader;
    doc += resources(project, speaker, music, filler);
    doc += libraryHead(project, video ? videoPlacement(project, times) : audioPlacement(project));
    doc += keyframes(project.music.keyframes);
    const int fillerLane = musicLane(project) - 1;
    if (project.filler && video) {
        for (const auto& [offset, duration] : times.fillers)
            doc += "<asset-clip name='FILLER' lane='" + std::to_string(fillerLane) +
                   "' offset=" + offset + " ref='FILLER' duration=" + duration + kFillerClipTail;
    } else if (project.filler) {
        doc += legacyFillerClips(project.filler->clips, fillerLane);
    }
    doc += kTail;
    return doc;
}

} // namespace quelvo
