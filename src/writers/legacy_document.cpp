#include "writers/legacy_document.h"

#include <algorithm>
#include <cmath>

#include "base/strings.h"
#include "project/filler_clips.h"
#include "project/volume_keyframes.h"
#include "writers/fcpxml_time.h"
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
    return std::string("<asset id='") + id + "' name='" + id + "' src='" +
           kymovie::FCPXMLUtils::fcpxmlPercEnc(path) + "' start='0s' duration=" + duration +
           " hasAudio='1' audioSources='1' audioRate='" + std::to_string(rate) + "'>\n</asset>\n";
}

// The id of the dialogue recording at `index`: SPEAKER, SPEAKER2, ...
std::string speakerId(size_t index) {
    return index == 0 ? "SPEAKER" : "SPEAKER" + std::to_string(index + 1);
}

std::string resources(const std::vector<DialogueClip>& dialogue, const ClipSource& speaker,
                      const ClipSource& music, const ClipSource& filler) {
    std::string speakers = asset("SPEAKER", speaker.path, formatTenths(speaker.facts.duration),
                                 speaker.facts.sampleRate);
    for (size_t i = 1; i < dialogue.size(); ++i) {
        const ClipSource& s = dialogue[i].source;
        const std::string id = speakerId(i);
        speakers += asset(id.c_str(), s.path, formatTenths(s.facts.duration), s.facts.sampleRate);
    }
    // The filler asset and its format are written also without a filler.
    return "<resources>\n<format id='TIMELINE' name='FFVideoFormatRateUndefined'/>\n" + speakers +
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
    return kykit::customPercEnc(kymovie::FCPXMLUtils::xmlSafeText(name), false);
}

// The head of the library up to the music's keyframes: the first dialogue on
// the spine, the others connected beneath it, then the music.
std::string libraryHead(const ProjectDescription& project, const std::string& longestDuration,
                        const std::string& speakerRole) {
    const ClipSource& speaker =
        project.dialogue.empty() ? ClipSource{} : project.dialogue[0].source;
    std::string head =
        "<library location='file:///Users/tovensk/Desktop/quelvo.fcpbundle/'>\n<event name='" +
        nameAttribute(project.eventName) + "'>\n<project name='" +
        nameAttribute(project.projectName) + "'>\n<sequence duration=" + longestDuration +
        " format='TIMELINE'  tcStart='0s' tcFormat='NDF' audioLayout='stereo' "
        "audioRate='48k'>\n<spine>\n<asset-clip name='SPEAKER' offset='0s' ref='SPEAKER' "
        "duration=" +
        formatTenths(speaker.facts.duration) + " start='0s' audioRole='" +
        nameAttribute(speakerRole) + "'>\n";
    for (size_t i = 1; i < project.dialogue.size(); ++i) {
        const ClipSource& s = project.dialogue[i].source;
        const std::string id = speakerId(i);
        head += "<asset-clip name='" + id + "' lane='-" + std::to_string(i) +
                "' offset=" + formatTenths(project.dialogue[i].offset) + " ref='" + id +
                "' duration=" + formatTenths(s.facts.duration) + " start='0s' audioRole='" +
                nameAttribute(s.role) + "' format='UNDEFINED'>\n</asset-clip>\n";
    }
    return head + "<asset-clip name='MUSIC' lane='" + std::to_string(musicLane(project)) +
           "' offset='0s' ref='MUSIC' duration=" +
           formatTenths(project.music.source.facts.duration) +
           " start='0s' audioRole='music' format='UNDEFINED'>\n<adjust-volume>\n<param "
           "name='amount'>\n<keyframeAnimation>";
}

std::string keyframes(const kymovie::VolumeKeyframeList& list) {
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
               "' offset=" + tenthsAttribute(clip.offsetTenths) +
               " ref='FILLER' duration=" + tenthsAttribute(clip.durationTenths) + kFillerClipTail;
    return out;
}

std::string legacyDocument(const ProjectDescription& project) {
    static const DialogueClip noDialogue;
    const ClipSource& speaker =
        project.dialogue.empty() ? noDialogue.source : project.dialogue.front().source;
    const ClipSource& music = project.music.source;
    const ClipSource noFiller;
    const ClipSource& filler = project.filler ? project.filler->source : noFiller;
    // This document's sequence has always been as long as the longest of the
    // dialogue and the music, whatever the filler's length.
    double longest = finiteOrZero(music.facts.duration);
    for (const DialogueClip& d : project.dialogue)
        longest = std::max(longest, finiteOrZero(d.source.facts.duration));

    std::string doc = kHeader;
    doc += resources(project.dialogue, speaker, music, filler);
    doc += libraryHead(project, formatTenths(longest),
                       speaker.role.empty() ? "dialogue" : speaker.role);
    doc += keyframes(project.music.keyframes);
    if (project.filler) doc += legacyFillerClips(project.filler->clips, musicLane(project) - 1);
    doc += kTail;
    return doc;
}

} // namespace quelvo
