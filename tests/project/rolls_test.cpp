// The timing record built from the stored settings and its live updates.
#include <thread>

#include "base/prefs.h"
#include "project/qv_roll.h"
#include "support/test_support.h"

using namespace quelvo;
using kykit::prefs_setValueDouble;

TEST(Rolls, NothingStoredGivesTheDefaultEnvelope) {
    EXPECT_EQ(rollsFromStoredSettings(), (QVRoll{0.3, 0.3, 0.3, 0.7, -24.0}));
}

TEST(Rolls, EachWindowIsSplitByItsPreRollWithoutClamping) {
    prefs_setValueDouble(kAttackWindowKey, 0.2);
    prefs_setValueDouble(kAttackPreRollKey, 0.5);
    prefs_setValueDouble(kReleaseWindowKey, 0.4);
    prefs_setValueDouble(kReleasePreRollKey, 0.4);
    prefs_setValueDouble(kThresholdKey, -40);
    const QVRoll r = rollsFromStoredSettings();
    EXPECT_DOUBLE_EQ(r.preFadeIn, 0.5);
    EXPECT_DOUBLE_EQ(r.postFadeIn, -0.3);  // pre-roll larger than the window
    EXPECT_DOUBLE_EQ(r.preFadeOut, 0.4);
    EXPECT_DOUBLE_EQ(r.postFadeOut, 0.0);  // window equal to pre-roll
    EXPECT_DOUBLE_EQ(r.threshold, -40);
}

TEST(Rolls, APreRollChangeKeepsThePostFadeUntilItsWindowMovesOrARestart) {
    QVRoll r{0.3, 0.3, 0.3, 0.7, -24};
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
    QVRoll* seen[4] = {};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i) threads[i] = std::thread([&seen, i] { seen[i] = &currentRolls(); });
    for (auto& t : threads) t.join();
    for (auto* p : seen) EXPECT_EQ(p, &currentRolls());

    const QVRoll jobCopy = currentRolls();
    const QVRoll saved = currentRolls();
    applyThreshold(currentRolls(), jobCopy.threshold - 10);
    EXPECT_EQ(jobCopy, saved);
    // Later stores do not rebuild the record within a run.
    prefs_setValueDouble(kThresholdKey, -50);
    EXPECT_EQ(currentRolls().threshold, saved.threshold - 10);
    currentRolls() = saved;
}
