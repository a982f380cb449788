// The FCPXML 1.9 project writer: exact text against reviewed golden files,
// DTD validity (every IDREF resolves), the make* pieces and the textual fixes.
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "ducking/volume_keyframes.h"
#include "fcpxml/ducking_cases.h"
#include "fcpxml/project_writer.h"
#include "fcpxml/qv_fcpxml.h"
#include "platform/movie/second_file_role.h"
#include "platform/toolkit/numbers.h"
#include "platform/toolkit/services.h"
#include "support/test_support.h"

namespace quelvo {
namespace {

using test::DuckingCase;

std::optional<std::string> fillerURL(const DuckingCase& c) {
    return c.fillerPath.empty() ? std::nullopt : std::optional<std::string>(c.fillerPath);
}

FCPXMLWriteResult runProject(const DuckingCase& c, const std::string& outputFile,
                             const MediaFacts& facts) {
    if (!c.customRole.empty()) {
        kymovie::QVSecondFileRole::shared().setRole(kymovie::QVSecondFileRole::Role::custom);
        kymovie::QVSecondFileRole::shared().setCustomRole(c.customRole);
    }
    return writeProject(c.decreaseToZero, c.duckingDecrease, c.speech, test::caseRolls(),
                        c.overallMusicLevel, c.speakerPath, c.musicPath, fillerURL(c), c.eventName,
                        c.projectName, c.musicClusters, outputFile, facts);
}

QVFCPXML projectFor(const DuckingCase& c, const MediaFacts& facts) {
    return QVFCPXML(c.speakerPath, c.musicPath, fillerURL(c), c.eventName, c.projectName,
                    makeVolumeKeyframes(c.speech, test::caseRolls(), c.decreaseToZero,
                                        c.duckingDecrease, c.overallMusicLevel),
                    c.musicClusters, facts);
}

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
    test::TempDir dir;
    const auto output = dir / "talk.fcpxml";
    const auto facts = test::caseFacts(c);
    const auto result = runProject(c, output.string(), facts);
    ASSERT_TRUE(result.status.ok()) << result.status.message();
    EXPECT_FALSE(result.sentToFCP);
    EXPECT_EQ(result.outputPath, output.string());
    EXPECT_EQ(test::readFile(output), result.document);
    test::expectGolden("ducking_v1_9_" + c.name + ".fcpxml", result.document);
    EXPECT_VALID_FCPXML(result.document, "1.9");
}

INSTANTIATE_TEST_SUITE_P(Cases, ProjectGolden, testing::ValuesIn(projectCases()),
                         [](const auto& info) { return info.param.name; });

// Every IDREF in the document names an id that some element carries.
TEST(ProjectWriter, EveryFormatAndAssetReferenceResolves) {
    for (const auto& c : projectCases()) {
        const auto facts = test::caseFacts(c);
        const std::string doc = runProject(c, "", facts).document;
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
    const auto facts = test::caseFacts(c);
    const auto project = projectFor(c, facts);
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
        const auto facts = test::caseFacts(c);
        const auto project = projectFor(c, facts);
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
        const auto facts = test::caseFacts(c);
        const auto project = projectFor(c, facts);
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
    KnownMediaFacts facts;
    facts.add(c.speakerPath, {48000, 2, 2880000, 60.0, {}});
    facts.add(c.musicPath, {44100, 2, 3307500, 75.0, {}});
    facts.add(c.fillerPath, {44100, 2, 441000, 10.0, {}});
    auto project = projectFor(c, facts);
    EXPECT_EQ(project.timelineDuration(), 75.0);
    EXPECT_NE(project.makeLibraryContent().find("duration='225000/3000s'"), std::string::npos);
    // A filler longer than both counts; an unknown duration counts as 0.
    facts.add(c.fillerPath, {44100, 2, 0, 80.5, {}});
    EXPECT_EQ(projectFor(c, facts).timelineDuration(), 80.5);
    KnownMediaFacts nothingKnown;
    EXPECT_EQ(projectFor(c, nothingKnown).timelineDuration(), 0.0);
}

TEST(ProjectWriter, TheTimelineAndAudioFormats) {
    const auto c = caseNamed("no_filler");
    const auto facts = test::caseFacts(c);
    const auto project = projectFor(c, facts);
    EXPECT_EQ(project.makeTimelineFormat(), "  <format id=\"QVTimeline\" name=\"FFVideoFormat1080p30\"/>");
    EXPECT_EQ(project.makeAudioFormat(),
              "  <format id=\"QVAudio\" name=\"FFVideoFormatRateUndefined\"/>");
    EXPECT_EQ(QVFCPXML::finalAudioFormatId(), "FORMAT_QVAudio");
}

TEST(ProjectWriter, NamesReachTheDocumentOnlyEscapedForTheirAttribute) {
    auto c = caseNamed("no_filler");
    c.eventName = "Tom's & Jerry's";
    c.projectName = "A \"B\" <C>";
    const auto facts = test::caseFacts(c);
    const std::string doc = runProject(c, "", facts).document;
    EXPECT_NE(doc.find("<event name='Tom&apos;s &amp; Jerry&apos;s'>"), std::string::npos) << doc;
    EXPECT_NE(doc.find("<project name='A &quot;B&quot; &lt;C&gt;'>"), std::string::npos) << doc;
    EXPECT_EQ(doc.find("Tom's"), std::string::npos);
}

TEST(ProjectWriter, TheMusicClipCarriesTheChosenRole) {
    const auto c = caseNamed("no_filler");
    const auto facts = test::caseFacts(c);
    EXPECT_NE(projectFor(c, facts).makeMusicClip().find("audioRole=\"music\""), std::string::npos);
    kymovie::QVSecondFileRole::shared().setRole(kymovie::QVSecondFileRole::Role::dialogue);
    EXPECT_NE(projectFor(c, facts).makeMusicClip().find("audioRole=\"dialogue\""), std::string::npos);
}

TEST(ProjectWriter, TheCommentNamesTheBuild) {
    const auto c = caseNamed("no_filler");
    const auto facts = test::caseFacts(c);
    const std::string build = kykit::string(kykit::VersionUpdate::getCurrentBuild());
    EXPECT_NE(build.find('.'), std::string::npos); // at least one fractional digit
    EXPECT_NE(projectFor(c, facts).makeDocument().find(
                  "<!-- FCPXML Produced with Kyverne Quelvo v. " + build + " -->"),
              std::string::npos);
}

TEST(ProjectWriter, TextualFixesTouchOnlyDoubleQuotedIdsAndDoubledSchemes) {
    EXPECT_EQ(applyTextualFixes("src=\"file://file:///a\" b=\"FILE://file:///c\""),
              "src=\"file:///a\" b=\"file:///c\"");
    EXPECT_EQ(applyTextualFixes("id=\"QVAudio\" format=\"qvaudio\" format='QVAudio' x=\"QVAudio2\""),
              "id=\"FORMAT_QVAudio\" format=\"FORMAT_QVAudio\" format='QVAudio' x=\"QVAudio2\"");
}

TEST(ProjectWriter, EmptyOutputPathBuildsTheDocumentAndWritesNothing) {
    const auto c = caseNamed("no_filler");
    const auto facts = test::caseFacts(c);
    test::TempDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const auto result = runProject(c, "", facts);
    std::filesystem::current_path(before);
    EXPECT_TRUE(result.status.ok());
    EXPECT_FALSE(result.document.empty());
    EXPECT_EQ(result.outputPath, "");
    EXPECT_FALSE(result.sentToFCP);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(ProjectWriter, AFailedWriteIsReportedAndLeavesNothingBehind) {
    const auto c = caseNamed("no_filler");
    const auto facts = test::caseFacts(c);
    test::TempDir dir;
    const auto output = dir / "gone" / "talk.fcpxml";
    const auto result = runProject(c, output.string(), facts);
    EXPECT_FALSE(result.status.ok());
    EXPECT_NE(result.status.message().find(output.string()), std::string::npos);
    EXPECT_EQ(result.outputPath, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(ProjectWriter, CountsWhatItWrote) {
    const auto c = caseNamed("awkward_names");
    const auto facts = test::caseFacts(c);
    const auto result = runProject(c, "", facts);
    EXPECT_EQ(result.keyframes, 12);
    EXPECT_EQ(result.fillerClips, 2);
}

} // namespace
} // namespace quelvo
