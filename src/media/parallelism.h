#pragma once
// How many threads one analysis may use. One job is the plain streaming
// decode on the calling thread; more split a long file into segments that
// are decoded side by side and joined so that every level, feature and
// cluster is the one the single thread finds (docs/parallel-analysis.md).
#include <atomic>

namespace quelvo {

struct Parallelism {
    int jobs = 1;
    // Segments shorter than this are not worth a thread of their own: a file
    // is split into at most duration / minSegmentSeconds parts.
    double minSegmentSeconds = 30;
    // Decoding starts once the whole plan is made, so that the segments
    // start at the same packets on every run (tests); otherwise the first
    // segment is decoded while the rest of the file is planned.
    bool planFirst = false;
    // Set from another thread to stop the analysis: it ends soon after,
    // failing with "the analysis was cancelled". Null: it runs to its end.
    const std::atomic<bool>* stop = nullptr;
};

// The machine's processor cores as the system reports them; at least 1.
int machineCores();

} // namespace quelvo
