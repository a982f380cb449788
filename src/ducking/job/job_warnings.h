#pragma once
// What a finished job has to tell although it succeeded. One sentence each,
// built here once so that the command line and the desktop program say the
// same thing.
#include <string>

namespace quelvo {

// "no speech found in talk.wav above -24 dB; lower the speech threshold":
// the dialogue's file name and the threshold the analysis used.
std::string noSpeechWarning(const std::string& dialoguePath, double thresholdDb);

} // namespace quelvo
