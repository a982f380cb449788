// Faults found when editors used the ducking documents for real: a filler
// that is the music file itself, relative paths, time texts that lost a
// tenth to floating-point noise, and clips longer than their media.
#include <filesystem>

#include <gtest/gtest.h>

#include "project/project_builder.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_writers.h"

namespace quelvo {
namespace {

const QVRoll kRolls{0.3, 0.3, 0.3, 0.7, -24.0};

struct File {
    std::string path;
    MediaFileFacts facts;
};

// The description the job would make: speech 1-5 s, the music sounding
// where given.
ProjectDescription describe(const File& speaker, const File& music, const File& filler,
                            const kyaudio::ClusterList& sounding = {}) {
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

MediaFileFacts facts(int rate, int channels, int64_t samples) {
    return {rate, channels, samples, static_cast<double>(samples) / rate};
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
    const File bed{"/m/bed.wav", facts(44100, 2, 1323000)};
    const ProjectDescription project =
        describe({"/m/talk.wav", facts(44100, 1, 441000)}, bed, bed, {{0, 10}, {12, 20}, {25, 30}});
    EXPECT_EQ(count(writeFcpxml16(project), "name='FILLER' lane='-2'"), 2u);
    EXPECT_EQ(count(writeFcpxml19(project), "lane='-2'"), 2u);
}

// "file://talk.wav" names a host called talk.wav. Paths become absolute and
// lexically normal before they become URLs; the empty filler stays empty.
TEST(RealUseRegression, RelativePathsBecomeAbsoluteSourceUrls) {
    const std::string cwd = std::filesystem::current_path().lexically_normal().string();
    const ProjectDescription project =
        describe({"talk.wav", facts(44100, 1, 441000)}, {"sub/../bed.mp3", facts(44100, 2, 1323000)}, {});
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
    const ProjectDescription project =
        describe({"/m/talk.m4a", facts(44100, 1, 897744)}, {"/m/bed.wav", facts(44100, 2, 1323000)},
                 {"/m/fill.wav", facts(44100, 1, 44100)}, {{0, 19.1}, {21.9 - 1.0, 25}, {27.7, 30}});
    const std::string doc = writeFcpxml19(project);
    EXPECT_NE(doc.find("name=\"talk.m4a\" duration=\"61000/3000s\""), std::string::npos) << doc;
    EXPECT_EQ(count(doc, "ref='QVFiller' duration='10/10s'"), 2u) << doc;
    const std::string legacy = writeFcpxml16(project);
    EXPECT_EQ(count(legacy, "ref='FILLER' duration='10/10s'"), 2u) << legacy;
    EXPECT_VALID_FCPXML(legacy, "1.6");
}

} // namespace quelvo
