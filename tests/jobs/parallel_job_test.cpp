// The ducking job with more than one job: the dialogue's and the music's
// analyses (and loudness measurements) run side by side, yet the outcome, the
// project, the stage texts and the failure reported are those of one job, and
// the status is only ever set on the job's own thread.
#include <mutex>
#include <thread>

#include "job_runner.h"
#include "jobs/duck_job.h"
#include "support/test_support.h"

using namespace quelvo;
using namespace quelvo::test;
using Version = quelvo::FcpxmlVersion;

namespace {

class ThreadCheckingStatus : public quelvo::StatusSink {
  public:
    void setStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        texts.push_back(text);
        if (std::this_thread::get_id() != m_owner) ++fromOtherThreads;
    }
    std::vector<std::string> texts;
    int fromOtherThreads = 0;

  private:
    std::mutex m_mutex;
    std::thread::id m_owner = std::this_thread::get_id();
};

struct JobRun {
    DuckOutcome outcome;
    std::string document;
    std::vector<std::string> texts;
};

// Short segments, so that a core splitting files into segments does so here too.
quelvo::Parallelism jobs(int n) {
    return {n, 2.0};
}

} // namespace

TEST(ParallelJob, AnyNumberOfJobsGivesTheOneJobOutcomeAndProject) {
    TempDir dir;
    const std::string dialogue =
        recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav").string();
    const std::string music = recordingOrStandIn("music/dev_music_gaps.wav").string();
    const std::string filler = recordingOrStandIn("music/dev_music_real.mp3").string();
    const auto run = [&](int n, bool fixedDepth) {
        test::JobOptions options;
        options.parallelism = jobs(n);
        options.measureLoudness = true;
        if (!fixedDepth) options.underLU = 12;
        options.outputPath = (dir / ("jobs" + std::to_string(n) + ".fcpxml")).string();
        ThreadCheckingStatus status;
        quelvo::FixedVersionSheet sheet(Version::v1_9);
        JobRun r;
        r.outcome = test::runJob(dialogue, music, filler, kEnvelopeTiming, &status, sheet, options);
        EXPECT_EQ(status.fromOtherThreads, 0) << n << " jobs";
        r.texts = status.texts;
        if (r.outcome.success) r.document = readFile(r.outcome.outputPath);
        return r;
    };
    for (const bool fixedDepth : {true, false}) {
        SCOPED_TRACE(fixedDepth ? "fixed depth" : "depth by loudness");
        const JobRun one = run(1, fixedDepth);
        ASSERT_TRUE(one.outcome.success) << one.outcome.message;
        ASSERT_FALSE(one.outcome.project.music.soundingIntervals.empty());
        for (const int n : {2, 4}) {
            SCOPED_TRACE(std::to_string(n) + " jobs");
            const JobRun many = run(n, fixedDepth);
            ASSERT_TRUE(many.outcome.success) << many.outcome.message;
            EXPECT_EQ(many.outcome.project.speech, one.outcome.project.speech);
            EXPECT_EQ(many.outcome.project.music.soundingIntervals,
                      one.outcome.project.music.soundingIntervals);
            EXPECT_EQ(many.outcome.project.music.keyframes, one.outcome.project.music.keyframes);
            EXPECT_EQ(many.outcome.project.duckedLevels, one.outcome.project.duckedLevels);
            EXPECT_EQ(many.outcome.fillerClips, one.outcome.fillerClips);
            EXPECT_EQ(many.outcome.dialogueLoudness, one.outcome.dialogueLoudness);
            EXPECT_EQ(many.outcome.musicLoudness, one.outcome.musicLoudness);
            EXPECT_EQ(many.outcome.warnings, one.outcome.warnings);
            EXPECT_EQ(many.document, one.document);
            EXPECT_EQ(many.texts, one.texts);
        }
    }
}

TEST(ParallelJob, TheDialoguesFailureIsReportedFirstAsWithOneJob) {
    TempDir dir;
    const fs::path good = dir / "good.wav";
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", good.string(), "synth",
                          "4", "sine", "440", "pad", "0", "2"})
                  .exitCode,
              0);
    // Cut short: the header promises more than there is, found while decoding.
    const std::string whole = readFile(good);
    const std::string cut = (dir / "cut.wav").string(), cutToo = (dir / "cut too.wav").string();
    writeFile(cut, whole.substr(0, whole.size() / 3));
    writeFile(cutToo, whole.substr(0, whole.size() / 3));
    struct Bad {
        std::string dialogue, music, role;
    };
    for (const Bad& bad : {Bad{cut, cutToo, "dialogue"}, Bad{good.string(), cutToo, "music"}}) {
        std::string first;
        for (const int n : {1, 2}) {
            test::JobOptions options;
            options.parallelism = jobs(n);
            quelvo::FixedVersionSheet sheet(Version::v1_9);
            const DuckOutcome out = test::runJob(bad.dialogue, bad.music, good.string(),
                                                 kEnvelopeTiming, nullptr, sheet, options);
            EXPECT_FALSE(out.success);
            EXPECT_EQ(out.unreadableRole, bad.role) << out.message;
            if (n == 1)
                first = out.message;
            else
                EXPECT_EQ(out.message, first);
        }
    }
    EXPECT_FALSE(fs::exists(dir / "good.fcpxml"));
    EXPECT_FALSE(fs::exists(dir / "cut.fcpxml"));
}
