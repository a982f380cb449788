#pragma once
// Semaphore and background queue of the toolkit.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace kykit {

// A counting semaphore: a release() that comes before the wait() is not lost.
// KySemaphore(true) starts "taken", so the first wait() blocks until a release().
class KySemaphore {
public:
    explicit KySemaphore(bool start = true) : m_count(start ? 0 : 1) {}
    void wait();
    // Waits at most `timeout`; false when it ran out.
    bool waitFor(std::chrono::milliseconds timeout);
    void release();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    long m_count;
};

// Work that runs later on the toolkit's background thread, in the order of the
// times it is due.
class Queue {
public:
    // Runs block soon, asynchronously (fast asks for no delay at all).
    static void execute(bool fast, std::function<void()> block);
    // Runs block `seconds` from now, asynchronously.
    static void execute(double after, std::function<void()> block);
    // Blocks until every block handed in so far has run; a command-line program
    // calls it before it exits so that a delayed hand-over is not lost.
    static void drain();
};

} // namespace kykit
