#pragma once
// Speech intervals as a label file, the plain form audio editors share: one
// interval a line, "start<TAB>end<TAB>speech", seconds from the file's start.
// Written with the shortest decimal that reads back the same value, so a
// list written and read again is the very same list (and the same project).
#include <string>
#include <string_view>
#include <vector>

#include "base/cluster.h"
#include "base/result.h"

namespace quelvo {

// What reading a label file found. On failure `status` says, in one
// sentence, which line was wrong and how; the intervals are then empty.
struct LabelReading {
    Status status = Status::success();
    ClusterList intervals;             // ascending, none overlapping or touching
    std::vector<std::string> warnings; // what was mended on the way, in order
};

// The text of a label file for these intervals.
std::string labelText(const ClusterList& intervals);

// Reads label text. A decimal comma is taken as a point; lines starting with
// a backslash (the frequency lines some editors add) and blank lines are
// skipped; the label's own text is ignored. Intervals out of order or
// overlapping are sorted and joined, point labels skipped, and (when
// `duration` is above zero) intervals past the end cut, each with a warning.
// `name` is how the messages call the file.
LabelReading parseLabels(std::string_view text, double duration, const std::string& name);

// parseLabels of a file's contents; a file that cannot be read fails.
LabelReading readLabelFile(const std::string& path, double duration);

// Writes the intervals to `path`, replacing it in one step.
Status writeLabelFile(const std::string& path, const ClusterList& intervals);

} // namespace quelvo
