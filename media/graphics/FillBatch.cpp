// The Direct3D fill batch: render-target fills queued and drawn by
// destination in runs, one quad each.
#include <vector>

#include "base/Log.h"
#include "media/graphics/Shape.h"

namespace {

struct FillEntry {
  DDSURFACEDATA* dst;
  int x, y, w, h;
  uint32_t argb;
};

bool g_active = false;
std::vector<FillEntry> g_fillEntries;

bool QueueFill(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t argb) {
  if (!g_active) return false;
  g_fillEntries.push_back({lpSD, x, y, w, h, argb});
  return true;
}

}  // namespace

bool DDIsFillBatchActive() { return g_active; }

void DDBeginFillBatch() {
  if (!lpDTCon) return;
  g_active = true;
  g_fillEntries.clear();
  DDQueueFill = &QueueFill;
}

void DDEndFillBatch() {
  if (!lpDTCon) return;
  std::vector<FillEntry> entries;
  entries.swap(g_fillEntries);
  g_active = false;
  DDQueueFill = nullptr;
  size_t i = 0;
  while (i < entries.size()) {
    size_t j = i + 1;
    while (j < entries.size() && entries[j].dst == entries[i].dst) ++j;
    if (!lpDevice || !DDBeginScene() || !DDSetRenderTarget(0, entries[i].dst)) {
      // The rest of the run is tried as a run of its own.
      ++i;
      continue;
    }
    DTSTAGE& st = lpDevice->Stage();
    st.colorOp = DTOP_SELECTARG2;
    st.colorArg2 = DTTA_DIFFUSE;
    st.alphaOp = DTOP_DISABLE;
    lpDevice->SetTexture(WorkSD.lpDT ? WorkSD.lpDT->lpTexture : nullptr);
    for (size_t k = i; k < j; ++k) {
      const FillEntry& e = entries[k];
      lpDevice->DrawRect(e.x, e.y, e.w, e.h, 0, 0, e.w, e.h, e.argb);
    }
    DDSetRenderTarget(0, lpDTCon->lpRestTarget);
    i = j;
  }
}
