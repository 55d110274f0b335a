#include "platform/Memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

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

void PrepareLoadingHeap() {
  static std::atomic<bool> done{false};
  if (done.exchange(true)) return;
#if defined(__GLIBC__) && defined(M_ARENA_MAX) && defined(MADV_HUGEPAGE)
  // Picture-sized blocks come from the heap (not a fresh mapping each), and
  // memory freed at the heap's top stays there for the next block.
  constexpr size_t kLargestHeapBlock = size_t{32} << 20;
  constexpr size_t kGrowth = size_t{32} << 20;
  if (mallopt(M_ARENA_MAX, 1) != 1) return;
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargestHeapBlock));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(kLargestHeapBlock * 4));
  mallopt(M_TOP_PAD, static_cast<int>(kGrowth));
  // Grow the heap once and ask for large pages over the new stretch; only
  // what is touched is ever backed, so the size costs no memory.
  void* const before = sbrk(0);
  void* block = std::malloc(kLargestHeapBlock - 4096);
  void* const after = sbrk(0);
  if (block && before != reinterpret_cast<void*>(-1) && after != reinterpret_cast<void*>(-1) && after > before) {
    constexpr uintptr_t kLarge = uintptr_t{2} << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(before) + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(after) & ~(kLarge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
  std::free(block);
#endif
}

}  // namespace platform
