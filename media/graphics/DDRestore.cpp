// Device loss: the Direct3D device reset and the DirectDraw surface restore.
#include <functional>

#include "base/Log.h"
#include "media/graphics/DDInternal.h"

namespace {
std::function<void()> g_fontLost;
std::function<void()> g_fontRestore;
}  // namespace

void DDSetFontRestoreHooks(std::function<void()> onLost, std::function<void()> onRestore) {
  g_fontLost = std::move(onLost);
  g_fontRestore = std::move(onRestore);
}

int DDRestoreSurface() {
  if (!lpDTCon) {
    // "DDではDDRestoreSurfaceは未対応"
    WriteDebugLog("DD\x82\xC5\x82\xCD" "DDRestoreSurface\x82\xCD\x96\xA2\x91\xCE\x89\x9E");
    return 1;
  }
  if (!lpDevice) return 0;
  WriteDebugLog("Restore In");
  for (DDSURFACEDATA* sd : SurfaceList) {
    if (!sd || !sd->lpDT || sd->lpDT->nMemoryType == DTMEMORYTYPE_SYSTEM) continue;
    sd->lpDT->lpTexture.reset();
    sd->lpDT->lpSurface.reset();
  }
  if (g_fontLost) g_fontLost();
  if (BackBuffer.lpDT) BackBuffer.lpDT->lpSurface.reset();
  if (lpDevice->TestCooperativeLevel() != D3DERR_DEVICENOTRESET) {
    // "復旧失敗…リセット可能な状態ではありません…"
    WriteDebugLog("\x95\x9C\x8B\x8C\x8E\xB8\x94s\x81" "c\x83\x8A\x83Z\x83" "b\x83g\x89\xC2\x94\x5C\x82\xC8\x8F\xF3\x91\xD4\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "c");
    return 0;
  }
  if (lpDevice->Reset() != DD_OK) return 0;
  lpDTCon->bInScene = 0;
  DDSetDefaultStates();
  if (BackBuffer.lpDT) BackBuffer.lpDT->lpSurface = lpDevice->GetBackBuffer();
  // Loading a mirrored file adds and removes a scratch record at the end of
  // the list; list iterators stay valid through that.
  for (auto it = SurfaceList.begin(); it != SurfaceList.end(); ++it) {
    DDSURFACEDATA* sd = *it;
    if (!sd || !sd->lpDT) continue;
    DTDATA* dt = sd->lpDT;
    if (!sd->strFile.empty() && sd->strFile != "E") {
      if (DDCreateSurfaceFromFile(sd, sd->strFile, dt->bTransparent, DDSettings.nBpp, sd->nDDMemory, dt->nMemoryType,
                                  0, 0, sd->nMirrorW, sd->nMirrorH, 1) != 0)
        WriteDebugLog("Err");
    } else {
      if (!DDCreateSurface(sd, sd->nWidth, sd->nHeight, dt->bTransparent, sd->nDDMemory, dt->nMemoryType, 0, 1))
        WriteDebugLog("Err");
      sd->bLost = 1;
    }
  }
  if (g_fontRestore) g_fontRestore();
  if (!DDSettings.bWindowed && DDGetHostHooks().ShowWindow) DDGetHostHooks().ShowWindow(1);
  WriteDebugLog("Restore Out");
  return 1;
}

bool DDRestore() {
  if (lpDTCon) {
    // "D3DではDDRestoreは未対応"
    WriteDebugLog("D3D\x82\xC5\x82\xCD" "DDRestore\x82\xCD\x96\xA2\x91\xCE\x89\x9E");
    return true;
  }
  if (!PrimarySD.lpDD || !PrimarySD.lpDD->lpSurface) return true;
  cPixelSurface& primary = *PrimarySD.lpDD->lpSurface;
  if (primary.IsLost() != DDERR_SURFACELOST) return true;
  primary.Restore();
  if (BackBuffer.lpDD && BackBuffer.lpDD->lpSurface && BackBuffer.lpDD->lpSurface->IsLost() == DDERR_SURFACELOST)
    BackBuffer.lpDD->lpSurface->Restore();
  for (int i = 0; DDSettings.lpSurfaceTable && i < DDSettings.nSurfaceCount; ++i) {
    DDSURFACEDATA& sd = DDSettings.lpSurfaceTable[i];
    if (!sd.lpDD || !sd.lpDD->lpSurface) continue;
    if (sd.lpDD->lpSurface->IsLost() == DDERR_SURFACELOST) sd.lpDD->lpSurface->Restore();
    if (sd.nDDMemory == 0) {
      if (!sd.strFile.empty() && sd.strFile != "E") {
        DDReloadSurface(&sd, DDSettings.nBpp);
      } else {
        sd.bLost = 1;
      }
    }
  }
  if (DDSettings.nBpp == 8 && lpDDPalette) lpDDPalette->SetEntries(0, 256, PalWork);
  if (g_fontRestore) g_fontRestore();
  return true;
}

bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp) {
  if (lpDTCon) return true;
  if (!lpSD) return false;
  bool hadMap = lpSD->lpDD && !lpSD->lpDD->PaletteMap.empty();
  return CopyBitmap(lpSD, lpSD->strFile, nBpp, hadMap ? 1 : 0, lpSD->nMirrorW, lpSD->nMirrorH);
}

void DDSimulateDeviceLoss(bool held) {
  if (lpDevice) lpDevice->SimulateLoss(held);
}

void DDEndDeviceLossHold() {
  if (lpDevice) lpDevice->EndLossHold();
}

void DDSimulateSurfaceLoss() { MarkVideoSurfacesLost(); }
