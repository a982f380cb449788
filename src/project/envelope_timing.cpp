#include "project/envelope_timing.h"

#include <mutex>

namespace quelvo {

EnvelopeTiming envelopeTimingFromSettings() {
    const double attackWindow = storedNumber(settings::kAttackWindow);
    const double attackPreRoll = storedNumber(settings::kAttackPreRoll);
    const double releasePreRoll = storedNumber(settings::kReleasePreRoll);
    const double releaseWindow = storedNumber(settings::kReleaseWindow);
    const double threshold = storedNumber(settings::kThreshold);
    return EnvelopeTiming{attackPreRoll,  attackWindow - attackPreRoll,
                          releasePreRoll, releaseWindow - releasePreRoll,
                          threshold,      storedDetectionMode()};
}

EnvelopeTiming& currentEnvelopeTiming() {
    static std::once_flag once;
    static EnvelopeTiming rolls;
    std::call_once(once, [] { rolls = envelopeTimingFromSettings(); });
    return rolls;
}

void applyAttackWindow(EnvelopeTiming& rolls, double attackWindow) {
    rolls.postFadeIn = attackWindow - rolls.preFadeIn;
}
void applyReleaseWindow(EnvelopeTiming& rolls, double releaseWindow) {
    rolls.postFadeOut = releaseWindow - rolls.preFadeOut;
}
void applyAttackPreRoll(EnvelopeTiming& rolls, double attackPreRoll) {
    rolls.preFadeIn = attackPreRoll;
}
void applyReleasePreRoll(EnvelopeTiming& rolls, double releasePreRoll) {
    rolls.preFadeOut = releasePreRoll;
}
void applyThreshold(EnvelopeTiming& rolls, double threshold) {
    rolls.threshold = threshold;
}
void applyDetection(EnvelopeTiming& rolls, DetectionMode detection) {
    rolls.detection = detection;
}

} // namespace quelvo
