#include "fcpxml/qv_fcpxml.h"

#include <algorithm>

#include "ducking/filler_clips.h"
#include "ducking/volume_keyframes.h"
#include "platform/movie/fcpxml_audio.h"
#include "platform/movie/fcpxml_document.h"
#include "platform/movie/fcpxml_time.h"
#include "platform/movie/fcpxml_video_fragments.h"
#include "platform/movie/second_file_role.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/numbers.h"
#include "platform/toolkit/services.h"
#include "platform/toolkit/strings.h"

namespace quelvo {

namespace FU = kymovie::FCPXMLUtils;

namespace {

constexpr const char* kLibraryLocation = "file:///Users/Kyverne/Ky.fcpbundle/";
constexpr const char* kCommentPrefix = "FCPXML Produced with Kyverne Quelvo v. ";

// The clip name Final Cut Pro shows: the file's name with its extension.
std::string clipName(const std::string& path) { return kykit::fu_getFileNameFromPath(path); }

// The drop areas show "Drag Here" until a file is dropped; a path holding the
// caption is no file.
bool isDropAreaCaption(const std::string& path) {
    return kykit::contains(kykit::toLower(path), "drag here");
}

// A name between apostrophes. Names come from file names and the command
// line, which may hold characters XML cannot carry; those go first.
std::string nameAttribute(const std::string& name) {
    return kykit::customPercEnc(kymovie::FCPXMLUtils::xmlSafeText(name), false);
}

std::string fillerClip(const std::string& name, const FillerPlacement& clip) {
    // The name lands between apostrophes, so it is escaped for them.
    return "<asset-clip name='" + nameAttribute(name) +
           "' lane='-2' offset=" + tenthsAttribute(clip.offsetTenths) + " ref='" +
           QVFCPXML::kFillerId + "' duration=" + tenthsAttribute(clip.durationTenths) +
           " audioRole='BGM' format='" + QVFCPXML::finalAudioFormatId() +
           "'>\n<adjust-volume>\n<param name='amount'>\n<fadeOut type=\"easeIn\" "
           "duration='5s'/>\n</param>\n</adjust-volume>\n<audio-channel-source role='BGM.BGM-1' "
           "srcCh='1, 2'/>\n</asset-clip>";
}

} // namespace

std::string QVFCPXML::finalAudioFormatId() { return std::string("FORMAT_") + kAudioFormatId; }

QVFCPXML::QVFCPXML(std::string speechFileURL_, std::string musicFileURL_,
                   std::optional<std::string> fillerFileURL_, std::string eventName_,
                   std::string projectName_, kymovie::VolumeKeyframeList audioKeyframeList_,
                   kyaudio::ClusterList fillerClusterList_, const MediaFacts& facts)
    : speechFileURL(std::move(speechFileURL_)), musicFileURL(std::move(musicFileURL_)),
      fillerFileURL(std::move(fillerFileURL_)), eventName(std::move(eventName_)),
      projectName(std::move(projectName_)), audioKeyframeList(std::move(audioKeyframeList_)),
      fillerClusterList(std::move(fillerClusterList_)), m_facts(&facts) {}

double QVFCPXML::durationOf(const std::string& path) const {
    return m_facts->mediaDuration(path).value_or(0);
}

bool QVFCPXML::usesFiller() const { return fillerFileURL && !isDropAreaCaption(*fillerFileURL); }

int QVFCPXML::fillerClipCount() const {
    if (!usesFiller() || fillerClusterList.size() < 2) return 0;
    return static_cast<int>(fillerClusterList.size() - 1);
}

std::string QVFCPXML::makeDocument() const {
    const std::string comment = kCommentPrefix + kykit::string(kykit::VersionUpdate::getCurrentBuild());
    return FU::getXML(makeResources(), makeLibraryContent(), kLibraryLocation, comment, "1.9");
}

std::string QVFCPXML::makeResources() const {
    return " " + makeTimelineFormat() + "\n " + makeAudioFormat() + "\n " + makeSpeakerAsset() +
           "\n " + makeMusicAsset() + "\n " + makeFillerAsset();
}

std::string QVFCPXML::makeTimelineFormat() const {
    return std::string("  <format id=\"") + kTimelineId + "\" name=\"" +
           kymovie::KyVideoFormats::getVideoFormat({1920, 1080}, 30.0) + "\"/>";
}

std::string QVFCPXML::makeAudioFormat() const {
    return std::string("  <format id=\"") + kAudioFormatId +
           "\" name=\"FFVideoFormatRateUndefined\"/>";
}

std::string QVFCPXML::makeSpeakerAsset() const {
    return FU::getResourceAudioAsset(kSpeakerId, speechFileURL, m_facts->audioFile(speechFileURL));
}

std::string QVFCPXML::makeMusicAsset() const {
    return FU::getResourceAudioAsset(kMusicId, musicFileURL, m_facts->audioFile(musicFileURL));
}

std::string QVFCPXML::makeFillerAsset() const {
    if (!usesFiller()) return "";
    return FU::getResourceAudioAsset(kFillerId, *fillerFileURL, m_facts->audioFile(*fillerFileURL));
}

std::string QVFCPXML::makeLibraryContent() const {
    return " <event name='" + nameAttribute(eventName) + "'>\n  <project name='" +
           nameAttribute(projectName) + "'>\n   <sequence format=\"" + kTimelineId +
           "\" duration=" + formatSequenceTime(timelineDuration()) +
           " tcStart=\"0s\" tcFormat=\"NDF\" audioLayout=\"stereo\" audioRate=\"48k\">\n\t<spine>\n" +
           makeMainClip() + "\n\t</spine>\n   </sequence>\n  </project>\n </event>";
}

double QVFCPXML::timelineDuration() const {
    double longest = std::max(durationOf(speechFileURL), durationOf(musicFileURL));
    if (fillerFileURL) longest = std::max(longest, durationOf(*fillerFileURL));
    return longest;
}

std::string QVFCPXML::makeMainClip() const {
    return FU::getAssetClipForMainLaneString(kSpeakerId, 0.0, clipName(speechFileURL),
                                             durationOf(speechFileURL), kAudioFormatId, "dialogue",
                                             makeMusicClip() + makeFillerClips());
}

std::string QVFCPXML::makeMusicClip() const {
    return FU::getAttachedAssetClipString(kMusicId, -1, 0.0, clipName(musicFileURL),
                                          durationOf(musicFileURL), kAudioFormatId,
                                          kymovie::QVSecondFileRole::shared().roleName(),
                                          FU::getVolumeString(audioKeyframeList));
}

std::string QVFCPXML::makeFillerClips() const {
    if (!usesFiller()) return "";
    std::string out = "\n";
    const std::string name = clipName(*fillerFileURL);
    for (const FillerPlacement& clip : placeFillers(fillerClusterList, durationOf(*fillerFileURL)))
        out += fillerClip(name, clip) + "\n";
    return out;
}

} // namespace quelvo
