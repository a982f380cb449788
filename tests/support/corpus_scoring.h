#pragma once
// Scores speech clusters against the shared corpus's truth the way the
// detection targets are stated, so that the accuracy tests and the
// evaluation tool print and judge the same figures:
//   cover        share of the true speech time inside the clusters
//   missed       true speech intervals that no cluster overlaps
//   false        clusters lying wholly inside a pause (truth widened by the 0.1 s fades)
//   pause open   in each pause longer than 1.5 s, measured between the truth
//                widened by 0.12 s, the share outside the clusters
//   edges        start/end errors against the truth shaped as the job shapes
//                clusters (widened by the fades, gaps up to 1.0 s closed)
//   score        mean of the cover share and the share of long-pause time
//                left open (the figure the peers are compared on)
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/cluster.h"

namespace quelvo::test {

struct CorpusCase {
    std::string name;
    std::filesystem::path dialogue;
    double duration = 0;
    double speechPeak = 0; // dBFS
    bool musicBleed = false;
    quelvo::ClusterList truth;
    std::vector<std::pair<std::string, quelvo::ClusterList>> peers; // as recorded
};

// Every case of <testdata>/manifest.json, then those of manifest-next.json
// (the cases the detector is still being brought to), each once by name.
std::vector<CorpusCase> loadCorpus(const std::filesystem::path& testdata);

struct CaseScore {
    std::string name;
    double speech = 0, covered = 0;
    int missed = 0, falseClusters = 0;
    int longPauses = 0;
    double pauseTime = 0, pauseOpen = 0;
    double worstPauseOpen = 1; // smallest open share of one long pause
    std::vector<double> edges; // seconds
    double cover() const { return speech > 0 ? covered / speech : 1; }
    double score() const;
};

inline constexpr double kFade = 0.1, kPauseMargin = 0.12, kLongPause = 1.5, kJoinGap = 1.0;

CaseScore scoreCase(const CorpusCase& c, const quelvo::ClusterList& clusters, double duration);
// A peer's raw intervals are widened by the fades before scoring.
CaseScore scorePeer(const CorpusCase& c, const quelvo::ClusterList& intervals, double duration);

double percentileOf(std::vector<double> values, double fraction);

// Prints the per-case table and the pooled figures; returns the pooled
// (median, p90) edge errors in seconds.
std::pair<double, double> printScores(const std::string& title,
                                      const std::vector<CorpusCase>& cases,
                                      const std::vector<CaseScore>& scores);

} // namespace quelvo::test
