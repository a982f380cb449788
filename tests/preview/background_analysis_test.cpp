// The preview's background analysis: choosing another file stops the running
// analysis and its threads before the next begins, only the latest answer
// arrives, and nothing runs once the runner is gone; the two files are read
// side by side under one rising progress line. Part of the thread
// sanitizer suite, which runs without the desktop program.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include <thread>

#include <gtest/gtest.h>

#include "preview/background_analysis.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace pv = quelvo::preview;

namespace {

struct Answers {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<pv::BackgroundAnalysis::Outcome> outcomes;

    void add(const pv::BackgroundAnalysis::Outcome& o) {
        std::lock_guard lock(mutex);
        outcomes.push_back(o);
        arrived.notify_all();
    }
    bool waitFor(size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(60),
                                [&] { return outcomes.size() >= count; });
    }
};

} // namespace

TEST(BackgroundAnalysis, AnotherFileCancelsTheRunningAnalysisAndItsThread) {
    const std::string longTalk =
        recordingOrStandIn("dialogue/dev14_long_conversation_mp3.mp3").string();
    const std::string shortTalk =
        recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav").string();
    const std::string music = recordingOrStandIn("music/dev_music_gaps.wav").string();

    Answers answers;
    {
        pv::BackgroundAnalysis runner(
            nullptr, [&](const pv::BackgroundAnalysis::Outcome& o) { answers.add(o); });
        // Two threads at most: the dialogue's beside the music's.
        runner.start(longTalk, music);
        EXPECT_LE(pv::BackgroundAnalysis::liveThreads(), 2);
        const unsigned second = runner.start(shortTalk, music);
        // The first one's threads are gone before the second's begin.
        EXPECT_LE(pv::BackgroundAnalysis::liveThreads(), 2);
        ASSERT_TRUE(answers.waitFor(1));
        runner.reap();
        EXPECT_EQ(pv::BackgroundAnalysis::liveThreads(), 0);
        std::lock_guard lock(answers.mutex);
        ASSERT_EQ(answers.outcomes.back().generation, second);
        ASSERT_TRUE(answers.outcomes.back().dialogue);
        EXPECT_NEAR(answers.outcomes.back().dialogue->duration(), 15.88, 0.01);
        EXPECT_TRUE(answers.outcomes.back().problem.empty());
        // A cancelled analysis says nothing at all.
        for (const auto& o : answers.outcomes)
            EXPECT_EQ(o.generation, second);
    }
    {
        // A kept track is reused, a missing file is named, and destroying the
        // runner mid-analysis waits for its thread.
        Answers more;
        pv::BackgroundAnalysis runner(
            nullptr, [&](const pv::BackgroundAnalysis::Outcome& o) { more.add(o); });
        auto kept =
            std::make_shared<const pv::LevelTrack>(std::vector<float>(100, 0.5f), 1.0, 48000);
        runner.start(shortTalk, "/nonexistent/music.wav", kept, nullptr);
        ASSERT_TRUE(more.waitFor(1));
        std::lock_guard lock(more.mutex);
        EXPECT_EQ(more.outcomes[0].dialogue, kept);
        EXPECT_FALSE(more.outcomes[0].music);
        EXPECT_NE(more.outcomes[0].problem.find("music.wav"), std::string::npos);
    }
    {
        // Threshold mode: the picture's answer from levels alone, then a new
        // dialogue track with the same levels and the features.
        Answers staged;
        pv::BackgroundAnalysis runner(
            nullptr, [&](const pv::BackgroundAnalysis::Outcome& o) { staged.add(o); });
        runner.start(shortTalk, music, nullptr, nullptr,
                     pv::BackgroundAnalysis::FeaturesWhen::afterPicture);
        ASSERT_TRUE(staged.waitFor(2));
        runner.reap();
        std::lock_guard lock(staged.mutex);
        ASSERT_EQ(staged.outcomes.size(), 2u);
        const auto& first = staged.outcomes[0];
        const auto& second = staged.outcomes[1];
        ASSERT_TRUE(first.dialogue && second.dialogue);
        EXPECT_TRUE(first.featuresPending);
        EXPECT_EQ(first.dialogue->speechFeatures(), nullptr);
        EXPECT_TRUE(second.featuresMeasured);
        EXPECT_FALSE(second.featuresPending);
        ASSERT_NE(second.dialogue->speechFeatures(), nullptr);
        EXPECT_EQ(second.dialogue->peaks(), first.dialogue->peaks());
        EXPECT_EQ(second.music, first.music);
    }
    {
        pv::BackgroundAnalysis runner(nullptr, nullptr);
        runner.start(longTalk, music);
    }
    EXPECT_EQ(pv::BackgroundAnalysis::liveThreads(), 0);
}

namespace {

// What the progress callback saw: calls that overlapped, shares that went
// back, the largest share and the most analysis threads alive at a call.
struct ProgressLog {
    std::mutex mutex;
    std::condition_variable moved;
    std::atomic<int> inside{0};
    int overlaps = 0, backwards = 0, calls = 0, mostThreads = 0;
    double last = 0;

    void add(double share) {
        if (inside.fetch_add(1) != 0) ++overlaps;
        {
            std::lock_guard lock(mutex);
            ++calls;
            if (share < last) ++backwards;
            last = share;
            mostThreads = std::max(mostThreads, pv::BackgroundAnalysis::liveThreads());
        }
        inside.fetch_sub(1);
        moved.notify_all();
    }
    bool waitPast(double share) {
        std::unique_lock lock(mutex);
        return moved.wait_for(lock, std::chrono::seconds(60), [&] { return last >= share; });
    }
};

} // namespace

TEST(BackgroundAnalysis, BothFilesSideBySideUnderOneProgressLineAndCancelJoinsBoth) {
    const std::string longTalk =
        recordingOrStandIn("dialogue/dev14_long_conversation_mp3.mp3").string();
    const std::string music = recordingOrStandIn("music/dev_music_real.mp3").string();
    {
        ProgressLog log;
        Answers answers;
        pv::BackgroundAnalysis runner(
            [&](unsigned, double share) { log.add(share); },
            [&](const pv::BackgroundAnalysis::Outcome& o) { answers.add(o); });
        runner.start(longTalk, music);
        ASSERT_TRUE(answers.waitFor(1));
        // Joined: what the threads wrote is all there, no lock needed.
        runner.reap();
        EXPECT_EQ(pv::BackgroundAnalysis::liveThreads(), 0);
        ASSERT_EQ(answers.outcomes.size(), 1u);
        EXPECT_TRUE(answers.outcomes[0].dialogue && answers.outcomes[0].music);
        EXPECT_TRUE(answers.outcomes[0].problem.empty()) << answers.outcomes[0].problem;
        // The music is read while the longer dialogue is: two threads.
        EXPECT_EQ(log.mostThreads, 2);
        EXPECT_EQ(log.overlaps, 0);
        EXPECT_EQ(log.backwards, 0);
        EXPECT_GT(log.calls, 20);
        EXPECT_NEAR(log.last, 1.0, 1e-9);
    }
    {
        // Cancelled while both files are being read: both threads are gone
        // when cancel() returns, and nothing more is said.
        ProgressLog log;
        Answers answers;
        pv::BackgroundAnalysis runner(
            [&](unsigned, double share) { log.add(share); },
            [&](const pv::BackgroundAnalysis::Outcome& o) { answers.add(o); });
        runner.start(longTalk, music);
        ASSERT_TRUE(log.waitPast(0.02));
        runner.cancel();
        EXPECT_EQ(pv::BackgroundAnalysis::liveThreads(), 0);
        EXPECT_FALSE(runner.hasThread());
        // Joined: no lock needed to read what the threads wrote.
        const int callsAtCancel = log.calls;
        EXPECT_LT(log.last, 0.9);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::lock_guard lock(log.mutex);
        EXPECT_EQ(log.calls, callsAtCancel);
        EXPECT_TRUE(answers.outcomes.empty());
    }
}
