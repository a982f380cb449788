// The legacy FCPXML 1.6 document: exact text against reviewed golden files,
// DTD validity, status texts, printing and the atomic write.
#include <gtest/gtest.h>

#include "ducking/volume_keyframes.h"
#include "fcpxml/ducking_cases.h"
#include "fcpxml/legacy_document.h"
#include "platform/movie/fcpxml_time.h"
#include "support/test_support.h"

namespace quelvo {
namespace {

using test::DuckingCase;

class RecordingStatus : public kykit::StatusSink {
public:
    void setStatus(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Counts the music analyses the writer asks for.
class CountingFacts : public KnownMediaFacts {
public:
    kyaudio::ClusterList musicClusters(const std::string& path) const override {
        ++calls;
        return KnownMediaFacts::musicClusters(path);
    }
    mutable int calls = 0;
};

struct LegacyRun {
    FCPXMLWriteResult result;
    std::string printed;
    std::vector<std::string> statusTexts;
};

// Runs the writer as the job does: duration texts and rates from the file
// facts (what the audio layer answers, 0 for the empty filler path).
LegacyRun runLegacy(const DuckingCase& c, const std::string& outputFile,
                    const MediaFacts& facts) {
    auto info = [&](const std::string& path) {
        return path.empty() ? kyaudio::AudioFileInfo{} : facts.audioFile(path);
    };
    const auto speaker = info(c.speakerPath), music = info(c.musicPath), filler = info(c.fillerPath);
    RecordingStatus status;
    LegacyRun run;
    testing::internal::CaptureStdout();
    run.result = writeLegacyDocument(
        c.speakerPath, formatTenths(speaker.duration), speaker.sampleRate, c.musicPath,
        formatTenths(music.duration), music.sampleRate, c.fillerPath, formatTenths(filler.duration),
        filler.sampleRate, c.duckingDecrease, c.speech, test::caseRolls(), c.overallMusicLevel,
        formatTenths(std::max(speaker.duration, music.duration)), c.decreaseToZero, c.eventName,
        c.projectName, &status, outputFile, facts);
    run.printed = testing::internal::GetCapturedStdout();
    run.statusTexts = status.texts;
    return run;
}

class LegacyGolden : public testing::TestWithParam<DuckingCase> {};

TEST_P(LegacyGolden, DocumentMatchesItsReviewedFileAndIsValid) {
    const DuckingCase& c = GetParam();
    test::TempDir dir;
    const auto output = dir / "talk.fcpxml";
    const auto run = runLegacy(c, output.string(), test::caseFacts(c));
    ASSERT_TRUE(run.result.status.ok()) << run.result.status.message();
    EXPECT_EQ(run.result.outputPath, output.string());
    EXPECT_EQ(test::readFile(output), run.result.document);
    EXPECT_EQ(run.printed, run.result.document + "\n");
    test::expectGolden("ducking_v1_6_" + c.name + ".fcpxml", run.result.document);
    EXPECT_VALID_FCPXML(run.result.document, "1.6");
}

INSTANTIATE_TEST_SUITE_P(Cases, LegacyGolden, testing::ValuesIn(test::duckingCases()),
                         [](const auto& info) { return info.param.name; });

DuckingCase caseNamed(const std::string& name) {
    for (const auto& c : test::duckingCases())
        if (c.name == name) return c;
    ADD_FAILURE() << "no case " << name;
    return {};
}

TEST(LegacyDocument, WithoutFillerTheFillerAssetStaysAndNoMusicIsAnalysed) {
    const auto c = caseNamed("no_filler");
    CountingFacts facts;
    facts.add(c.speakerPath, {48000, 2, 480000, std::nullopt, {}});
    facts.add(c.musicPath, {44100, 2, 441000, std::nullopt, {{0, 5}, {6, 10}}});
    const auto run = runLegacy(c, "", facts);
    EXPECT_EQ(facts.calls, 0);
    EXPECT_EQ(run.statusTexts, std::vector<std::string>{"Writing FCPXML file..."});
    const std::string& doc = run.result.document;
    EXPECT_NE(doc.find("<asset id='FILLER' name='FILLER' src='file://' start='0s' duration='0/10s' "
                       "hasAudio='1' audioSources='1' audioRate='0'>\n</asset>\n</resources>"),
              std::string::npos)
        << doc;
    // Section D runs straight into the tail.
    EXPECT_NE(doc.find("</adjust-volume>\n</asset-clip></asset-clip>\n</spine>"), std::string::npos);
    EXPECT_EQ(doc.find("lane='-2'"), std::string::npos);
    EXPECT_EQ(run.result.fillerClips, 0);
    EXPECT_EQ(run.result.keyframes, 12);
}

TEST(LegacyDocument, WithFillerTheMusicIsAnalysedOnceAndTheStagesAreShown) {
    const auto c = caseNamed("filler_3_music_clusters");
    CountingFacts facts;
    facts.add(c.speakerPath, {48000, 2, 480000, std::nullopt, {}});
    facts.add(c.musicPath, {44100, 2, 441000, std::nullopt, c.musicClusters});
    facts.add(c.fillerPath, {44100, 2, 441000, std::nullopt, {}});
    const auto run = runLegacy(c, "", facts);
    EXPECT_EQ(facts.calls, 1);
    EXPECT_EQ(run.statusTexts,
              (std::vector<std::string>{"Analyzing Music Clusters...", "Writing FCPXML file..."}));
    EXPECT_EQ(run.result.fillerClips, 2);
}

TEST(LegacyDocument, NoSpeechGivesAnEmptyKeyframeAnimation) {
    const auto c = caseNamed("no_speech");
    const auto run = runLegacy(c, "", test::caseFacts(c));
    EXPECT_NE(run.result.document.find("<keyframeAnimation></keyframeAnimation>"), std::string::npos);
    EXPECT_EQ(run.result.keyframes, 0);
}

TEST(LegacyDocument, EmptyOutputPathPrintsButWritesNothing) {
    const auto c = caseNamed("no_filler");
    test::TempDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const auto run = runLegacy(c, "", test::caseFacts(c));
    std::filesystem::current_path(before);
    EXPECT_TRUE(run.result.status.ok());
    EXPECT_EQ(run.result.outputPath, "");
    EXPECT_EQ(run.printed, run.result.document + "\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(LegacyDocument, AFailedWriteIsReportedAndLeavesNothingBehind) {
    const auto c = caseNamed("no_filler");
    test::TempDir dir;
    const auto output = dir / "missing folder" / "talk.fcpxml";
    const auto run = runLegacy(c, output.string(), test::caseFacts(c));
    EXPECT_FALSE(run.result.status.ok());
    EXPECT_NE(run.result.status.message().find(output.string()), std::string::npos)
        << run.result.status.message();
    EXPECT_EQ(run.result.outputPath, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(LegacyDocument, AWriteReplacesAnEarlierDocumentWhole) {
    const auto c = caseNamed("no_filler");
    test::TempDir dir;
    const auto output = dir / "talk.fcpxml";
    test::writeFile(output, std::string(100000, 'x'));
    const auto run = runLegacy(c, output.string(), test::caseFacts(c));
    ASSERT_TRUE(run.result.status.ok());
    EXPECT_EQ(test::readFile(output), run.result.document);
}

TEST(LegacyDocument, FillerClipsFillTheGapsBetweenMusicClusters) {
    EXPECT_EQ(legacyFillerClips({}), "");
    EXPECT_EQ(legacyFillerClips({{0, 40}}), "");
    EXPECT_EQ(legacyFillerClips({{0, 10}, {12, 20}}),
              "<asset-clip name='FILLER' lane='-2' offset='100/10s' ref='FILLER' duration='20/10s' "
              "audioRole='BGM' format='UNDEFINED'>\n<adjust-volume>\n<param name='amount'>\n"
              "<fadeOut type=\"easeIn\" duration='5s'/>\n</param>\n</adjust-volume>\n"
              "<audio-channel-source role='BGM.BGM-1' srcCh='1, 2'/>\n</asset-clip>");
    const std::string three = legacyFillerClips({{0, 10}, {12, 20}, {25, 30}});
    EXPECT_NE(three.find("offset='100/10s' ref='FILLER' duration='20/10s'"), std::string::npos);
    EXPECT_NE(three.find("</asset-clip><asset-clip name='FILLER' lane='-2' offset='200/10s' "
                         "ref='FILLER' duration='50/10s'"),
              std::string::npos);
}

// The 1.6 document's src goes through the encoder the 1.9 and titles
// documents use: everything outside RFC 3986's unreserved characters and "/".
TEST(LegacySourceUrl, EncodedAsTheOtherDocumentsEncodeIt) {
    using kymovie::FCPXMLUtils::fcpxmlPercEnc;
    EXPECT_EQ(fcpxmlPercEnc("/Users/me/My Talk <1>.wav"),
              "file:///Users/me/My%20Talk%20%3C1%3E.wav");
    EXPECT_EQ(fcpxmlPercEnc("/a/100% sure.wav"), "file:///a/100%25%20sure.wav");
    EXPECT_EQ(fcpxmlPercEnc("/a/%20.wav"), "file:///a/%2520.wav");
    EXPECT_EQ(fcpxmlPercEnc("/Users/Édith/ß-_.~[]\\.wav"),
              "file:///Users/%C3%89dith/%C3%9F-_.~%5B%5D%5C.wav");
    EXPECT_EQ(fcpxmlPercEnc(""), "file://");
    const test::DuckingCase c = caseNamed("awkward_names");
    const std::string doc = runLegacy(c, "", test::caseFacts(c)).result.document;
    for (const std::string& path : {c.speakerPath, c.musicPath, c.fillerPath})
        EXPECT_NE(doc.find("src='" + fcpxmlPercEnc(path) + "'"), std::string::npos) << path;
}

} // namespace
} // namespace quelvo
