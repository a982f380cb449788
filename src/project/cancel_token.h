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
    CancelToken() : m_flag(std::make_shared<std::atomic<bool>>(false)) {}

    // Safe from any thread, and from a signal handler (lock-free store).
    void cancel() const { m_flag->store(true); }
    bool cancelled() const { return m_flag->load(); }
    // For the analyses, which take a plain flag.
    const std::atomic<bool>* flag() const { return m_flag.get(); }

  private:
    std::shared_ptr<std::atomic<bool>> m_flag;
};

} // namespace quelvo
