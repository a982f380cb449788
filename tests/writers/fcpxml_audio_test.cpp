// The FCPXML 1.9 audio fragments and the document envelope.
#include <regex>

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "writers/fcpxml_audio.h"
#include "writers/fcpxml_document.h"

namespace quelvo::fcpxml {
namespace {

quelvo::AudioFileInfo audioInfo(int rate, int channels, int64_t samples) {
    quelvo::AudioFileInfo info;
    info.status = quelvo::Status::success();
    info.sampleRate = rate;
    info.channels = channels;
    info.sampleCount = samples;
    info.duration = rate > 0 ? static_cast<double>(samples) / rate : 0;
    return info;
}

TEST(FCPXMLAudio, AssetCarriesExactDurationChannelsRateAndAMediaRep) {
    EXPECT_EQ(getResourceAudioAsset("QVSpeaker", "/media/talk.wav", audioInfo(48000, 2, 2880000)),
              "<asset id=\"QVSpeaker\" name=\"talk\" start=\"0s\" duration=\"2880000/48000s\" "
              "hasAudio=\"1\" audioSources=\"1\" audioChannels=\"2\" audioRate=\"48000\">"
              "<media-rep kind=\"original-media\" src=\"file:///media/talk.wav\"/></asset>");
}

TEST(FCPXMLAudio, ExactDurationIsSamplesOverRate) {
    EXPECT_EQ(getExactAudioDuration(audioInfo(44100, 2, 2646000)), "\"2646000/44100s\"");
    // A sample count that is not a whole number of frames stays exact.
    EXPECT_EQ(getExactAudioDuration(audioInfo(44100, 1, 700329)), "\"700329/44100s\"");
    // Only a duration known: its samples at the file's rate.
    auto onlyDuration = audioInfo(22050, 1, 0);
    onlyDuration.duration = 2.5;
    EXPECT_EQ(getExactAudioDuration(onlyDuration), "\"55125/22050s\"");
}

TEST(FCPXMLAudio, UnreadableFileGivesAZeroLengthAssetWithoutRateOrChannels) {
    const quelvo::AudioFileInfo unreadable; // as the probe answers for a missing file
    EXPECT_EQ(getExactAudioDuration(unreadable), "\"0s\"");
    EXPECT_EQ(getResourceAudioAsset("QVFiller", "/gone/x.mp3", unreadable),
              "<asset id=\"QVFiller\" name=\"x\" start=\"0s\" duration=\"0s\" hasAudio=\"1\" "
              "audioSources=\"1\"><media-rep kind=\"original-media\" "
              "src=\"file:///gone/x.mp3\"/></asset>");
}

TEST(FCPXMLAudio, AssetNameIsEscapedAndTheSourceIsAPercentEncodedUrl) {
    const std::string asset = getResourceAudioAsset(
        "QVMusic", "/Users/me/Tom's \"mix\" & <1> #2? é.v1.mp3", audioInfo(44100, 2, 44100));
    EXPECT_NE(asset.find("name=\"Tom's &quot;mix&quot; &amp; &lt;1&gt; #2? é.v1\""),
              std::string::npos)
        << asset;
    EXPECT_NE(asset.find("src=\"file:///Users/me/Tom%27s%20%22mix%22%20%26%20%3C1%3E%20%232%3F%20"
                         "%C3%A9.v1.mp3\""),
              std::string::npos)
        << asset;
}

TEST(FCPXMLAudio, VolumeStringListsKeyframesInOrderAtThreeThousandths) {
    const VolumeKeyframeList list = {{9.5, 0}, {10.5, -20}, {-0.3, 0}, {0, -96}, {1.0 / 7, -20.5}};
    EXPECT_EQ(getVolumeString(list),
              "<adjust-volume>\n<param name=\"amount\">\n<keyframeAnimation>\n"
              "<keyframe time=\"28500/3000s\" value=\"0dB\"/>\n"
              "<keyframe time=\"31500/3000s\" value=\"-20dB\"/>\n"
              "<keyframe time=\"-900/3000s\" value=\"0dB\"/>\n"
              "<keyframe time=\"0s\" value=\"-96dB\"/>\n"
              "<keyframe time=\"429/3000s\" value=\"-20.5dB\"/>\n"
              "</keyframeAnimation>\n</param>\n</adjust-volume>");
}

TEST(FCPXMLAudio, EmptyKeyframeListGivesAnEmptyAnimation) {
    EXPECT_EQ(getVolumeString({}), "<adjust-volume>\n<param name=\"amount\">\n<keyframeAnimation>\n"
                                   "</keyframeAnimation>\n</param>\n</adjust-volume>");
}

TEST(FCPXMLAudio, ClipTimesAreWholeFramesOfTheThirtyFrameTimeline) {
    const std::string clip =
        getAttachedAssetClipString("QVMusic", -1, 0.0, "bed.mp3", 15.88, "QVAudio", "music", "");
    EXPECT_EQ(clip, "<asset-clip ref=\"QVMusic\" lane=\"-1\" offset=\"0s\" name=\"bed.mp3\" "
                    "duration=\"47600/3000s\" start=\"0s\" format=\"QVAudio\" "
                    "audioRole=\"music\">\n</asset-clip>");
    // Rounded to the nearest frame, never a fraction of one.
    const std::regex time("(offset|duration)=\"(-?[0-9]+)/3000s\"");
    for (const double seconds : {0.01, 0.02, 15.89, 60.0, 75.0, 123.456, 3599.999}) {
        const std::string c =
            getAttachedAssetClipString("a", -2, seconds, "n", seconds, "f", "r", "");
        for (auto it = std::sregex_iterator(c.begin(), c.end(), time); it != std::sregex_iterator();
             ++it)
            EXPECT_EQ(std::stoll((*it)[2]) % 100, 0) << c;
    }
    EXPECT_NE(getAttachedAssetClipString("a", -1, 15.89, "n", 75.0, "f", "r", "")
                  .find("offset=\"47700/3000s\" name=\"n\" duration=\"225000/3000s\""),
              std::string::npos);
}

TEST(FCPXMLAudio, AttachedClipCarriesItsVolumeMarkup) {
    const std::string volume = getVolumeString({{1, 0}});
    EXPECT_EQ(
        getAttachedAssetClipString("QVMusic", -1, 0, "m", 1, "QVAudio", "Ambience & FX", volume),
        "<asset-clip ref=\"QVMusic\" lane=\"-1\" offset=\"0s\" name=\"m\" "
        "duration=\"3000/3000s\" start=\"0s\" format=\"QVAudio\" "
        "audioRole=\"Ambience &amp; FX\">\n" +
            volume + "\n</asset-clip>");
}

TEST(FCPXMLAudio, MainClipHoldsTheConnectedClips) {
    EXPECT_EQ(getAssetClipForMainLaneString("QVSpeaker", 0, "talk.wav", 60, "QVAudio", "dialogue",
                                            "<x/>\n<y/>\n"),
              "<asset-clip ref=\"QVSpeaker\" offset=\"0s\" name=\"talk.wav\" "
              "duration=\"180000/3000s\" start=\"0s\" format=\"QVAudio\" audioRole=\"dialogue\">\n"
              "<x/>\n<y/>\n</asset-clip>");
    EXPECT_EQ(getAssetClipForMainLaneString("QVSpeaker", 0, "t", 0, "QVAudio", "dialogue", ""),
              "<asset-clip ref=\"QVSpeaker\" offset=\"0s\" name=\"t\" duration=\"0s\" start=\"0s\" "
              "format=\"QVAudio\" audioRole=\"dialogue\">\n</asset-clip>");
}

TEST(FCPXMLDocument, EnvelopeJoinsItsPartsInOrder) {
    EXPECT_EQ(getXML("<r/>", "<l/>", "file:///L/", "made here", "1.9"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE fcpxml>\n"
              "<!-- made here -->\n<fcpxml version=\"1.9\">\n<resources>\n<r/>\n</resources>\n"
              "<library location=\"file:///L/\">\n<l/>\n</library>\n</fcpxml>\n");
}

TEST(FCPXMLDocument, CommentAndLocationCannotBreakTheDocument) {
    const std::string xml = getXML("", "", "file:///a&b/\"q\"/", "v. 1 -- beta --> x-", "1.9");
    EXPECT_NE(xml.find("<!-- v. 1 - - beta - -> x- -->"), std::string::npos) << xml;
    EXPECT_NE(xml.find("location=\"file:///a&amp;b/&quot;q&quot;/\""), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");
}

// A whole document made of these fragments, with awkward names, is valid 1.9.
TEST(FCPXMLDocument, DocumentOfFragmentsValidatesAgainstTheDtd) {
    QUELVO_REQUIRE_SHARED();
    const std::string resources =
        "<format id=\"T\" name=\"FFVideoFormat1080p30\"/>\n"
        "<format id=\"A\" name=\"FFVideoFormatRateUndefined\"/>\n" +
        getResourceAudioAsset("S", "/m/Ünïcode \"talk\" & <1>.wav", audioInfo(48000, 1, 480000)) +
        "\n" + getResourceAudioAsset("M", "/m/it's #1?.mp3", audioInfo(44100, 2, 441000));
    const std::string music = getAttachedAssetClipString(
        "M", -1, 0, "it's #1?.mp3", 10, "A", "Music <bed>", getVolumeString({{-0.2, 0}, {1, -96}}));
    const std::string library =
        "<event name=\"e\"><project name=\"p\"><sequence format=\"T\" duration=\"30000/3000s\" "
        "tcStart=\"0s\" tcFormat=\"NDF\" audioLayout=\"stereo\" audioRate=\"48k\"><spine>" +
        getAssetClipForMainLaneString("S", 0, "Ünïcode \"talk\" & <1>.wav", 10, "A", "dialogue",
                                      music) +
        "</spine></sequence></project></event>";
    EXPECT_VALID_FCPXML(getXML(resources, library, "file:///L/", "c", "1.9"), "1.9");

    // The check is real: a clip pointing at a format no element carries fails.
    const auto broken = quelvo::test::validateFcpxml(
        getXML(resources,
               "<event name=\"e\"><project name=\"p\"><sequence format=\"T\"><spine>" +
                   getAssetClipForMainLaneString("S", 0, "t", 10, "NOPE", "dialogue", "") +
                   "</spine></sequence></project></event>",
               "file:///L/", "c", "1.9"),
        "1.9");
    EXPECT_FALSE(broken.valid);
    EXPECT_NE(broken.output.find("NOPE"), std::string::npos) << broken.output;
}

} // namespace
} // namespace quelvo::fcpxml

namespace quelvo::fcpxml {
namespace {

// The probing form asks FFmpeg: the decoder's exact sample count.
TEST(FCPXMLAudio, ProbingFormReadsTheFileItself) {
    const auto path = std::filesystem::absolute(quelvo::test::recordingOrStandIn(
                                                    "dialogue/dev01_clean_wav48k_stereo.wav"))
                          .lexically_normal()
                          .string();
    EXPECT_EQ(getResourceAudioAsset("QVSpeaker", path),
              "<asset id=\"QVSpeaker\" name=\"dev01_clean_wav48k_stereo\" start=\"0s\" "
              "duration=\"762240/48000s\" hasAudio=\"1\" audioSources=\"1\" audioChannels=\"2\" "
              "audioRate=\"48000\"><media-rep kind=\"original-media\" src=\"file://" +
                  path + "\"/></asset>");
}

} // namespace
} // namespace quelvo::fcpxml
