#include "preview/preview_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/services.h"
#include "media/frame_peaks.h"

namespace quelvo::preview {

namespace {

constexpr double kRulerHeight = 24;
constexpr double kLaneGap = 8;
// A labelled tick at least this far from the next, so labels never touch.
constexpr double kLabelSpacing = 110;

double tickStep(double secondsPerPixel) {
    static const double steps[] = {1.0 / kRulerFps,
                                   2.0 / kRulerFps,
                                   5.0 / kRulerFps,
                                   10.0 / kRulerFps,
                                   0.5,
                                   1,
                                   2,
                                   5,
                                   10,
                                   15,
                                   30,
                                   60,
                                   120,
                                   300,
                                   600,
                                   900,
                                   1800,
                                   3600,
                                   7200};
    for (double s : steps)
        if (s / secondsPerPixel >= kLabelSpacing) return s;
    return steps[std::size(steps) - 1];
}

// A quiet recording would be a flat line at full scale: each lane is drawn
// to its own peak, but never magnified past 60 dB (noise is not a signal).
constexpr double kMaxWaveformGain = 1000;
constexpr double kNearFullScale = 0.891; // -1 dBFS

void waveform(const LevelTrack* track, const Viewport& view, const Box& lane,
              std::vector<Column>& out) {
    if (!track) return;
    const double mid = lane.y + lane.h / 2;
    const double half = lane.h / 2 - 1;
    const double gain = waveformGain(track);
    const int columns = static_cast<int>(std::ceil(view.width));
    out.reserve(columns);
    for (int i = 0; i < columns; ++i) {
        const double t0 = view.start + i * view.secondsPerPixel;
        const double t1 = t0 + view.secondsPerPixel;
        if (t1 <= 0 || t0 >= track->duration()) continue;
        const auto first = static_cast<int64_t>(std::floor(t0 * quelvo::kLevelFramesPerSecond));
        const auto last = std::max(
            first + 1, static_cast<int64_t>(std::ceil(t1 * quelvo::kLevelFramesPerSecond)));
        const double peak = std::min(1.0, gain * track->peakOver(first, last));
        // Even silence shows as a hairline, so the file's extent stays visible.
        const double h = std::max(0.5, peak * half);
        out.push_back({static_cast<double>(i), mid - h, mid + h});
    }
}

// Time spans as boxes over a lane, cut to the view.
template <typename Spans, typename StartEnd>
void spans(const Spans& items, StartEnd startEnd, const Viewport& view, const Box& lane,
           std::vector<Box>& out) {
    for (const auto& item : items) {
        const auto [s, e] = startEnd(item);
        const double x0 = std::max(0.0, xForTime(view, s));
        const double x1 = std::min(view.width, xForTime(view, e));
        if (x1 <= x0) continue;
        out.push_back({x0, lane.y, x1 - x0, lane.h});
    }
}

// Room for `text` in labels `height` high: about 0.6 of the height a
// character, which is wider than the usual sans-serif's digits and letters.
Label label(double x, double y, double height, std::string text, bool alignRight = false) {
    const double w = 0.6 * height * static_cast<double>(text.size()) + 4;
    return {{alignRight ? x - w : x, y, w, height}, std::move(text), alignRight};
}

std::string peakCaption(const char* lane, const LevelTrack* track) {
    if (!track) return lane;
    const double gain = waveformGain(track);
    if (gain == 1) return lane;
    char text[96];
    std::snprintf(text, sizeof text, "%s, drawn to its peak of %.0f dBFS", lane,
                  -20 * std::log10(gain));
    return text;
}

} // namespace

double waveformGain(const LevelTrack* track) {
    if (!track) return 1;
    const double peak = track->peakOver(0, static_cast<int64_t>(track->peaks().size()));
    // Within a decibel of full scale a lane is drawn as it is.
    if (!(peak > 0) || peak >= kNearFullScale) return 1;
    return std::min(kMaxWaveformGain, 1 / peak);
}

double minimumPreviewHeight(double labelHeight) {
    return kRulerHeight + kLaneGap + 2 * (6 * labelHeight + 2);
}

Viewport fitViewport(double duration, double width, double height) {
    Viewport view;
    view.width = width;
    view.height = height;
    view.secondsPerPixel = std::max(kFinestSecondsPerPixel, duration / std::max(1.0, width));
    return view;
}

double xForTime(const Viewport& view, double seconds) {
    return (seconds - view.start) / view.secondsPerPixel;
}
double timeForX(const Viewport& view, double x) {
    return view.start + x * view.secondsPerPixel;
}

double yForDb(const Box& lane, double db) {
    const double clamped = std::clamp(db, kBottomDb, kTopDb);
    return lane.y + lane.h * (kTopDb - clamped) / (kTopDb - kBottomDb);
}

double dbForY(const Box& lane, double y) {
    return kTopDb - (y - lane.y) / lane.h * (kTopDb - kBottomDb);
}

std::string timecodeText(double seconds) {
    return quelvo::Timecode::withFrames(seconds, kRulerFps);
}

namespace {

// Several dialogue files: the union row, one lane a microphone, then the
// music, which keeps half the height for its dB scale.
void layoutMicrophones(const PreviewScene& scene, const Viewport& view, PreviewPicture& p) {
    const auto count = static_cast<double>(scene.microphones.size());
    const double unionHeight = 2 * view.labelHeight + 4;
    const double rest = view.height - kRulerHeight - unionHeight - kLaneGap * (count + 1);
    const double musicHeight = std::max(10.0, rest / 2);
    const double laneHeight = std::max(10.0, (rest - musicHeight) / count);
    double y = kRulerHeight;
    p.dialogueLane = {0, y, view.width, unionHeight};
    y += unionHeight + kLaneGap;
    for (const MicrophoneLane& lane : scene.microphones) {
        MicrophonePicture mic;
        mic.lane = {0, y, view.width, laneHeight};
        waveform(lane.track.get(), view, mic.lane, mic.wave);
        spans(
            lane.speech, [](const quelvo::Cluster& c) { return std::pair(c.start, c.end); }, view,
            mic.lane, mic.speech);
        mic.caption =
            label(4, y + 1, view.labelHeight, peakCaption(lane.name.c_str(), lane.track.get()));
        p.microphones.push_back(std::move(mic));
        y += laneHeight + kLaneGap;
    }
    p.musicLane = {0, y, view.width, musicHeight};
}

} // namespace

PreviewPicture layoutPreview(const PreviewScene& scene, const Viewport& view) {
    PreviewPicture p;
    p.width = view.width;
    p.height = view.height;
    p.ruler = {0, 0, view.width, kRulerHeight};
    const double laneHeight = std::max(10.0, (view.height - kRulerHeight - kLaneGap) / 2);
    p.dialogueLane = {0, kRulerHeight, view.width, laneHeight};
    p.musicLane = {0, kRulerHeight + laneHeight + kLaneGap, view.width, laneHeight};
    if (!scene.microphones.empty()) layoutMicrophones(scene, view, p);

    const double step = tickStep(view.secondsPerPixel);
    const double minor = step / 5;
    const double end = timeForX(view, view.width);
    for (auto k = static_cast<long long>(std::floor(std::max(0.0, view.start) / minor));
         k * minor <= end; ++k) {
        const double t = k * minor;
        const bool major = k % 5 == 0;
        p.ticks.push_back({xForTime(view, t), major ? timecodeText(t) : std::string()});
    }

    if (scene.microphones.empty())
        waveform(scene.dialogue.get(), view, p.dialogueLane, p.dialogueWave);
    waveform(scene.music.get(), view, p.musicLane, p.musicWave);
    spans(
        scene.speech, [](const quelvo::Cluster& c) { return std::pair(c.start, c.end); }, view,
        p.dialogueLane, p.speech);
    spans(
        scene.fillers,
        [](const mix::FillerClip& f) { return std::pair(f.offset, f.offset + f.duration); }, view,
        p.musicLane, p.fillers);

    // 0 dB first, then the rest as room allows: in a short lane the labels
    // would otherwise sit on top of each other. Each label sits just above
    // its line, inside the lane; the top line (+12 dB) is the lane's edge and
    // has none. From minimumPreviewHeight up all four show.
    const double lh = view.labelHeight;
    for (double db : {0.0, -12.0, -24.0, -48.0}) {
        const double y = yForDb(p.musicLane, db);
        const double top = std::max(p.musicLane.y, y - lh);
        const bool crowded =
            std::any_of(p.dbGrid.begin(), p.dbGrid.end(), [&](const GridLine& line) {
                return top < line.label.plate.y + line.label.plate.h &&
                       line.label.plate.y < top + lh;
            });
        if (!crowded)
            p.dbGrid.push_back({y, label(view.width - 4, top, lh,
                                         std::to_string(static_cast<int>(db)) + " dB", true)});
    }
    std::sort(p.dbGrid.begin(), p.dbGrid.end(),
              [](const GridLine& a, const GridLine& b) { return a.y < b.y; });

    p.dialogueCaption =
        scene.microphones.empty()
            ? label(4, p.dialogueLane.y + 1, lh, peakCaption("Dialogue", scene.dialogue.get()))
            : label(4, p.dialogueLane.y + 1, lh,
                    "Speech of all microphones (the music ducks under it)");
    p.musicCaption = label(4, p.musicLane.y + 1, lh, peakCaption("Music", scene.music.get()));
    if (!p.fillers.empty()) {
        const double bottom = p.musicLane.y + p.musicLane.h - 2;
        p.fillerSwatch = {6, bottom - lh + 3, lh - 6, lh - 6};
        p.fillerLegend = label(6 + lh, bottom - lh, lh, "Filler clips");
    }

    const mix::GainEnvelope envelope = scene.envelope();
    const double t0 = view.start, t1 = end;
    p.envelope.push_back({0, yForDb(p.musicLane, envelope.gainDbAt(t0))});
    for (const auto& k : envelope.keyframes()) {
        if (k.time < t0 || k.time > t1) continue;
        const Point point{xForTime(view, k.time), yForDb(p.musicLane, k.dbValue)};
        p.envelope.push_back(point);
        p.keyframeMarks.push_back(point);
    }
    p.envelope.push_back({view.width, yForDb(p.musicLane, envelope.gainDbAt(t1))});
    return p;
}

} // namespace quelvo::preview
