// A cancelled job writes nothing and says so: stopped before it starts,
// in the middle of its analysis (the decoding itself stops), while the
// format question is open, or when the question closes with no answer.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "base/task_runner.h"
#include "job_runner.h"
#include "jobs/duck_job.h"
#include "media/audio_file.h"
#include "media/audio_reader.h"
#include "support/test_support.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

// Cancels the job the moment it shows the given stage, on the job's thread.
class CancelAtStage : public quelvo::StatusSink {
  public:
    CancelAtStage(CancelToken token, std::string stage)
        : m_token(std::move(token)), m_stage(std::move(stage)) {}
    void setStatus(const std::string& text) override {
        if (text == m_stage) m_token.cancel();
    }

  private:
    CancelToken m_token;
    std::string m_stage;
};

// Cancels, then answers 1.9: the answer must not bring the writing back.
class CancelThenAnswer : public FormatQuestion {
  public:
    explicit CancelThenAnswer(CancelToken token) : m_token(std::move(token)) {}
    void ask(std::optional<ProjectFormat>, Callback callback) override {
        m_token.cancel();
        callback(ProjectFormat::fcpxml19);
    }

  private:
    CancelToken m_token;
};

// Closes the question without an answer: the callback is dropped unanswered.
class DropTheQuestion : public FormatQuestion {
  public:
    void ask(std::optional<ProjectFormat>, Callback) override {}
};

class CancelJob : public ::testing::Test {
  protected:
    void SetUp() override {
        // Five minutes: long enough that a finished analysis would show.
        m_talk = (m_dir / "talk.wav").string();
        m_bed = (m_dir / "bed.wav").string();
        ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", m_talk, "synth",
                              "300", "sine", "300"})
                      .exitCode,
                  0);
        ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "2", m_bed, "synth", "300",
                              "sine", "220"})
                      .exitCode,
                  0);
    }
    void expectCancelledAndNothingWritten(const DuckOutcome& out) {
        EXPECT_TRUE(out.cancelled) << out.message;
        EXPECT_FALSE(out.success);
        EXPECT_FALSE(fs::exists(m_dir / "talk.fcpxml"));
        size_t entries = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir.path()))
            ++entries;
        EXPECT_EQ(entries, 2u) << "only the two recordings";
    }
    TempDir m_dir;
    std::string m_talk, m_bed;
};

} // namespace

TEST_F(CancelJob, MidAnalysisTheDecodingStopsAndNothingIsWritten) {
    for (const DetectionMode mode : {DetectionMode::threshold, DetectionMode::automatic}) {
        CancelToken token;
        CancelAtStage status(token, kStageAnalyzing);
        EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
        rolls.detection = mode;
        JobOptions options;
        options.cancel = token;
        quelvo::FixedVersionSheet sheet(quelvo::FcpxmlVersion::v1_9);
        const auto started = std::chrono::steady_clock::now();
        const DuckOutcome out = runJob(m_talk, m_bed, "", rolls, &status, sheet, options);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        expectCancelledAndNothingWritten(out);
        EXPECT_EQ(out.message, "The job was cancelled.");
        // Not a promise of speed: only that five minutes were not decoded.
        EXPECT_LT(seconds, 2.0) << "the analysis ran to its end";
    }
}

TEST_F(CancelJob, BeforeItStartsOrDuringTheQuestionNothingIsWritten) {
    CancelToken early;
    early.cancel();
    JobOptions options;
    options.cancel = early;
    quelvo::FixedVersionSheet sheet(quelvo::FcpxmlVersion::v1_9);
    expectCancelledAndNothingWritten(runJob(
        m_talk, m_bed, "", EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24}, nullptr, sheet, options));

    CancelToken late;
    DuckJobContext context;
    context.cancel = late;
    CancelThenAnswer question(late);
    expectCancelledAndNothingWritten(duckAudioFiles(
        jobRequest(m_talk, m_bed, "", EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24}), question, context));

    // A question closed with no answer ends the job as cancelled instead of
    // leaving it waiting for ever.
    DropTheQuestion dropped;
    expectCancelledAndNothingWritten(
        duckAudioFiles(jobRequest(m_talk, m_bed, "", EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24}),
                       dropped, DuckJobContext{}));
}

// Tells once when the job reaches a stage.
class StageReached : public quelvo::StatusSink {
  public:
    explicit StageReached(std::string stage) : m_stage(std::move(stage)) {}
    void setStatus(const std::string& text) override {
        if (text == m_stage && !m_told.exchange(true)) m_reached.set_value();
    }
    std::future<void> reached() { return m_reached.get_future(); }

  private:
    std::string m_stage;
    std::atomic<bool> m_told{false};
    std::promise<void> m_reached;
};

// Run as a task, as the desktop runs it: cancelling the task stops the job
// mid-analysis through a token that follows the task's flag.
TEST_F(CancelJob, CancellingItsTaskStopsTheJobThroughAFollowingToken) {
    StageReached status(kStageAnalyzing);
    std::future<void> analysing = status.reached();
    DuckOutcome out;
    TaskRunner runner;
    TaskHandle<TaskDone> task = runner.start(
        TaskRequest<TaskDone>("duck", [&](TaskControl& control) -> TaskReturn<TaskDone> {
            DuckJobContext context;
            context.status = &status;
            context.cancel = CancelToken::following(control.cancelFlag());
            quelvo::FixedVersionSheet sheet(quelvo::FcpxmlVersion::v1_9);
            VersionSheetQuestion question(sheet);
            out = duckAudioFiles(
                jobRequest(m_talk, m_bed, "", EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24}), question,
                context);
            return TaskDone{};
        }));
    ASSERT_EQ(std::future_status::ready, analysing.wait_for(std::chrono::seconds(60)));
    task.cancel();
    EXPECT_EQ(TaskState::cancelled, task.wait().state);
    expectCancelledAndNothingWritten(out);

    // Only the flag's owner stops a following token.
    std::atomic<bool> flag{false};
    const CancelToken following = CancelToken::following(&flag);
    following.cancel();
    EXPECT_FALSE(following.cancelled());
    flag = true;
    EXPECT_TRUE(following.cancelled());
    EXPECT_EQ(&flag, following.flag());
}

TEST(CancelAnalysis, AStoppedDecodeFailsWithTheCancelledReason) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    const std::string talk = recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav").string();
    std::atomic<bool> stop{true};
    quelvo::Parallelism parallelism;
    parallelism.stop = &stop;
    const quelvo::LevelAnalysis levels =
        quelvo::analyzeLevels(talk, quelvo::LevelParameters{}, parallelism);
    EXPECT_FALSE(levels.status);
    EXPECT_EQ(levels.status.message(), quelvo::kCancelledReason);
}
