// The job with several dialogue recordings (one microphone per speaker) of
// different rates and lengths: every file analysed, side by side or not, to
// the same project; the music ducks under the union; the loudness is that
// of their sum; a file that cannot be read is named and nothing is written;
// the render mixes them all.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "job_runner.h"
#include "jobs/render_job.h"
#include "media/audio_file.h"
#include "signal/loudness.h"
#include "speech/speech_clusters.h"
#include "speech/speech_union.h"
#include "support/test_support.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

class Texts : public quelvo::StatusSink {
  public:
    void setStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        texts.push_back(text);
    }
    std::vector<std::string> texts;

  private:
    std::mutex m_mutex;
};

std::vector<std::string> microphones() {
    return {recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav").string(),
            recordingOrStandIn("dialogue/dev08_interview_20db_roomtone_wav16k.wav").string(),
            recordingOrStandIn("dialogue/dev02_pinknoise_wav44k_mono.wav").string()};
}

DuckRequest request(const std::vector<std::string>& dialogue, const std::string& output, int jobs) {
    JobOptions options;
    options.outputPath = output;
    options.parallelism = {jobs, 2.0};
    options.measureLoudness = true;
    DuckRequest r = jobRequest("", recordingOrStandIn("music/dev_music_gaps.wav").string(),
                               recordingOrStandIn("music/dev_music_real.mp3").string(),
                               kEnvelopeTiming, options);
    r.inputs.dialogue = dialogue;
    return r;
}

} // namespace

TEST(MultiDialogueJob, EveryMicrophoneDucksTheMusicAndAnyNumberOfJobsAgrees) {
    TempDir dir;
    const std::vector<std::string> mics = microphones();
    std::vector<DuckOutcome> outcomes;
    for (const int jobs : {1, 2}) {
        Texts status;
        DuckJobContext context;
        context.status = &status;
        FixedFormatAnswer answer(ProjectFormat::fcpxml19);
        const std::string output = (dir / ("three" + std::to_string(jobs) + ".fcpxml")).string();
        outcomes.push_back(duckAudioFiles(request(mics, output, jobs), answer, context));
        const DuckOutcome& o = outcomes.back();
        ASSERT_TRUE(o.success) << o.message;
        EXPECT_VALID_FCPXML(readFile(output), "1.9");
        EXPECT_NE(std::find(status.texts.begin(), status.texts.end(),
                            // append, not +: GCC 12 warns falsely on that + (-Warray-bounds)
                            std::string(kStageAnalyzing).append(" (3 of 3 recordings done)")),
                  status.texts.end());
    }
    const DuckOutcome& o = outcomes.front();
    EXPECT_EQ(outcomes[1].project, o.project);
    ASSERT_EQ(o.project.dialogue.size(), 3u);

    // The union of each file's own speech, gaps closed once.
    std::vector<quelvo::ClusterList> perFile;
    double longest = 0;
    for (const std::string& mic : mics) {
        perFile.push_back(analyzeDialogue(mic, kEnvelopeTiming).clusters);
        longest = std::max(longest, quelvo::probeAudioFile(mic).duration);
    }
    EXPECT_EQ(o.project.speech, duckedSpeech(perFile, kEnvelopeTiming));
    // The second microphone speaks after the first one's file has ended.
    ASSERT_FALSE(o.project.speech.empty());
    EXPECT_GT(o.project.speech.back().end, quelvo::probeAudioFile(mics[0]).duration);
    EXPECT_NEAR(o.project.duration,
                std::max({longest, o.project.music.source.facts.duration,
                          o.project.filler->source.facts.duration}),
                0.05);
    // The summary's dialogue loudness is that of the three summed.
    const quelvo::IntervalLoudness summed = quelvo::measureIntervalLoudness(mics, o.project.speech);
    ASSERT_TRUE(o.dialogueLoudness && summed.together);
    EXPECT_DOUBLE_EQ(*o.dialogueLoudness, *summed.together);
    EXPECT_NE(*o.dialogueLoudness,
              *quelvo::measureIntervalLoudness(mics.front(), o.project.speech).together);
}

TEST(MultiDialogueJob, AnUnreadableMicrophoneIsNamedAndNothingIsWritten) {
    TempDir dir;
    std::vector<std::string> mics = microphones();
    mics[2] = (dir / "third.wav").string();
    writeFile(mics[2], "RIFF this is no recording");
    const std::string output = (dir / "never.fcpxml").string();
    FixedFormatAnswer answer(ProjectFormat::fcpxml19);
    const DuckOutcome o = duckAudioFiles(request(mics, output, 2), answer);
    EXPECT_FALSE(o.success);
    EXPECT_EQ(o.message.rfind("Cannot read the dialogue file " + mics[2] + ": ", 0), 0u)
        << o.message;
    EXPECT_EQ(o.unreadablePath, mics[2]);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST(MultiDialogueJob, TheRenderMixesEveryMicrophone) {
    TempDir dir;
    const std::vector<std::string> mics = microphones();
    RenderJobRequest r;
    r.dialoguePath = mics[0];
    r.musicPath = recordingOrStandIn("music/dev_music_gaps.wav").string();
    r.rolls = kEnvelopeTiming;
    r.outputPath = (dir / "one_mix.wav").string();
    const RenderJobOutcome one = renderDuckedMix(r, nullptr);
    ASSERT_TRUE(one.success) << one.message;
    r.moreDialogue = {mics[1], mics[2]};
    r.outputPath = (dir / "three_mix.wav").string();
    ASSERT_FALSE(namesAnInput(r, dir / "x.wav"));
    EXPECT_TRUE(namesAnInput(r, mics[2]));
    const RenderJobOutcome three = renderDuckedMix(r, nullptr);
    ASSERT_TRUE(three.success) << three.message;
    // At the first file's format and as long as the longest input (the
    // second microphone outlasts the first and the music).
    EXPECT_EQ(three.render.sampleRate, one.render.sampleRate);
    EXPECT_NEAR(three.render.seconds, quelvo::probeAudioFile(mics[1]).duration, 0.05);
    EXPECT_GT(three.render.seconds, one.render.seconds + 1.0);
    EXPECT_EQ(three.job.project.dialogue.size(), 3u);
}
