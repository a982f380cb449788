// The timing record built from the stored settings and its live updates.
#include <thread>

#include "base/settings_store.h"
#include "project/envelope_timing.h"
#include "support/test_support.h"

using namespace quelvo;
using quelvo::storeDouble;

TEST(Rolls, NothingStoredGivesTheDefaultEnvelope) {
    EXPECT_EQ(envelopeTimingFromSettings(), (EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24.0}));
}

TEST(Rolls, EachWindowIsSplitByItsPreRollWithoutClamping) {
    storeDouble(kAttackWindowKey, 0.2);
    storeDouble(kAttackPreRollKey, 0.5);
    storeDouble(kReleaseWindowKey, 0.4);
    storeDouble(kReleasePreRollKey, 0.4);
    storeDouble(kThresholdKey, -40);
    const EnvelopeTiming r = envelopeTimingFromSettings();
    EXPECT_DOUBLE_EQ(r.preFadeIn, 0.5);
    EXPECT_DOUBLE_EQ(r.postFadeIn, -0.3); // pre-roll larger than the window
    EXPECT_DOUBLE_EQ(r.preFadeOut, 0.4);
    EXPECT_DOUBLE_EQ(r.postFadeOut, 0.0); // window equal to pre-roll
    EXPECT_DOUBLE_EQ(r.threshold, -40);
}

TEST(Rolls, APreRollChangeKeepsThePostFadeUntilItsWindowMovesOrARestart) {
    EnvelopeTiming r{0.3, 0.3, 0.3, 0.7, -24};
    applyAttackPreRoll(r, 0.1);
    EXPECT_DOUBLE_EQ(r.preFadeIn, 0.1);
    EXPECT_DOUBLE_EQ(r.postFadeIn, 0.3);
    applyAttackWindow(r, 0.6);
    EXPECT_DOUBLE_EQ(r.postFadeIn, 0.5);
    applyReleasePreRoll(r, 0.5);
    EXPECT_DOUBLE_EQ(r.postFadeOut, 0.7);
    applyReleaseWindow(r, 1.0);
    EXPECT_DOUBLE_EQ(r.postFadeOut, 0.5);
    applyThreshold(r, -30);
    EXPECT_DOUBLE_EQ(r.threshold, -30);
}

TEST(Rolls, TheCurrentRecordIsBuiltOnceAndSharedAndJobsHoldCopies) {
    EnvelopeTiming* seen[4] = {};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i)
        threads[i] = std::thread([&seen, i] { seen[i] = &currentEnvelopeTiming(); });
    for (auto& t : threads)
        t.join();
    for (auto* p : seen)
        EXPECT_EQ(p, &currentEnvelopeTiming());

    const EnvelopeTiming jobCopy = currentEnvelopeTiming();
    const EnvelopeTiming saved = currentEnvelopeTiming();
    applyThreshold(currentEnvelopeTiming(), jobCopy.threshold - 10);
    EXPECT_EQ(jobCopy, saved);
    // Later stores do not rebuild the record within a run.
    storeDouble(kThresholdKey, -50);
    EXPECT_EQ(currentEnvelopeTiming().threshold, saved.threshold - 10);
    currentEnvelopeTiming() = saved;
}
