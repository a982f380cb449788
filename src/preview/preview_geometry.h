#pragma once
// What the preview draws where, in pixels, for one scene and one view. The
// Qt painter and the SVG writer both only copy these shapes onto their
// surface, so the desktop picture and `--plot` cannot disagree.
#include <string>
#include <vector>

#include "preview/preview_model.h"

namespace quelvo::preview {

// The project's frame rate, which the ruler counts in.
inline constexpr int kRulerFps = 30;
// The finest zoom: one 10 ms level per pixel.
inline constexpr double kFinestSecondsPerPixel = 0.01;

// The visible time span: `start` seconds at x = 0 and `secondsPerPixel`.
struct Viewport {
    double start = 0;
    double secondsPerPixel = 0.01;
    double width = 800, height = 320;
};

// A view that shows `duration` whole in `width` pixels.
Viewport fitViewport(double duration, double width, double height);
double xForTime(const Viewport& view, double seconds);
double timeForX(const Viewport& view, double x);

struct Box {
    double x = 0, y = 0, w = 0, h = 0;
};
struct Point {
    double x = 0, y = 0;
};
// One pixel column of a waveform: the band from top to bottom.
struct Column {
    double x = 0, top = 0, bottom = 0;
};
struct Tick {
    double x = 0;
    std::string label;  // empty on minor ticks
};
struct GridLine {
    double y = 0;
    std::string label;
};

struct PreviewPicture {
    double width = 0, height = 0;
    Box ruler, dialogueLane, musicLane;
    std::vector<Tick> ticks;
    std::vector<Column> dialogueWave, musicWave;
    std::vector<Box> speech;   // in the dialogue lane
    std::vector<Box> fillers;  // in the music lane
    std::vector<GridLine> dbGrid;
    // The envelope: the gain at the left edge, every keyframe in time order,
    // the gain at the right edge. Straight lines between them are the curve
    // exactly, as gains are linear in dB between keyframes.
    std::vector<Point> envelope;
    std::vector<Point> keyframeMarks;  // the keyframes among those points
};

// The dB scale of the music lane: +12 dB at its top, -60 dB and below
// (down to the project's silence at -96 dB) at its bottom.
inline constexpr double kTopDb = 12, kBottomDb = -60;
double yForDb(const Box& lane, double db);
double dbForY(const Box& lane, double y);

PreviewPicture layoutPreview(const PreviewScene& scene, const Viewport& view);

// hh:mm:ss.ff, ff in frames of kRulerFps.
std::string timecodeText(double seconds);

} // namespace quelvo::preview
