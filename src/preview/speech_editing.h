#pragma once
// Where a pointer is among the speech bands of the dialogue lane, for the
// preview's corrections: on a band, on one of its edges, or on the lane
// between bands. Pixels in, indices and seconds out; no Qt.
#include "base/cluster.h"
#include "preview/preview_geometry.h"

namespace quelvo::preview {

// How near (pixels) an edge must be to be taken rather than the band.
inline constexpr double kEdgeGrab = 4;

struct SpeechHit {
    enum class Part { none, band, startEdge, endEdge };
    bool inLane = false; // on the dialogue lane at all
    Part part = Part::none;
    int index = -1; // the interval, when part is not none
};

SpeechHit hitSpeech(const quelvo::ClusterList& speech, const Viewport& view, double x, double y);

// The time an edit puts at pixel x: on the analysis's 10 ms grid (label
// files then read "1.23", not a pixel's odd fraction), inside the recording.
double editTime(const Viewport& view, double x, double duration);

} // namespace quelvo::preview
