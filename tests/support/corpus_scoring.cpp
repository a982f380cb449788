#include "support/corpus_scoring.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "support/test_support.h"

namespace quelvo::test {

using quelvo::Cluster;
using quelvo::ClusterList;

namespace {

ClusterList intervals(const nlohmann::json& list) {
    ClusterList out;
    for (const auto& pair : list)
        out.push_back({pair[0].get<double>(), pair[1].get<double>()});
    return out;
}

double overlap(const Cluster& a, const ClusterList& list) {
    double total = 0;
    for (const Cluster& b : list)
        total += std::max(0.0, std::min(a.end, b.end) - std::max(a.start, b.start));
    return total;
}

double length(const Cluster& c) {
    return c.end - c.start;
}

// Widened by `by` at both ends, clamped to the file, joined where the gap is
// at most `joinGap`.
ClusterList widened(const ClusterList& list, double by, double duration, double joinGap) {
    ClusterList out;
    for (const Cluster& c : list) {
        const Cluster w{std::max(0.0, c.start - by), std::min(duration, c.end + by)};
        if (!out.empty() && w.start - out.back().end <= joinGap + 1e-9)
            out.back().end = std::max(out.back().end, w.end);
        else
            out.push_back(w);
    }
    return out;
}

// The cases of one manifest not already taken from an earlier one: a case
// moves between the manifests without being counted twice.
void appendCases(const nlohmann::json& manifest, const std::filesystem::path& testdata,
                 std::vector<CorpusCase>& cases) {
    for (const auto& c : manifest["cases"]) {
        const std::string name = c["name"];
        if (std::any_of(cases.begin(), cases.end(),
                        [&](const CorpusCase& k) { return k.name == name; }))
            continue;
        CorpusCase k;
        k.name = c["name"];
        k.dialogue = testdata / c["dialogue"].get<std::string>();
        k.duration = c["duration_s"];
        k.speechPeak = c["speech_peak_dbfs"];
        k.truth = intervals(c["speech_intervals"]);
        const std::string tests = c.value("tests", "");
        k.musicBleed = tests.find("music bleed") != std::string::npos;
        if (c.contains("peer_ffmpeg_silencedetect"))
            k.peers.emplace_back("silencedetect",
                                 intervals(c["peer_ffmpeg_silencedetect"]["speech_intervals"]));
        if (c.contains("peer_webrtc_vad"))
            k.peers.emplace_back("webrtc", intervals(c["peer_webrtc_vad"]["intervals"]));
        cases.push_back(std::move(k));
    }
}

} // namespace

std::vector<CorpusCase> loadCorpus(const std::filesystem::path& testdata) {
    std::vector<CorpusCase> cases;
    for (const char* file : {"manifest.json", "manifest-next.json"}) {
        if (!std::filesystem::exists(testdata / file)) continue;
        appendCases(nlohmann::json::parse(readFile(testdata / file)), testdata, cases);
    }
    return cases;
}

double CaseScore::score() const {
    return longPauses ? (cover() + pauseOpen / pauseTime) / 2 : cover();
}

CaseScore scoreCase(const CorpusCase& c, const ClusterList& clusters, double duration) {
    CaseScore s;
    s.name = c.name;
    for (const Cluster& t : c.truth) {
        s.speech += length(t);
        const double covered = overlap(t, clusters);
        s.covered += covered;
        if (covered <= 0) ++s.missed;
    }
    const ClusterList faded = widened(c.truth, kFade, duration, 0);
    for (const Cluster& k : clusters)
        if (overlap(k, faded) <= 0) ++s.falseClusters;
    for (size_t i = 0; i + 1 < c.truth.size(); ++i) {
        if (c.truth[i + 1].start - c.truth[i].end <= kLongPause) continue;
        const Cluster pause{c.truth[i].end + kPauseMargin, c.truth[i + 1].start - kPauseMargin};
        const double open = length(pause) - overlap(pause, clusters);
        ++s.longPauses;
        s.pauseTime += length(pause);
        s.pauseOpen += open;
        s.worstPauseOpen = std::min(s.worstPauseOpen, open / length(pause));
    }
    for (const Cluster& r : widened(c.truth, kFade, duration, kJoinGap)) {
        ClusterList touching;
        for (const Cluster& k : clusters)
            if (k.end > r.start && k.start < r.end) touching.push_back(k);
        if (touching.empty()) continue; // a miss, counted above
        s.edges.push_back(std::abs(touching.front().start - r.start));
        s.edges.push_back(std::abs(touching.back().end - r.end));
    }
    return s;
}

CaseScore scorePeer(const CorpusCase& c, const ClusterList& intervals, double duration) {
    return scoreCase(c, widened(intervals, kFade, duration, 0), duration);
}

double percentileOf(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double position = fraction * static_cast<double>(values.size() - 1);
    const auto below = static_cast<size_t>(std::floor(position));
    const size_t above = std::min(values.size() - 1, below + 1);
    return values[below] +
           (values[above] - values[below]) * (position - static_cast<double>(below));
}

std::pair<double, double> printScores(const std::string& title,
                                      const std::vector<CorpusCase>& cases,
                                      const std::vector<CaseScore>& scores) {
    std::printf("\n%s\n", title.c_str());
    std::printf("%-38s %7s %5s %5s %8s %7s %7s %7s %7s %7s\n", "case", "cover%", "miss", "false",
                "pause%", "edgeMed", "edgeP90", "score", "sd", "webrtc");
    double speech = 0, covered = 0;
    std::vector<double> edges;
    for (size_t i = 0; i < scores.size(); ++i) {
        const CaseScore& s = scores[i];
        char pause[16] = "-";
        if (s.longPauses) std::snprintf(pause, sizeof pause, "%.1f", 100 * s.worstPauseOpen);
        char peers[2][16] = {"-", "-"};
        for (const auto& [name, list] : cases[i].peers) {
            const CaseScore p = scorePeer(cases[i], list, cases[i].duration);
            std::snprintf(peers[name == "webrtc" ? 1 : 0], 16, "%.1f", 100 * p.score());
        }
        std::printf("%-38s %7.2f %5d %5d %8s %4.0f ms %4.0f ms %7.1f %7s %7s\n", s.name.c_str(),
                    100 * s.cover(), s.missed, s.falseClusters, pause,
                    1000 * percentileOf(s.edges, 0.5), 1000 * percentileOf(s.edges, 0.9),
                    100 * s.score(), peers[0], peers[1]);
        speech += s.speech;
        covered += s.covered;
        edges.insert(edges.end(), s.edges.begin(), s.edges.end());
    }
    const double med = percentileOf(edges, 0.5), p90 = percentileOf(edges, 0.9);
    std::printf("%-38s %7.2f %5s %5s %8s %4.0f ms %4.0f ms   (%zu edges)\n\n", "all cases",
                100 * covered / speech, "", "", "", 1000 * med, 1000 * p90, edges.size());
    std::fflush(stdout);
    return {med, p90};
}

} // namespace quelvo::test
