#pragma once
// What the FCPXML 1.9 project needs besides its fragments: the two textual
// fixes its text gets, and the name and delay of the hand-over to Final Cut
// Pro (which the job performs; writers never send or write anything).
#include <string>

#include "base/result.h"

namespace quelvo {

// The name the hand-over is made under.
inline constexpr const char* kHandOverAppName = "Quelvo";
// How long after the job the hand-over runs, in seconds.
inline constexpr double kHandOverDelay = 1.0;

// Every "file://file://" becomes "file://", then every "QVAudio" in double
// quotes becomes "FORMAT_QVAudio" (both ignoring case); apostrophe-quoted
// text is left alone.
std::string applyTextualFixes(const std::string& document);

// Hands the document to Final Cut Pro under the name "Quelvo".
Status sendToFinalCutPro(const std::string& xml);

} // namespace quelvo
