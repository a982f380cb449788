// The video asset and asset-clip fragments and the file-URL helpers.
#include <limits>

#include "support/test_support.h"
#include "writers/fcpxml_video_fragments.h"

using namespace quelvo;
using namespace quelvo::fcpxml;

TEST(VideoFragments, UrlHelpers) {
    EXPECT_EQ(urlLastPathComponent("/a/b/talk.mov"), "talk.mov");
    EXPECT_EQ(urlLastPathComponent("talk.mov"), "talk.mov");
    EXPECT_EQ(urlName("/a/b/talk.final.mov"), "talk.final");
    EXPECT_EQ(urlName("/a/.hidden"), ".hidden");
    EXPECT_EQ(urlName("/a/noext"), "noext");
    EXPECT_EQ(pathFromFileUrl("file:///Users/ed/My%20Title.moti"), "/Users/ed/My Title.moti");
    EXPECT_EQ(pathFromFileUrl("file://localhost/x/%C3%A9.moti"), "/x/\xC3\xA9.moti");
    EXPECT_EQ(pathFromFileUrl("/plain/path%zz"), "/plain/path%zz");
    EXPECT_EQ(pathFromFileUrl("file:///bad%2"), "/bad%2");
}

TEST(VideoFragments, ExactTimes) {
    EXPECT_EQ(getExactTime(0), "\"0s\"");
    EXPECT_EQ(getExactTime(2), "\"2s\"");
    EXPECT_EQ(getExactTime(2.002), "\"1001/500s\"");
    EXPECT_EQ(getExactTime(1.5), "\"3/2s\"");
    EXPECT_EQ(getExactTime(std::numeric_limits<double>::quiet_NaN()), "\"0s\"");
    EXPECT_EQ(getExactTime(1e300), "\"4000000000s\"");
}

TEST(VideoFragments, AssetInBothVersions) {
    const std::string v19 = getAsset("V", "a \"b\" & c.mov", "/m/a b.mov", 3600, 2, true, true, 2,
                                     48000, "", false, true, true);
    EXPECT_EQ(v19, "<asset id=\"V\" name=\"a &quot;b&quot; &amp; c.mov\" start=\"3600s\" "
                   "duration=\"2s\" hasVideo=\"1\" "
                   "hasAudio=\"1\" videoSources=\"1\" audioSources=\"1\" audioChannels=\"2\" "
                   "audioRate=\"48000\">\n"
                   "<media-rep kind=\"original-media\" src=\"file:///m/a%20b.mov\"/>\n</asset>\n");
    const std::string v16 =
        getAsset("V", "a.mov", "/m/a.mov", 0, 1.5, true, true, 2, 48000, "", false, false, true);
    EXPECT_EQ(v16, "<asset id=\"V\" name=\"a.mov\" src=\"file:///m/a.mov\" start=\"0s\" "
                   "duration=\"3/2s\" hasVideo=\"1\" "
                   "hasAudio=\"1\" audioSources=\"1\" audioChannels=\"2\" audioRate=\"48000\"/>\n");
    const std::string audio =
        getAsset("A", "a.wav", "/m/a.wav", 0, 1, true, true, 0, 0, "", true, false, true);
    EXPECT_NE(audio.find("hasVideo=\"0\" hasAudio=\"1\" audioSources=\"1\"/>"), std::string::npos)
        << audio;
}

TEST(VideoFragments, AssetClipTimesKeywordsAndAudioOnly) {
    const std::string clip = getAssetClip("n.mov", "V", 0, 10, 3600, 25, 2, "dialogue", "F", "",
                                          {"kw"}, false, "<title/>");
    EXPECT_EQ(
        clip,
        "<asset-clip name=\"n.mov\" ref=\"V\" offset=\"0s\" duration=\"5000/2500s\" "
        "start=\"9000000/2500s\" "
        "format=\"F\" tcFormat=\"NDF\" audioRole=\"dialogue\">\n<title/>\n"
        "<keyword start=\"9000000/2500s\" duration=\"5000/2500s\" value=\"kw\"/>\n</asset-clip>");
    const std::string exact = getAssetClip("n", "V", 0, 1.5, 0, 0, 0, "", "", "", {}, true, "");
    EXPECT_EQ(exact, "<asset-clip name=\"n\" ref=\"V\" offset=\"0s\" duration=\"3/2s\" "
                     "start=\"0s\" tcFormat=\"NDF\" "
                     "srcEnable=\"audio\">\n\n</asset-clip>");
}

TEST(VideoFragments, XmlSafeText) {
    EXPECT_EQ(xmlSafeText("plain \xC3\xA9\ttext\n"), "plain \xC3\xA9\ttext\n");
    EXPECT_EQ(xmlSafeText("a\x01"
                          "b\x1F"
                          "c"),
              "abc");
    EXPECT_EQ(xmlSafeText("a\xEF\xBF\xBF"
                          "b"),
              "ab");
    EXPECT_EQ(xmlSafeText("a\xC3"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
}
