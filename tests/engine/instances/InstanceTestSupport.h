#pragma once
// Surfaces whose pixels name the cell they lie in, so a test can tell which
// chip or frame a blit took.
#include <cstdint>
#include <utility>

#include "media/graphics/DDCore.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

namespace insttest {

// Cell (cx, cy): red cx + 1, green cy + 1, blue 7. Never the black key.
inline uint32_t CellPixel(int cx, int cy) { return uint32_t(cx + 1) << 16 | uint32_t(cy + 1) << 8 | 7u; }

// Creates `sd` (w x h, colour-keyed) with every pixel naming its cell.
inline void FillCells(DDSURFACEDATA* sd, int w, int h, int cell) {
  DDCreateSurface(sd, w, h, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  cPixelSurface* px = sd->Pixels();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px->SetPixel(x, y, CellPixel(x / cell, y / cell));
}

// The cell named by the pixel at (x, y), or (-1, -1) where no cell was drawn.
inline std::pair<int, int> CellOf(DDSURFACEDATA* sd, int x, int y, int = 0) {
  uint32_t p = sd->Pixels()->GetPixel(x, y) & 0xFFFFFFu;
  if ((p & 0xFFu) != 7u) return {-1, -1};
  return {int(p >> 16) - 1, int((p >> 8) & 0xFFu) - 1};
}

// A target surface filled with a colour no cell has.
class Surface {
 public:
  Surface(int w, int h) {
    DDCreateSurface(&sd_, w, h, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    cPixelSurface* px = sd_.Pixels();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px->SetPixel(x, y, 0x000001u);
  }
  ~Surface() { DDReleaseSurface(&sd_); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  DDSURFACEDATA* sd() { return &sd_; }
  bool Untouched(int x, int y) { return (sd_.Pixels()->GetPixel(x, y) & 0xFFFFFFu) == 1u; }

 private:
  DDSURFACEDATA sd_;
};

}  // namespace insttest
