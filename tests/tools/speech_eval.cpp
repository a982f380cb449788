// speech-eval: the detection figures of both modes on every case of the
// shared corpus, as the accuracy tests judge them, for tuning the automatic
// detector. Each file is decoded once; the automatic decision can then be
// rerun with changed constants:
//   speech-eval [name=value ...]   e.g. speech-eval voicedAt=0.6 bridgeFrames=10
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "ducking/automatic_detector.h"
#include "ducking/speech_clusters.h"
#include "platform/audio/speech_features.h"
#include "support/corpus_scoring.h"
#include "support/test_support.h"

using namespace quelvo;

namespace {

bool setTuning(AutomaticTuning& t, const std::string& name, double v) {
    const std::map<std::string, double*> doubles = {
        {"floorPercentile", &t.floorPercentile}, {"speechPercentile", &t.speechPercentile},
        {"startAboveFloor", &t.startAboveFloor}, {"startBelowSpeech", &t.startBelowSpeech},
        {"startLowest", &t.startLowest}, {"continueAboveFloor", &t.continueAboveFloor},
        {"continueBelowSpeech", &t.continueBelowSpeech}, {"continueLowest", &t.continueLowest},
        {"guardGap", &t.guardGap}, {"guardVoicedShare", &t.guardVoicedShare},
        {"hiddenEdgeSnr", &t.hiddenEdgeSnr}, {"startPerDb", &t.startPerDb}, {"endPerDb", &t.endPerDb},
        {"hiddenEdgeLimit", &t.hiddenEdgeLimit}, {"reverbSlowestDecay", &t.reverbSlowestDecay},
        {"reverbHeadroom", &t.reverbHeadroom}, {"reverbTrail", &t.reverbTrail},
        {"reverbFollowerFall", &t.reverbFollowerFall}, {"hold", &t.hold}, {"minDuration", &t.minDuration}};
    if (auto it = doubles.find(name); it != doubles.end()) {
        *it->second = v;
        return true;
    }
    if (name == "coreFrames") t.coreFrames = static_cast<int>(v);
    else if (name == "bridgeFrames") t.bridgeFrames = static_cast<int>(v);
    else if (name == "voicedCoreFrames") t.voicedCoreFrames = static_cast<int>(v);
    else if (name == "voicedAt") t.voicedAt = static_cast<float>(v);
    else return false;
    return true;
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
        const auto eq = arg.find('=');
        if (eq == std::string::npos || !setTuning(tuning, arg.substr(0, eq), std::atof(arg.c_str() + eq + 1))) {
            std::fprintf(stderr, "speech-eval: unknown setting %s\n", arg.c_str());
            return 2;
        }
    }
    const auto testdata = test::sharedDir() / "testdata";
    const std::vector<test::CorpusCase> cases = test::loadCorpus(testdata);
    const QVRoll rolls{0.3, 0.3, 0.3, 0.7, -24.0};

    std::vector<test::CaseScore> automatic, threshold;
    for (const test::CorpusCase& c : cases) {
        const kyaudio::FeatureAnalysis f = kyaudio::readSpeechFeatures(c.dialogue.string());
        if (!f.decoded.status) {
            std::fprintf(stderr, "%s: %s\n", c.name.c_str(), f.decoded.status.message().c_str());
            return 1;
        }
        const double duration = f.decoded.duration;
        const AutomaticDecision d = decideSpeech(f.features, duration, tuning);
        const kyaudio::ClusterList clusters = closeGaps(shapeAutomaticSegments(d.segments, tuning, duration), rolls);
        automatic.push_back(test::scoreCase(c, clusters, duration));
        std::printf("%-38s N %6.1f S %6.1f on %6.1f off %6.1f%s\n", c.name.c_str(), d.noiseFloor, d.speechLevel,
                    d.threshold, d.continueThreshold, d.reverberant ? " reverberant" : "");
        if (std::getenv("SPEECH_EVAL_CLUSTERS"))
            for (const auto& k : clusters) std::printf("    %.2f-%.2f\n", k.start, k.end);
        if (thresholdMode) {
            const SpeechAnalysis a = findSpeechClusters(c.dialogue.string(), rolls);
            threshold.push_back(test::scoreCase(c, a.clusters, a.duration));
        }
    }
    test::printScores("automatic", cases, automatic);
    if (thresholdMode) test::printScores("threshold -24 dB", cases, threshold);
    return 0;
}
