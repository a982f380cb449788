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
    // The height of one line of label text (the painter's font).
    double labelHeight = 14;
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
    std::string label; // empty on minor ticks
};
// A text on an opaque plate of the background colour, so it reads the same
// over a waveform as over the empty lane. The plate's width is estimated
// from the number of characters, generously.
struct Label {
    Box plate;
    std::string text;
    bool alignRight = false;
};
struct GridLine {
    double y = 0;
    Label label;
};

// One microphone's lane when the dialogue is several files.
struct MicrophonePicture {
    Box lane;
    std::vector<Column> wave;
    std::vector<Box> speech;
    Label caption;
};

struct PreviewPicture {
    double width = 0, height = 0;
    // With several dialogue files the dialogue lane is the union row: a
    // narrow row of the speech the music ducks under, above their lanes.
    Box ruler, dialogueLane, musicLane;
    std::vector<MicrophonePicture> microphones;
    std::vector<Tick> ticks;
    std::vector<Column> dialogueWave, musicWave;
    std::vector<Box> speech;  // in the dialogue lane
    std::vector<Box> fillers; // in the music lane
    std::vector<GridLine> dbGrid;
    // The envelope: the gain at the left edge, every keyframe in time order,
    // the gain at the right edge. Straight lines between them are the curve
    // exactly, as gains are linear in dB between keyframes.
    std::vector<Point> envelope;
    std::vector<Point> keyframeMarks; // the keyframes among those points
    // Each lane's name and the scale of its waveform; the filler clips' key
    // (its text empty when there are none in view).
    Label dialogueCaption, musicCaption;
    Box fillerSwatch;
    Label fillerLegend;
};

// The dB scale of the music lane: +12 dB at its top, -60 dB and below
// (down to the project's silence at -96 dB) at its bottom.
inline constexpr double kTopDb = 12, kBottomDb = -60;
double yForDb(const Box& lane, double db);
double dbForY(const Box& lane, double y);

PreviewPicture layoutPreview(const PreviewScene& scene, const Viewport& view);

// The least height at which every dB label of the music lane shows without
// touching another: the lanes need six label lines each.
double minimumPreviewHeight(double labelHeight);

// How much a lane's waveform is magnified: the track's own peak reaches the
// lane's full height (1 for silence or a peak within 1 dB of full scale).
double waveformGain(const LevelTrack* track);

// hh:mm:ss:ff at kRulerFps (the toolkit's one timecode format).
std::string timecodeText(double seconds);

} // namespace quelvo::preview
