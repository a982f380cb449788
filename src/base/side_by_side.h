#pragma once
// Two pieces of independent work side by side: one started on a thread of its
// own while the caller does the other. Used where a job reads two files whose
// results do not depend on each other (the dialogue and the music).
#include <future>
#include <system_error>
#include <type_traits>
#include <utility>

namespace kykit {

// Starts `work` on a thread of its own when `sideBySide`, else (or when the
// system has no thread to give) leaves it to run on the thread that asks for
// its result, at that moment. A started future that is dropped unasked waits
// for its thread; a deferred one never runs, as if the work were skipped.
template <class Work>
std::future<std::invoke_result_t<Work&>> startBeside(bool sideBySide, Work work) {
    if (sideBySide) {
        try {
            return std::async(std::launch::async, std::move(work));
        } catch (const std::system_error&) {
        }
    }
    return std::async(std::launch::deferred, std::move(work));
}

} // namespace kykit
