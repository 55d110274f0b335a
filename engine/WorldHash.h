#pragma once
// A 64-bit fingerprint of the running world after a frame: every object's
// position, speed, state and flow positions, the stage variables, the block
// map, the scroll, the clocks, the clear result and destination, the next
// character, item and shot IDs, the score, lives and common variables, and
// the random state.
// Two runs that hash alike frame by frame played the same game; replays and
// the determinism tests compare these values.
#include <cstdint>

class cPlayWorld;

uint64_t WorldHash(const cPlayWorld& world);
