#include "base/task_runner.h"

#include <system_error>

namespace quelvo {

TaskRunner::TaskRunner(int maxRunning) : m_maxRunning(maxRunning) {}

TaskRunner::~TaskRunner() {
    std::map<std::thread::id, std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& task : m_tasks)
            task->cancel();
        m_waiting.clear();
        threads.swap(m_threads);
    }
    for (auto& [id, thread] : threads)
        thread.join();
}

TaskRunner& TaskRunner::shared() {
    // Never destroyed: a detached hand-over may still run while statics go.
    static TaskRunner* runner = new TaskRunner();
    return *runner;
}

void TaskRunner::setDelivery(Delivery delivery) {
    std::lock_guard lock(m_mutex);
    m_delivery = std::move(delivery);
}

Delivery TaskRunner::delivery() const {
    std::lock_guard lock(m_mutex);
    return m_delivery;
}

void TaskRunner::launch(std::shared_ptr<Task> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.remove_if([](const std::shared_ptr<Task>& t) { return t->settled(); });
        m_tasks.push_back(task);
        m_waiting.push_back(task);
        if (m_maxRunning > 0 && m_running >= m_maxRunning) return;
        joinExited();
        if (startWorker()) return;
        m_waiting.pop_back();
    }
    // The system has no thread to give: the work is done here, as on one
    // core (a busy worker may be the caller, waiting for this very task).
    task->run();
}

// With m_mutex held.
bool TaskRunner::startWorker() {
    try {
        std::thread thread([this] { workOn(); });
        const std::thread::id id = thread.get_id();
        m_threads.emplace(id, std::move(thread));
    } catch (const std::system_error&) {
        return false;
    }
    ++m_running;
    return true;
}

// A worker runs tasks until none waits, then leaves its thread to be
// joined by the next launch (or the destructor).
void TaskRunner::workOn() {
    while (std::shared_ptr<Task> task = next())
        task->run();
}

std::shared_ptr<Task> TaskRunner::next() {
    std::lock_guard lock(m_mutex);
    while (!m_waiting.empty()) {
        std::shared_ptr<Task> task = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (task->state() == TaskState::waiting) return task;
    }
    --m_running;
    m_exited.push_back(std::this_thread::get_id());
    return nullptr;
}

// With m_mutex held. An exited worker has at most a few instructions left.
void TaskRunner::joinExited() {
    for (const std::thread::id id : m_exited) {
        auto found = m_threads.find(id);
        if (found == m_threads.end()) continue;
        found->second.join();
        m_threads.erase(found);
    }
    m_exited.clear();
}

void TaskRunner::waitForAll() {
    for (;;) {
        std::shared_ptr<Task> pending;
        {
            std::lock_guard lock(m_mutex);
            m_tasks.remove_if([](const std::shared_ptr<Task>& t) { return t->settled(); });
            if (m_tasks.empty()) return;
            pending = m_tasks.front();
        }
        pending->wait();
    }
}

} // namespace quelvo
