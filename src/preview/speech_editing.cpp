#include "preview/speech_editing.h"

#include <algorithm>
#include <cmath>

namespace quelvo::preview {

SpeechHit hitSpeech(const quelvo::ClusterList& speech, const Viewport& view, double x, double y) {
    SpeechHit hit;
    const Box lane = layoutPreview(PreviewScene{}, view).dialogueLane;
    hit.inLane = y >= lane.y && y < lane.y + lane.h;
    if (!hit.inLane) return hit;
    // The nearest edge within reach wins over any band, so that the edge
    // between two close bands can still be taken.
    double nearest = kEdgeGrab + 1;
    for (size_t k = 0; k < speech.size(); ++k) {
        const double left = xForTime(view, speech[k].start), right = xForTime(view, speech[k].end);
        if (right < x - kEdgeGrab) continue;
        if (left > x + kEdgeGrab) break;
        const double toLeft = std::fabs(x - left), toRight = std::fabs(x - right);
        if (toLeft <= kEdgeGrab && toLeft < nearest) {
            nearest = toLeft;
            hit.part = SpeechHit::Part::startEdge;
            hit.index = static_cast<int>(k);
        }
        if (toRight <= kEdgeGrab && toRight < nearest) {
            nearest = toRight;
            hit.part = SpeechHit::Part::endEdge;
            hit.index = static_cast<int>(k);
        }
        // A band too narrow to have a middle is taken by its edges alone.
        if (hit.part == SpeechHit::Part::none && x > left && x < right) {
            hit.part = SpeechHit::Part::band;
            hit.index = static_cast<int>(k);
        }
    }
    return hit;
}

double editTime(const Viewport& view, double x, double duration) {
    const double t = std::round(timeForX(view, x) * 100) / 100;
    return std::clamp(t, 0.0, std::max(0.0, duration));
}

} // namespace quelvo::preview
