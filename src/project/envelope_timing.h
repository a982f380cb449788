#pragma once
// The ducking envelope's timing: how long before and after each edge of a
// speech interval the music fades, and how speech is detected (the mode and
// the fixed mode's threshold).
#include "project/duck_settings.h"
#include "speech/detection_mode.h"
#include "speech/speech_settings.h"

namespace quelvo {

// The keys and defaults, from the settings table (duck_settings.h).
inline constexpr const char* kAttackWindowKey = settings::kAttackWindow.key;
inline constexpr const char* kAttackPreRollKey = settings::kAttackPreRoll.key;
inline constexpr const char* kReleasePreRollKey = settings::kReleasePreRoll.key;
inline constexpr const char* kReleaseWindowKey = settings::kReleaseWindow.key;
inline constexpr const char* kThresholdKey = settings::kThreshold.key;

inline constexpr double kDefaultAttackWindow = settings::kAttackWindow.defaultValue;
inline constexpr double kDefaultAttackPreRoll = settings::kAttackPreRoll.defaultValue;
inline constexpr double kDefaultReleasePreRoll = settings::kReleasePreRoll.defaultValue;
inline constexpr double kDefaultReleaseWindow = settings::kReleaseWindow.defaultValue;
inline constexpr double kDefaultThreshold = settings::kThreshold.defaultValue;

// A plain value with no invariants: any field may be zero or negative.
struct EnvelopeTiming {
    double preFadeIn = 0;
    double postFadeIn = 0;
    double preFadeOut = 0;
    double postFadeOut = 0;
    double threshold = 0;
    // Travels with the timings so that a job's copy holds every setting it uses.
    DetectionMode detection = DetectionMode::threshold;
    bool operator==(const EnvelopeTiming&) const = default;
    // Speech detection takes what it needs from the record; the conversion
    // is implicit because every job, preview and command passes the record
    // it holds as it is.
    operator SpeechSettings() const { return {detection, threshold, preFadeIn, postFadeOut}; }
};

// The record as the stored settings give it now (each window split by its
// pre-roll); a stored value outside its range reads as its default.
EnvelopeTiming envelopeTimingFromSettings();

// The process-wide record, built from the stored settings on first use (safe
// against concurrent first use) and live-updated by the preferences window.
// Jobs take a copy.
EnvelopeTiming& currentEnvelopeTiming();

// The preferences window's live updates: a pre-roll change moves where its
// fade begins but keeps the part after the speech edge.
void applyAttackWindow(EnvelopeTiming& rolls, double attackWindow);
void applyReleaseWindow(EnvelopeTiming& rolls, double releaseWindow);
void applyAttackPreRoll(EnvelopeTiming& rolls, double attackPreRoll);
void applyReleasePreRoll(EnvelopeTiming& rolls, double releasePreRoll);
void applyThreshold(EnvelopeTiming& rolls, double threshold);
void applyDetection(EnvelopeTiming& rolls, DetectionMode detection);

} // namespace quelvo
