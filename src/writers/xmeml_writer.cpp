#include "writers/xmeml_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "project/volume_keyframes.h"
#include "writers/fcpxml_time.h"
#include "writers/timeline_clock.h"
#include "writers/xml_writer.h"

namespace quelvo {

namespace {

// +12 dB, the filter's ceiling.
constexpr const char* kLevelMaximum = "3.98109";

// Levels on a clip: the gain before any keyframe and the keyframes on the
// clip's own frames, in the order they were made.
struct Levels {
    double gain = 1;
    std::vector<std::pair<int64_t, double>> keyframes;
};

struct ClipPlan {
    const ClipSource* source = nullptr;
    int64_t start = 0;  // on the timeline, in frames
    int64_t length = 0; // in frames; the clip plays its media from 0
    std::optional<Levels> levels;
};

// The clips of one recording: on one track, or on two (left and right)
// when the file is stereo.
struct TrackGroup {
    int channels = 1;
    std::vector<ClipPlan> clips;
    int firstTrack = 1;  // 1-based among the sequence's audio tracks
    int firstClipId = 1; // ids run track by track, clip by clip
    int clipId(int channel, size_t clip) const {
        return firstClipId + channel * static_cast<int>(clips.size()) + static_cast<int>(clip);
    }
};

std::string number(int64_t value) {
    return std::to_string(value);
}

// Six significant digits: 0.001 dB apart at any level above silence.
std::string gainText(double gain) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, gain, std::chars_format::general, 6).ptr;
    return std::string(text, end);
}

std::string clipItemId(int id) {
    return "clipitem-" + number(id);
}

// The FCPXML writer's file URL, with the host Final Cut Pro 7 wrote.
std::string pathUrl(const std::string& path) {
    return "file://localhost" + fcpxml::fileUrlOf(path).substr(std::string("file://").size());
}

Levels levelsOn(const VolumeKeyframeList& keyframes, double gainDb, const TimelineClock& clock) {
    Levels levels;
    levels.gain = audioLevelsGain(gainDb);
    for (const auto& k : keyframes)
        levels.keyframes.emplace_back(clock.nearest(k.time), audioLevelsGain(k.dbValue));
    return levels;
}

class XmemlDocument {
  public:
    XmemlDocument(const ProjectDescription& project)
        : m_project(project), m_clock(project.timeline) {
        planGroups();
    }

    std::string write() {
        m_xml.open("xmeml", {{"version", "5"}});
        m_xml.open("sequence", {{"id", "sequence-1"}});
        m_xml.text("name", m_project.projectName);
        m_xml.text("duration", number(sequenceLength()));
        writeRate();
        writeTimecode();
        m_xml.open("media");
        writeVideo();
        writeAudio();
        m_xml.close();
        m_xml.close();
        m_xml.close();
        return m_xml.document();
    }

  private:
    void planGroups() {
        for (const DialogueClip& dialogue : m_project.dialogue)
            addGroup(dialogue.source,
                     {{&dialogue.source, m_clock.nearest(dialogue.offset),
                       m_clock.down(dialogue.source.facts.duration), std::nullopt}});
        const MusicClip& music = m_project.music;
        addGroup(music.source, {{&music.source, 0, m_clock.down(music.source.facts.duration),
                                 levelsOn(music.keyframes, music.overallLevel, m_clock)}});
        if (!m_project.filler || m_project.filler->clips.empty()) return;
        std::vector<ClipPlan> fillers;
        for (const FillerPlacementClip& clip : m_project.filler->clips)
            fillers.push_back(
                {&m_project.filler->source, m_clock.steps(clip.offsetSteps, clip.grid),
                 m_clock.steps(clip.durationSteps, clip.grid), levelsOn(clip.fade, 0, m_clock)});
        addGroup(m_project.filler->source, std::move(fillers));
    }

    void addGroup(const ClipSource& source, std::vector<ClipPlan> clips) {
        TrackGroup group;
        group.channels = source.facts.channels >= 2 ? 2 : 1;
        group.clips = std::move(clips);
        if (!m_groups.empty()) {
            const TrackGroup& last = m_groups.back();
            group.firstTrack = last.firstTrack + last.channels;
            group.firstClipId =
                last.firstClipId + last.channels * static_cast<int>(last.clips.size());
        }
        m_groups.push_back(std::move(group));
    }

    int64_t sequenceLength() const {
        int64_t longest = 0;
        for (const TrackGroup& group : m_groups)
            for (const ClipPlan& clip : group.clips)
                longest = std::max(longest, clip.start + clip.length);
        return longest;
    }

    void writeRate() {
        m_xml.open("rate");
        m_xml.text("timebase", number(m_clock.timebase()));
        m_xml.text("ntsc", m_clock.ntsc() ? "TRUE" : "FALSE");
        m_xml.close();
    }

    void writeTimecode() {
        m_xml.open("timecode");
        writeRate();
        m_xml.text("string", "00:00:00:00");
        m_xml.text("frame", "0");
        m_xml.text("displayformat", m_project.timeline.dropFrame ? "DF" : "NDF");
        m_xml.close();
    }

    // The editors expect a picture format even for a sequence of sound.
    void writeVideo() {
        m_xml.open("video");
        m_xml.open("format");
        m_xml.open("samplecharacteristics");
        writeRate();
        m_xml.text("width", number(m_project.timeline.width));
        m_xml.text("height", number(m_project.timeline.height));
        m_xml.text("pixelaspectratio", "square");
        m_xml.close();
        m_xml.close();
        writePictureTrack();
        m_xml.close();
    }

    // A video dialogue's picture, on the video track above its sound.
    void writePictureTrack() {
        if (m_groups.empty() || m_project.dialogue.empty() ||
            !m_project.dialogue.front().source.facts.video) {
            m_xml.empty("track");
            return;
        }
        const ClipPlan& clip = m_groups.front().clips.front();
        const int64_t mediaLength =
            std::max(m_clock.down(clip.source->facts.duration), clip.length);
        m_xml.open("track");
        m_xml.open("clipitem", {{"id", "clipitem-video-1"}});
        writeClipPlacement(clip, mediaLength);
        m_xml.close();
        m_xml.close();
    }

    void writeAudio() {
        m_xml.open("audio");
        m_xml.text("numOutputChannels", "2");
        m_xml.open("format");
        m_xml.open("samplecharacteristics");
        m_xml.text("depth", "16");
        m_xml.text("samplerate", "48000");
        m_xml.close();
        m_xml.close();
        for (const TrackGroup& group : m_groups)
            for (int channel = 0; channel < group.channels; ++channel) {
                m_xml.open("track");
                for (size_t i = 0; i < group.clips.size(); ++i)
                    writeClipItem(group, channel, i);
                m_xml.close();
            }
        m_xml.close();
    }

    // What a picture and a sound clip item both say: the name, where it sits
    // on the sequence, which part of the media it plays, and the file.
    void writeClipPlacement(const ClipPlan& clip, int64_t mediaLength) {
        m_xml.text("name", clip.source->name);
        m_xml.text("enabled", "TRUE");
        m_xml.text("duration", number(mediaLength));
        writeRate();
        m_xml.text("start", number(clip.start));
        m_xml.text("end", number(clip.start + clip.length));
        m_xml.text("in", "0");
        m_xml.text("out", number(clip.length));
        writeFile(*clip.source, mediaLength);
    }

    void writeClipItem(const TrackGroup& group, int channel, size_t index) {
        const ClipPlan& clip = group.clips[index];
        const int64_t mediaLength =
            std::max(m_clock.down(clip.source->facts.duration), clip.length);
        m_xml.open("clipitem", {{"id", clipItemId(group.clipId(channel, index))}});
        writeClipPlacement(clip, mediaLength);
        m_xml.open("sourcetrack");
        m_xml.text("mediatype", "audio");
        m_xml.text("trackindex", number(channel + 1));
        m_xml.close();
        if (clip.levels) writeLevels(*clip.levels);
        if (group.channels == 2)
            for (int linked = 0; linked < 2; ++linked)
                writeLink(group, linked, index);
        m_xml.close();
    }

    void writeLink(const TrackGroup& group, int channel, size_t index) {
        m_xml.open("link");
        m_xml.text("linkclipref", clipItemId(group.clipId(channel, index)));
        m_xml.text("mediatype", "audio");
        m_xml.text("trackindex", number(group.firstTrack + channel));
        m_xml.text("clipindex", number(static_cast<int64_t>(index) + 1));
        m_xml.text("groupindex", "1");
        m_xml.close();
    }

    // Each file in full where it first appears; by its id afterwards.
    void writeFile(const ClipSource& source, int64_t mediaLength) {
        const auto known = m_fileIds.find(source.path);
        if (known != m_fileIds.end()) {
            m_xml.empty("file", {{"id", known->second}});
            return;
        }
        const std::string id = "file-" + number(static_cast<int64_t>(m_fileIds.size()) + 1);
        m_fileIds.emplace(source.path, id);
        m_xml.open("file", {{"id", id}});
        m_xml.text("name", source.name);
        m_xml.text("pathurl", pathUrl(source.path));
        writeRate();
        m_xml.text("duration", number(mediaLength));
        m_xml.open("media");
        if (const auto& video = source.facts.video) {
            m_xml.open("video");
            m_xml.open("samplecharacteristics");
            writeRate();
            m_xml.text("width", number(video->width));
            m_xml.text("height", number(video->height));
            m_xml.close();
            m_xml.close();
        }
        m_xml.open("audio");
        m_xml.open("samplecharacteristics");
        m_xml.text("depth", "16");
        m_xml.text("samplerate", number(source.facts.sampleRate));
        m_xml.close();
        m_xml.text("channelcount", number(std::max(source.facts.channels, 1)));
        m_xml.close();
        m_xml.close();
        m_xml.close();
    }

    void writeLevels(const Levels& levels) {
        m_xml.open("filter");
        m_xml.open("effect");
        m_xml.text("name", "Audio Levels");
        m_xml.text("effectid", "audiolevels");
        m_xml.text("effectcategory", "audiolevels");
        m_xml.text("effecttype", "audiolevels");
        m_xml.text("mediatype", "audio");
        m_xml.open("parameter");
        m_xml.text("parameterid", "level");
        m_xml.text("name", "Level");
        m_xml.text("valuemin", "0");
        m_xml.text("valuemax", kLevelMaximum);
        m_xml.text("value", gainText(levels.gain));
        for (const auto& [when, gain] : levels.keyframes) {
            m_xml.open("keyframe");
            m_xml.text("when", number(when));
            m_xml.text("value", gainText(gain));
            m_xml.close();
        }
        m_xml.close();
        m_xml.close();
        m_xml.close();
    }

    const ProjectDescription& m_project;
    TimelineClock m_clock;
    std::vector<TrackGroup> m_groups;
    std::map<std::string, std::string> m_fileIds;
    XmlWriter m_xml{"xmeml"};
};

} // namespace

double audioLevelsGain(double db) {
    if (std::isnan(db) || db <= kSilenceDb) return 0;
    return std::pow(10.0, db / 20.0);
}

std::string writeXmeml(const ProjectDescription& project) {
    return XmemlDocument(project).write();
}

} // namespace quelvo
