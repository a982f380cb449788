// A video as the dialogue, on real files made here with ffmpeg: the FCPXML
// 1.9 and 1.6 projects validate, keep the picture with the facts ffprobe
// reads, put every edit on the video timeline's frames and keep every clip
// within its media; a video without sound is refused.
#include <cstdlib>
#include <map>
#include <numeric>
#include <sstream>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <nlohmann/json.hpp>

#include "jobs/duck_job.h"
#include "jobs/render_job.h"
#include "project/project_builder.h"
#include "support/test_support.h"
#include "writers/fcpxml_writers.h"
#include "writers/melt_proof.h"

namespace quelvo {
namespace {

struct VideoCase {
    std::string name;
    std::vector<std::string> ffmpegArgs; // inputs and codecs, before the output
    std::string timelineName;            // "" where Final Cut Pro has no name
    std::string timelineFrame;           // the timeline's frameDuration
    std::string tcFormat;
};

std::vector<VideoCase> videoCases() {
    const auto video = [](const std::string& size, const std::string& rate) {
        return std::vector<std::string>{"-f", "lavfi", "-i",
                                        "testsrc=size=" + size + ":rate=" + rate + ":duration=2"};
    };
    const auto sine = [](int hz, int rate) {
        return std::vector<std::string>{"-f", "lavfi", "-i",
                                        "sine=frequency=" + std::to_string(hz) +
                                            ":duration=2:sample_rate=" + std::to_string(rate)};
    };
    const auto join = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::vector<std::string> h264 = {
        "-c:v",        "libx264", "-preset",          "ultrafast", "-pix_fmt",   "yuv420p",
        "-colorspace", "bt709",   "-color_primaries", "bt709",     "-color_trc", "bt709"};
    return {
        {"p25.mp4", join({video("1920x1080", "25"), sine(440, 48000), h264, {"-c:a", "aac"}}),
         "FFVideoFormat1080p25", "1/25s", "NDF"},
        // Two sound streams, a stereo one and a mono one.
        {"p2398.mov",
         join({video("1280x720", "24000/1001"),
               sine(440, 48000),
               sine(660, 44100),
               {"-map", "0:v", "-map", "1:a", "-map", "2:a", "-c:v", "mpeg4", "-c:a", "pcm_s16le",
                "-ac:a:0", "2"}}),
         "FFVideoFormat720p2398", "1001/24000s", "NDF"},
        {"df2997.mov",
         join({video("640x480", "30000/1001"),
               sine(440, 48000),
               {"-c:v", "mpeg4", "-c:a", "pcm_s16le", "-timecode", "01:00:00;00"}}),
         "", "1001/30000s", "DF"},
        {"vertical.mp4", join({video("1080x1920", "30"), sine(440, 48000), h264, {"-c:a", "aac"}}),
         "", "1/30s", "NDF"},
        // A rate no timeline runs at takes the nearest one.
        {"p15.mp4", join({video("320x240", "15"), sine(440, 48000), h264, {"-c:a", "aac"}}), "",
         "1001/24000s", "NDF"},
    };
}

// A program found on PATH (Homebrew's folder on macOS, /usr/bin here).
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && std::filesystem::exists(std::filesystem::path(folder) / name))
            return (std::filesystem::path(folder) / name).string();
    return name;
}

test::CommandResult ffmpeg(std::vector<std::string> args, const std::filesystem::path& output) {
    args.insert(args.begin(), {onPath("ffmpeg"), "-nostdin", "-v", "error", "-y"});
    args.insert(args.end(), {"-t", "2", output.string()});
    return test::runProgram(args);
}

// A music bed sounding 0-2 s, 3-5 s and 6-8 s, so a filler goes in each gap.
void makeAudio(const test::TempDir& dir) {
    ASSERT_EQ(test::runProgram({onPath("ffmpeg"), "-nostdin", "-v", "error", "-y", "-f", "lavfi",
                                "-i", "aevalsrc=0.3*sin(2*PI*330*t)*lt(mod(t\\,3)\\,2):d=8:s=44100",
                                (dir / "music.wav").string()})
                  .exitCode,
              0);
    ASSERT_EQ(ffmpeg({"-f", "lavfi", "-i", "sine=frequency=550:duration=4:sample_rate=44100"},
                     dir / "filler.wav")
                  .exitCode,
              0);
}

// Every element of a document with its attributes and its parent's index.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    int parent = -1;
    std::string at(const std::string& key) const {
        const auto it = attributes.find(key);
        return it == attributes.end() ? "" : it->second;
    }
};

void collect(const xmlNode* node, int parent, std::vector<Element>& out) {
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        Element e{reinterpret_cast<const char*>(node->name), {}, parent};
        for (const xmlAttr* a = node->properties; a; a = a->next) {
            xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
            e.attributes[reinterpret_cast<const char*>(a->name)] =
                value ? reinterpret_cast<char*>(value) : "";
            xmlFree(value);
        }
        out.push_back(e);
        collect(node->children, static_cast<int>(out.size()) - 1, out);
    }
}

std::vector<Element> readDocument(const std::string& xml) {
    std::vector<Element> out;
    xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "p.fcpxml", nullptr,
                                XML_PARSE_NONET);
    if (doc) collect(xmlDocGetRootElement(doc), -1, out);
    xmlFreeDoc(doc);
    return out;
}

// An FCPXML time "N/Ds" or "Ns" as an exact fraction.
struct Time {
    int64_t num = 0, den = 1;
};
Time timeOf(const std::string& text) {
    Time t;
    const size_t slash = text.find('/');
    t.num = std::stoll(text);
    if (slash != std::string::npos) t.den = std::stoll(text.substr(slash + 1));
    return t;
}
// Products of hour-long times and fine denominators pass 64 bits, so the
// arithmetic runs in 128 (GCC and clang have it on 64-bit targets).
using Wide = __int128;
bool onGrid(Time t, Time frame) {
    return (Wide(t.num) * frame.den) % (Wide(t.den) * frame.num) == 0;
}
// The sign of a - b, compared exactly through a common denominator.
int compare(Time a, Time b) {
    const Wide d = Wide(a.num) * b.den - Wide(b.num) * a.den;
    return d < 0 ? -1 : d > 0 ? 1 : 0;
}
Time add(Time a, Time b) {
    // Reduced, so that sums of long times stay within 64 bits.
    const int64_t num =
        a.num * (b.den / std::gcd(a.den, b.den)) + b.num * (a.den / std::gcd(a.den, b.den));
    const int64_t den = a.den / std::gcd(a.den, b.den) * b.den;
    const int64_t g = std::gcd(num, den);
    return {num / g, den / g};
}

nlohmann::json ffprobe(const std::filesystem::path& file) {
    const auto r = test::runProgram({onPath("ffprobe"), "-v", "error", "-show_streams",
                                     "-show_format", "-of", "json", file.string()});
    nlohmann::json probe = nlohmann::json::parse(r.out, nullptr, false);
    return probe.is_discarded() ? nlohmann::json::object() : probe;
}

void checkDocument(const std::string& xml, const VideoCase& c, const nlohmann::json& probe) {
    const std::vector<Element> doc = readDocument(xml);
    ASSERT_FALSE(doc.empty()) << xml;
    std::map<std::string, const Element*> byId;
    for (const Element& e : doc)
        if (!e.at("id").empty()) byId[e.at("id")] = &e;
    const Element* sequence = nullptr;
    for (const Element& e : doc)
        if (e.name == "sequence") sequence = &e;
    ASSERT_TRUE(sequence);
    const Element& timeline = *byId.at(sequence->at("format"));
    EXPECT_EQ(timeline.at("name"), c.timelineName);
    EXPECT_EQ(timeline.at("frameDuration"), c.timelineFrame);
    EXPECT_EQ(sequence->at("tcFormat"), c.tcFormat);
    const Time frame = timeOf(c.timelineFrame);
    EXPECT_TRUE(onGrid(timeOf(sequence->at("duration")), frame));

    // The picture's facts as ffprobe reads them.
    const nlohmann::json& v = probe["streams"][0];
    EXPECT_EQ(timeline.at("width"), std::to_string(v["width"].get<int>()));
    EXPECT_EQ(timeline.at("height"), std::to_string(v["height"].get<int>()));
    const Element* speaker = nullptr;
    for (const Element& e : doc)
        if (e.name == "asset" && e.at("hasVideo") == "1") speaker = &e;
    ASSERT_TRUE(speaker) << xml;
    const Element& own = *byId.at(speaker->at("format"));
    const std::string rate = v["avg_frame_rate"];
    const Time frameRate = timeOf(rate);
    EXPECT_EQ(compare(timeOf(own.at("frameDuration")), Time{frameRate.den, frameRate.num}), 0);
    EXPECT_EQ(own.at("width"), timeline.at("width"));
    int audioStreams = 0, channels = 0;
    for (const auto& s : probe["streams"])
        if (s["codec_type"] == "audio") {
            ++audioStreams;
            channels = std::max(channels, s["channels"].get<int>());
        }
    EXPECT_EQ(speaker->at("audioSources"), std::to_string(audioStreams));
    EXPECT_EQ(speaker->at("audioChannels"), std::to_string(channels));
    EXPECT_EQ(speaker->at("audioRate"), probe["streams"][1]["sample_rate"].get<std::string>());
    const std::string timecode = v.value("tags", nlohmann::json::object()).value("timecode", "");
    // 01:00:00;00 drop-frame is frame 107892 of 29.97; without a timecode
    // the media starts at 0.
    EXPECT_EQ(timecode, c.tcFormat == "DF" ? "01:00:00;00" : "");
    EXPECT_EQ(compare(timeOf(speaker->at("start")),
                      timecode.empty() ? Time{0, 1} : Time{107892 * 1001, 30000}),
              0)
        << speaker->at("start");

    // Every edit on the timeline's frames, every clip within its media.
    int clips = 0;
    for (size_t i = 0; i < doc.size(); ++i) {
        const Element& e = doc[i];
        if (e.name != "asset-clip") continue;
        ++clips;
        const Element& asset = *byId.at(e.at("ref"));
        const Time start = timeOf(e.at("start").empty() ? "0s" : e.at("start"));
        const Time duration = timeOf(e.at("duration"));
        const Element& parent = doc[e.parent];
        if (parent.name == "spine") {
            EXPECT_TRUE(onGrid(timeOf(e.at("offset")), frame)) << e.at("offset");
        }
        EXPECT_TRUE(onGrid(duration, frame)) << e.at("duration");
        EXPECT_GE(compare(start, timeOf(asset.at("start"))), 0);
        EXPECT_LE(compare(add(start, duration),
                          add(timeOf(asset.at("start")), timeOf(asset.at("duration")))),
                  0)
            << e.at("name");
        if (parent.name == "asset-clip") {
            // Connected clips count from their parent's start, on its frames.
            const Time offset = timeOf(e.at("offset"));
            EXPECT_GE(compare(offset, timeOf(parent.at("start"))), 0);
            EXPECT_TRUE(onGrid(
                add(offset, Time{-timeOf(parent.at("start")).num, timeOf(parent.at("start")).den}),
                frame))
                << e.at("offset");
        }
    }
    EXPECT_EQ(clips, 4); // dialogue, music and a filler in each of the two gaps
}

DuckOutcome duck(const test::TempDir& dir, const std::string& dialogue, ProjectFormat format,
                 const std::string& output) {
    DuckRequest request;
    request.inputs = {
        {(dir / dialogue).string()}, (dir / "music.wav").string(), (dir / "filler.wav").string()};
    request.rolls = EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24};
    request.eventName = "video_event";
    request.projectName = "video_project";
    request.output = {format, (dir / output).string(), false, true};
    request.speech = ClusterList{{0.5, 1.2}};
    FixedFormatAnswer unused(std::nullopt);
    return duckAudioFiles(request, unused);
}

TEST(VideoDialogue, BothFcpxmlVersionsKeepThePictureOnItsFrames) {
    test::TempDir dir;
    makeAudio(dir);
    for (const VideoCase& c : videoCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ffmpeg(c.ffmpegArgs, dir / c.name).exitCode, 0);
        const nlohmann::json probe = ffprobe(dir / c.name);
        for (const auto& [format, version] : {std::pair{ProjectFormat::fcpxml19, "1.9"},
                                              std::pair{ProjectFormat::fcpxml16, "1.6"}}) {
            const std::string output = c.name + version + ".fcpxml";
            const DuckOutcome outcome = duck(dir, c.name, format, output);
            ASSERT_TRUE(outcome.success) << outcome.message;
            const std::string xml = test::readFile(dir / output);
            EXPECT_VALID_FCPXML(xml, version);
            checkDocument(xml, c, probe);
            const bool snapped = c.name == "p15.mp4";
            ASSERT_EQ(outcome.warnings.size(), snapped ? 1u : 0u)
                << (outcome.warnings.empty() ? "" : outcome.warnings[0]);
            if (snapped) {
                EXPECT_EQ(outcome.warnings[0],
                          "p15.mp4 runs at 15 frames per second; its timeline runs "
                          "at 23.976, the nearest rate Final Cut Pro offers");
            }
            if (c.name == "p25.mp4" && format == ProjectFormat::fcpxml19) {
                EXPECT_NE(xml.find("colorSpace=\"1-1-1 (Rec. 709)\""), std::string::npos);
            }
        }
    }
}

// A camera with its timecode and a second microphone beside it: the
// microphone, the music and the fillers are connected beneath the picture,
// one lane each, counted from its timecode and on its frames.
TEST(VideoDialogue, AMicrophoneBesideTheCameraIsConnectedOnItsFrames) {
    test::TempDir dir;
    makeAudio(dir);
    ASSERT_EQ(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=30000/1001", "-f", "lavfi",
                      "-i", "sine=frequency=300:sample_rate=48000", "-c:v", "mpeg4", "-c:a",
                      "pcm_s16le", "-timecode", "01:00:00;00"},
                     dir / "cam.mov")
                  .exitCode,
              0);
    ASSERT_EQ(
        ffmpeg({"-f", "lavfi", "-i", "sine=frequency=500:sample_rate=44100"}, dir / "Host.wav")
            .exitCode,
        0);
    for (const auto& [format, version] :
         {std::pair{ProjectFormat::fcpxml19, "1.9"}, std::pair{ProjectFormat::fcpxml16, "1.6"}}) {
        DuckRequest request;
        request.inputs = {{(dir / "cam.mov").string(), (dir / "Host.wav").string()},
                          (dir / "music.wav").string(),
                          (dir / "filler.wav").string()};
        request.rolls = EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24};
        request.output = {format, (dir / (std::string("two") + version)).string(), false, true};
        request.speech = ClusterList{{0.5, 1.2}};
        FixedFormatAnswer unused(std::nullopt);
        const DuckOutcome outcome = duckAudioFiles(request, unused);
        ASSERT_TRUE(outcome.success) << outcome.message;
        const std::string xml = test::readFile(dir / (std::string("two") + version));
        EXPECT_VALID_FCPXML(xml, version);
        const std::vector<Element> doc = readDocument(xml);
        const Time frame{1001, 30000};
        std::map<std::string, int> lanes; // clip name -> lane
        for (const Element& e : doc) {
            if (e.name != "asset-clip" || doc[e.parent].name != "asset-clip") continue;
            const Time start = timeOf(doc[e.parent].at("start"));
            EXPECT_EQ(compare(start, Time{107892 * 1001, 30000}), 0);
            const Time offset = timeOf(e.at("offset"));
            EXPECT_GE(compare(offset, start), 0) << e.at("name");
            EXPECT_TRUE(onGrid(add(offset, Time{-start.num, start.den}), frame)) << e.at("offset");
            EXPECT_TRUE(onGrid(timeOf(e.at("duration")), frame)) << e.at("duration");
            lanes[e.at("audioRole").empty() ? e.at("name") : e.at("audioRole")] =
                std::stoi(e.at("lane"));
        }
        EXPECT_EQ(lanes["dialogue.Host"], -1) << xml;
        EXPECT_EQ(lanes["music"], -2);
        EXPECT_EQ(lanes["BGM"], -3);
    }
}

TEST(VideoDialogue, AVideoWithoutSoundIsRefusedAndASoundFileStaysAudioOnly) {
    test::TempDir dir;
    makeAudio(dir);
    ASSERT_EQ(
        ffmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2", "-c:v", "mpeg4"},
               dir / "silent.mov")
            .exitCode,
        0);
    const DuckOutcome silent = duck(dir, "silent.mov", ProjectFormat::fcpxml19, "silent.fcpxml");
    EXPECT_FALSE(silent.success);
    EXPECT_EQ(silent.message, "Cannot read the dialogue file " + (dir / "silent.mov").string() +
                                  ": the video has no sound.");
    EXPECT_FALSE(std::filesystem::exists(dir / "silent.fcpxml"));

    ASSERT_EQ(ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2:sample_rate=48000"},
                     dir / "talk.wav")
                  .exitCode,
              0);
    const DuckOutcome sound = duck(dir, "talk.wav", ProjectFormat::fcpxml19, "talk.fcpxml");
    ASSERT_TRUE(sound.success) << sound.message;
    const std::string xml = test::readFile(dir / "talk.fcpxml");
    EXPECT_EQ(xml.find("hasVideo"), std::string::npos);
    EXPECT_NE(xml.find("<format id=\"QVTimeline\" name=\"FFVideoFormat1080p30\"/>"),
              std::string::npos);
    EXPECT_NE(xml.find("/10s' ref='QVFiller' duration='"), std::string::npos) << xml;
}

TEST(VideoDialogue, Fcp7XmlAndMltKeepThePicture) {
    test::TempDir dir;
    makeAudio(dir);
    ASSERT_EQ(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2", "-f", "lavfi",
                      "-i", "sine=frequency=440:duration=2:sample_rate=48000", "-c:v", "mpeg4",
                      "-c:a", "pcm_s16le"},
                     dir / "talk.mov")
                  .exitCode,
              0);
    ASSERT_TRUE(duck(dir, "talk.mov", ProjectFormat::xmeml, "talk.xml").success);
    const std::vector<Element> xmeml = readDocument(test::readFile(dir / "talk.xml"));
    int pictures = 0;
    for (const Element& e : xmeml)
        if (e.name == "clipitem" && e.at("id") == "clipitem-video-1" &&
            xmeml[e.parent].name == "track")
            ++pictures;
    EXPECT_EQ(pictures, 1);

    // The mix is the video's sound under the ducked music, and says it is sound only.
    RenderJobRequest render;
    render.dialoguePath = (dir / "talk.mov").string();
    render.musicPath = (dir / "music.wav").string();
    render.outputPath = (dir / "mix.wav").string();
    render.speech = ClusterList{{0.5, 1.2}};
    const RenderJobOutcome mixed = renderDuckedMix(render, nullptr);
    ASSERT_TRUE(mixed.success) << mixed.message;
    EXPECT_TRUE(mixLeavesOutPicture(mixed.job.project));
    const nlohmann::json mix = ffprobe(dir / "mix.wav");
    ASSERT_EQ(mix["streams"].size(), 1u);
    EXPECT_EQ(mix["streams"][0]["codec_type"], "audio");
    EXPECT_NEAR(std::stod(mix["format"]["duration"].get<std::string>()), 8.0, 0.05);

    ASSERT_TRUE(duck(dir, "talk.mov", ProjectFormat::mlt, "talk.mlt").success);
    if (test::meltProgram().empty()) GTEST_SKIP() << "melt is not installed";
    // melt now and then never starts its consumer; such a run is tried again.
    const auto played = dir / "played.mkv";
    test::CommandResult melt;
    for (int attempt = 0; attempt < 3 && !std::filesystem::exists(played); ++attempt)
        melt = test::runProgram({"/usr/bin/timeout", "60", test::meltProgram(),
                                 (dir / "talk.mlt").string(), "-consumer",
                                 "avformat:" + played.string(), "vcodec=mpeg4", "acodec=pcm_s16le",
                                 "real_time=-1"});
    const nlohmann::json probe = ffprobe(played);
    ASSERT_TRUE(probe.contains("streams"))
        << melt.exitCode << melt.err << test::readFile(dir / "talk.mlt");
    const nlohmann::json& v = probe["streams"][0];
    EXPECT_EQ(v["codec_type"], "video");
    EXPECT_EQ(v["width"], 320);
    EXPECT_EQ(v["height"], 240);
}

// The 1.9 document of a 25 fps interview starting at 01:00:00:00, with two
// sound streams, Rec. 709 colour and fillers placed on its frames.
TEST(VideoDialogue, GoldenDocumentOfATimecodedInterview) {
    DuckRequest request;
    request.inputs = {{"/Users/editor/Interview/A001.mov"},
                      "/Users/editor/Music/bed.wav",
                      "/Users/editor/Music/fill.wav"};
    request.rolls = EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24};
    request.depth.decrease = -20;
    request.eventName = "A001_event";
    request.projectName = "A001_project";
    ProjectAnalysis analysis;
    MediaFileFacts dialogue{48000, 2, 48000 * 20 + 100, 20.0 + 100.0 / 48000};
    VideoSourceFacts video;
    video.frameDuration = {1, 25};
    video.width = 1920;
    video.height = 1080;
    video.color = ColorCodes{1, 1, 1};
    video.startFrames = 90000;
    video.audioStreams = {{1, 2, 48000, "stereo"}, {2, 1, 48000, "mono"}};
    dialogue.video = video;
    analysis.dialogue = {dialogue};
    analysis.music = {44100, 2, 44100 * 19, 19.0};
    analysis.filler = {44100, 2, 44100 * 10, 10.0};
    analysis.speech = {{1.0, 3.5}, {4.7, 7.5}};
    analysis.musicSounding = {{0, 8.03}, {10.5, 19.0}};
    const std::string document = writeFcpxml19(describeProject(request, analysis));
    EXPECT_VALID_FCPXML(document, "1.9");
    test::expectGolden("ducking_v1_9_video_25p_timecode.fcpxml", document);
}

} // namespace
} // namespace quelvo
