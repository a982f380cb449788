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
                                   Track keptMusic) {
    cancel();
    const unsigned generation = ++m_generation;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++g_liveThreads;
    m_thread = std::thread([progress = m_progress, done = m_done, cancel = m_cancel, generation, dialoguePath,
                            musicPath, keptDialogue, keptMusic] {
        Outcome outcome;
        outcome.generation = generation;
        outcome.dialogue = dialoguePath.empty() ? nullptr : keptDialogue;
        outcome.music = musicPath.empty() ? nullptr : keptMusic;
        const double parts = (!outcome.dialogue && !dialoguePath.empty()) + (!outcome.music && !musicPath.empty());
        double finished = 0;
        // The dialogue keeps the automatic detection's features too, so that
        // switching the detection mode never decodes again.
        const auto analyse = [&](const std::string& path, Track& into, TrackContent content) {
            if (into || path.empty() || cancel->load()) return;
            double shown = -1;
            const TrackAnalysis result = analyzeLevelTrack(path, cancel.get(), [&](double share) {
                if (share - shown < 0.01 || !progress) return;  // a hundred steps make a smooth line
                shown = share;
                progress(generation, (finished + share) / parts);
            }, content);
            finished += 1;
            if (result.status) into = result.track;
            else if (!cancel->load() && outcome.problem.empty())
                outcome.problem = "Cannot show " + kykit::fu_getFileNameFromPath(path) + ": " +
                                  result.status.message() + ".";
        };
        analyse(dialoguePath, outcome.dialogue, TrackContent::levelsAndSpeechFeatures);
        analyse(musicPath, outcome.music, TrackContent::levels);
        if (!cancel->load() && done) done(outcome);
        --g_liveThreads;
    });
    return generation;
}

} // namespace quelvo::preview
