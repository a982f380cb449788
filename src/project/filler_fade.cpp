#include "project/filler_fade.h"

#include <algorithm>

#include "project/project_description.h"

namespace quelvo {

double fillerFadeGain(double clipSeconds, double intoClip) {
    const double fade = std::min(kFillerFadeSeconds, clipSeconds);
    const double fadeStart = clipSeconds - fade;
    if (intoClip <= fadeStart || fade <= 0) return 1.0;
    const double u = std::clamp((intoClip - fadeStart) / fade, 0.0, 1.0);
    // Eased in: the fade starts gently and falls fastest at its end.
    return 1.0 - u * u;
}

} // namespace quelvo
