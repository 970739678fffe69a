#include "platform/freed_memory.h"

#include <malloc.h>

namespace platform {

namespace {

// Blocks below this come from the heap and are reused; the allocator takes no
// larger threshold on 64-bit systems, and bigger messages are rare.
constexpr int kMmapThreshold = 32 * 1024 * 1024;
// The free top of the heap is kept up to this before being returned.
constexpr int kTrimThreshold = 256 * 1024 * 1024;

}  // namespace

void KeepFreedMemoryForReuse() {
  mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
  mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
}

void ReturnFreedMemory() { malloc_trim(0); }

}  // namespace platform
