#include "base/concurrency.h"

#include <map>
#include <thread>

namespace kykit {

void KySemaphore::wait() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_count > 0; });
    --m_count;
}

bool KySemaphore::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_cv.wait_for(lock, timeout, [this] { return m_count > 0; })) return false;
    --m_count;
    return true;
}

void KySemaphore::release() {
    // Notified under the lock: the waiter may destroy the semaphore as soon as
    // its wait() returns (the ducking job keeps it on its stack), so nothing
    // here may touch it once the mutex is given back.
    std::lock_guard lock(m_mutex);
    ++m_count;
    m_cv.notify_one();
}

namespace {

using Clock = std::chrono::steady_clock;

// One worker thread with a timetable. It lives as long as the process and is
// detached, so a program never waits for it unless it asks (drain).
class Worker {
public:
    static Worker& instance() {
        static Worker* worker = new Worker();
        return *worker;
    }

    void post(Clock::time_point due, std::function<void()> block) {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.emplace(std::make_pair(due, m_sequence++), std::move(block));
            ++m_pending;
        }
        m_cv.notify_all();
    }

    void drain() {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_pending == 0; });
    }

private:
    Worker() { std::thread([this] { run(); }).detach(); }

    void run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_tasks.empty()) {
                m_cv.wait(lock);
                continue;
            }
            const auto due = m_tasks.begin()->first.first;
            if (Clock::now() < due) {
                m_cv.wait_until(lock, due);
                continue;
            }
            auto block = std::move(m_tasks.begin()->second);
            m_tasks.erase(m_tasks.begin());
            lock.unlock();
            if (block) block();
            lock.lock();
            if (--m_pending == 0) m_idle.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::condition_variable m_idle;
    std::map<std::pair<Clock::time_point, unsigned long>, std::function<void()>> m_tasks;
    unsigned long m_sequence = 0;
    long m_pending = 0;
};

} // namespace

void Queue::execute(bool /*fast*/, std::function<void()> block) {
    Worker::instance().post(Clock::now(), std::move(block));
}

void Queue::execute(double after, std::function<void()> block) {
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(after > 0 ? after : 0));
    Worker::instance().post(Clock::now() + delay, std::move(block));
}

void Queue::drain() { Worker::instance().drain(); }

} // namespace kykit
