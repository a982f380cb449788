#pragma once
// Two pieces of independent work side by side: one started as a task of its
// own while the caller does the other. Used where a job reads two files whose
// results do not depend on each other (the dialogue and the music).
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "base/task_runner.h"

namespace quelvo {

// The work started beside the caller, or left to run when asked for.
template <class R> class Beside {
  public:
    Beside() = default;
    Beside(TaskHandle<R> started) : m_started(std::move(started)) {}
    Beside(std::function<R()> deferred) : m_deferred(std::move(deferred)) {}
    Beside(Beside&& other) noexcept { *this = std::move(other); }
    Beside& operator=(Beside&& other) noexcept {
        settle();
        m_started = std::exchange(other.m_started, {});
        m_deferred = std::exchange(other.m_deferred, {});
        return *this;
    }
    // A started work dropped unasked is waited for: it may use the caller's
    // data. A deferred one never runs, as if the work were skipped.
    ~Beside() { settle(); }

    // The work's value, waited for (or the work run here and now).
    R get() {
        if (m_deferred) return std::exchange(m_deferred, {})();
        TaskResult<R> result = std::exchange(m_started, {}).wait();
        if (!result.value) throw std::runtime_error(result.error);
        return std::move(*result.value);
    }

  private:
    void settle() {
        if (m_started.valid()) m_started.wait();
    }
    TaskHandle<R> m_started;
    std::function<R()> m_deferred;
};

// Starts `work` as a task of its own when `sideBySide`, else leaves it to run
// on the thread that asks for its result, at that moment. Its progress and
// end are the caller's business: they are delivered to the waiting thread.
template <class Work> Beside<std::invoke_result_t<Work&>> startBeside(bool sideBySide, Work work) {
    using R = std::invoke_result_t<Work&>;
    if (!sideBySide) return Beside<R>(std::function<R()>(std::move(work)));
    TaskRequest<R> request;
    request.name = "beside";
    request.work = [work = std::move(work)](TaskControl&) mutable -> TaskReturn<R> {
        return work();
    };
    request.delivery = Delivery{};
    return Beside<R>(TaskRunner::shared().start(std::move(request)));
}

} // namespace quelvo
