#include "fcpxml/legacy_document.h"

#include <algorithm>
#include <cstdio>

#include "ducking/filler_clips.h"
#include "ducking/volume_keyframes.h"
#include "platform/movie/fcpxml_time.h"
#include "platform/movie/fcpxml_video_fragments.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/strings.h"

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

std::string asset(const char* id, const std::string& path, const std::string& duration, int rate) {
    // The same file URL as the 1.9 and titles documents (RFC 3986, relative
    // paths made absolute): one encoder, so both formats name a file alike.
    return std::string("<asset id='") + id + "' name='" + id + "' src='" +
           kymovie::FCPXMLUtils::fcpxmlPercEnc(path) + "' start='0s' duration=" + duration +
           " hasAudio='1' audioSources='1' audioRate='" + std::to_string(rate) + "'>\n</asset>\n";
}

std::string resources(const std::string& speakerPath, const std::string& speakerDuration,
                      int speakerRate, const std::string& musicPath,
                      const std::string& musicDuration, int musicRate,
                      const std::string& fillerPath, const std::string& fillerDuration,
                      int fillerRate) {
    // The filler asset and its format are written also without a filler.
    return "<resources>\n<format id='TIMELINE' name='FFVideoFormatRateUndefined'/>\n" +
           asset("SPEAKER", speakerPath, speakerDuration, speakerRate) +
           asset("MUSIC", musicPath, musicDuration, musicRate) +
           "<format id='UNDEFINED' name='FFVideoFormatRateUndefined'/>\n" +
           asset("FILLER", fillerPath, fillerDuration, fillerRate) + "</resources>";
}

// A name between apostrophes. Names come from file names and the command
// line, which may hold characters XML cannot carry; those go first.
std::string nameAttribute(const std::string& name) {
    return kykit::customPercEnc(kymovie::FCPXMLUtils::xmlSafeText(name), false);
}

std::string libraryHead(const std::string& eventName, const std::string& projectName,
                        const std::string& longestDuration, const std::string& speakerDuration,
                        const std::string& musicDuration) {
    return "<library location='file:///Users/tovensk/Desktop/quelvo.fcpbundle/'>\n<event name='" +
           nameAttribute(eventName) + "'>\n<project name='" + nameAttribute(projectName) +
           "'>\n<sequence duration=" + longestDuration +
           " format='TIMELINE'  tcStart='0s' tcFormat='NDF' audioLayout='stereo' "
           "audioRate='48k'>\n<spine>\n<asset-clip name='SPEAKER' offset='0s' ref='SPEAKER' "
           "duration=" +
           speakerDuration +
           " start='0s' audioRole='dialogue'>\n<asset-clip name='MUSIC' lane='-1' offset='0s' "
           "ref='MUSIC' duration=" +
           musicDuration +
           " start='0s' audioRole='music' format='UNDEFINED'>\n<adjust-volume>\n<param "
           "name='amount'>\n<keyframeAnimation>";
}

std::string keyframes(const kymovie::VolumeKeyframeList& list) {
    std::string out;
    for (const auto& k : list) out += legacyKeyframeLine(k.time, static_cast<int>(k.dbValue));
    return out + "</keyframeAnimation>\n</param>\n</adjust-volume>\n</asset-clip>";
}

} // namespace

std::string legacyFillerClips(const kyaudio::ClusterList& musicClusters, double fillerSeconds) {
    std::string out;
    for (const FillerPlacement& clip : placeFillers(musicClusters, fillerSeconds))
        out += "<asset-clip name='FILLER' lane='-2' offset=" + tenthsAttribute(clip.offsetTenths) +
               " ref='FILLER' duration=" + tenthsAttribute(clip.durationTenths) + kFillerClipTail;
    return out;
}

FCPXMLWriteResult writeLegacyDocument(
    const std::string& speakerPath, const std::string& speakerDuration, int speakerRate,
    const std::string& musicPath, const std::string& musicDuration, int musicRate,
    const std::string& fillerPath, const std::string& fillerDuration, int fillerRate,
    int duckingDecrease, const kyaudio::ClusterList& speechClusters, const QVRoll& rolls,
    int overallMusicLevel, const std::string& longestDuration, bool decreaseToZero,
    const std::string& eventName, const std::string& projectName, kykit::StatusSink* statusLabel,
    const std::string& outputFile, const MediaFacts& facts, const std::vector<int>& duckedLevels) {
    FCPXMLWriteResult result;
    const auto keyframeList =
        duckedLevels.empty() ? makeVolumeKeyframes(speechClusters, rolls, decreaseToZero, duckingDecrease,
                                                   overallMusicLevel)
                             : makeVolumeKeyframes(speechClusters, rolls, duckedLevels, overallMusicLevel);
    result.keyframes = static_cast<int>(keyframeList.size());

    std::string& doc = result.document;
    doc = kHeader;
    doc += resources(speakerPath, speakerDuration, speakerRate, musicPath, musicDuration, musicRate,
                     fillerPath, fillerDuration, fillerRate);
    doc += libraryHead(eventName, projectName, longestDuration, speakerDuration, musicDuration);
    doc += keyframes(keyframeList);
    if (!fillerPath.empty()) {
        kykit::ih_setText(statusLabel, "Analyzing Music Clusters...");
        const auto musicClusters = facts.musicClusters(musicPath);
        doc += legacyFillerClips(musicClusters, facts.mediaDuration(fillerPath).value_or(0));
        result.fillerClips = musicClusters.size() < 2 ? 0 : static_cast<int>(musicClusters.size() - 1);
    }
    doc += kTail;

    kykit::ih_setText(statusLabel, "Writing FCPXML file...");
    std::fwrite(doc.data(), 1, doc.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (!outputFile.empty()) {
        result.status = kykit::fu_writeTextToFile(outputFile, doc);
        if (result.status.ok()) result.outputPath = outputFile;
    }
    return result;
}

} // namespace quelvo
