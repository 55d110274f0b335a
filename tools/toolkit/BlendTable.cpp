#include "tools/toolkit/BlendTable.h"

#include <algorithm>
#include <map>

#include "media/graphics/EffectMath.h"

namespace tools {
namespace {

uint32_t Rgb(const DDPALENTRY& e) { return uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue; }

// For every pair p <= q of a set of distinct colours, the colours nearest to
// their mix; more than one only on a tie.
struct cMixWinners {
  size_t count = 0;
  std::vector<size_t> offsets;   // pair p * count + q starts here; count * count + 1 entries
  std::vector<uint8_t> winners;  // colour numbers
};

cMixWinners SearchMixes(const std::vector<uint32_t>& colours) {
  cMixWinners m;
  const size_t n = colours.size();
  m.count = n;
  m.offsets.resize(n * n + 1);
  // Unsigned channels: a wrapped difference still squares to the true square.
  std::vector<uint32_t> red(n), green(n), blue(n);
  for (size_t k = 0; k < n; ++k) {
    red[k] = colours[k] >> 16 & 255;
    green[k] = colours[k] >> 8 & 255;
    blue[k] = colours[k] & 255;
  }
  for (size_t p = 0; p < n; ++p)
    for (size_t q = 0; q < n; ++q) {
      m.offsets[p * n + q] = m.winners.size();
      if (q < p) continue;
      const uint32_t r = static_cast<uint32_t>(HalveToward(int(red[p]), int(red[q]), 1));
      const uint32_t g = static_cast<uint32_t>(HalveToward(int(green[p]), int(green[q]), 1));
      const uint32_t b = static_cast<uint32_t>(HalveToward(int(blue[p]), int(blue[q]), 1));
      const size_t start = m.winners.size();
      uint32_t best = UINT32_MAX;
      for (size_t k = 0; k < n; ++k) {
        const uint32_t dr = red[k] - r, dg = green[k] - g, db = blue[k] - b;
        const uint32_t d = dr * dr + dg * dg + db * db;
        if (d > best) continue;
        if (d < best) {
          best = d;
          m.winners.resize(start);
        }
        m.winners.push_back(static_cast<uint8_t>(k));
      }
    }
  m.offsets[n * n] = m.winners.size();
  return m;
}

}  // namespace

std::vector<std::vector<uint8_t>> MakeBlendTables(const std::vector<cPaletteEntries>& palettes) {
  std::map<std::vector<uint32_t>, cMixWinners> searches;
  std::vector<std::vector<uint8_t>> tables;
  for (const cPaletteEntries& palette : palettes) {
    std::vector<uint32_t> colours;
    for (const DDPALENTRY& e : palette) colours.push_back(Rgb(e));
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    auto found = searches.find(colours);
    if (found == searches.end()) found = searches.emplace(colours, SearchMixes(colours)).first;
    const cMixWinners& m = found->second;
    // Each entry's colour number, and the lowest entry of each colour.
    size_t id[256];
    int lowest[256];
    std::fill(std::begin(lowest), std::end(lowest), 256);
    for (int i = 0; i < 256; ++i) {
      id[i] = static_cast<size_t>(std::lower_bound(colours.begin(), colours.end(), Rgb(palette[i])) - colours.begin());
      lowest[id[i]] = std::min(lowest[id[i]], i);
    }
    std::vector<uint8_t> table(kBlendTableSize);
    for (int a = 0; a < 256; ++a)
      for (int b = 0; b < 256; ++b) {
        const size_t pair = std::min(id[a], id[b]) * m.count + std::max(id[a], id[b]);
        int result = 256;
        for (size_t w = m.offsets[pair]; w < m.offsets[pair + 1]; ++w) result = std::min(result, lowest[m.winners[w]]);
        table[a * 256 + b] = static_cast<uint8_t>(result);
      }
    tables.push_back(std::move(table));
  }
  return tables;
}

}  // namespace tools
