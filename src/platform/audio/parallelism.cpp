#include "platform/audio/parallelism.h"

#include <algorithm>
#include <thread>

namespace kyaudio {

int machineCores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

Parallelism shareOf(const Parallelism& total, int part, int parts) {
    Parallelism share = total;
    parts = std::max(1, parts);
    const int jobs = std::max(1, total.jobs);
    share.jobs = std::max(1, jobs / parts + (part < jobs % parts ? 1 : 0));
    return share;
}

} // namespace kyaudio
