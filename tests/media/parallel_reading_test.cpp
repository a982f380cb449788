// Segments decoded side by side give what one thread gives: every 10 ms
// peak and every speech feature, bit for bit, on every recording of the
// corpus (WAV, AIFF and MP3 cut into up to four segments; the corpus's M4A
// files are too short for chunks and stream on one thread), and a long AAC
// file gives the same chunks on one thread as on three.
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "media/parallel_reader.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpus() {
    std::vector<fs::path> files;
    for (const char* folder : {"dialogue", "music"})
        for (const auto& entry :
             fs::directory_iterator(quelvo::test::sharedDir() / "testdata" / folder))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

quelvo::Parallelism cut(int jobs) {
    quelvo::Parallelism p;
    p.jobs = jobs;
    p.minSegmentSeconds = 4;
    p.planFirst = true;
    return p;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

void expectSameSummary(const quelvo::DecodeSummary& one, const quelvo::DecodeSummary& many) {
    ASSERT_TRUE(many.status) << many.status.message();
    EXPECT_EQ(one.sampleFrames, many.sampleFrames);
    EXPECT_EQ(one.sampleRate, many.sampleRate);
    EXPECT_EQ(one.channels, many.channels);
}

TEST(ParallelReading, EveryCorpusFileGivesTheOneThreadPeaksAndFeatures) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    int cutFiles = 0;
    for (const fs::path& file : corpus()) {
        SCOPED_TRACE(file.filename().string());
        const quelvo::FileLevels onePeaks =
            quelvo::readFileLevels(file, quelvo::LevelContent::peaks, {});
        const quelvo::FileLevels oneFeatures =
            quelvo::readFileLevels(file, quelvo::LevelContent::speechFeatures, {});
        ASSERT_TRUE(onePeaks.decoded.status);
        for (const int jobs : {2, 4}) {
            SCOPED_TRACE(jobs);
            const quelvo::FileLevels peaks =
                quelvo::readFileLevels(file, quelvo::LevelContent::peaks, cut(jobs));
            expectSameSummary(onePeaks.decoded, peaks.decoded);
            EXPECT_TRUE(sameBits(onePeaks.peaks, peaks.peaks));
            const quelvo::FileLevels features =
                quelvo::readFileLevels(file, quelvo::LevelContent::speechFeatures, cut(jobs));
            expectSameSummary(oneFeatures.decoded, features.decoded);
            EXPECT_TRUE(sameBits(oneFeatures.features.level, features.features.level));
            EXPECT_TRUE(sameBits(oneFeatures.features.voicing, features.features.voicing));
            // A file long enough for two segments must have been cut.
            if (file.extension() == ".m4a") {
                EXPECT_EQ(peaks.segments, 1);
            } else if (onePeaks.decoded.duration >= 2 * 4 + 2) {
                EXPECT_GE(peaks.segments, 2);
                EXPECT_GE(features.segments, 2);
            }
            cutFiles += peaks.segments > 1;
        }
    }
    EXPECT_GT(cutFiles, 10);
}

// As the command line runs it: the first segment decodes while the rest is
// planned and learns where to stop as it goes.
TEST(ParallelReading, APlanMadeWhileDecodingGivesTheOneThreadLevels) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    const fs::path file =
        quelvo::test::sharedDir() / "testdata" / "dialogue" / "dev14_long_conversation_mp3.mp3";
    quelvo::Parallelism asRun;
    asRun.jobs = 3;
    asRun.minSegmentSeconds = 30;
    for (const auto content : {quelvo::LevelContent::peaks, quelvo::LevelContent::speechFeatures}) {
        const quelvo::FileLevels one = quelvo::readFileLevels(file, content, {});
        const quelvo::FileLevels many = quelvo::readFileLevels(file, content, asRun);
        expectSameSummary(one.decoded, many.decoded);
        EXPECT_TRUE(sameBits(one.peaks, many.peaks));
        EXPECT_TRUE(sameBits(one.features.level, many.features.level));
        EXPECT_TRUE(sameBits(one.features.voicing, many.features.voicing));
    }
}

TEST(ParallelReading, ALongAacFileGivesTheSameChunksOnOneThreadAsOnThree) {
    // Synthetic speech: FFmpeg's encoder codes parts of it as noise bands,
    // whose decoded noise depends on the decoder's whole history, so a
    // chunk decoded apart differs from one run from the start (6,000 of
    // these 20,000 frames do); every number of jobs must decode the same
    // chunks.
    quelvo::test::TempDir tmp;
    const std::string speech = (tmp / "speech.wav").string(), file = (tmp / "long.m4a").string();
    ASSERT_EQ(quelvo::test::runProgram(
                  {"/usr/bin/espeak-ng", "-w", speech,
                   "The music goes down while someone speaks, and comes back up in the "
                   "pauses between the sentences."})
                  .exitCode,
              0);
    ASSERT_EQ(quelvo::test::runProgram({"/usr/bin/ffmpeg", "-v", "error", "-stream_loop", "40",
                                        "-i", speech, "-t", "200", "-ac", "2", "-ar", "48000",
                                        "-c:a", "aac", "-b:a", "64k", file})
                  .exitCode,
              0);
    for (const auto content : {quelvo::LevelContent::peaks, quelvo::LevelContent::speechFeatures}) {
        const quelvo::FileLevels one = quelvo::readFileLevels(file, content, {});
        const quelvo::FileLevels three = quelvo::readFileLevels(file, content, cut(3));
        expectSameSummary(one.decoded, three.decoded);
        EXPECT_GE(one.segments, 2);
        EXPECT_EQ(one.segments, three.segments);
        EXPECT_TRUE(sameBits(one.peaks, three.peaks));
        EXPECT_TRUE(sameBits(one.features.level, three.features.level));
        EXPECT_TRUE(sameBits(one.features.voicing, three.features.voicing));
    }
}

} // namespace
