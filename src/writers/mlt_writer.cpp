#include "writers/mlt_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "writers/mlt_document.h"
#include "writers/timeline_clock.h"

namespace quelvo {

namespace {

// Shortest text that reads back to the same level.
std::string decibels(double db) {
    if (!std::isfinite(db)) db = db < 0 ? -96 : 0;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, db).ptr;
    return std::string(text, end);
}

// The level at `seconds` on straight lines (in dB) between two keyframes.
double between(const VolumeKeyframe& a, const VolumeKeyframe& b, double seconds) {
    if (b.time <= a.time) return b.dbValue;
    return a.dbValue + (b.dbValue - a.dbValue) * (seconds - a.time) / (b.time - a.time);
}

} // namespace

std::string mltLevel(const VolumeKeyframeList& keyframes, double steadyDb,
                     const TimelineFormat& timeline) {
    if (keyframes.empty()) return decibels(steadyDb);
    VolumeKeyframeList sorted = keyframes;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    const TimelineClock clock(timeline);
    std::vector<std::pair<int64_t, double>> onFrames;
    for (size_t i = 0; i < sorted.size(); ++i) {
        int64_t frame = clock.nearest(sorted[i].time);
        double db = sorted[i].dbValue;
        if (frame < 0) {
            // Before the clip: only the level where the clip begins matters.
            if (i + 1 == sorted.size() || clock.nearest(sorted[i + 1].time) < 0) continue;
            frame = 0;
            db = between(sorted[i], sorted[i + 1], 0.0);
        }
        if (!onFrames.empty() && onFrames.back().first == frame)
            onFrames.back().second = db;
        else
            onFrames.emplace_back(frame, db);
    }
    if (onFrames.empty()) return decibels(steadyDb);
    std::string level;
    for (const auto& [frame, db] : onFrames) {
        if (!level.empty()) level += ';';
        level += clock.clock(frame) + '=' + decibels(db);
    }
    return level;
}

std::string writeMlt(const ProjectDescription& project) {
    return writeMltDocument(project);
}

} // namespace quelvo
