#include "preview/background_analysis.h"

#include "platform/toolkit/files.h"

namespace quelvo::preview {

namespace {

std::atomic<int> g_liveThreads{0};

} // namespace

BackgroundAnalysis::BackgroundAnalysis(Progress progress, Done done)
    : m_progress(std::move(progress)), m_done(std::move(done)) {}

BackgroundAnalysis::~BackgroundAnalysis() { cancel(); }

int BackgroundAnalysis::liveThreads() { return g_liveThreads.load(); }

void BackgroundAnalysis::cancel() {
    if (m_cancel) m_cancel->store(true);
    // The decoder looks at the flag every second of audio, so this wait is short.
    reap();
}

void BackgroundAnalysis::reap() {
    if (m_thread.joinable()) m_thread.join();
    m_cancel.reset();
}

unsigned BackgroundAnalysis::start(const std::string& dialoguePath, const std::string& musicPath, Track keptDialogue,
                                   Track keptMusic, FeaturesWhen features) {
    cancel();
    const unsigned generation = ++m_generation;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++g_liveThreads;
    m_thread = std::thread([progress = m_progress, done = m_done, cancel = m_cancel, generation, dialoguePath,
                            musicPath, keptDialogue, keptMusic, features] {
        Outcome outcome;
        outcome.generation = generation;
        outcome.dialogue = dialoguePath.empty() ? nullptr : keptDialogue;
        outcome.music = musicPath.empty() ? nullptr : keptMusic;
        double parts = (!outcome.dialogue && !dialoguePath.empty()) + (!outcome.music && !musicPath.empty());
        double finished = 0;
        const auto report = [&](double share, double& shown) {
            if (share - shown < 0.01 || !progress) return;  // a hundred steps make a smooth line
            shown = share;
            progress(generation, (finished + share) / parts);
        };
        const auto analyse = [&](const std::string& path, Track& into, TrackContent content) {
            if (into || path.empty() || cancel->load()) return;
            double shown = -1;
            const TrackAnalysis result =
                analyzeLevelTrack(path, cancel.get(), [&](double share) { report(share, shown); }, content);
            finished += 1;
            if (result.status) into = result.track;
            else if (!cancel->load() && outcome.problem.empty())
                outcome.problem = "Cannot show " + kykit::fu_getFileNameFromPath(path) + ": " +
                                  result.status.message() + ".";
        };
        // With the features wanted first, the dialogue keeps the automatic
        // detection's features from its one decode; otherwise the picture
        // comes from levels alone and the features follow in a second pass.
        analyse(dialoguePath, outcome.dialogue,
                features == FeaturesWhen::withLevels ? TrackContent::levelsAndSpeechFeatures : TrackContent::levels);
        analyse(musicPath, outcome.music, TrackContent::levels);
        outcome.featuresPending = features != FeaturesWhen::never && outcome.dialogue &&
                                  !outcome.dialogue->speechFeatures();
        if (!cancel->load() && done) done(outcome);
        if (!cancel->load() && outcome.featuresPending) {
            // The same file decoded again with the feature meter: a new track
            // object (levels and features), so the GUI's reader of the
            // first one never sees it change.
            finished = 0;
            parts = 1;
            Track withFeatures;
            analyse(dialoguePath, withFeatures, TrackContent::levelsAndSpeechFeatures);
            outcome.featuresPending = false;
            outcome.featuresMeasured = true;
            if (withFeatures) outcome.dialogue = withFeatures;
            if (!cancel->load() && done) done(outcome);
        }
        --g_liveThreads;
    });
    return generation;
}

} // namespace quelvo::preview
