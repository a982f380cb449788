#include "media/parallelism.h"

#include <algorithm>
#include <thread>

namespace quelvo {

int machineCores() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

} // namespace quelvo
