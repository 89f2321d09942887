#include "platform/foundation/Memory.h"

#include <malloc.h>

namespace foundation::memory {

namespace {
constexpr int kLargeBlockBytes = 4 << 20;
}

// Setting either value by hand also stops glibc moving both of them.
void returnLargeBlocksToTheSystem() { mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes); }

void releaseFreedMemory() { malloc_trim(0); }

}  // namespace foundation::memory
