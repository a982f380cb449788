#include "jobs/dialogue_analyses.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "base/task_runner.h"

namespace quelvo {

namespace {

// The shared state of the workers: which file is next and how many are done.
struct Work {
    const std::vector<std::string>& paths;
    const EnvelopeTiming& rolls;
    const Parallelism& parallelism;
    std::vector<SpeechAnalysis> results;
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;
    int done = 0;
    bool failed = false;

    // Analyses files until none is left (or one failed).
    void run() {
        for (;;) {
            size_t index;
            {
                std::lock_guard lock(mutex);
                if (failed || next == paths.size()) return;
                index = next++;
            }
            SpeechAnalysis analysis = analyzeDialogue(paths[index], rolls, parallelism);
            {
                std::lock_guard lock(mutex);
                failed = failed || !analysis.status;
                results[index] = std::move(analysis);
                ++done;
            }
            changed.notify_all();
        }
    }
};

} // namespace

std::vector<SpeechAnalysis>
analyzeEveryDialogue(const std::vector<std::string>& paths, const EnvelopeTiming& rolls,
                     const Parallelism& parallelism,
                     const std::function<void(int done, int total)>& onFinished) {
    Work work{paths, rolls, parallelism, std::vector<SpeechAnalysis>(paths.size()), {}, {},
              0,     0,     false};
    const int total = static_cast<int>(paths.size());
    const int workers = std::min(std::max(parallelism.jobs, 1), total);
    if (workers <= 1) {
        // One at a time on this thread, still telling each file's end.
        for (int i = 0; i < total && !work.failed; ++i) {
            work.results[i] = analyzeDialogue(paths[i], rolls, parallelism);
            work.failed = !work.results[i].status;
            if (onFinished) onFinished(i + 1, total);
        }
        return std::move(work.results);
    }
    // The workers are tasks of the program's runner; this thread only tells
    // each file's end, so nothing is delivered through them.
    TaskRequest<TaskDone> worker("dialogue analysis",
                                 [&work](TaskControl&) -> TaskReturn<TaskDone> {
                                     work.run();
                                     return TaskDone{};
                                 });
    worker.delivery = Delivery{};
    std::vector<TaskHandle<TaskDone>> running;
    for (int w = 0; w < workers; ++w)
        running.push_back(TaskRunner::shared().start(worker));
    int told = 0;
    for (;;) {
        std::unique_lock lock(work.mutex);
        work.changed.wait(lock, [&] { return work.done > told; });
        const int done = work.done;
        const bool over = done == total || (work.failed && work.next == static_cast<size_t>(done));
        lock.unlock();
        for (; told < done; ++told)
            if (onFinished) onFinished(told + 1, total);
        if (over) break;
    }
    for (const auto& r : running)
        r.wait();
    return std::move(work.results);
}

} // namespace quelvo
