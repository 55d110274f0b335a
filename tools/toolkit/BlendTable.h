#pragma once
// 8-bit blend tables, as the player reads them from "bmp\hbt\hbtNN.dat":
// 256 rows of 256 palette indexes.
#include <array>
#include <cstdint>
#include <vector>

#include "media/graphics/DDDevice.h"

namespace tools {

using cPaletteEntries = std::array<DDPALENTRY, 256>;

// One table per palette. Entry a * 256 + b is the entry nearest (squared RGB
// distance; the lowest index on a tie) to the channel-wise mix (a + b) >> 1
// of entries a and b, the mix the 16- and 32-bit screens compute. Palettes
// that hold the same colours in another order share one search.
std::vector<std::vector<uint8_t>> MakeBlendTables(const std::vector<cPaletteEntries>& palettes);

}  // namespace tools
