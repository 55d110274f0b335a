#pragma once
// Memory services of the system.
#include <cstddef>

namespace platform {

// Asks the system to back a large block that is about to be filled with
// large pages, so filling it takes far fewer page faults. Blocks under 4 MB
// are left alone; where the system cannot do it, nothing changes. The
// block's contents and size are never affected.
void AdviseLargeBlock(void* data, size_t bytes);

// Sets the program's heap up for loading, which makes and drops many
// picture-sized blocks: every thread allocates from one heap that keeps
// freed memory for reuse instead of handing it back, and a first stretch of
// that heap is backed by large pages, so filling fresh blocks takes far
// fewer page faults. Call before any other thread exists;
// later calls do nothing. Where the system cannot do a part, that part is
// skipped.
void PrepareLoadingHeap();

}  // namespace platform
