#pragma once
// Memory services of the system.
#include <cstddef>

namespace platform {

// Asks the system to back a large block that is about to be filled with
// large pages, so filling it takes far fewer page faults. Blocks under 4 MB
// are left alone; where the system cannot do it, nothing changes. The
// block's contents and size are never affected.
void AdviseLargeBlock(void* data, size_t bytes);

}  // namespace platform
