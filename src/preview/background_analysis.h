#pragma once
// The preview's analysis as a task of its own: decodes the dialogue and the
// music once, side by side (the dialogue in a second task that the
// analysis waits for), and hands over the kept levels (and, in a
// second decode of the dialogue when asked, its speech features). A new
// start(), cancel() or destruction stops the running analysis and waits for
// both its tasks, so no analysis outlives the files it was started for. No
// Qt here: the desktop program hops the answers to its GUI thread, the tests
// wait for them.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "base/task_runner.h"
#include "preview/level_track.h"

namespace quelvo::preview {

class BackgroundAnalysis {
  public:
    using Track = std::shared_ptr<const LevelTrack>;
    struct Outcome {
        unsigned generation = 0;
        Track dialogue, music; // null where no path was given or it could not be read
        std::string problem;   // why a track is missing; "" when none is
        // The first answer came from levels alone; a second answer with a
        // dialogue track that keeps the speech features follows.
        bool featuresPending = false;
        // This is that second answer (the dialogue's track may still lack
        // features if the file could not be read again; `problem` then says why).
        bool featuresMeasured = false;
    };
    // When the dialogue's speech features are measured: in the one decode
    // that gives the first picture (the automatic detection needs them for
    // it), in a second decode after the first picture (threshold detection
    // draws without them), or not at all.
    enum class FeaturesWhen { withLevels, afterPicture, never };
    // `progress` is called on either analysis thread, one call at a time,
    // with the share of the whole rising from 0 to 1; `done` on the
    // analysis's own thread once both files are read, only when not
    // cancelled, twice when the features follow the picture.
    using Progress = std::function<void(unsigned generation, double share)>;
    using Done = std::function<void(const Outcome&)>;

    BackgroundAnalysis(Progress progress, Done done);
    ~BackgroundAnalysis();
    BackgroundAnalysis(const BackgroundAnalysis&) = delete;
    BackgroundAnalysis& operator=(const BackgroundAnalysis&) = delete;

    // Stops any running analysis, then analyses the paths whose track is not
    // given ("" for none), then measures the dialogue's speech features as
    // `features` says (also for a kept track without them). Returns the new
    // generation.
    unsigned start(const std::string& dialoguePath, const std::string& musicPath,
                   Track keptDialogue = nullptr, Track keptMusic = nullptr,
                   FeaturesWhen features = FeaturesWhen::withLevels);
    // Stops the running analysis and waits for its thread.
    void cancel();
    // Waits for a finished analysis's thread (call after `done`).
    void reap();
    bool hasThread() const { return m_task.valid(); }
    unsigned generation() const { return m_generation; }

    // Analysis threads alive in the process right now: two while a runner
    // reads both files, one while it reads one.
    static int liveThreads();

  private:
    Progress m_progress;
    Done m_done;
    TaskHandle<TaskDone> m_task;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    unsigned m_generation = 0;
};

} // namespace quelvo::preview
