#include "preview/background_analysis.h"

#include <filesystem>
#include <mutex>

#include "base/files.h"
#include "media/read_failure_text.h"

namespace quelvo::preview {

namespace {

std::atomic<int> g_liveThreads{0};

// One file's track, or why there is none ("" when cancelled).
struct Analysed {
    BackgroundAnalysis::Track track;
    std::string problem;
};

Analysed analyseFile(const std::string& path, TrackContent content, const std::atomic<bool>& cancel,
                     const std::function<void(double)>& onShare) {
    Analysed analysed;
    if (cancel.load()) return analysed;
    const TrackAnalysis result = analyzeLevelTrack(path, &cancel, onShare, content);
    // A file that could not be read is done with all the same: the line goes on.
    if (!cancel.load() && onShare) onShare(1.0);
    if (result.status)
        analysed.track = result.track;
    else if (!cancel.load())
        analysed.problem = quelvo::readFailureSentence(
            "", std::filesystem::path(path).filename().string(), result.status.message());
    return analysed;
}

// The files' shares done, as one line from 0 to 1 however many files are
// decoded side by side: each decode reports its own share, and the mean
// goes out in steps of a hundredth, one call at a time and never backwards,
// on whichever analysis thread brought it there.
class SharedProgress {
  public:
    SharedProgress(BackgroundAnalysis::Progress progress, unsigned generation, int parts)
        : m_progress(std::move(progress)), m_generation(generation), m_parts(parts) {}

    std::function<void(double)> reporter(int part) {
        return [this, part](double share) { report(part, share); };
    }

  private:
    void report(int part, double share) {
        if (!m_progress || m_parts < 1) return;
        std::lock_guard lock(m_mutex);
        m_shares[part] = share;
        const double mean = (m_shares[0] + m_shares[1]) / m_parts;
        // A hundred steps make a smooth line, and it ends at the end.
        if (mean - m_shown < 0.01 && !(mean >= 1.0 && m_shown < 1.0)) return;
        m_shown = mean;
        m_progress(m_generation, mean);
    }

    BackgroundAnalysis::Progress m_progress;
    unsigned m_generation;
    int m_parts;
    std::mutex m_mutex;
    double m_shares[2] = {0, 0};
    double m_shown = -1;
};

} // namespace

BackgroundAnalysis::BackgroundAnalysis(Progress progress, Done done)
    : m_progress(std::move(progress)), m_done(std::move(done)) {}

BackgroundAnalysis::~BackgroundAnalysis() {
    cancel();
}

int BackgroundAnalysis::liveThreads() {
    return g_liveThreads.load();
}

void BackgroundAnalysis::cancel() {
    if (m_cancel) m_cancel->store(true);
    // The decoder looks at the flag every second of audio, so this wait is short.
    reap();
}

void BackgroundAnalysis::reap() {
    if (m_task.valid()) m_task.wait();
    m_task = {};
    m_cancel.reset();
}

unsigned BackgroundAnalysis::start(const std::string& dialoguePath, const std::string& musicPath,
                                   Track keptDialogue, Track keptMusic, FeaturesWhen features) {
    cancel();
    const unsigned generation = ++m_generation;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++g_liveThreads;
    TaskRequest<TaskDone> request;
    request.name = "preview analysis";
    request.delivery = Delivery{};
    request.work = [progress = m_progress, done = m_done, cancel = m_cancel, generation,
                    dialoguePath, musicPath, keptDialogue, keptMusic,
                    features](TaskControl&) -> TaskReturn<TaskDone> {
        Outcome outcome;
        outcome.generation = generation;
        outcome.dialogue = dialoguePath.empty() ? nullptr : keptDialogue;
        outcome.music = musicPath.empty() ? nullptr : keptMusic;
        const bool dialogueWanted = !outcome.dialogue && !dialoguePath.empty();
        const bool musicWanted = !outcome.music && !musicPath.empty();
        // With the features wanted first, the dialogue keeps the automatic
        // detection's features from its one decode; otherwise the picture
        // comes from levels alone and the features follow in a second pass.
        const TrackContent dialogueContent = features == FeaturesWhen::withLevels
                                                 ? TrackContent::levelsAndSpeechFeatures
                                                 : TrackContent::levels;
        SharedProgress shares(progress, generation, dialogueWanted + musicWanted);
        Analysed dialogue, music;
        if (dialogueWanted && musicWanted) {
            // The two files are decoded side by side, the dialogue on a
            // second thread that this one joins before it answers, so that
            // cancel() joining this thread joins both.
            // Without a second thread to be had, the runner reads the
            // dialogue first, here, as on one core.
            ++g_liveThreads;
            TaskRequest<TaskDone> dialogueHalf(
                "preview dialogue", [&](TaskControl&) -> TaskReturn<TaskDone> {
                    dialogue =
                        analyseFile(dialoguePath, dialogueContent, *cancel, shares.reporter(0));
                    --g_liveThreads;
                    return TaskDone{};
                });
            dialogueHalf.delivery = Delivery{};
            const TaskHandle<TaskDone> second = TaskRunner::shared().start(std::move(dialogueHalf));
            music = analyseFile(musicPath, TrackContent::levels, *cancel, shares.reporter(1));
            second.wait();
        } else if (dialogueWanted) {
            dialogue = analyseFile(dialoguePath, dialogueContent, *cancel, shares.reporter(0));
        } else if (musicWanted) {
            music = analyseFile(musicPath, TrackContent::levels, *cancel, shares.reporter(0));
        }
        if (dialogue.track) outcome.dialogue = dialogue.track;
        if (music.track) outcome.music = music.track;
        // The dialogue's problem first, as when the files were read in turn.
        outcome.problem = !dialogue.problem.empty() ? dialogue.problem : music.problem;
        outcome.featuresPending = features != FeaturesWhen::never && outcome.dialogue &&
                                  !outcome.dialogue->speechFeatures();
        if (!cancel->load() && done) done(outcome);
        if (!cancel->load() && outcome.featuresPending) {
            // The same file decoded again with the feature meter: a new track
            // object (levels and features), so the GUI's reader of the
            // first one never sees it change.
            SharedProgress again(progress, generation, 1);
            const Analysed withFeatures = analyseFile(
                dialoguePath, TrackContent::levelsAndSpeechFeatures, *cancel, again.reporter(0));
            outcome.featuresPending = false;
            outcome.featuresMeasured = true;
            if (withFeatures.track)
                outcome.dialogue = withFeatures.track;
            else if (outcome.problem.empty())
                outcome.problem = withFeatures.problem;
            if (!cancel->load() && done) done(outcome);
        }
        --g_liveThreads;
        return TaskDone{};
    };
    m_task = TaskRunner::shared().start(std::move(request));
    return generation;
}

} // namespace quelvo::preview
