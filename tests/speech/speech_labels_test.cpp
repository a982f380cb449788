// Label files and corrections: a list written and read back is the same
// list to the last bit; what editors write (commas, frequency lines, CRLF,
// texts) is read; mends are warned about; a bad file is refused with its
// line; edits join, undo and redo.
#include <gtest/gtest.h>

#include "project/envelope_timing.h"
#include "speech/speech_corrections.h"
#include "speech/speech_labels.h"
#include "speech/speech_union.h"
#include "support/test_support.h"

using quelvo::ClusterList;
using quelvo::joinIntervals;
using quelvo::labelText;
using quelvo::parseLabels;
using quelvo::SpeechCorrections;

TEST(LabelFiles, WrittenShortestWithAPointAndReadBackExactly) {
    EXPECT_EQ(labelText({{0.5, 1.25}, {2.0, 3.00001}, {3600.12, 3601}}),
              "0.5\t1.25\tspeech\n2\t3.00001\tspeech\n3600.12\t3601\tspeech\n");
    const ClusterList awkward = {
        {1.0 / 3, 0.9 - 0.3 + 0.3}, {1e-7, 1e-7 * 3}, {12.345678901234567, 4000.1}};
    const ClusterList sorted = joinIntervals(awkward);
    const quelvo::LabelReading back = parseLabels(labelText(sorted), 0, "a.txt");
    ASSERT_TRUE(back.status) << back.status.message();
    EXPECT_EQ(back.intervals, sorted);
    EXPECT_TRUE(back.warnings.empty());
    EXPECT_EQ(labelText({}), "");
}

TEST(LabelFiles, ReadsWhatAudioEditorsWriteAndMendsWithWarnings) {
    const std::string text = "\xEF\xBB\xBF"
                             "1,5\t2,25\tHello there\r\n"
                             "\\\t440\t880\r\n"
                             "\r\n"
                             "0.2 0.6 cough\n"    // spaces, and before the one above
                             "1.0\t1.6\tjoined\n" // overlaps the first
                             "7\t7\tpoint\n"
                             "9\t12\tlate\n"
                             "13\t14\tgone";
    const quelvo::LabelReading r = parseLabels(text, 10.0, "take.txt");
    ASSERT_TRUE(r.status) << r.status.message();
    EXPECT_EQ(r.intervals, (ClusterList{{0.2, 0.6}, {1.0, 2.25}, {9, 10}}));
    EXPECT_EQ(r.warnings,
              (std::vector<std::string>{
                  "In take.txt, 2 lines, the first line 4, overlapped or came before the one "
                  "above; the intervals "
                  "were sorted and joined.",
                  "In take.txt, line 6 marked a point, not an interval, and was skipped.",
                  "In take.txt, 2 lines, the first line 7, went past the recording's end (10 s) "
                  "and was cut there."}));
}

TEST(LabelFiles, BadFilesAreRefusedNamingTheLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1\t2\tok\n3\n",
         "Line 2 of bad.txt has no end time (a label is start, tab, end, tab, text)."},
        {"one\t2\tx\n", "Line 1 of bad.txt starts with \"one\", which is not a time in seconds."},
        {"1\t2\n\\ f\n4\tnan\tx\n",
         "Line 3 of bad.txt ends at \"nan\", which is not a time in seconds."},
        {"-1\t2\tx\n", "Line 1 of bad.txt starts before the recording does (-1 s)."},
        {"5\t2\tx\n", "Line 1 of bad.txt ends before it starts."},
        {std::string("RIFF\x10\0\0\0WAVEfmt \t", 17),
         "Line 1 of bad.txt starts with \"RIFF?\?\?\?WAVEfmt \", which is not a time in seconds."},
    };
    for (const auto& [text, message] : cases) {
        const quelvo::LabelReading r = parseLabels(text, 100, "bad.txt");
        EXPECT_EQ(r.status.message(), message);
        EXPECT_TRUE(r.intervals.empty());
    }
    quelvo::test::TempDir dir;
    const quelvo::LabelReading missing = quelvo::readLabelFile((dir / "none.txt").string(), 0);
    EXPECT_EQ(missing.status.message(), "Cannot read the label file " +
                                            (dir / "none.txt").string() +
                                            ": No such file or directory.");
    const quelvo::LabelReading folder = quelvo::readLabelFile(dir.path().string(), 0);
    EXPECT_FALSE(folder.status);
}

TEST(SpeechCorrections, EditsJoinAndUndoRedoAndRevert) {
    const ClusterList detected = {{1, 2}, {4, 5}, {8, 9}};
    SpeechCorrections c;
    EXPECT_FALSE(c.corrected());
    EXPECT_EQ(&c.intervals(detected), &detected);
    EXPECT_FALSE(c.remove(detected, 3)); // no such interval: nothing recorded
    EXPECT_FALSE(c.canUndo());

    EXPECT_TRUE(c.remove(detected, 1));
    EXPECT_EQ(c.intervals(detected), (ClusterList{{1, 2}, {8, 9}}));
    EXPECT_TRUE(c.add(detected, {2, 3})); // touching: joined
    EXPECT_EQ(c.intervals(detected), (ClusterList{{1, 3}, {8, 9}}));
    EXPECT_FALSE(c.add(detected, {5, 5}));
    EXPECT_TRUE(
        c.moveEdge(detected, 1, SpeechCorrections::Edge::start, 2.5, 10)); // reaches the first
    EXPECT_EQ(c.intervals(detected), (ClusterList{{1, 9}}));
    EXPECT_TRUE(
        c.moveEdge(detected, 0, SpeechCorrections::Edge::end, 50, 10)); // kept inside the recording
    EXPECT_EQ(c.intervals(detected), (ClusterList{{1, 10}}));
    EXPECT_TRUE(c.moveEdge(detected, 0, SpeechCorrections::Edge::start, 11,
                           10)); // never past its other edge
    ASSERT_EQ(c.intervals(detected).size(), 1u);
    EXPECT_LT(c.intervals(detected)[0].start, 10);

    EXPECT_TRUE(c.undo());
    EXPECT_TRUE(c.undo());
    EXPECT_EQ(c.intervals(detected), (ClusterList{{1, 9}}));
    EXPECT_TRUE(c.redo());
    EXPECT_EQ(c.intervals(detected), (ClusterList{{1, 10}}));
    EXPECT_TRUE(c.revert());
    EXPECT_FALSE(c.corrected());
    EXPECT_FALSE(c.canRedo());
    EXPECT_TRUE(c.undo());
    EXPECT_TRUE(c.corrected());

    // An import that equals the detection leaves nothing corrected.
    EXPECT_TRUE(c.replace(detected, {{8, 9}, {4, 5}, {1, 2}}));
    EXPECT_FALSE(c.corrected());
    EXPECT_TRUE(c.replace(detected, {{3, 6}, {0, 1}, {5, 7}}));
    EXPECT_EQ(c.intervals(detected), (ClusterList{{0, 1}, {3, 7}}));
    c.clear();
    EXPECT_FALSE(c.corrected() || c.canUndo() || c.canRedo());
}

// Several microphones: the music ducks while anyone speaks, and the gaps are
// closed on the union (two speakers answering each other quickly keep the
// music down between them) but never inside one file's own list first.
TEST(SpeechUnion, JoinsEveryFilesSpeechAndClosesGapsOnTheUnion) {
    const ClusterList host = {{1.0, 2.0}, {5.0, 6.0}};
    const ClusterList guest = {{1.5, 3.0}, {6.4, 7.0}, {10.0, 11.0}};
    EXPECT_EQ(quelvo::uniteSpeech({host}), host);
    EXPECT_EQ(quelvo::uniteSpeech({host, guest}),
              (ClusterList{{1.0, 3.0}, {5.0, 6.0}, {6.4, 7.0}, {10.0, 11.0}}));
    quelvo::EnvelopeTiming rolls;
    rolls.postFadeOut = 0.3;
    rolls.preFadeIn = 0.3; // gaps under 0.6 s close
    EXPECT_EQ(quelvo::duckedSpeech({host, guest}, rolls),
              (ClusterList{{1.0, 3.0}, {5.0, 7.0}, {10.0, 11.0}}));
}
