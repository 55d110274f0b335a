// Pixel access under both personalities.
#include "base/Log.h"
#include "media/graphics/DDInternal.h"

int DDIsFullScreenBack(const DDSURFACEDATA* lpSD) { return lpSD == &BackBuffer && DDSettings.bWindowed == 0; }

bool cSurfaceLock::Lock(DDSURFACEDATA* lpSD) {
  Unlock();
  if (!lpSD) return false;
  DDLOCKEDRECT locked{0, nullptr};
  cPixelSurface* surface = nullptr;
  if (lpDTCon) {
    DDResolveAlias(&lpSD);
    DDRedirectBackBuffer(&lpSD);
    DTDATA* dt = lpSD->lpDT;
    if (!dt || !lpDevice) return false;
    if (dt->bRenderTarget && lpSD != &BackBuffer) {
      if (!dt->lpSurface || !dt->lpSystemSurface ||
          lpDevice->GetRenderTargetData(dt->lpSurface.get(), dt->lpSystemSurface.get()) != DD_OK) {
        WriteDebugLog("FAILED( lpDevice->GetRenderTargetData(lpSD->lpDT->lpSurface,lpSD->lpDT->lpSystemSurface) )");
        return false;
      }
      if (dt->lpSystemSurface->LockRect(&locked) != DD_OK) {
        WriteDebugLog("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
        return false;
      }
      surface = dt->lpSystemSurface.get();
    } else {
      if (!dt->lpSurface) return false;
      if (dt->lpSurface->LockRect(&locked) != DD_OK) {
        DebugErrorBox("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
        return false;
      }
      surface = dt->lpSurface.get();
    }
  } else {
    DDLOCKDESC desc;
    void* bits = nullptr;
    if (!lpSD->lpDD || !lpSD->lpDD->lpSurface) return false;
    if (!DDLock(lpSD, &desc, &bits, DDSettings.nBpp)) return false;
    surface = lpSD->lpDD->lpSurface.get();
    locked.Pitch = desc.lPitch;
    locked.pBits = desc.lpSurface;
  }
  // The pixel size is the locked surface's own, so indexing never leaves it.
  m_nBytesPerPixel = surface->BytesPerPixel();
  m_nBpp = m_nBytesPerPixel * 8;
  m_lpSD = lpSD;
  m_lpLocked = surface;
  m_lpBits = static_cast<uint8_t*>(locked.pBits);
  m_nPitch = m_nBytesPerPixel ? locked.Pitch / m_nBytesPerPixel : 0;
  return true;
}

void cSurfaceLock::Unlock() {
  if (!m_lpSD) return;
  if (lpDTCon) {
    if (m_lpSD == &BackBuffer) {
      if (m_lpLocked->UnlockRect() != DD_OK) WriteDebugLog("Back :: D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
    } else if (m_lpSD->lpDT && m_lpSD->lpDT->bRenderTarget) {
      if (m_lpLocked->UnlockRect() != DD_OK) {
        WriteDebugLog("D3D_OK != m_lpSD->lpDT->lpSystemSurface->UnlockRect();");
      } else if (!m_lpSD->lpDT->lpSurface || !lpDevice ||
                 lpDevice->UpdateSurface(m_lpLocked, m_lpSD->lpDT->lpSurface.get()) != DD_OK) {
        DebugErrorBox("FAILED( lpDevice->UpdateSurface(m_lpSD->lpDT->lpSystemSurface, NULL, m_lpSD->lpDT->lpSurface, NULL)");
      }
    } else if (m_lpLocked->UnlockRect() != DD_OK) {
      WriteDebugLog("D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
    }
  } else {
    m_lpLocked->UnlockRect();
  }
  m_lpSD = nullptr;
  m_lpLocked = nullptr;
  m_lpBits = nullptr;
}
