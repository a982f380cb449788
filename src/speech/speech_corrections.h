#pragma once
// An editor's corrections to the detected speech: intervals removed, added or
// moved by hand. They are kept as the whole corrected list (nothing while the
// speech is as detected), so a correction never depends on how the detector
// would redraw the rest; each edit can be undone and redone. No Qt: the
// preview drives it, the tests drive it directly.
#include <optional>
#include <vector>

#include "base/cluster.h"

namespace quelvo {

// Sorted, without empty intervals, overlapping or touching ones joined: the
// form every corrected list is kept in.
ClusterList joinIntervals(ClusterList intervals);

class SpeechCorrections {
  public:
    enum class Edge { start, end };

    // Whether the speech differs from the detection (an edit or an import).
    bool corrected() const { return m_current.has_value(); }
    // The speech to use: the corrected list, or `detected` when there is none.
    const ClusterList& intervals(const ClusterList& detected) const {
        return m_current ? *m_current : detected;
    }

    // Each edit starts from intervals(detected) and can be undone. An edit
    // that changes nothing is not recorded. They answer whether it changed.
    bool remove(const ClusterList& detected, size_t index);
    bool add(const ClusterList& detected, Cluster interval);
    // Moves one edge of interval `index` to `seconds`, kept inside the
    // recording and short of the other edge; a neighbour it reaches is joined.
    bool moveEdge(const ClusterList& detected, size_t index, Edge edge, double seconds,
                  double duration);
    // The whole list replaced (a label file imported).
    bool replace(const ClusterList& detected, ClusterList intervals);
    // Back to the detection, as an edit that can be undone.
    bool revert();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    bool undo();
    bool redo();
    // Forgets the corrections and their history (another dialogue file, or a
    // detection that no longer matches them).
    void clear();

  private:
    using State = std::optional<ClusterList>;
    bool record(State next);

    State m_current;
    std::vector<State> m_undo, m_redo;
};

} // namespace quelvo
