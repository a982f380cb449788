// Faults found when editors used the ducking documents for real: a filler
// that is the music file itself, relative paths, time texts that lost a
// tenth to floating-point noise, and clips longer than their media.
#include <filesystem>

#include <gtest/gtest.h>

#include "ducking/volume_keyframes.h"
#include "fcpxml/legacy_document.h"
#include "fcpxml/qv_fcpxml.h"
#include "platform/movie/fcpxml_time.h"
#include "support/test_support.h"

namespace quelvo {
namespace {

const QVRoll kRolls{0.3, 0.3, 0.3, 0.7, -24.0};

std::string legacyDocument(const std::string& speaker, const std::string& music, const std::string& filler,
                           const KnownMediaFacts& facts) {
    testing::internal::CaptureStdout();
    const auto result = writeLegacyDocument(speaker, "'100/10s'", 44100, music, "'300/10s'", 44100, filler,
                                            "'10/10s'", 44100, -12, {{1, 5}}, kRolls, 0, "'300/10s'", false,
                                            "e", "p", nullptr, "", facts);
    testing::internal::GetCapturedStdout();
    return result.document;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
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
    EXPECT_EQ(kymovie::FCPXMLUtils::getTimeRoundedDown(0.1 * 3, 30), "\"900/3000s\"");
}

// Added after the music with its clusters, the same file as filler took the
// music's clusters away and the 1.6 document lost every filler clip.
TEST(RealUseRegression, AFillerThatIsTheMusicFileKeepsItsClipsInBothVersions) {
    KnownMediaFacts facts;
    facts.add("/m/talk.wav", {44100, 1, 441000, std::nullopt, {}});
    facts.add("/m/bed.wav", {44100, 2, 1323000, std::nullopt, {{0, 10}, {12, 20}, {25, 30}}});
    facts.add("/m/bed.wav", {44100, 2, 1323000, std::nullopt, {}});
    EXPECT_EQ(count(legacyDocument("/m/talk.wav", "/m/bed.wav", "/m/bed.wav", facts), "name='FILLER' lane='-2'"), 2u);
    const QVFCPXML project("/m/talk.wav", "/m/bed.wav", std::string("/m/bed.wav"), "e", "p", {},
                           facts.musicClusters("/m/bed.wav"), facts);
    EXPECT_EQ(count(project.makeDocument(), "lane='-2'"), 2u);
}

// "file://talk.wav" names a host called talk.wav. Paths become absolute and
// lexically normal before they become URLs; the empty filler stays empty.
TEST(RealUseRegression, RelativePathsBecomeAbsoluteSourceUrls) {
    const std::string cwd = std::filesystem::current_path().lexically_normal().string();
    KnownMediaFacts facts;
    facts.add("talk.wav", {44100, 1, 441000, std::nullopt, {}});
    facts.add("sub/../bed.mp3", {44100, 2, 1323000, std::nullopt, {}});
    const std::string legacy = legacyDocument("talk.wav", "sub/../bed.mp3", "", facts);
    EXPECT_NE(legacy.find("src='file://" + cwd + "/talk.wav'"), std::string::npos) << legacy;
    EXPECT_NE(legacy.find("src='file://" + cwd + "/bed.mp3'"), std::string::npos) << legacy;
    EXPECT_NE(legacy.find("src='file://'"), std::string::npos);
    const QVFCPXML project("talk.wav", "sub/../bed.mp3", std::nullopt, "e", "p", {}, {}, facts);
    const std::string doc = project.makeDocument();
    EXPECT_NE(doc.find("src=\"file://" + cwd + "/talk.wav\""), std::string::npos);
    EXPECT_NE(doc.find("src=\"file://" + cwd + "/bed.mp3\""), std::string::npos);
    EXPECT_VALID_FCPXML(legacy, "1.6");
    EXPECT_VALID_FCPXML(doc, "1.9");
}

// A dialogue of 897744/44100 s (20.357 s) got a clip of 611 frames (20.367 s)
// and a 1 s filler clips of 1.8 s and 2.7 s: edits with no media at their end.
TEST(RealUseRegression, NoClipIsLongerThanItsMedia) {
    KnownMediaFacts facts;
    facts.add("/m/talk.m4a", {44100, 1, 897744, std::nullopt, {}});
    facts.add("/m/bed.wav", {44100, 2, 1323000, std::nullopt, {{0, 19.1}, {21.9 - 1.0, 25}, {27.7, 30}}});
    facts.add("/m/fill.wav", {44100, 1, 44100, std::nullopt, {}});
    const QVFCPXML project("/m/talk.m4a", "/m/bed.wav", std::string("/m/fill.wav"), "e", "p", {},
                           facts.musicClusters("/m/bed.wav"), facts);
    const std::string doc = project.makeDocument();
    EXPECT_NE(doc.find("name=\"talk.m4a\" duration=\"61000/3000s\""), std::string::npos) << doc;
    EXPECT_EQ(count(doc, "ref='QVFiller' duration='10/10s'"), 2u) << doc;
    const std::string legacy = legacyDocument("/m/talk.m4a", "/m/bed.wav", "/m/fill.wav", facts);
    EXPECT_EQ(count(legacy, "ref='FILLER' duration='10/10s'"), 2u) << legacy;
    EXPECT_VALID_FCPXML(legacy, "1.6");
}

} // namespace quelvo
