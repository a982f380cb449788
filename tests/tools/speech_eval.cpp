// speech-eval: the detection figures of both modes on every case of the
// shared corpus, as the accuracy tests judge them, for tuning the automatic
// detector. Each file is decoded once; the automatic decision can then be
// rerun with changed constants:
//   speech-eval [name=value ...]   e.g. speech-eval voicedAt=0.6 bridgeFrames=10
//   speech-eval [name=value ...] --describe FILE...   the figures behind the decision
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "media/speech_features.h"
#include "project/envelope_timing.h"
#include "speech/automatic_detector.h"
#include "speech/speech_clusters.h"
#include "support/corpus_scoring.h"
#include "support/test_support.h"

using namespace quelvo;

namespace {

bool setTuning(AutomaticTuning& t, const std::string& name, double v) {
    const std::map<std::string, double*> doubles = {
        {"floorPercentile", &t.floorPercentile},
        {"speechPercentile", &t.speechPercentile},
        {"floorBelowSpeech", &t.floorBelowSpeech},
        {"nearSilence", &t.nearSilence},
        {"roomToneBelowSpeech", &t.roomToneBelowSpeech},
        {"roomToneSpread", &t.roomToneSpread},
        {"roomToneRun", &t.roomToneRun},
        {"roomToneTotal", &t.roomToneTotal},
        {"startAboveFloor", &t.startAboveFloor},
        {"startBelowSpeech", &t.startBelowSpeech},
        {"startLowest", &t.startLowest},
        {"continueAboveFloor", &t.continueAboveFloor},
        {"continueBelowSpeech", &t.continueBelowSpeech},
        {"continueLowest", &t.continueLowest},
        {"attachGap", &t.attachGap},
        {"attachLongest", &t.attachLongest},
        {"backgroundMargin", &t.backgroundMargin},
        {"bleedLoud", &t.bleedLoud},
        {"bleedVoicedShare", &t.bleedVoicedShare},
        {"bleedPieceGap", &t.bleedPieceGap},
        {"denseVoicedShare", &t.denseVoicedShare},
        {"voicedWindow", &t.voicedWindow},
        {"denseVoicedBelowContinue", &t.denseVoicedBelowContinue},
        {"guardGap", &t.guardGap},
        {"guardVoicedShare", &t.guardVoicedShare},
        {"heldNote", &t.heldNote},
        {"heldNoteShare", &t.heldNoteShare},
        {"softEdgeAboveFloor", &t.softEdgeAboveFloor},
        {"softEdgeBelowSpeech", &t.softEdgeBelowSpeech},
        {"softEdgeLimit", &t.softEdgeLimit},
        {"softEdgeWindow", &t.softEdgeWindow},
        {"hiddenEdgeSnr", &t.hiddenEdgeSnr},
        {"startPerDb", &t.startPerDb},
        {"endPerDb", &t.endPerDb},
        {"hiddenEdgeLimit", &t.hiddenEdgeLimit},
        {"reverbSlowestDecay", &t.reverbSlowestDecay},
        {"reverbHeadroom", &t.reverbHeadroom},
        {"reverbTrail", &t.reverbTrail},
        {"reverbFollowerFall", &t.reverbFollowerFall},
        {"hold", &t.hold},
        {"minDuration", &t.minDuration}};
    if (auto it = doubles.find(name); it != doubles.end()) {
        *it->second = v;
        return true;
    }
    if (name == "coreFrames")
        t.coreFrames = static_cast<int>(v);
    else if (name == "bridgeFrames")
        t.bridgeFrames = static_cast<int>(v);
    else if (name == "attachChain")
        t.attachChain = static_cast<int>(v);
    else if (name == "attachVoicedFrames")
        t.attachVoicedFrames = static_cast<int>(v);
    else if (name == "voicedCoreFrames")
        t.voicedCoreFrames = static_cast<int>(v);
    else if (name == "denseVoicedAt")
        t.denseVoicedAt = static_cast<float>(v);
    else if (name == "bleedPieceVoicedAt")
        t.bleedPieceVoicedAt = static_cast<float>(v);
    else if (name == "bleedPieceChain")
        t.bleedPieceChain = static_cast<int>(v);
    else if (name == "bleedClearRun")
        t.bleedClearRun = static_cast<int>(v);

    else if (name == "voicedAt")
        t.voicedAt = static_cast<float>(v);
    else
        return false;
    return true;
}

// The figures the decision rests on, for files outside the corpus.
void describeFile(const std::string& path, const AutomaticTuning& tuning) {
    const quelvo::FeatureAnalysis f = quelvo::readSpeechFeatures(path);
    if (!f.decoded.status) {
        std::printf("%s: %s\n", path.c_str(), f.decoded.status.message().c_str());
        return;
    }
    const AutomaticDecision d = decideSpeech(f.features, f.decoded.duration, tuning);
    if (std::getenv("SPEECH_EVAL_DUMP"))
        for (size_t k = 0; k < f.features.level.size(); ++k)
            std::printf("%zu %.1f %.2f\n", k, f.features.level[k], f.features.voicing[k]);
    const auto& L = f.features.level;
    const auto& V = f.features.voicing;
    size_t loud = 0, voiced = 0, measured = 0, runs = 0, runFrames = 0, longest = 0, run = 0;
    for (size_t k = 0; k < L.size(); ++k) {
        const bool v = V[k] >= tuning.voicedAt;
        if (V[k] >= 0) ++measured;
        if (L[k] >= d.speechLevel - 20) {
            ++loud;
            if (v) ++voiced;
        }
        if (v) ++run;
        if ((!v || k + 1 == L.size()) && run > 0) {
            ++runs;
            runFrames += run;
            longest = std::max(longest, run);
            run = 0;
        }
    }
    std::printf("%s: N %.1f S %.1f on %.1f | voiced among loud %.0f%% | voiced runs %zu, mean %.0f "
                "ms, longest %zu ms "
                "| measured %.0f%% | %zu segments\n",
                path.c_str(), d.noiseFloor, d.speechLevel, d.threshold,
                loud ? 100.0 * voiced / loud : 0.0, runs, runs ? 10.0 * runFrames / runs : 0.0,
                10 * longest, 100.0 * measured / L.size(), d.segments.size());
}

} // namespace

int main(int argc, char** argv) {
    AutomaticTuning tuning;
    bool thresholdMode = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--automatic-only") {
            thresholdMode = false;
            continue;
        }
        if (arg == "--describe") {
            for (int j = i + 1; j < argc; ++j)
                describeFile(argv[j], tuning);
            return 0;
        }
        const auto eq = arg.find('=');
        if (eq == std::string::npos ||
            !setTuning(tuning, arg.substr(0, eq), std::atof(arg.c_str() + eq + 1))) {
            std::fprintf(stderr, "speech-eval: unknown setting %s\n", arg.c_str());
            return 2;
        }
    }
    const auto testdata = test::sharedDir() / "testdata";
    const std::vector<test::CorpusCase> cases = test::loadCorpus(testdata);
    const EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24.0};

    std::vector<test::CaseScore> automatic, threshold;
    for (const test::CorpusCase& c : cases) {
        const quelvo::FeatureAnalysis f = quelvo::readSpeechFeatures(c.dialogue.string());
        if (!f.decoded.status) {
            std::fprintf(stderr, "%s: %s\n", c.name.c_str(), f.decoded.status.message().c_str());
            return 1;
        }
        const double duration = f.decoded.duration;
        const AutomaticDecision d = decideSpeech(f.features, duration, tuning);
        const quelvo::ClusterList clusters =
            closeGaps(shapeAutomaticSegments(d.segments, tuning, duration), rolls);
        automatic.push_back(test::scoreCase(c, clusters, duration));
        std::printf("%-38s N %6.1f S %6.1f on %6.1f off %6.1f%s%s\n", c.name.c_str(), d.noiseFloor,
                    d.speechLevel, d.threshold, d.continueThreshold,
                    d.reverberant ? " reverberant" : "", d.musicBleed ? " music" : "");
        if (std::getenv("SPEECH_EVAL_CLUSTERS"))
            for (const auto& k : clusters)
                std::printf("    %.2f-%.2f\n", k.start, k.end);
        if (thresholdMode) {
            const SpeechAnalysis a = findSpeechClusters(c.dialogue.string(), rolls);
            threshold.push_back(test::scoreCase(c, a.clusters, a.duration));
        }
    }
    test::printScores("automatic", cases, automatic);
    if (thresholdMode) test::printScores("threshold -24 dB", cases, threshold);
    return 0;
}
