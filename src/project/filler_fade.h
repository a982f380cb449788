#pragma once
// The shape of a filler clip's fade-out: full level, then an eased fall to
// silence over its last kFillerFadeSeconds. The mix plays it sample by
// sample and the project description samples it into keyframes for editors
// that only draw straight lines, so both come from this one curve.
namespace quelvo {

// A filler clip's own gain `intoClip` seconds after its start, for a clip of
// `clipSeconds`: 1, then the fade to 0 (a clip shorter than the fade fades
// over its whole length).
double fillerFadeGain(double clipSeconds, double intoClip);

} // namespace quelvo
