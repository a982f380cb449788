// Several microphones in every editor's format: each dialogue recording its
// own clip from 0 with its speaker's subrole, connected beneath the first in
// the Final Cut Pro documents (music and fillers one lane further down per
// extra file), one track each in FCP7 XML and MLT.
#include <gtest/gtest.h>

#include <regex>

#include "project/project_builder.h"
#include "support/test_support.h"
#include "writers/project_text.h"
#include "writers/sample_project.h"

using namespace quelvo;
using quelvo::test::occurrences;

namespace {

MediaFileFacts factsLasting(int rate, int channels, double seconds) {
    return {rate, channels, static_cast<int64_t>(seconds * rate), seconds};
}

// Three microphones of different rates and lengths, a music bed and a filler.
ProjectDescription threeMicrophones() {
    DuckRequest request;
    request.inputs = {
        {"/Shows/Ep 1/Host.wav", "/Shows/Ep 1/Guest.One.wav", "/Shows/Ep 1/Caller?.flac"},
        "/Shows/Ep 1/Bed.mp3",
        "/Shows/Ep 1/Filler.wav"};
    request.eventName = "Ep 1_duck_event";
    request.projectName = "Ep 1_duck_project";
    ProjectAnalysis analysis;
    analysis.dialogue = {factsLasting(48000, 2, 62.0), factsLasting(44100, 1, 58.5),
                         factsLasting(16000, 1, 40.25)};
    analysis.music = factsLasting(44100, 2, 70.0);
    analysis.filler = factsLasting(44100, 2, 20.0);
    analysis.speech = {{2.0, 9.5}, {12.0, 30.0}, {41.0, 55.0}};
    analysis.musicSounding = {{0, 20}, {25, 70}};
    return describeProject(request, analysis);
}

std::string text(const ProjectDescription& project, ProjectFormat format) {
    const ProjectText written = projectText(project, format);
    EXPECT_TRUE(written.status) << written.status.message();
    return written.text;
}

} // namespace

TEST(MultiDialogueWriters, EachMicrophoneHasItsClipItsLaneAndItsSubrole) {
    const ProjectDescription project = threeMicrophones();
    ASSERT_EQ(project.dialogue.size(), 3u);
    EXPECT_EQ(project.dialogue[0].source.role, "dialogue.Host");
    EXPECT_EQ(project.dialogue[1].source.role, "dialogue.Guest-One");
    EXPECT_EQ(project.dialogue[2].source.role, "dialogue.Caller-");
    EXPECT_DOUBLE_EQ(project.duration, 70.0);

    const std::string v19 = text(project, ProjectFormat::fcpxml19);
    EXPECT_VALID_FCPXML(v19, "1.9");
    test::expectGolden("ducking_v1_9_three_microphones.fcpxml", v19);
    const std::string v16 = text(project, ProjectFormat::fcpxml16);
    EXPECT_VALID_FCPXML(v16, "1.6");
    test::expectGolden("ducking_v1_6_three_microphones.fcpxml", v16);
    // The lanes, whatever the attribute quoting of each document.
    for (const std::string& doc : {v19, v16}) {
        EXPECT_TRUE(std::regex_search(doc, std::regex("lane=.-1.[^>]*dialogue\\.Guest-One")));
        EXPECT_TRUE(std::regex_search(doc, std::regex("lane=.-2.[^>]*dialogue\\.Caller-")));
        EXPECT_TRUE(std::regex_search(doc, std::regex("lane=.-3.[^>]*music")));
        EXPECT_EQ(occurrences(doc, "lane='-4'"), static_cast<int>(project.filler->clips.size()));
    }

    // One track per mono file, two for a stereo one, in the given order.
    const std::string xmeml = text(project, ProjectFormat::xmeml);
    test::expectWellFormed(xmeml, "three.xml");
    EXPECT_EQ(occurrences(xmeml, "<track>"), 2 + 1 + 1 + 2 + 2);
    EXPECT_LT(xmeml.find("Host.wav"), xmeml.find("Guest.One.wav"));
    EXPECT_LT(xmeml.find("Guest.One.wav"), xmeml.find("Caller?.flac"));
    const std::string mlt = text(project, ProjectFormat::mlt);
    test::expectWellFormed(mlt, "three.mlt");
    for (const char* role : {"dialogue.Host", "dialogue.Guest-One", "dialogue.Caller-"})
        EXPECT_EQ(occurrences(mlt, role), 1) << role;
}

TEST(MultiDialogueWriters, OneRecordingKeepsThePlainDialogueRole) {
    DuckRequest request;
    request.inputs = {{"/a/Host.wav"}, "/a/Bed.mp3", ""};
    ProjectAnalysis analysis;
    analysis.dialogue = {factsLasting(48000, 2, 10)};
    analysis.music = factsLasting(44100, 2, 10);
    const ProjectDescription project = describeProject(request, analysis);
    EXPECT_EQ(project.dialogue.front().source.role, "dialogue");
    EXPECT_EQ(occurrences(text(project, ProjectFormat::fcpxml19), "lane=\"-1\""), 1);
}
