#pragma once
// A way to stop a job from another thread: the desktop's Cancel button, the
// command line's SIGINT/SIGTERM. Copies share one flag, so the caller keeps a
// copy and hands another to the job. The job looks at it between its stages
// and the analyses look at it while they decode; a stopped job writes nothing.
#include <atomic>
#include <memory>

namespace quelvo {

class CancelToken {
  public:
    CancelToken() : m_own(std::make_shared<std::atomic<bool>>(false)), m_flag(m_own.get()) {}

    // A token that reads a flag its owner sets and keeps alive while the job
    // runs, such as a running task's (TaskControl::cancelFlag): cancelling
    // the task stops the job. Only that owner stops it; cancel() does nothing.
    static CancelToken following(const std::atomic<bool>* flag) { return CancelToken(flag); }

    // Safe from any thread, and from a signal handler (lock-free store).
    void cancel() const {
        if (m_own) m_own->store(true);
    }
    bool cancelled() const { return m_flag->load(); }
    // For the analyses, which take a plain flag.
    const std::atomic<bool>* flag() const { return m_flag; }

  private:
    explicit CancelToken(const std::atomic<bool>* flag) : m_flag(flag) {}

    std::shared_ptr<std::atomic<bool>> m_own; // none when following another's flag
    const std::atomic<bool>* m_flag;
};

} // namespace quelvo
