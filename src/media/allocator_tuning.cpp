#include "media/allocator_tuning.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quelvo {

void tuneAllocatorForDecoding() {
#if defined(__GLIBC__)
    mallopt(M_MXFAST, 0);
#endif
}

} // namespace quelvo
