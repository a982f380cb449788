#include "writers/mlt_document.h"

#include <algorithm>
#include <map>
#include <vector>

#include "base/files.h"
#include "writers/mlt_writer.h"
#include "writers/timeline_clock.h"
#include "writers/xml_writer.h"

namespace quelvo {

namespace {

// One clip on a track: which producer, where, how long (frames), its levels.
struct MltEntry {
    const ClipSource* source = nullptr;
    int64_t start = 0;
    int64_t length = 0;
    std::string level; // the volume filter's `level`; "" for none
};

struct MltTrack {
    std::string name;
    std::vector<MltEntry> entries; // in time order, not overlapping
};

class MltDocument {
  public:
    explicit MltDocument(const ProjectDescription& project)
        : m_project(project), m_clock(project.timeline) {
        planTracks();
    }

    std::string write() {
        m_xml.open("mlt", {{"LC_NUMERIC", "C"},
                           {"version", "7.12.0"},
                           {"title", m_project.projectName},
                           {"producer", "main_bin"}});
        writeProfile();
        writeProducers();
        writeBin();
        writeBackground();
        for (size_t i = 0; i < m_tracks.size(); ++i)
            writePlaylist(i);
        writeTractor();
        m_xml.close();
        return m_xml.document();
    }

  private:
    void planTracks() {
        for (const DialogueClip& dialogue : m_project.dialogue)
            m_tracks.push_back({dialogue.source.role,
                                {{&dialogue.source, m_clock.nearest(dialogue.offset),
                                  m_clock.down(dialogue.source.facts.duration), ""}}});
        const MusicClip& music = m_project.music;
        m_tracks.push_back({music.source.role,
                            {{&music.source, 0, m_clock.down(music.source.facts.duration),
                              mltLevel(music.keyframes, music.overallLevel, m_project.timeline)}}});
        if (m_project.filler && !m_project.filler->clips.empty()) {
            MltTrack fillers{m_project.filler->source.role, {}};
            for (const FillerPlacementClip& clip : m_project.filler->clips)
                fillers.entries.push_back({&m_project.filler->source,
                                           m_clock.steps(clip.offsetSteps, clip.grid),
                                           m_clock.steps(clip.durationSteps, clip.grid),
                                           mltLevel(clip.fade, 0, m_project.timeline)});
            m_tracks.push_back(std::move(fillers));
        }
        for (const MltTrack& track : m_tracks)
            for (const MltEntry& entry : track.entries) {
                m_length = std::max(m_length, entry.start + entry.length);
                if (!m_producerIds.count(entry.source->path)) {
                    m_producerIds.emplace(entry.source->path,
                                          "producer" + std::to_string(m_producers.size()));
                    m_producers.push_back(entry.source);
                }
            }
    }

    // A track whose clips are a video's, shown as the picture.
    bool showsPicture(size_t index) const {
        const auto& entries = m_tracks[index].entries;
        return !entries.empty() && entries.front().source->facts.video.has_value();
    }

    void property(std::string_view name, const std::string& value) {
        m_xml.text("property", value, {{"name", std::string(name)}});
    }

    // The last frame of a stretch of `frames` (MLT's out points are inclusive).
    std::string lastFrame(int64_t frames) const {
        return m_clock.clock(std::max<int64_t>(frames - 1, 0));
    }

    void writeProfile() {
        const TimelineFormat& timeline = m_project.timeline;
        m_xml.empty("profile", {{"description", std::to_string(timeline.height) + "p " +
                                                    std::to_string(m_clock.timebase())},
                                {"width", std::to_string(timeline.width)},
                                {"height", std::to_string(timeline.height)},
                                {"progressive", "1"},
                                {"sample_aspect_num", "1"},
                                {"sample_aspect_den", "1"},
                                {"display_aspect_num", std::to_string(timeline.width)},
                                {"display_aspect_den", std::to_string(timeline.height)},
                                {"frame_rate_num", std::to_string(m_clock.rateNumerator())},
                                {"frame_rate_den", std::to_string(m_clock.rateDenominator())},
                                {"colorspace", "709"}});
    }

    void writeProducers() {
        for (size_t i = 0; i < m_producers.size(); ++i) {
            const ClipSource& source = *m_producers[i];
            const int64_t frames = std::max<int64_t>(m_clock.down(source.facts.duration), 1);
            m_xml.open("producer", {{"id", m_producerIds.at(source.path)},
                                    {"in", m_clock.clock(0)},
                                    {"out", lastFrame(frames)}});
            property("length", std::to_string(frames));
            property("eof", "pause");
            property("resource", quelvo::absolutePathOf(source.path));
            // A video dialogue keeps its picture; every other file is sound.
            property("video_index", source.facts.video ? "0" : "-1");
            property("mlt_service", "avformat");
            property("seekable", "1");
            property("shotcut:caption", source.name);
            m_xml.close();
        }
    }

    void writeBin() {
        m_xml.open("playlist", {{"id", "main_bin"}});
        property("xml_retain", "1");
        m_xml.close();
    }

    // The black picture under every track, as Shotcut keeps it.
    void writeBackground() {
        m_xml.open("producer",
                   {{"id", "black"}, {"in", m_clock.clock(0)}, {"out", lastFrame(m_length)}});
        property("length", std::to_string(m_length));
        property("eof", "pause");
        property("resource", "0");
        property("aspect_ratio", "1");
        property("mlt_service", "color");
        property("set.test_audio", "0");
        m_xml.close();
        m_xml.open("playlist", {{"id", "background"}});
        m_xml.empty(
            "entry",
            {{"producer", "black"}, {"in", m_clock.clock(0)}, {"out", lastFrame(m_length)}});
        m_xml.close();
    }

    void writePlaylist(size_t index) {
        const MltTrack& track = m_tracks[index];
        m_xml.open("playlist", {{"id", "playlist" + std::to_string(index)}});
        if (!showsPicture(index)) property("shotcut:audio", "1");
        property("shotcut:name", track.name);
        int64_t at = 0;
        for (const MltEntry& entry : track.entries) {
            if (entry.start > at)
                m_xml.empty("blank", {{"length", m_clock.clock(entry.start - at)}});
            writeEntry(entry);
            at = entry.start + entry.length;
        }
        m_xml.close();
    }

    void writeEntry(const MltEntry& entry) {
        const XmlAttributes where{{"producer", m_producerIds.at(entry.source->path)},
                                  {"in", m_clock.clock(0)},
                                  {"out", lastFrame(entry.length)}};
        if (entry.level.empty()) {
            m_xml.empty("entry", where);
            return;
        }
        m_xml.open("entry", where);
        m_xml.open("filter", {{"id", "filter" + std::to_string(m_filters++)}});
        property("window", "75");
        property("max_gain", "20dB");
        property("level", entry.level);
        property("mlt_service", "volume");
        property("shotcut:filter", "audioGain");
        m_xml.close();
        m_xml.close();
    }

    void writeTractor() {
        m_xml.open("tractor", {{"id", "tractor0"},
                               {"title", m_project.projectName},
                               {"in", m_clock.clock(0)},
                               {"out", lastFrame(m_length)}});
        property("shotcut", "1");
        m_xml.empty("track", {{"producer", "background"}});
        for (size_t i = 0; i < m_tracks.size(); ++i) {
            XmlAttributes track{{"producer", "playlist" + std::to_string(i)}};
            if (!showsPicture(i)) track.push_back({"hide", "video"});
            m_xml.empty("track", track);
        }
        // Every track summed onto the background, as Shotcut plants its mixes.
        for (size_t i = 0; i < m_tracks.size(); ++i) {
            m_xml.open("transition", {{"id", "transition" + std::to_string(i)}});
            property("a_track", "0");
            property("b_track", std::to_string(i + 1));
            property("mlt_service", "mix");
            property("always_active", "1");
            property("sum", "1");
            m_xml.close();
        }
        m_xml.close();
    }

    const ProjectDescription& m_project;
    TimelineClock m_clock;
    std::vector<MltTrack> m_tracks;
    std::vector<const ClipSource*> m_producers;
    std::map<std::string, std::string> m_producerIds;
    int64_t m_length = 0;
    int m_filters = 0;
    XmlWriter m_xml;
};

} // namespace

std::string writeMltDocument(const ProjectDescription& project) {
    return MltDocument(project).write();
}

} // namespace quelvo
