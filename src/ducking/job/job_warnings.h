#pragma once
// What a finished job has to tell although it succeeded. One sentence each,
// built here once so that the command line and the desktop program say the
// same thing.
#include <string>

#include "ducking/detection_mode.h"

namespace quelvo {

// "no speech found in talk.wav above -24 dB; lower the speech threshold or
// use automatic detection": the dialogue's file name and the threshold the
// analysis used. Automatic detection has no threshold to lower; it says so.
std::string noSpeechWarning(const std::string& dialoguePath, double thresholdDb,
                            DetectionMode mode = DetectionMode::threshold);

} // namespace quelvo
