#pragma once
// One piece of background work: its state, its progress, a cancel request
// its work polls, and its end (a value or one sentence saying why it failed).
// A TaskRunner starts it; see task_runner.h and docs/background-work.md.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

namespace quelvo {

enum class TaskState { waiting, running, finished, failed, cancelled };

// Finished, failed and cancelled are ends: the state changes no more.
bool isOver(TaskState state);

// What a work returns when it could not do its job.
struct TaskFailure {
    std::string message;
};

// A work's end: its value, or why it failed.
template <class T> using TaskReturn = std::variant<T, TaskFailure>;

// The value of a work that has nothing to hand back.
struct TaskDone {};

// What the task's receiver is handed once it is over.
template <class T> struct TaskResult {
    TaskState state = TaskState::waiting;
    std::optional<T> value; // only when finished
    std::string error;      // only when failed
    bool ok() const { return state == TaskState::finished; }
};

// Where a task's progress and end are handed over. `post` runs a block on
// the thread it stands for (the desktop's main thread, say). Without a
// post, the blocks run on the thread that waits for the task.
struct Delivery {
    std::function<void(std::function<void()>)> post;
};

class Task;

// What the work sees while it runs.
class TaskControl {
  public:
    explicit TaskControl(Task& task) : m_task(task) {}
    bool cancelled() const;
    // For code that polls a plain flag (the analyses).
    const std::atomic<bool>* cancelFlag() const;
    // A fraction from 0 to 1; a receiver sees the latest one.
    void setProgress(double fraction);

  private:
    Task& m_task;
};

// The shared state of one task, untyped: TaskHandle<T> gives its value.
// Every member is safe from any thread.
class Task : public std::enable_shared_from_this<Task> {
  public:
    // The work returns nothing when it did its job, else why it failed.
    using Body = std::function<std::optional<std::string>(TaskControl&)>;

    struct Parts {
        std::string name;
        Body body;
        std::function<void(double)> onProgress; // delivered
        // Called on the ending thread before a waiter sees the end.
        std::function<void(TaskState, const std::string& error)> record;
        std::function<void()> onEnd; // delivered, after every progress
        Delivery delivery;
    };

    explicit Task(Parts parts);

    const std::string& name() const { return m_parts.name; }
    TaskState state() const;
    double progress() const { return m_progress.load(); }
    bool cancelRequested() const { return m_cancel.load(); }
    // Asks the work to stop; a task that has not started ends at once
    // without running.
    void cancel();
    // Blocks until the task is over, running on this thread whatever was to
    // be delivered to the waiting thread.
    void wait();
    // The same for at most `timeout`; false when the task is not over yet.
    bool waitFor(std::chrono::milliseconds timeout);

    // The runner's side: runs the work on the calling thread, once.
    void run();
    // True once over with nothing left to deliver to a waiting thread.
    bool settled() const;

  private:
    friend class TaskControl;
    void end(TaskState state, const std::string& error); // with m_mutex held
    void deliver(std::function<void()> block);           // with m_mutex held
    void postProgress();
    bool runDeliveries(std::unique_lock<std::mutex>& lock);

    Parts m_parts;
    std::atomic<bool> m_cancel{false};
    std::atomic<double> m_progress{0.0};
    std::atomic<bool> m_progressPosted{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    TaskState m_state = TaskState::waiting;
    std::deque<std::function<void()>> m_inbox; // for the waiting thread
};

// A caller's hold on a started task and, once it is over, its result.
template <class T> class TaskHandle {
  public:
    TaskHandle() = default;
    TaskHandle(std::shared_ptr<Task> task, std::shared_ptr<TaskResult<T>> result)
        : m_task(std::move(task)), m_result(std::move(result)) {}

    bool valid() const { return m_task != nullptr; }
    TaskState state() const { return m_task->state(); }
    double progress() const { return m_task->progress(); }
    void cancel() const { m_task->cancel(); }
    // Waits for the end and hands back the result.
    TaskResult<T> wait() const {
        m_task->wait();
        return *m_result;
    }
    bool waitFor(std::chrono::milliseconds timeout) const { return m_task->waitFor(timeout); }
    const std::shared_ptr<Task>& task() const { return m_task; }

  private:
    std::shared_ptr<Task> m_task;
    std::shared_ptr<TaskResult<T>> m_result;
};

} // namespace quelvo
