#include "base/temporary_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace quelvo {

namespace {

// Fixed slots, so that the signal handler touches no allocator and no lock:
// it reads lock-free atomics and calls unlink, both safe in a handler.
enum SlotState : int { kFree = 0, kBusy = 1, kHeld = 2 };
constexpr int kSlots = 64;
constexpr size_t kPathBytes = 4096;

struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};
Slot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

void removeAndEnd(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : g_slots)
        if (slot.state.load() == kHeld) ::unlink(slot.path);
    errno = savedErrno;
    // The handler was reset to the default (SA_RESETHAND): the signal, blocked
    // while this runs, ends the program as soon as the handler returns.
    ::raise(signal);
}

} // namespace

void rememberTemporaryFile(const std::string& path) {
    if (path.empty() || path.size() >= kPathBytes) return;
    for (Slot& slot : g_slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kHeld);
        return;
    }
}

void forgetTemporaryFile(const std::string& path) {
    for (Slot& slot : g_slots) {
        if (slot.state.load() != kHeld || path != slot.path) continue;
        slot.state.store(kFree);
        return;
    }
}

void removeTemporaryFilesOnStop() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = removeAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace quelvo
