// The legacy FCPXML 1.6 document: exact text against reviewed golden files,
// DTD validity, status texts, printing and the atomic write.
#include <gtest/gtest.h>

#include "ducking_cases.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_writers.h"
#include "writers/legacy_document.h"

namespace quelvo {
namespace {

using test::DuckingCase;

std::string runLegacy(const DuckingCase& c) {
    return writeFcpxml16(test::describeCase(c));
}

class LegacyGolden : public testing::TestWithParam<DuckingCase> {};

TEST_P(LegacyGolden, DocumentMatchesItsReviewedFileAndIsValid) {
    const DuckingCase& c = GetParam();
    const std::string document = runLegacy(c);
    test::expectGolden("ducking_v1_6_" + c.name + ".fcpxml", document);
    EXPECT_VALID_FCPXML(document, "1.6");
}

INSTANTIATE_TEST_SUITE_P(Cases, LegacyGolden, testing::ValuesIn(test::duckingCases()),
                         [](const auto& info) { return info.param.name; });

DuckingCase caseNamed(const std::string& name) {
    for (const auto& c : test::duckingCases())
        if (c.name == name) return c;
    ADD_FAILURE() << "no case " << name;
    return {};
}

TEST(LegacyDocument, WithoutFillerTheFillerAssetStaysEmpty) {
    const auto c = caseNamed("no_filler");
    const std::string doc = runLegacy(c);
    EXPECT_NE(doc.find("<asset id='FILLER' name='FILLER' src='file://' start='0s' duration='0/10s' "
                       "hasAudio='1' audioSources='1' audioRate='0'>\n</asset>\n</resources>"),
              std::string::npos)
        << doc;
    // Section D runs straight into the tail.
    EXPECT_NE(doc.find("</adjust-volume>\n</asset-clip></asset-clip>\n</spine>"),
              std::string::npos);
    EXPECT_EQ(doc.find("lane='-2'"), std::string::npos);
    // The writer prints nothing: the document is only its return value.
    testing::internal::CaptureStdout();
    runLegacy(c);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(LegacyDocument, FillerClipsAndKeyframesAreTheDescriptionsOwn) {
    auto c = caseNamed("filler_3_music_clusters");
    ProjectDescription description = test::describeCase(c);
    ASSERT_EQ(description.filler->clips.size(), 2u);
    description.filler->clips.pop_back();
    description.music.keyframes = {{1.25, -7}};
    const std::string doc = writeFcpxml16(description);
    EXPECT_EQ(doc.find("offset='200/10s' ref='FILLER'"), std::string::npos);
    EXPECT_NE(doc.find("offset='100/10s' ref='FILLER'"), std::string::npos);
    EXPECT_NE(
        doc.find("<keyframeAnimation><keyframe time='12/10s' value='-7dB'/>\n</keyframeAnimation>"),
        std::string::npos)
        << doc;
    c.speech.clear();
    EXPECT_NE(runLegacy(c).find("<keyframeAnimation></keyframeAnimation>"), std::string::npos);
}

TEST(LegacyDocument, FillerClipsFillTheGapsBetweenMusicClusters) {
    const auto clips = [](const ClusterList& music) {
        return legacyFillerClips(fillerPlacements(music, 0));
    };
    EXPECT_EQ(clips({}), "");
    EXPECT_EQ(clips({{0, 40}}), "");
    EXPECT_EQ(clips({{0, 10}, {12, 20}}),
              "<asset-clip name='FILLER' lane='-2' offset='100/10s' ref='FILLER' duration='20/10s' "
              "audioRole='BGM' format='UNDEFINED'>\n<adjust-volume>\n<param name='amount'>\n"
              "<fadeOut type=\"easeIn\" duration='5s'/>\n</param>\n</adjust-volume>\n"
              "<audio-channel-source role='BGM.BGM-1' srcCh='1, 2'/>\n</asset-clip>");
    const std::string three = clips({{0, 10}, {12, 20}, {25, 30}});
    EXPECT_NE(three.find("offset='100/10s' ref='FILLER' duration='20/10s'"), std::string::npos);
    EXPECT_NE(three.find("</asset-clip><asset-clip name='FILLER' lane='-2' offset='200/10s' "
                         "ref='FILLER' duration='50/10s'"),
              std::string::npos);
}

// The 1.6 document's src goes through the encoder the 1.9 and titles
// documents use: everything outside RFC 3986's unreserved characters and "/".
TEST(LegacySourceUrl, EncodedAsTheOtherDocumentsEncodeIt) {
    using fcpxml::fileUrlOf;
    EXPECT_EQ(fileUrlOf("/Users/me/My Talk <1>.wav"), "file:///Users/me/My%20Talk%20%3C1%3E.wav");
    EXPECT_EQ(fileUrlOf("/a/100% sure.wav"), "file:///a/100%25%20sure.wav");
    EXPECT_EQ(fileUrlOf("/a/%20.wav"), "file:///a/%2520.wav");
    EXPECT_EQ(fileUrlOf("/Users/Édith/ß-_.~[]\\.wav"),
              "file:///Users/%C3%89dith/%C3%9F-_.~%5B%5D%5C.wav");
    EXPECT_EQ(fileUrlOf(""), "file://");
    const test::DuckingCase c = caseNamed("awkward_names");
    const std::string doc = runLegacy(c);
    for (const std::string& path : {c.speakerPath, c.musicPath, c.fillerPath})
        EXPECT_NE(doc.find("src='" + fileUrlOf(path) + "'"), std::string::npos) << path;
}

} // namespace
} // namespace quelvo
