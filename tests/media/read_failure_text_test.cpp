// The words a user reads about an unreadable file: every reason the audio
// layer gives for the files below ends in a sentence with advice, never in
// the general fallback, and the check that the desktop runs on each chosen
// file agrees with the job.
#include <filesystem>

#include <gtest/gtest.h>

#include "media/read_failure_text.h"
#include "support/test_support.h"

namespace quelvo {
namespace {

namespace fs = std::filesystem;

TEST(ReadFailureText, KnownReasonsGetTheirOwnWordsAndUnknownOnesAGeneralSentence) {
    EXPECT_EQ("is not audio that Quelvo can read",
              readFailureText("Invalid data found when processing input").problem);
    EXPECT_EQ("Use WAV, MP3, M4A or AIFF.",
              readFailureText("Invalid data found when processing input").advice);
    EXPECT_EQ("holds no audio", readFailureText("the file has no audio stream").problem);
    EXPECT_EQ("The file is cut short",
              readFailureText("the file ends early: 7.94 s of 15.88 s could be read (End of file)")
                  .brief);
    EXPECT_EQ("is empty", readFailureText("the file is empty").problem);
    // The specific reason wins over the decoder's words inside it.
    EXPECT_EQ("holds no audio that Quelvo can read",
              readFailureText("no audio could be decoded: Invalid data found when processing input")
                  .problem);
    EXPECT_EQ("could not be read", readFailureText("something nobody foresaw").problem);
    EXPECT_EQ(
        "has a sample rate Quelvo cannot use",
        readFailureText("the audio's sample rate of 1 Hz is outside 4 kHz to 768 kHz").problem);
    EXPECT_EQ(
        "The file's header is damaged",
        readFailureText(
            "the header declares 11 hours of audio, more than the file's 19359 bytes can hold")
            .brief);
    EXPECT_EQ(
        "The filler file \u201Cblip.wav\u201D is too short: it lasts less than one frame of the "
        "timeline. "
        "Choose a longer recording.",
        readFailureSentence("filler", "blip.wav",
                            "it lasts 0.005 s, shorter than one frame of the timeline (1/30 s)"));
    EXPECT_EQ("The music file \u201Cbed.mp3\u201D is empty. Export the audio again.",
              readFailureSentence("music", "bed.mp3", "the file is empty"));
}

TEST(ReadFailureText, TheFileCheckFindsDamagedAndForeignFilesWithAReasonFromTheTable) {
    quelvo::test::TempDir dir;
    const auto text = dir / "notes.mp3";
    quelvo::test::writeFile(text, "these are my notes, not a song\n");
    const auto empty = dir / "empty.wav";
    quelvo::test::writeFile(empty, "");
    for (const fs::path& bad : {text, empty, dir / "gone.wav", dir.path()}) {
        double seconds = -1;
        const Status status = checkUsableAudio(bad.string(), &seconds);
        EXPECT_FALSE(status.ok()) << bad;
        EXPECT_EQ(0, seconds);
        EXPECT_NE("could not be read", readFailureText(status.message()).problem)
            << bad << ": the reason \"" << status.message() << "\" is missing from the table";
    }
    const auto good = quelvo::test::recordingOrStandIn("music/dev_music_gaps.wav");
    double seconds = 0;
    EXPECT_TRUE(checkUsableAudio(good.string(), &seconds).ok());
    EXPECT_NEAR(32.0, seconds, 0.01);
    // Cut in half, the header promises more than is there.
    const auto cut = dir / "cut.wav";
    fs::copy_file(good, cut);
    fs::resize_file(cut, fs::file_size(cut) / 2);
    const Status status = checkUsableAudio(cut.string(), &seconds);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ("The file is cut short", readFailureText(status.message()).brief) << status.message();
}

TEST(ReadFailureText, AVideoGetsTheSameRowsInItsOwnWords) {
    const ReadFailureText video =
        videoReadFailureText("Invalid data found when processing input (moov atom not found)");
    EXPECT_EQ("Not video Quelvo can read", video.brief);
    EXPECT_EQ("is not video that Quelvo can read", video.problem);
    EXPECT_EQ("Export it again as MOV or MP4.", video.advice);
    EXPECT_EQ("Video format not supported",
              videoReadFailureText("no decoder for the stream").brief);
    // Advice that names no format stays.
    EXPECT_EQ(readFailureText("x does not exist").advice,
              videoReadFailureText("x does not exist").advice);
    EXPECT_EQ("\u201Cx.wav\u201D is empty. Export the audio again.",
              readFailureSentence("", "x.wav", "the file is empty"));
}

} // namespace
} // namespace quelvo
