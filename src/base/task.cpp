#include "base/task.h"

#include <algorithm>
#include <exception>

namespace quelvo {

bool isOver(TaskState state) {
    return state == TaskState::finished || state == TaskState::failed ||
           state == TaskState::cancelled;
}

bool TaskControl::cancelled() const {
    return m_task.cancelRequested();
}

const std::atomic<bool>* TaskControl::cancelFlag() const {
    return &m_task.m_cancel;
}

void TaskControl::setProgress(double fraction) {
    m_task.m_progress.store(std::clamp(fraction, 0.0, 1.0));
    m_task.postProgress();
}

Task::Task(Parts parts) : m_parts(std::move(parts)) {}

TaskState Task::state() const {
    std::lock_guard lock(m_mutex);
    return m_state;
}

void Task::cancel() {
    m_cancel.store(true);
    {
        std::lock_guard lock(m_mutex);
        if (m_state != TaskState::waiting) return;
        end(TaskState::cancelled, {});
    }
    m_changed.notify_all();
}

void Task::run() {
    {
        std::lock_guard lock(m_mutex);
        if (m_state != TaskState::waiting) return;
        m_state = TaskState::running;
    }
    std::optional<std::string> error;
    TaskControl control(*this);
    // Errors are values; an exception that still escapes is the task's
    // failure, not the worker thread's end.
    try {
        error = m_parts.body(control);
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "An unexpected error stopped the work.";
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_cancel.load())
            end(TaskState::cancelled, {});
        else
            end(error ? TaskState::failed : TaskState::finished, error.value_or(""));
    }
    m_changed.notify_all();
}

// Only the latest progress matters: one delivery at a time is in flight and
// reads the value when it runs, so a fast work cannot flood the receiver.
void Task::postProgress() {
    if (!m_parts.onProgress || m_progressPosted.exchange(true)) return;
    std::lock_guard lock(m_mutex);
    if (isOver(m_state)) return;
    deliver([self = shared_from_this()] {
        self->m_progressPosted.store(false);
        self->m_parts.onProgress(self->m_progress.load());
    });
}

// With m_mutex held, so that a cancel cannot cross the start of the work.
void Task::end(TaskState state, const std::string& error) {
    if (m_parts.record) m_parts.record(state, error);
    if (m_parts.onEnd) deliver([self = shared_from_this()] { self->m_parts.onEnd(); });
    m_state = state;
}

// A delivered block keeps the task alive: a receiver may run it after the
// runner and every handle let go.
void Task::deliver(std::function<void()> block) {
    if (m_parts.delivery.post) {
        m_parts.delivery.post(std::move(block));
        return;
    }
    m_inbox.push_back(std::move(block));
    m_changed.notify_all();
}

bool Task::runDeliveries(std::unique_lock<std::mutex>& lock) {
    bool ran = false;
    while (!m_inbox.empty()) {
        std::function<void()> block = std::move(m_inbox.front());
        m_inbox.pop_front();
        lock.unlock();
        block();
        lock.lock();
        ran = true;
    }
    return ran;
}

void Task::wait() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        runDeliveries(lock);
        if (isOver(m_state) && m_inbox.empty()) return;
        m_changed.wait(lock);
    }
}

bool Task::waitFor(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;) {
        runDeliveries(lock);
        if (isOver(m_state) && m_inbox.empty()) return true;
        if (m_changed.wait_until(lock, until) == std::cv_status::timeout) {
            runDeliveries(lock);
            return isOver(m_state) && m_inbox.empty();
        }
    }
}

bool Task::settled() const {
    std::lock_guard lock(m_mutex);
    return isOver(m_state) && m_inbox.empty();
}

} // namespace quelvo
