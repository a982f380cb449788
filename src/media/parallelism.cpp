#include "media/parallelism.h"

#include <algorithm>
#include <thread>

namespace kyaudio {

int machineCores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

} // namespace kyaudio
