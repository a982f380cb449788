#pragma once
// What speech detection needs to know: how speech is found (the mode and the
// fixed mode's level) and how long the music takes to go down before speech
// and to come back after it, which decides the pauses too short to let the
// music back in. The duck's envelope timing (project/envelope_timing.h) gives
// one of these; detection itself knows nothing of envelopes.
#include "speech/detection_mode.h"

namespace quelvo {

struct SpeechSettings {
    DetectionMode detection = DetectionMode::threshold;
    double threshold = 0;  // dBFS: where speech opens in the fixed mode
    double fadeBefore = 0; // seconds the music needs to go down before speech
    double fadeAfter = 0;  // seconds it needs to come back after speech
    bool operator==(const SpeechSettings&) const = default;
};

} // namespace quelvo
