#include "speech/speech_corrections.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quelvo {

ClusterList joinIntervals(ClusterList intervals) {
    std::stable_sort(intervals.begin(), intervals.end(),
                     [](const Cluster& a, const Cluster& b) { return a.start < b.start; });
    ClusterList joined;
    joined.reserve(intervals.size());
    for (const Cluster& c : intervals) {
        if (!(c.end > c.start)) continue;
        if (!joined.empty() && c.start <= joined.back().end)
            joined.back().end = std::max(joined.back().end, c.end);
        else
            joined.push_back(c);
    }
    return joined;
}

bool SpeechCorrections::record(State next) {
    if (next == m_current) return false;
    m_undo.push_back(std::move(m_current));
    m_current = std::move(next);
    m_redo.clear();
    return true;
}

bool SpeechCorrections::remove(const ClusterList& detected, size_t index) {
    ClusterList list = intervals(detected);
    if (index >= list.size()) return false;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    return record(std::move(list));
}

bool SpeechCorrections::add(const ClusterList& detected, Cluster interval) {
    if (!(interval.end > interval.start)) return false;
    ClusterList list = intervals(detected);
    list.push_back(interval);
    return record(joinIntervals(std::move(list)));
}

bool SpeechCorrections::moveEdge(const ClusterList& detected, size_t index, Edge edge,
                                 double seconds, double duration) {
    ClusterList list = intervals(detected);
    if (index >= list.size()) return false;
    Cluster& c = list[index];
    // The smallest step still leaves an interval; the edge never crosses the other.
    if (edge == Edge::start)
        c.start = std::clamp(seconds, 0.0, std::nextafter(c.end, 0.0));
    else {
        const double least = std::nextafter(c.start, std::numeric_limits<double>::infinity());
        c.end = std::clamp(seconds, least,
                           duration > 0 ? std::max(duration, least)
                                        : std::numeric_limits<double>::infinity());
    }
    return record(joinIntervals(std::move(list)));
}

bool SpeechCorrections::replace(const ClusterList& detected, ClusterList list) {
    list = joinIntervals(std::move(list));
    // An import that gives back the detection leaves nothing corrected.
    if (list == detected) return revert();
    return record(std::move(list));
}

bool SpeechCorrections::revert() {
    return record(std::nullopt);
}

bool SpeechCorrections::undo() {
    if (m_undo.empty()) return false;
    m_redo.push_back(std::move(m_current));
    m_current = std::move(m_undo.back());
    m_undo.pop_back();
    return true;
}

bool SpeechCorrections::redo() {
    if (m_redo.empty()) return false;
    m_undo.push_back(std::move(m_current));
    m_current = std::move(m_redo.back());
    m_redo.pop_back();
    return true;
}

void SpeechCorrections::clear() {
    m_current.reset();
    m_undo.clear();
    m_redo.clear();
}

} // namespace quelvo
