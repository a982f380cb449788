// The FCP7 XML document read back and compared, clip by clip, with the
// FCPXML 1.9 document of the same project.
#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "writers/sample_project.h"
#include "writers/timeline_reader.h"
#include "writers/xmeml_writer.h"

namespace quelvo {
namespace {

using test::ReadClip;

const ReadClip* findClip(const std::vector<ReadClip>& clips, const std::string& path, int64_t start,
                         int track) {
    for (const ReadClip& c : clips)
        if (c.path == path && c.start == start && c.trackIndex == track) return &c;
    return nullptr;
}

TEST(XmemlWriter, PlacesEveryClipAndKeyframeWhereTheFcpxmlDoes) {
    const ProjectDescription project = test::sampleProject();
    const std::string xmeml = writeXmeml(project);
    test::expectGolden("writers_sample.xml", xmeml);
    test::expectWellFormed(xmeml, "sample.xml");
    const test::ReadTimeline ours = test::readXmeml(xmeml);
    const test::ReadTimeline fcpxml = test::readFcpxml19(test::sampleFcpxml19(project), 30);
    ASSERT_TRUE(ours.wellFormed);
    ASSERT_TRUE(fcpxml.wellFormed);
    EXPECT_DOUBLE_EQ(ours.framesPerSecond, 30);

    // Every FCPXML clip is there to the frame: once per channel of a stereo file.
    const std::set<std::string> stereo{project.dialogue[0].source.path,
                                       project.filler->source.path};
    size_t expectedItems = 0;
    for (const ReadClip& theirs : fcpxml.clips) {
        const int channels = stereo.count(theirs.path) ? 2 : 1;
        expectedItems += channels;
        for (int track = 1; track <= channels; ++track) {
            const ReadClip* mine = findClip(ours.clips, theirs.path, theirs.start, track);
            ASSERT_NE(mine, nullptr)
                << theirs.path << " at frame " << theirs.start << ", channel " << track;
            EXPECT_EQ(mine->end, theirs.end) << theirs.path;
            EXPECT_EQ(mine->in, theirs.in) << theirs.path;
            EXPECT_EQ(mine->out, theirs.out) << theirs.path;
            if (!theirs.keyframes.empty()) {
                // The envelope: same order, times rounded to the frame, levels within 0.01 dB.
                ASSERT_EQ(mine->keyframes.size(), theirs.keyframes.size());
                for (size_t k = 0; k < theirs.keyframes.size(); ++k) {
                    EXPECT_DOUBLE_EQ(mine->keyframes[k].seconds,
                                     std::round(theirs.keyframes[k].seconds * 30) / 30)
                        << k;
                    EXPECT_NEAR(mine->keyframes[k].db, theirs.keyframes[k].db, 0.01) << k;
                }
            }
            if (theirs.fadeOutSeconds > 0) {
                // The filler's fade: from full level 5 s before its end down to silence at its end.
                ASSERT_GE(mine->keyframes.size(), 2u);
                const double length = static_cast<double>(theirs.end - theirs.start) / 30;
                EXPECT_NEAR(mine->keyframes.front().seconds,
                            std::max(0.0, length - theirs.fadeOutSeconds), 1.0 / 30);
                EXPECT_DOUBLE_EQ(mine->keyframes.front().db, 0);
                EXPECT_DOUBLE_EQ(mine->keyframes.back().seconds, length);
                EXPECT_DOUBLE_EQ(mine->keyframes.back().db, -96);
            }
        }
    }
    EXPECT_EQ(ours.clips.size(), expectedItems);

    // One definition per file, by URLs that name the very paths.
    EXPECT_EQ(ours.definitions.size(), 3u);
    for (const auto& [path, count] : ours.definitions)
        EXPECT_EQ(count, 1) << path;
    for (const std::string& url : ours.urls) {
        EXPECT_EQ(url.rfind("file://localhost/", 0), 0u) << url;
        EXPECT_TRUE(fcpxml.definitions.count(test::pathOfFileUrl(url))) << url;
    }
}

TEST(XmemlWriter, LevelsAreLinearGainWithSilenceAtZero) {
    EXPECT_DOUBLE_EQ(audioLevelsGain(0), 1);
    EXPECT_NEAR(audioLevelsGain(12), 3.98109, 1e-4);
    EXPECT_NEAR(audioLevelsGain(-20), 0.1, 1e-12);
    EXPECT_EQ(audioLevelsGain(-96), 0);
    EXPECT_EQ(audioLevelsGain(-200), 0);
}

} // namespace
} // namespace quelvo
