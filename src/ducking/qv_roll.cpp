#include "ducking/qv_roll.h"

#include <mutex>

#include "platform/toolkit/prefs.h"

namespace quelvo {

QVRoll rollsFromStoredSettings() {
    using kykit::prefs_getValueDouble;
    const double attackWindow = prefs_getValueDouble(kAttackWindowKey, kDefaultAttackWindow);
    const double attackPreRoll = prefs_getValueDouble(kAttackPreRollKey, kDefaultAttackPreRoll);
    const double releasePreRoll = prefs_getValueDouble(kReleasePreRollKey, kDefaultReleasePreRoll);
    const double releaseWindow = prefs_getValueDouble(kReleaseWindowKey, kDefaultReleaseWindow);
    const double threshold = prefs_getValueDouble(kThresholdKey, kDefaultThreshold);
    return QVRoll{attackPreRoll, attackWindow - attackPreRoll, releasePreRoll,
                  releaseWindow - releasePreRoll, threshold, storedDetectionMode()};
}

QVRoll& currentRolls() {
    static std::once_flag once;
    static QVRoll rolls;
    std::call_once(once, [] { rolls = rollsFromStoredSettings(); });
    return rolls;
}

void applyAttackWindow(QVRoll& rolls, double attackWindow) {
    rolls.postFadeIn = attackWindow - rolls.preFadeIn;
}
void applyReleaseWindow(QVRoll& rolls, double releaseWindow) {
    rolls.postFadeOut = releaseWindow - rolls.preFadeOut;
}
void applyAttackPreRoll(QVRoll& rolls, double attackPreRoll) { rolls.preFadeIn = attackPreRoll; }
void applyReleasePreRoll(QVRoll& rolls, double releasePreRoll) {
    rolls.preFadeOut = releasePreRoll;
}
void applyThreshold(QVRoll& rolls, double threshold) { rolls.threshold = threshold; }
void applyDetection(QVRoll& rolls, DetectionMode detection) { rolls.detection = detection; }

} // namespace quelvo
