#include "writers/fcpxml_audio.h"

#include <cmath>
#include <filesystem>

#include "base/files.h"
#include "base/numbers.h"
#include "base/strings.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo::fcpxml {

namespace {

// Every attribute of these fragments is double-quoted. Names come from file
// names, which may hold control characters or bytes that are not UTF-8; XML
// cannot carry those, so they go first.
std::string attr(const std::string& text) {
    return quelvo::xmlEscapeAttribute(xmlSafeText(text), true);
}

std::string quoted(long long numerator, long long denominator) {
    if (numerator == 0) return "\"0s\"";
    return "\"" + std::to_string(numerator) + "/" + std::to_string(denominator) + "s\"";
}

// Clip times on the 30 fps timeline: Final Cut Pro rejects clips that do not
// sit on frame boundaries.
std::string frameTime(double seconds) {
    return getTime(seconds, kAudioTimelineFPS);
}
// A clip's length rounds down: rounded to the nearest frame it could end up
// to half a frame past its media's end, an edit Final Cut Pro refuses.
std::string clipDuration(double seconds) {
    return getTimeRoundedDown(seconds, kAudioTimelineFPS);
}

// Keyframes may sit between frames; 1/3000 s is fine enough for any fade and
// shares the timeline's denominator.
std::string keyframeTime(double seconds) {
    if (!std::isfinite(seconds)) seconds = 0;
    return quoted(std::llround(seconds * 3000.0), 3000);
}

// Whole decibels print without a fraction; -96 dB stands for silence, so an
// infinitely quiet keyframe prints as that.
std::string decibels(double db) {
    if (std::isnan(db)) db = 0;
    if (std::isinf(db)) db = db < 0 ? -96 : 0;
    if (db == std::trunc(db) && std::fabs(db) < 1e15)
        return std::to_string(static_cast<long long>(db));
    return quelvo::string(db);
}

std::string fileNameWithoutExtension(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

} // namespace

std::string getExactAudioDuration(const quelvo::AudioFileInfo& facts) {
    if (facts.sampleRate <= 0) return "\"0s\"";
    long long samples = facts.sampleCount;
    // Some containers know only a duration; count its samples at the file's rate.
    if (samples <= 0 && std::isfinite(facts.duration) && facts.duration > 0)
        samples = std::llround(facts.duration * facts.sampleRate);
    return quoted(samples > 0 ? samples : 0, facts.sampleRate);
}

std::string getResourceAudioAsset(const std::string& id, const std::string& path,
                                  const quelvo::AudioFileInfo& facts) {
    std::string xml = "<asset id=\"" + attr(id) + "\" name=\"" +
                      attr(fileNameWithoutExtension(path)) +
                      "\" start=\"0s\" duration=" + getExactAudioDuration(facts) +
                      " hasAudio=\"1\" audioSources=\"1\"";
    if (facts.channels > 0) xml += " audioChannels=\"" + std::to_string(facts.channels) + "\"";
    if (facts.sampleRate > 0) xml += " audioRate=\"" + std::to_string(facts.sampleRate) + "\"";
    xml += "><media-rep kind=\"original-media\" src=\"" + attr(fileUrlOf(path)) + "\"/></asset>";
    return xml;
}

std::string getVolumeString(const VolumeKeyframeList& keyframeList) {
    std::string xml = "<adjust-volume>\n<param name=\"amount\">\n<keyframeAnimation>\n";
    for (const auto& k : keyframeList)
        xml += "<keyframe time=" + keyframeTime(k.time) + " value=\"" + decibels(k.dbValue) +
               "dB\"/>\n";
    xml += "</keyframeAnimation>\n</param>\n</adjust-volume>";
    return xml;
}

std::string getAttachedAssetClipString(const std::string& ref, int lane, double offset,
                                       const std::string& name, double duration,
                                       const std::string& format, const std::string& audioRole,
                                       const std::string& volumeString) {
    std::string xml = "<asset-clip ref=\"" + attr(ref) + "\" lane=\"" + std::to_string(lane) +
                      "\" offset=" + frameTime(offset) + " name=\"" + attr(name) +
                      "\" duration=" + clipDuration(duration) + " start=\"0s\" format=\"" +
                      attr(format) + "\" audioRole=\"" + attr(audioRole) + "\">\n";
    // The DTD wants adjustments before any connected clip.
    if (!volumeString.empty()) xml += volumeString + "\n";
    xml += "</asset-clip>";
    return xml;
}

std::string getAssetClipForMainLaneString(const std::string& ref, double offset,
                                          const std::string& name, double duration,
                                          const std::string& format, const std::string& audioRole,
                                          const std::string& attachedClipsString) {
    std::string xml = "<asset-clip ref=\"" + attr(ref) + "\" offset=" + frameTime(offset) +
                      " name=\"" + attr(name) + "\" duration=" + clipDuration(duration) +
                      " start=\"0s\" format=\"" + attr(format) + "\" audioRole=\"" +
                      attr(audioRole) + "\">\n";
    xml += attachedClipsString;
    if (!attachedClipsString.empty() && attachedClipsString.back() != '\n') xml += "\n";
    xml += "</asset-clip>";
    return xml;
}

} // namespace quelvo::fcpxml
