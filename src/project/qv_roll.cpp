#include "project/qv_roll.h"

#include <mutex>

namespace quelvo {

QVRoll rollsFromStoredSettings() {
    const double attackWindow = storedNumber(settings::kAttackWindow);
    const double attackPreRoll = storedNumber(settings::kAttackPreRoll);
    const double releasePreRoll = storedNumber(settings::kReleasePreRoll);
    const double releaseWindow = storedNumber(settings::kReleaseWindow);
    const double threshold = storedNumber(settings::kThreshold);
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
