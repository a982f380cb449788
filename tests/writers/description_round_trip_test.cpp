// A project description written as FCPXML and read back by a small reader of
// our own: every clip, keyframe and filler placement the description holds
// is where the document puts it, in both versions. And the one dispatch
// from a format to its writer.
#include <regex>

#include <gtest/gtest.h>

#include "project/project_builder.h"
#include "support/test_support.h"
#include "writers/fcpxml_writers.h"
#include "writers/mlt_writer.h"
#include "writers/project_text.h"
#include "writers/xmeml_writer.h"

namespace quelvo {
namespace {

ClipSource sourceOf(const std::string& path, const MediaFileFacts& facts, const std::string& role) {
    ClipSource source;
    source.path = path;
    source.facts = facts;
    source.name = path.substr(path.rfind('/') + 1);
    source.role = role;
    return source;
}

// A description made by hand, not by the builder: the writers must take
// what they are given.
ProjectDescription handMade() {
    ProjectDescription p;
    p.duration = 40.0;
    p.eventName = "Round & trip";
    p.projectName = "Trip";
    p.dialogue.push_back({sourceOf("/media/talk.wav", {48000, 2, 1440000, 30.0}, "dialogue"), 0.0});
    p.music.source = sourceOf("/media/bed.wav", {44100, 2, 1764000, 40.0}, "Score");
    p.music.keyframes = {{1.7, 0}, {2.0, -14}, {5.3, -14}, {6.3, 0}};
    p.music.soundingIntervals = {{0, 10}, {12, 20}};
    FillerTrack filler;
    filler.source = sourceOf("/media/fill.wav", {44100, 1, 441000, 10.0}, "BGM");
    filler.clips = {{100, 20, fillerFadeKeyframes(2.0)}};
    p.filler = filler;
    return p;
}

struct ReadBack {
    std::vector<std::pair<double, double>> keyframes; // time in seconds, dB
    std::vector<std::pair<long, long>> fillerTenths;  // offset, duration
    std::string musicRole;
};

ReadBack read19(const std::string& doc) {
    ReadBack r;
    const std::regex key("<keyframe time=\"([0-9]+)/3000s\" value=\"(-?[0-9.]+)dB\"");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), key); it != std::sregex_iterator();
         ++it)
        r.keyframes.emplace_back(std::stod((*it)[1]) / 3000.0, std::stod((*it)[2]));
    const std::regex filler(
        "lane='-2' offset='([0-9]+)/10s' ref='QVFiller' duration='([0-9]+)/10s'");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), filler);
         it != std::sregex_iterator(); ++it)
        r.fillerTenths.emplace_back(std::stol((*it)[1]), std::stol((*it)[2]));
    std::smatch role;
    if (std::regex_search(doc, role, std::regex("ref=\"QVMusic\"[^>]*audioRole=\"([^\"]+)\"")))
        r.musicRole = role[1];
    return r;
}

ReadBack read16(const std::string& doc) {
    ReadBack r;
    const std::regex key("<keyframe time='([0-9]+)/10s' value='(-?[0-9]+)dB'/>");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), key); it != std::sregex_iterator();
         ++it)
        r.keyframes.emplace_back(std::stod((*it)[1]) / 10.0, std::stod((*it)[2]));
    const std::regex filler("lane='-2' offset='([0-9]+)/10s' ref='FILLER' duration='([0-9]+)/10s'");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), filler);
         it != std::sregex_iterator(); ++it)
        r.fillerTenths.emplace_back(std::stol((*it)[1]), std::stol((*it)[2]));
    return r;
}

TEST(DescriptionRoundTrip, BothVersionsHoldTheDescriptionsKeyframesAndFillers) {
    const ProjectDescription p = handMade();
    const std::string v19 = writeFcpxml19(p), v16 = writeFcpxml16(p);
    EXPECT_VALID_FCPXML(v19, "1.9");
    EXPECT_VALID_FCPXML(v16, "1.6");
    const ReadBack r19 = read19(v19), r16 = read16(v16);
    ASSERT_EQ(r19.keyframes.size(), p.music.keyframes.size()) << v19;
    ASSERT_EQ(r16.keyframes.size(), p.music.keyframes.size()) << v16;
    for (size_t i = 0; i < p.music.keyframes.size(); ++i) {
        // 1.9 keeps frames of a 30 fps timeline (1/3000 s steps), 1.6 whole tenths.
        EXPECT_NEAR(r19.keyframes[i].first, p.music.keyframes[i].time, 1.0 / 30) << i;
        EXPECT_NEAR(r16.keyframes[i].first, p.music.keyframes[i].time, 0.1) << i;
        EXPECT_EQ(r19.keyframes[i].second, p.music.keyframes[i].dbValue) << i;
        EXPECT_EQ(r16.keyframes[i].second, p.music.keyframes[i].dbValue) << i;
    }
    const std::vector<std::pair<long, long>> fillers = {{100, 20}};
    EXPECT_EQ(r19.fillerTenths, fillers);
    EXPECT_EQ(r16.fillerTenths, fillers);
    EXPECT_EQ(r19.musicRole, "Score");
    EXPECT_NE(v19.find("duration=\"120000/3000s\""), std::string::npos)
        << "the description's duration";
    EXPECT_NE(v19.find("<event name='Round &amp; trip'>"), std::string::npos);
}

TEST(DescriptionRoundTrip, OneDispatchPerFormat) {
    const ProjectDescription p = handMade();
    EXPECT_EQ(projectText(p, ProjectFormat::fcpxml19).text, writeFcpxml19(p));
    EXPECT_EQ(projectText(p, ProjectFormat::fcpxml16).text, writeFcpxml16(p));
    EXPECT_EQ(projectText(p, ProjectFormat::xmeml).text, writeXmeml(p));
    EXPECT_EQ(projectText(p, ProjectFormat::mlt).text, writeMlt(p));
}

// The fade the mix plays, as keyframes: full level until 5 s before the
// end, falling (never rising) to silence at the end; a short clip fades
// from its start.
TEST(DescriptionRoundTrip, FillerFadesAreKeyframesOfTheMixesCurve) {
    for (const double seconds : {12.0, 5.0, 2.0}) {
        const VolumeKeyframeList fade = fillerFadeKeyframes(seconds);
        ASSERT_GE(fade.size(), 3u) << seconds;
        EXPECT_DOUBLE_EQ(fade.front().time, std::max(0.0, seconds - kFillerFadeSeconds));
        EXPECT_EQ(fade.front().dbValue, 0.0);
        EXPECT_EQ(fade.back().time, seconds);
        EXPECT_EQ(fade.back().dbValue, -96.0);
        for (size_t i = 1; i < fade.size(); ++i) {
            EXPECT_GT(fade[i].time, fade[i - 1].time);
            EXPECT_LE(fade[i].dbValue, fade[i - 1].dbValue);
        }
    }
    EXPECT_TRUE(fillerFadeKeyframes(0).empty());
}

} // namespace
} // namespace quelvo
