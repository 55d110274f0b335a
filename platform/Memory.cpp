#include "platform/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

void AdviseLargeBlock(void* data, size_t bytes) {
  constexpr size_t kLargeBlock = size_t{4} << 20;
  if (!data || bytes < kLargeBlock) return;
  const long page = sysconf(_SC_PAGESIZE);
  if (page <= 0) return;
  const auto mask = static_cast<uintptr_t>(page) - 1;
  // Only whole pages inside the block: the advice covers nothing else.
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + mask) & ~mask;
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~mask;
  if (end <= begin) return;
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);  // a refusal changes nothing
#endif
}

}  // namespace platform
