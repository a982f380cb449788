#pragma once
// Starts tasks on worker threads: one thread per running task, up to a
// limit when the runner has one (the others wait their turn in order).
// Each task's progress and end go to the receiver through its Delivery: the
// request's, else the runner's (the desktop sets the main thread; left
// alone, the thread that waits for the task runs them).
#include <list>
#include <map>
#include <thread>
#include <type_traits>
#include <vector>

#include "base/task.h"

namespace quelvo {

template <class T> struct TaskRequest {
    using Work = std::function<TaskReturn<T>(TaskControl&)>;
    TaskRequest() = default;
    TaskRequest(std::string name, Work work) : name(std::move(name)), work(std::move(work)) {}

    std::string name;
    Work work;
    std::function<void(double)> onProgress;           // optional
    std::function<void(const TaskResult<T>&)> onDone; // optional
    std::optional<Delivery> delivery;                 // empty: the runner's
};

class TaskRunner {
  public:
    // maxRunning 0: every task starts at once on a thread of its own.
    explicit TaskRunner(int maxRunning = 0);
    // Cancels what is left and waits for the work that is running.
    ~TaskRunner();
    TaskRunner(const TaskRunner&) = delete;
    TaskRunner& operator=(const TaskRunner&) = delete;

    // The program's runner; it lives as long as the process.
    static TaskRunner& shared();

    void setDelivery(Delivery delivery);
    Delivery delivery() const;

    template <class T> TaskHandle<T> start(TaskRequest<T> request);

    // Waits until every task started so far, and any it starts meanwhile,
    // is over, running their waiting-thread deliveries here. A command
    // line calls it before it exits so that late work (the hand-over) is
    // not lost.
    void waitForAll();

  private:
    void launch(std::shared_ptr<Task> task);
    bool startWorker();
    void workOn();
    std::shared_ptr<Task> next();
    void joinExited();

    const int m_maxRunning;
    mutable std::mutex m_mutex;
    Delivery m_delivery;
    std::list<std::shared_ptr<Task>> m_tasks; // not settled yet
    std::deque<std::shared_ptr<Task>> m_waiting;
    int m_running = 0;
    std::map<std::thread::id, std::thread> m_threads;
    std::vector<std::thread::id> m_exited;
};

template <class T> TaskHandle<T> TaskRunner::start(TaskRequest<T> request) {
    auto result = std::make_shared<TaskResult<T>>();
    Task::Parts parts;
    parts.name = std::move(request.name);
    parts.body = [work = std::move(request.work),
                  result](TaskControl& control) -> std::optional<std::string> {
        TaskReturn<T> returned = work(control);
        if (auto* failure = std::get_if<TaskFailure>(&returned)) return failure->message;
        result->value = std::move(std::get<T>(returned));
        return std::nullopt;
    };
    parts.onProgress = std::move(request.onProgress);
    parts.record = [result](TaskState state, const std::string& error) {
        result->state = state;
        result->error = error;
        if (state != TaskState::finished) result->value.reset();
    };
    if (request.onDone)
        parts.onEnd = [result, onDone = std::move(request.onDone)] { onDone(*result); };
    parts.delivery = request.delivery ? *request.delivery : delivery();
    auto task = std::make_shared<Task>(std::move(parts));
    launch(task);
    return TaskHandle<T>(std::move(task), std::move(result));
}

} // namespace quelvo
