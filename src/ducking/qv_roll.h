#pragma once
// The ducking envelope's timing: how long before and after each edge of a
// speech interval the music fades, and how speech is detected (the mode and
// the fixed mode's threshold).
#include "ducking/detection_mode.h"

namespace quelvo {

inline constexpr const char* kAttackWindowKey = "duck.attackWindow";
inline constexpr const char* kAttackPreRollKey = "duck.attackPreRoll";
inline constexpr const char* kReleasePreRollKey = "duck.releasePreRoll";
inline constexpr const char* kReleaseWindowKey = "duck.releaseWindow";
inline constexpr const char* kThresholdKey = "duck.threshold";

inline constexpr double kDefaultAttackWindow = 0.6;
inline constexpr double kDefaultAttackPreRoll = 0.3;
inline constexpr double kDefaultReleasePreRoll = 0.3;
inline constexpr double kDefaultReleaseWindow = 1.0;
inline constexpr double kDefaultThreshold = -24.0;

// A plain value with no invariants: any field may be zero or negative.
struct QVRoll {
    double preFadeIn = 0;
    double postFadeIn = 0;
    double preFadeOut = 0;
    double postFadeOut = 0;
    double threshold = 0;
    // Travels with the timings so that a job's copy holds every setting it uses.
    DetectionMode detection = DetectionMode::threshold;
    bool operator==(const QVRoll&) const = default;
};

// The record as the stored settings give it now (each window split by its pre-roll).
QVRoll rollsFromStoredSettings();

// The process-wide record, built from the stored settings on first use (safe
// against concurrent first use) and live-updated by the preferences window.
// Jobs take a copy.
QVRoll& currentRolls();

// The preferences window's live updates: a pre-roll change moves where its
// fade begins but keeps the part after the speech edge.
void applyAttackWindow(QVRoll& rolls, double attackWindow);
void applyReleaseWindow(QVRoll& rolls, double releaseWindow);
void applyAttackPreRoll(QVRoll& rolls, double attackPreRoll);
void applyReleasePreRoll(QVRoll& rolls, double releasePreRoll);
void applyThreshold(QVRoll& rolls, double threshold);
void applyDetection(QVRoll& rolls, DetectionMode detection);

} // namespace quelvo
