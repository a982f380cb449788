// The FCPXML 1.9 project writer: exact text against reviewed golden files,
// DTD validity (every IDREF resolves), the make* pieces and the textual fixes.
#include <filesystem>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "base/numbers.h"
#include "base/services.h"
#include "ducking_cases.h"
#include "project/project_builder.h"
#include "project/second_file_role.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"
#include "writers/ducking_fcpxml.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_writers.h"
#include "writers/project_writer.h"

namespace quelvo {
namespace {

using test::DuckingCase;
using test::occurrences;

std::string runProject(const DuckingCase& c) {
    return writeFcpxml19(test::describeCase(c));
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
        for (auto it = std::sregex_iterator(doc.begin(), doc.end(), id);
             it != std::sregex_iterator(); ++it)
            ids.insert((*it)[1]);
        const std::regex ref("\\s(?:ref|format)=[\"']([^\"']+)[\"']");
        int refs = 0;
        for (auto it = std::sregex_iterator(doc.begin(), doc.end(), ref);
             it != std::sregex_iterator(); ++it, ++refs)
            EXPECT_TRUE(ids.count((*it)[1])) << c.name << ": " << (*it)[0];
        EXPECT_GT(refs, 3) << c.name;
        EXPECT_EQ(doc.find("'QVAudio'"), std::string::npos) << c.name;
    }
}

TEST(ProjectWriter, ThreeMusicClustersGiveTwoFillerClipsOnTheFinalFormat) {
    const auto c = caseNamed("filler_3_music_clusters");
    const ProjectDescription description = test::describeCase(c);
    const DuckingFcpxml project(description);
    const std::string tail =
        " audioRole='BGM' format='FORMAT_QVAudio'>\n<adjust-volume>\n<param name='amount'>\n"
        "<fadeOut type=\"easeIn\" duration='5s'/>\n</param>\n</adjust-volume>\n"
        "<audio-channel-source role='BGM.BGM-1' srcCh='1, 2'/>\n</asset-clip>\n";
    EXPECT_EQ(project.makeFillerClips(),
              "\n<asset-clip name='filler.m4a' lane='-2' offset='100/10s' ref='QVFiller' "
              "duration='20/10s'" +
                  tail +
                  "<asset-clip name='filler.m4a' lane='-2' offset='200/10s' ref='QVFiller' "
                  "duration='50/10s'" +
                  tail);
    EXPECT_EQ(project.fillerClipCount(), 2);
}

TEST(ProjectWriter, ZeroOrOneMusicClusterGivesTheMusicClipAndOneLineFeed) {
    for (const char* name : {"filler_0_music_clusters", "filler_1_music_cluster"}) {
        const auto c = caseNamed(name);
        const ProjectDescription description = test::describeCase(c);
        const DuckingFcpxml project(description);
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
        const DuckingFcpxml project(description);
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
    EXPECT_NE(DuckingFcpxml(description).makeLibraryContent().find("duration='225000/3000s'"),
              std::string::npos);
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
    const DuckingFcpxml project(description);
    EXPECT_EQ(project.makeTimelineFormat(),
              "  <format id=\"QVTimeline\" name=\"FFVideoFormat1080p30\"/>");
    EXPECT_EQ(project.makeAudioFormat(),
              "  <format id=\"QVAudio\" name=\"FFVideoFormatRateUndefined\"/>");
    EXPECT_EQ(DuckingFcpxml::finalAudioFormatId(), "FORMAT_QVAudio");
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
    SecondFileRole::shared().setRole(SecondFileRole::Role::dialogue);
    EXPECT_NE(runProject(c).find("audioRole=\"music\""), std::string::npos);
    SecondFileRole::shared().setRole(SecondFileRole::Role::music);
    c.customRole = "dialogue";
    const ProjectDescription description = test::describeCase(c);
    EXPECT_NE(DuckingFcpxml(description).makeMusicClip().find("audioRole=\"dialogue\""),
              std::string::npos);
    const std::string build = quelvo::string(BuildVersion::buildNumber());
    EXPECT_NE(build.find('.'), std::string::npos); // at least one fractional digit
    EXPECT_NE(runProject(c).find("<!-- FCPXML Produced with Kyverne Quelvo v. " + build + " -->"),
              std::string::npos);
}

TEST(ProjectWriter, TextualFixesTouchOnlyDoubleQuotedIdsAndDoubledSchemes) {
    EXPECT_EQ(applyTextualFixes("src=\"file://file:///a\" b=\"FILE://file:///c\""),
              "src=\"file:///a\" b=\"file:///c\"");
    EXPECT_EQ(
        applyTextualFixes("id=\"QVAudio\" format=\"qvaudio\" format='QVAudio' x=\"QVAudio2\""),
        "id=\"FORMAT_QVAudio\" format=\"FORMAT_QVAudio\" format='QVAudio' x=\"QVAudio2\"");
}

TEST(ProjectWriter, TheDescriptionCountsWhatTheDocumentHolds) {
    const ProjectDescription description = test::describeCase(caseNamed("awkward_names"));
    EXPECT_EQ(description.music.keyframes.size(), 12u);
    EXPECT_EQ(DuckingFcpxml(description).fillerClipCount(), 2);
}

// File names with characters XML cannot carry (a control character, a name
// in Latin-1 rather than UTF-8) once made both ducking documents ill-formed:
// names reached attributes as they were, and the 1.6 source path kept line
// breaks and control characters raw. Found by the command line's bad-input
// tests; a name now loses only what XML cannot hold, and a path stays a
// byte-exact URL.
test::DuckingCase unsafeCase() {
    test::DuckingCase c;
    c.name = "unsafe";
    c.speakerPath = "/tmp/folder\nwith break/talk \x01\x7f caf\xe9.wav";
    c.musicPath = "/tmp/m\xc3\xbasica\t\x1f.mp3";
    c.fillerPath = "/tmp/fill\x02.wav";
    c.musicClusters = {{0, 10}, {12, 20}, {25, 30}};
    c.eventName = "talk \x01\x7f caf\xe9_duck_event";
    c.projectName = "line\nbreak \x1b_duck_project";
    return c;
}

TEST(UnsafeNamesRegression, SourcePathsEscapeControlCharactersAndNonUtf8Bytes) {
    using fcpxml::fileUrlOf;
    EXPECT_EQ(fileUrlOf("/a\nb\x01\x7f.wav"), "file:///a%0Ab%01%7F.wav");
    EXPECT_EQ(fileUrlOf("/caf\xe9 1.wav"), "file:///caf%E9%201.wav");
    EXPECT_EQ(fileUrlOf("/caf\xc3\xa9.wav"), "file:///caf%C3%A9.wav");
}

TEST(UnsafeNamesRegression, BothDocumentsStayWellFormedAndValid) {
    test::DuckingCase c = unsafeCase();
    c.duckingDecrease = -12;
    const ProjectDescription description = test::describeCase(c);

    const std::string project = writeFcpxml19(description);
    EXPECT_VALID_FCPXML(project, "1.9");
    EXPECT_NE(project.find("event name='talk \x7f caf\xef\xbf\xbd_duck_event'"), std::string::npos)
        << project;

    const std::string legacy = writeFcpxml16(description);
    EXPECT_VALID_FCPXML(legacy, "1.6");
    EXPECT_NE(legacy.find("src='file:///tmp/folder%0Awith%20break/talk%20%01%7F%20caf%E9.wav'"),
              std::string::npos)
        << legacy;
}

// Faults found when editors used the ducking documents for real: a filler
// that is the music file itself, relative paths, time texts that lost a
// tenth to floating-point noise, and clips longer than their media.
const EnvelopeTiming kRolls{0.3, 0.3, 0.3, 0.7, -24.0};

struct File {
    std::string path;
    MediaFileFacts facts;
};

// The description the job would make: speech 1-5 s, the music sounding
// where given.
ProjectDescription describe(const File& speaker, const File& music, const File& filler,
                            const ClusterList& sounding = {}) {
    DuckRequest request;
    request.inputs = {{speaker.path}, music.path, filler.path};
    request.rolls = kRolls;
    request.eventName = "e";
    request.projectName = "p";
    ProjectAnalysis analysis;
    analysis.dialogue = {speaker.facts};
    analysis.music = music.facts;
    analysis.filler = filler.facts;
    analysis.speech = {{1, 5}};
    analysis.musicSounding = sounding;
    return describeProject(request, analysis);
}

MediaFileFacts mediaFacts(int rate, int channels, int64_t samples) {
    return {rate, channels, samples, static_cast<double>(samples) / rate};
}

} // namespace

// 21.9 - 19.1 is 2.7999999999999998: the tenth it lost to noise comes back,
// a real fraction is still cut toward zero.
TEST(RealUseRegression, TimeTextsTruncateRealFractionsNotFloatingPointNoise) {
    EXPECT_EQ(formatTenths(21.9 - 19.1), "'28/10s'");
    EXPECT_EQ(formatTenths(2.79), "'27/10s'");
    EXPECT_EQ(formatTenths(-(21.9 - 19.1)), "'-28/10s'");
    EXPECT_EQ(formatSequenceTime(0.7 - 0.4), "'900/3000s'");
    EXPECT_EQ(formatSequenceTime(1.00003), "'3000/3000s'");
    EXPECT_EQ(legacyKeyframeLine(21.9 - 19.1, -12), "<keyframe time='28/10s' value='-12dB'/>\n");
    EXPECT_EQ(fcpxml::getTimeRoundedDown(0.1 * 3, 30), "\"900/3000s\"");
}

// Added after the music with its clusters, the same file as filler took the
// music's clusters away and the 1.6 document lost every filler clip.
TEST(RealUseRegression, AFillerThatIsTheMusicFileKeepsItsClipsInBothVersions) {
    const File bed{"/m/bed.wav", mediaFacts(44100, 2, 1323000)};
    const ProjectDescription project = describe({"/m/talk.wav", mediaFacts(44100, 1, 441000)}, bed,
                                                bed, {{0, 10}, {12, 20}, {25, 30}});
    EXPECT_EQ(occurrences(writeFcpxml16(project), "name='FILLER' lane='-2'"), 2);
    EXPECT_EQ(occurrences(writeFcpxml19(project), "lane='-2'"), 2);
}

// "file://talk.wav" names a host called talk.wav. Paths become absolute and
// lexically normal before they become URLs; the empty filler stays empty.
TEST(RealUseRegression, RelativePathsBecomeAbsoluteSourceUrls) {
    const std::string cwd = std::filesystem::current_path().lexically_normal().string();
    const ProjectDescription project =
        describe({"talk.wav", mediaFacts(44100, 1, 441000)},
                 {"sub/../bed.mp3", mediaFacts(44100, 2, 1323000)}, {});
    const std::string legacy = writeFcpxml16(project);
    EXPECT_NE(legacy.find("src='file://" + cwd + "/talk.wav'"), std::string::npos) << legacy;
    EXPECT_NE(legacy.find("src='file://" + cwd + "/bed.mp3'"), std::string::npos) << legacy;
    EXPECT_NE(legacy.find("src='file://'"), std::string::npos);
    const std::string doc = writeFcpxml19(project);
    EXPECT_NE(doc.find("src=\"file://" + cwd + "/talk.wav\""), std::string::npos);
    EXPECT_NE(doc.find("src=\"file://" + cwd + "/bed.mp3\""), std::string::npos);
    EXPECT_VALID_FCPXML(legacy, "1.6");
    EXPECT_VALID_FCPXML(doc, "1.9");
}

// A dialogue of 897744/44100 s (20.357 s) got a clip of 611 frames (20.367 s)
// and a 1 s filler clips of 1.8 s and 2.7 s: edits with no media at their end.
TEST(RealUseRegression, NoClipIsLongerThanItsMedia) {
    const ProjectDescription project = describe({"/m/talk.m4a", mediaFacts(44100, 1, 897744)},
                                                {"/m/bed.wav", mediaFacts(44100, 2, 1323000)},
                                                {"/m/fill.wav", mediaFacts(44100, 1, 44100)},
                                                {{0, 19.1}, {21.9 - 1.0, 25}, {27.7, 30}});
    const std::string doc = writeFcpxml19(project);
    EXPECT_NE(doc.find("name=\"talk.m4a\" duration=\"61000/3000s\""), std::string::npos) << doc;
    EXPECT_EQ(occurrences(doc, "ref='QVFiller' duration='10/10s'"), 2) << doc;
    const std::string legacy = writeFcpxml16(project);
    EXPECT_EQ(occurrences(legacy, "ref='FILLER' duration='10/10s'"), 2) << legacy;
    EXPECT_VALID_FCPXML(legacy, "1.6");
}

} // namespace quelvo
