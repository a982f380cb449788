// The FCPXML 1.9 project writer: exact text against reviewed golden files,
// DTD validity (every IDREF resolves), the make* pieces and the textual fixes.
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "base/numbers.h"
#include "base/services.h"
#include "ducking_cases.h"
#include "project/second_file_role.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"
#include "writers/fcpxml_writers.h"
#include "writers/project_writer.h"
#include "writers/qv_fcpxml.h"

namespace quelvo {
namespace {

using test::DuckingCase;

std::string runProject(const DuckingCase& c) { return writeFcpxml19(test::describeCase(c)); }

DuckingCase caseNamed(const std::string& name) {
    for (const auto& c : test::duckingCases())
        if (c.name == name) return c;
    ADD_FAILURE() << "no case " << name;
    return {};
}

std::vector<DuckingCase> projectCases() {
    auto cases = test::duckingCases();
    DuckingCase dragHere = caseNamed("filler_3_music_clusters");
    dragHere.name = "filler_drag_here";
    dragHere.fillerPath = "Drag Here";
    cases.push_back(dragHere);
    return cases;
}

class ProjectGolden : public testing::TestWithParam<DuckingCase> {};

TEST_P(ProjectGolden, DocumentMatchesItsReviewedFileAndIsValid) {
    const DuckingCase& c = GetParam();
    const std::string document = runProject(c);
    test::expectGolden("ducking_v1_9_" + c.name + ".fcpxml", document);
    EXPECT_VALID_FCPXML(document, "1.9");
}

INSTANTIATE_TEST_SUITE_P(Cases, ProjectGolden, testing::ValuesIn(projectCases()),
                         [](const auto& info) { return info.param.name; });

// Every IDREF in the document names an id that some element carries.
TEST(ProjectWriter, EveryFormatAndAssetReferenceResolves) {
    for (const auto& c : projectCases()) {
        const std::string doc = runProject(c);
        std::set<std::string> ids;
        const std::regex id("\\sid=[\"']([^\"']+)[\"']");
        for (auto it = std::sregex_iterator(doc.begin(), doc.end(), id); it != std::sregex_iterator(); ++it)
            ids.insert((*it)[1]);
        const std::regex ref("\\s(?:ref|format)=[\"']([^\"']+)[\"']");
        int refs = 0;
        for (auto it = std::sregex_iterator(doc.begin(), doc.end(), ref); it != std::sregex_iterator();
             ++it, ++refs)
            EXPECT_TRUE(ids.count((*it)[1])) << c.name << ": " << (*it)[0];
        EXPECT_GT(refs, 3) << c.name;
        EXPECT_EQ(doc.find("'QVAudio'"), std::string::npos) << c.name;
    }
}

TEST(ProjectWriter, ThreeMusicClustersGiveTwoFillerClipsOnTheFinalFormat) {
    const auto c = caseNamed("filler_3_music_clusters");
    const ProjectDescription description = test::describeCase(c);
    const QVFCPXML project(description);
    const std::string tail =
        " audioRole='BGM' format='FORMAT_QVAudio'>\n<adjust-volume>\n<param name='amount'>\n"
        "<fadeOut type=\"easeIn\" duration='5s'/>\n</param>\n</adjust-volume>\n"
        "<audio-channel-source role='BGM.BGM-1' srcCh='1, 2'/>\n</asset-clip>\n";
    EXPECT_EQ(project.makeFillerClips(),
              "\n<asset-clip name='filler.m4a' lane='-2' offset='100/10s' ref='QVFiller' "
              "duration='20/10s'" + tail +
                  "<asset-clip name='filler.m4a' lane='-2' offset='200/10s' ref='QVFiller' "
                  "duration='50/10s'" + tail);
    EXPECT_EQ(project.fillerClipCount(), 2);
}

TEST(ProjectWriter, ZeroOrOneMusicClusterGivesTheMusicClipAndOneLineFeed) {
    for (const char* name : {"filler_0_music_clusters", "filler_1_music_cluster"}) {
        const auto c = caseNamed(name);
        const ProjectDescription description = test::describeCase(c);
        const QVFCPXML project(description);
        EXPECT_EQ(project.makeFillerClips(), "\n") << name;
        EXPECT_NE(project.makeFillerAsset(), "") << name;
        EXPECT_NE(project.makeMainClip().find(project.makeMusicClip() + "\n</asset-clip>"),
                  std::string::npos)
            << name;
    }
}

TEST(ProjectWriter, NoFillerOrTheDropAreaCaptionGivesNoFillerAssetAndNoClips) {
    auto c = caseNamed("filler_3_music_clusters");
    for (const std::optional<std::string>& filler :
         {std::optional<std::string>(), std::optional<std::string>("/Users/x/DRAG HERE/f.wav")}) {
        c.fillerPath = filler.value_or("");
        const ProjectDescription description = test::describeCase(c);
        const QVFCPXML project(description);
        EXPECT_EQ(project.makeFillerAsset(), "");
        EXPECT_EQ(project.makeFillerClips(), "");
        EXPECT_EQ(project.fillerClipCount(), 0);
        EXPECT_NE(project.makeMainClip().find(">\n" + project.makeMusicClip() + "\n</asset-clip>"),
                  std::string::npos);
        EXPECT_EQ(project.makeResources().find("QVFiller"), std::string::npos);
    }
}

TEST(ProjectWriter, SequenceDurationIsTheLongestFileInThreeThousandths) {
    DuckingCase c = caseNamed("filler_0_music_clusters");
    ProjectDescription description = test::describeCase(c);
    description.dialogue.front().source.facts.duration = 60.0;
    description.music.source.facts.duration = 75.0;
    description.filler->source.facts.duration = 10.0;
    description.duration = 75.0;
    EXPECT_NE(QVFCPXML(description).makeLibraryContent().find("duration='225000/3000s'"), std::string::npos);
    // The builder takes the longest of the three, a filler's too.
    DuckRequest request;
    request.inputs = {{c.speakerPath}, c.musicPath, c.fillerPath};
    ProjectAnalysis analysis;
    analysis.dialogue = {test::caseFileFacts(48000, 2, 2880000)};
    analysis.music = test::caseFileFacts(44100, 2, 3307500);
    analysis.filler = {44100, 2, 0, 80.5};
    EXPECT_EQ(describeProject(request, analysis).duration, 80.5);
    request.inputs.filler.clear();
    EXPECT_EQ(describeProject(request, analysis).duration, 75.0);
}

TEST(ProjectWriter, TheTimelineAndAudioFormats) {
    const auto c = caseNamed("no_filler");
    const ProjectDescription description = test::describeCase(c);
    const QVFCPXML project(description);
    EXPECT_EQ(project.makeTimelineFormat(), "  <format id=\"QVTimeline\" name=\"FFVideoFormat1080p30\"/>");
    EXPECT_EQ(project.makeAudioFormat(),
              "  <format id=\"QVAudio\" name=\"FFVideoFormatRateUndefined\"/>");
    EXPECT_EQ(QVFCPXML::finalAudioFormatId(), "FORMAT_QVAudio");
}

TEST(ProjectWriter, NamesReachTheDocumentOnlyEscapedForTheirAttribute) {
    auto c = caseNamed("no_filler");
    c.eventName = "Tom's & Jerry's";
    c.projectName = "A \"B\" <C>";
    const std::string doc = runProject(c);
    EXPECT_NE(doc.find("<event name='Tom&apos;s &amp; Jerry&apos;s'>"), std::string::npos) << doc;
    EXPECT_NE(doc.find("<project name='A &quot;B&quot; &lt;C&gt;'>"), std::string::npos) << doc;
    EXPECT_EQ(doc.find("Tom's"), std::string::npos);
}

TEST(ProjectWriter, TheMusicClipCarriesTheRequestedRoleAndTheCommentNamesTheBuild) {
    auto c = caseNamed("no_filler");
    EXPECT_NE(runProject(c).find("audioRole=\"music\""), std::string::npos);
    // The role comes from the request, not from the stored choice.
    kymovie::QVSecondFileRole::shared().setRole(kymovie::QVSecondFileRole::Role::dialogue);
    EXPECT_NE(runProject(c).find("audioRole=\"music\""), std::string::npos);
    kymovie::QVSecondFileRole::shared().setRole(kymovie::QVSecondFileRole::Role::music);
    c.customRole = "dialogue";
    const ProjectDescription description = test::describeCase(c);
    EXPECT_NE(QVFCPXML(description).makeMusicClip().find("audioRole=\"dialogue\""), std::string::npos);
    const std::string build = kykit::string(kykit::VersionUpdate::getCurrentBuild());
    EXPECT_NE(build.find('.'), std::string::npos); // at least one fractional digit
    EXPECT_NE(runProject(c).find("<!-- FCPXML Produced with Kyverne Quelvo v. " + build + " -->"), std::string::npos);
}

TEST(ProjectWriter, TextualFixesTouchOnlyDoubleQuotedIdsAndDoubledSchemes) {
    EXPECT_EQ(applyTextualFixes("src=\"file://file:///a\" b=\"FILE://file:///c\""),
              "src=\"file:///a\" b=\"file:///c\"");
    EXPECT_EQ(applyTextualFixes("id=\"QVAudio\" format=\"qvaudio\" format='QVAudio' x=\"QVAudio2\""),
              "id=\"FORMAT_QVAudio\" format=\"FORMAT_QVAudio\" format='QVAudio' x=\"QVAudio2\"");
}

TEST(ProjectWriter, TheDescriptionCountsWhatTheDocumentHolds) {
    const ProjectDescription description = test::describeCase(caseNamed("awkward_names"));
    EXPECT_EQ(description.music.keyframes.size(), 12u);
    EXPECT_EQ(QVFCPXML(description).fillerClipCount(), 2);
}

} // namespace
} // namespace quelvo
