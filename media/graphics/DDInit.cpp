// Set-up and end of the library, presentation, scenes, render targets, the
// virtual back buffer, the blit state, texture sizes and the dialog mode.
#include <algorithm>
#include <mutex>

#include "base/Log.h"
#include "media/graphics/DDInternal.h"
#include "media/graphics/DisplayReport.h"
#include "platform/Clock.h"
#include "platform/CloseRequest.h"
#include "platform/MessageBox.h"

DDSETTINGS DDSettings;
int bDDInitDone = 0;
cDirectDraw* lpDD = nullptr;
cDDPalette* lpDDPalette = nullptr;
cDDClipper* lpDDClipper = nullptr;
cDirect3D* lpD3D = nullptr;
cVirtualDevice* lpDevice = nullptr;
DTCONTEXT* lpDTCon = nullptr;
DDCONTEXT* lpDDCon = nullptr;
DDSURFACEDATA PrimarySD;
DDSURFACEDATA BackBuffer;
DDSURFACEDATA VirBackBuffer;
DDSURFACEDATA WorkSD;
DDSURFACEDATA FadeSD;
DDRECT rcScreen = {0, 0, 0, 0};
int nDesktopBpp = 0;
PIXELLAYOUT PixelLayout = {0, 0, 0, 0, 0, 0, 0, 0};
PIXELLAYOUT BackBufferLayout = {0, 0, 0, 0, 0, 0, 0, 0};
DDPALENTRY PalTable[256];
DDPALENTRY PalWork[256];
uint32_t dwTransmitPixel = 0;
cList<DDSURFACEDATA*> SurfaceList;

namespace {
DDFORMAT g_displayFormat = DDFMT_UNKNOWN;
std::mutex g_hookMutex;
DDFramePacer g_pacer;
DDHOSTHOOKS g_hooks;

void ShowCursorHook(bool show) {
  if (g_hooks.ShowCursor) g_hooks.ShowCursor(show);
}

const char* FormatName(DDFORMAT f) {
  switch (f) {
    case DDFMT_X8R8G8B8: return "X8R8G8B8";
    case DDFMT_R5G6B5: return "R5G6B5";
    case DDFMT_A1R5G5B5: return "A1R5G5B5";
    default: return "";
  }
}

void InstallFullScreenBox() {
  if (DDSettings.bWindowed) {
    SetFullScreenMessageBox(nullptr);
    return;
  }
  // Boxes over a full-screen picture go through the library's dialog mode.
  SetFullScreenMessageBox(
      [](const std::string& text, const std::string& caption, unsigned type) { return DDMesBox(text, caption, type); });
}

bool SetupDirect3D() {
  const DDVIRTUALDISPLAY& vd = DDGetVirtualDisplay();
  // An unknown version counts as new enough, as the driver query answers.
  const int ddiVersion = GetDDIVersion();
  if (ddiVersion < 9) {
    // "ビデオカードのドライバがDirectX9をサポートしていません！ %d"
    WriteLog("\x83r\x83" "f\x83I\x83J\x81[\x83h\x82\xCC\x83h\x83\x89\x83" "C\x83o\x82\xAA" "DirectX9\x82\xF0\x83T\x83|\x81[\x83g\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81I %d",
             ddiVersion);
    return false;
  }
  if (!vd.bHasDirect3D) {
    // "ビデオカードがDirectX9をサポートしていません！"
    WriteLog("\x83r\x83" "f\x83I\x83J\x81[\x83h\x82\xAA" "DirectX9\x82\xF0\x83T\x83|\x81[\x83g\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81I");
    return false;
  }
  lpD3D = new cDirect3D;
  lpDTCon = new DTCONTEXT;
  lpDTCon->dwBltColor = 0xFFFFFFFF;
  lpDTCon->dwBltColorOp = DTOP_MODULATE;
  lpDTCon->dwBltAlphaOp = DTOP_MODULATE;

  DTPRESENTPARAMS pp;
  int bbWidth, bbHeight;
  if (DDSettings.bWindowed) {
    // The back buffer takes the client area, which is the picture size here.
    bbWidth = DDSettings.nWidth;
    bbHeight = DDSettings.nHeight;
    pp.BackBufferWidth = 0;
    pp.BackBufferHeight = 0;
    pp.RefreshRate = 0;
    if (DDSettings.bVSync) {
      // The display mode is never changed; we only read the rate it runs at.
      WriteLog("RefreshRate : %d", vd.nRefreshRate);
      if (vd.nRefreshRate != 60) {
        DDSettings.bVSync = 0;
        // "リフレッシュレートの変更に失敗しました！垂直同期が無効になります！"
        WriteLog("\x83\x8A\x83t\x83\x8C\x83" "b\x83V\x83\x85\x83\x8C\x81[\x83g\x82\xCC\x95\xCF\x8DX\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81I\x90\x82\x92\xBC\x93\xAF\x8A\xFA\x82\xAA\x96\xB3\x8C\xF8\x82\xC9\x82\xC8\x82\xE8\x82\xDC\x82\xB7\x81I");
      }
    }
  } else {
    bbWidth = pp.BackBufferWidth = DDSettings.nWidth;
    bbHeight = pp.BackBufferHeight = DDSettings.nHeight;
    pp.RefreshRate = 60;
  }
  pp.PresentationInterval = DDSettings.bVSync ? 0u : 0x80000000u;

  lpDTCon->nAdapter = 0;
  lpDTCon->nDeviceType = 1;
  lpDTCon->Caps.MaxTextureWidth = vd.nMaxTextureWidth;
  lpDTCon->Caps.MaxTextureHeight = vd.nMaxTextureHeight;
  lpDTCon->Caps.TextureCaps = (vd.bPow2 ? 0x2u : 0u) | (vd.bSquareOnly ? 0x20u : 0u);
  lpDTCon->Caps.Caps3 = 0x20;
  pp.SwapEffect = (lpDTCon->Caps.Caps3 & 0x20) ? 1 : 3;
  lpDTCon->bPow2 = (lpDTCon->Caps.TextureCaps & 0x2) ? 1 : 0;
  lpDTCon->bSquareOnly = (lpDTCon->Caps.TextureCaps & 0x20) ? 1 : 0;

  if (DDSettings.nBpp == 32) {
    lpDTCon->BackBufferFormat = DDFMT_X8R8G8B8;
    lpDTCon->TextureFormat = DDFMT_A8R8G8B8;
    PixelLayout = LayoutOfFormat(DDFMT_A8R8G8B8);
  } else if (DDSettings.nBpp == 16) {
    lpDTCon->BackBufferFormat = DDSettings.bWindowed ? DDFMT_A1R5G5B5 : DDFMT_R5G6B5;
    lpDTCon->TextureFormat = DDFMT_A1R5G5B5;
    BackBufferLayout = LayoutOfFormat(lpDTCon->BackBufferFormat);
    PixelLayout = LayoutOfFormat(DDFMT_A1R5G5B5);
  } else {
    return false;
  }
  pp.BackBufferFormat = lpDTCon->BackBufferFormat;
  pp.BackBufferCount = 1;
  pp.Windowed = DDSettings.bWindowed;
  pp.Flags = 1;
  lpDTCon->PresentParams = pp;
  lpDTCon->BackBufferFormatCopy = pp.BackBufferFormat;

  lpDevice = new cVirtualDevice(lpDTCon->BackBufferFormat, bbWidth, bbHeight);
  WriteLog(vd.bHardwareVertexProcessing ? "Device HAL-HARD" : "Device HAL-SOFT");
  WriteLog("%s", FormatName(lpDTCon->BackBufferFormat));

  DDSetDefaultStates();
  DDResetBltColor();
  DDResetBltColorOp();
  DDResetBltAlphaOp();

  if (!BackBuffer.lpDT) DDAllocSurfaceData(&BackBuffer);
  BackBuffer.nWidth = BackBuffer.nTexWidth = DDSettings.nWidth;
  BackBuffer.nHeight = BackBuffer.nTexHeight = DDSettings.nHeight;
  BackBuffer.nDDMemory = 0;
  BackBuffer.strName = "BackBuffer";
  BackBuffer.lpDT->lpTexture.reset();
  BackBuffer.lpDT->lpSystemSurface.reset();
  BackBuffer.lpDT->nMemoryType = DTMEMORYTYPE_VIDEO_RT;
  BackBuffer.lpDT->bTransparent = 0;
  BackBuffer.lpDT->bRenderTarget = 1;
  BackBuffer.lpDT->nSurfaceId = 0;
  BackBuffer.lpDT->lpSurface = lpDevice->GetBackBuffer();
  BackBuffer.lpDT->Desc = {lpDTCon->BackBufferFormat, DTUSAGE_RENDERTARGET, DDPOOL_DEFAULT, bbWidth, bbHeight};
  lpDTCon->nNextSurfaceId = 1;
  lpDTCon->nNextFontId = 0;

  if (!VirBackBuffer.lpDT) DDAllocSurfaceData(&VirBackBuffer);
  DDSetVirBackBuffer(0);
  lpDTCon->bCopyingVirBack = 0;
  DDCreateSurface(&VirBackBuffer, BackBuffer.nWidth, BackBuffer.nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  VirBackBuffer.strName = "VirBackBuffer";
  if (!WorkSD.lpDT) DDAllocSurfaceData(&WorkSD);
  DDCreateSurface(&WorkSD, BackBuffer.nWidth, BackBuffer.nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  WorkSD.strName = "WorkSD";

  if (!DDSettings.bWindowed) ShowCursorHook(false);
  return true;
}

// The DirectDraw palette of the set-ups.
void CreatePalette(bool window) {
  lpDDPalette = new cDDPalette;
  for (int i = 0; i < 256; ++i) {
    DDPALENTRY& e = lpDDPalette->entries[i];
    if (window && (i < 10 || i >= 246)) {
      e = {static_cast<uint8_t>(i), 0, 0, 2};
    } else {
      e = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0, 1};
    }
  }
  if (!window) lpDDPalette->entries[0] = {0, 0, 255, 1};
}

bool CreatePrimary(DDFORMAT format, int width, int height, int backBuffers) {
  int64_t bytes = int64_t(width) * height * FormatBytesPerPixel(format) * (1 + backBuffers);
  if (format == DDFMT_UNKNOWN || !VideoMemoryFits(bytes)) return false;
  auto primary = std::make_shared<cPixelSurface>(format, width, height, DDPOOL_DEFAULT);
  primary->primary = true;
  for (int i = 0; i < backBuffers; ++i)
    primary->Attach(std::make_shared<cPixelSurface>(format, width, height, DDPOOL_DEFAULT));
  DDAllocSurfaceData(&PrimarySD);
  PrimarySD.lpDD->lpSurface = primary;
  if (backBuffers > 0) {
    DDAllocSurfaceData(&BackBuffer);
    BackBuffer.lpDD->lpSurface = primary->Attached();
  }
  return true;
}

void SetSizes(int width, int height) {
  for (DDSURFACEDATA* sd : {&PrimarySD, &BackBuffer, &FadeSD}) {
    sd->nWidth = sd->nTexWidth = width;
    sd->nHeight = sd->nTexHeight = height;
  }
  PrimarySD.nDDMemory = 0;
  BackBuffer.nDDMemory = 0;
  FadeSD.nDDMemory = 1;
}

int SetupFullScreen() {
  SetSizes(DDSettings.nWidth, DDSettings.nHeight);
  lpDD = new cDirectDraw;
  lpDD->nCoopLevel = 0x13;
  g_displayFormat = DDFormatOfDepth(DDSettings.nBpp);
  if (g_displayFormat == DDFMT_UNKNOWN) {
    WriteLog("SetDisplayMode Err");
    return 3;
  }
  lpDD->bDisplayModeSet = true;
  nDesktopBpp = DDSettings.nBpp;
  if (!CreatePrimary(g_displayFormat, DDSettings.nWidth, DDSettings.nHeight,
                     DDSettings.nBackBufferMode == 1 ? 1 : 2)) {
    WriteLog("Primary CreateSurface Err");
    return 4;
  }
  if (!DDCreateSurface(&FadeSD, DDSettings.nWidth, DDSettings.nHeight, 0, 1, 0, 0, 0)) return 4;
  CreatePalette(false);
  if (DDSettings.nBpp <= 8) {
    lpDDPalette->attached = true;
  } else {
    DDGetPixelFormat(&PixelLayout);
  }
  ShowCursorHook(false);
  return 0;
}

int SetupWindow() {
  // The virtual window's client area is the picture.
  rcScreen = {0, 0, DDSettings.nWidth, DDSettings.nHeight};
  int width = rcScreen.right - rcScreen.left, height = rcScreen.bottom - rcScreen.top;
  SetSizes(width, height);
  const DDVIRTUALDISPLAY& vd = DDGetVirtualDisplay();
  nDesktopBpp = vd.nDesktopBpp ? vd.nDesktopBpp : DDSettings.nBpp;
  lpDD = new cDirectDraw;
  lpDD->nCoopLevel = 8;
  g_displayFormat = DDFormatOfDepth(nDesktopBpp);
  if (!CreatePrimary(g_displayFormat, width, height, 0)) {
    WriteLog("Primary CreateSurface Err");
    return 4;
  }
  if (!DDCreateSurface(&BackBuffer, width, height, 0, 0, 0, 0, 0)) return 4;
  if (!DDCreateSurface(&FadeSD, width, height, 0, 1, 0, 0, 0)) return 4;
  CreatePalette(true);
  if (nDesktopBpp <= 8) {
    lpDDPalette->attached = true;
  } else {
    DDGetPixelFormat(&PixelLayout);
  }
  lpDDClipper = new cDDClipper;
  lpDDClipper->bHasWindow = true;
  ShowCursorHook(true);
  return 0;
}

const char* SetupCodeName(int code) {
  switch (code) {
    case 1: return "CREATEEX_ERR";
    case 2: return "SETCOOPLEVEL_ERR";
    case 3: return "SETDISPLAYMODE_ERR";
    case 4: return "CREATESURFACE_ERR";
    case 5: return "GETATTACHEDSURFACE_ERR";
    case 6: return "CREATEPALETTE_ERR";
    case 7: return "SETPALETTE_ERR";
    case 10: return "CLIPPER_ERR";
    case 11: return "SETHWND_ERR";
    case 12: return "SETCLIPPER_ERR";
    default: return nullptr;
  }
}
}  // namespace

DDFORMAT DDDisplayFormat() { return g_displayFormat; }

DDFORMAT DDFormatOfDepth(int bpp) {
  switch (bpp) {
    case 8: return DDFMT_P8;
    case 16: return DDFMT_R5G6B5;
    case 32: return DDFMT_X8R8G8B8;
    default: return DDFMT_UNKNOWN;
  }
}

void DDSetFramePacer(DDFramePacer pacer) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_pacer = std::move(pacer);
}

void DDSetHostHooks(DDHOSTHOOKS hooks) { g_hooks = std::move(hooks); }
const DDHOSTHOOKS& DDGetHostHooks() { return g_hooks; }

cPixelSurface* DDSURFACEDATA::Pixels() const {
  if (lpDT) return lpDT->lpSurface.get();
  if (lpDD) return lpDD->lpSurface.get();
  return nullptr;
}

void OnPrimaryChanged(cPixelSurface& primary) { PresentSurface(primary, lpDDPalette && lpDDPalette->attached ? lpDDPalette : nullptr); }

bool DDInit(int bUseD3D, void* hWnd, int width, int height, int bpp, int bVSync, int bWindowed, int nBackBufferMode,
            int nRefreshRate, int bUseRefreshRate, DDSURFACEDATA* lpSurfaceTable, DDBITMAPDATA* lpBitmapTable,
            int nSurfaceCount, int) {
  // Put away what a previous set-up left before the settings change (also a
  // failed Direct3D set-up whose caller did not end it: its objects would leak
  // and its context would keep the library in the Direct3D personality).
  if (bDDInitDone || lpDD || lpD3D || lpDTCon) {
    if (lpDD) lpDD->bDisplayModeSet = false;
    DDEnd();
  }
  DDSettings.bUseD3D = bUseD3D;
  DDSettings.hDDWnd = hWnd;
  DDSettings.nWidth = width;
  DDSettings.nHeight = height;
  DDSettings.nBpp = bpp;
  DDSettings.nBytesPerPixel = bpp / 8;
  DDSettings.bWindowed = bWindowed;
  DDSettings.nBackBufferMode = nBackBufferMode;
  DDSettings.bVSync = bVSync;
  DDSettings.nRefreshRate = nRefreshRate;
  DDSettings.bUseRefreshRate = bUseRefreshRate;
  DDSettings.lpSurfaceTable = lpSurfaceTable;
  DDSettings.lpBitmapTable = lpBitmapTable;
  DDSettings.nSurfaceCount = nSurfaceCount;
  WriteLog("VSync : %d", bVSync);

  if (bUseD3D) {
    if (!SetupDirect3D()) return false;
  } else {
    lpDDCon = new DDCONTEXT;
    int code;
    if (!bWindowed) {
      if (g_hooks.SetFullScreenStyle) g_hooks.SetFullScreenStyle(true);
      code = SetupFullScreen();
    } else {
      code = SetupWindow();
    }
    if (const char* name = SetupCodeName(code)) {
      WriteDebugLog("%s", name);
      return false;
    }
  }
  bDDInitDone = 1;
  InstallFullScreenBox();
  return true;
}

void DDEnd() {
  auto releaseTable = [] {
    for (int i = 0; DDSettings.lpSurfaceTable && i < DDSettings.nSurfaceCount; ++i)
      DDReleaseSurface(&DDSettings.lpSurfaceTable[i]);
  };
  DDResetSpriteBatch();
  if (lpDD) {
    releaseTable();
    delete lpDDClipper;
    lpDDClipper = nullptr;
    delete lpDDPalette;
    lpDDPalette = nullptr;
    DDReleaseSurface(&BackBuffer);
    DDReleaseSurface(&PrimarySD);
    DDReleaseSurface(&FadeSD);
    delete lpDD;
    lpDD = nullptr;
  }
  delete lpDDCon;
  lpDDCon = nullptr;
  if (lpD3D || lpDTCon) {
    releaseTable();
    DDReleaseSurface(&WorkSD);
    DDReleaseSurface(&VirBackBuffer);
    DDReleaseSurface(&BackBuffer);
    delete lpDevice;
    lpDevice = nullptr;
    delete lpD3D;
    lpD3D = nullptr;
    delete lpDTCon;
    lpDTCon = nullptr;
  }
  g_displayFormat = DDFMT_UNKNOWN;
  bDDInitDone = 0;
  SetFullScreenMessageBox(nullptr);
}

void DDExit() { DDEnd(); }

int DDFlip(int nFrameRate, int bShowTiming, DDSURFACEDATA* lpTimingFontSD) {
  if (!lpDTCon || !lpDevice) return 1;
  if (lpDTCon->bVirBackBuffer) DDCopyVirBackBuffer(&BackBuffer, &VirBackBuffer);
  // The clock sets the game's speed whatever the vertical sync setting says.
  DDFramePacer pacer;
  {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    pacer = g_pacer;
  }
  if (pacer)
    while (!pacer(nFrameRate, bShowTiming, lpTimingFontSD)) platform::SleepMs(1);
  DDEndScene();
  if (lpDevice->Present() == D3DERR_DEVICELOST) {
    if (!DDSettings.bWindowed && g_hooks.ShowWindow) g_hooks.ShowWindow(7);
    return 0;
  }
  return 1;
}

int DDBeginScene() {
  if (!lpDevice || !lpDTCon) return 0;
  if (lpDTCon->bInScene) return 1;
  DDRESULT hr = lpDevice->BeginScene();
  if (hr != DD_OK) {
    WriteLog("BeginScene Err %x", static_cast<unsigned>(hr));
    return 0;
  }
  lpDTCon->bInScene = 1;
  return 1;
}

void DDEndScene() {
  if (!lpDevice || !lpDTCon || !lpDTCon->bInScene) return;
  lpDevice->EndScene();
  lpDTCon->bInScene = 0;
}

int DDSetRenderTarget(int, DDSURFACEDATA* lpSD) {
  if (!lpDevice || !lpSD || !lpSD->lpDT || !lpSD->lpDT->bRenderTarget) return 0;
  DDRESULT hr = lpDevice->SetRenderTarget(lpSD->lpDT->lpSurface);
  if (hr != DD_OK) {
    WriteLog("SetRenderTarget Err %x (%s)", static_cast<unsigned>(hr), lpSD->strFile.c_str());
    return 0;
  }
  return 1;
}

void DDSetVirBackBuffer(int bOn) {
  if (!lpDTCon) return;
  if (lpDTCon->bVirBackBuffer && !bOn && VirBackBuffer.lpDT && VirBackBuffer.lpDT->lpSurface)
    DDCopyVirBackBuffer(&BackBuffer, &VirBackBuffer);
  lpDTCon->bVirBackBuffer = bOn;
  lpDTCon->lpRestTarget = bOn ? &BackBuffer : &VirBackBuffer;
  if (lpDTCon->lpRestTarget->lpDT && lpDTCon->lpRestTarget->lpDT->lpSurface) DDSetRenderTarget(0, lpDTCon->lpRestTarget);
}

int DDRedirectBackBuffer(DDSURFACEDATA** lplpSD) {
  if (lpDTCon && lpDTCon->bVirBackBuffer && lplpSD && *lplpSD == &BackBuffer) {
    *lplpSD = &VirBackBuffer;
    return 1;
  }
  return 0;
}

void DDCopyVirBackBuffer(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD) {
  if (!lpDTCon || !lpSrcSD) return;
  lpDTCon->bCopyingVirBack = 1;
  DDSetBltAlphaOp(DTOP_DISABLE);
  DDBlt(lpDstSD, 0, 0, lpSrcSD->nWidth, lpSrcSD->nHeight, lpSrcSD, 0, 0, 0);
  DDResetBltAlphaOp();
  lpDTCon->bCopyingVirBack = 0;
}

void DDResolveAlias(DDSURFACEDATA** lplpSD) {
  if (lplpSD && *lplpSD && (*lplpSD)->lpAlias) *lplpSD = (*lplpSD)->lpAlias;
}

void DDSetBltColor(uint32_t argb) {
  if (lpDTCon) lpDTCon->dwBltColor = argb;
}
void DDResetBltColor() { DDSetBltColor(0xFFFFFFFF); }
void DDSetBltColorOp(uint32_t op) {
  if (lpDTCon) lpDTCon->dwBltColorOp = op;
}
void DDResetBltColorOp() { DDSetBltColorOp(DTOP_MODULATE); }
void DDSetBltAlphaOp(uint32_t op) {
  if (lpDTCon) lpDTCon->dwBltAlphaOp = op;
}
void DDResetBltAlphaOp() { DDSetBltAlphaOp(DTOP_SELECTARG1); }

void DDSetDefaultStates() {
  if (!lpDevice) return;
  // Culling off, no depth buffer, source-alpha blending; point sampling, wrapping.
  lpDevice->SetAlphaBlend(true);
}

void DDAdjustTextureSize(int* width, int* height) {
  if (!lpDTCon || !width || !height) return;
  auto pow2 = [](int v) {
    if (v <= 0 || (v & (v - 1)) == 0) return v;
    unsigned top = 1u << (31 - __builtin_clz(static_cast<unsigned>(v)));
    return static_cast<int>(top * 2);
  };
  if (lpDTCon->bPow2) {
    *width = pow2(*width);
    *height = pow2(*height);
  }
  if (lpDTCon->bSquareOnly) {
    int m = std::max(*width, *height);
    *width = *height = m;
  }
}

int DDCheckTextureSize(int width, int height) {
  if (!lpDTCon) return 1;
  int ok = 1;
  if (static_cast<unsigned>(width) > static_cast<unsigned>(lpDTCon->Caps.MaxTextureWidth)) {
    // "このビデオカードでは横幅%dを超える画像はサポートされていません！"
    WriteLog("\x82\xB1\x82\xCC\x83r\x83" "f\x83I\x83J\x81[\x83h\x82\xC5\x82\xCD\x89\xA1\x95\x9D%d\x82\xF0\x92\xB4\x82\xA6\x82\xE9\x89\xE6\x91\x9C\x82\xCD\x83T\x83|\x81[\x83g\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81I",
             lpDTCon->Caps.MaxTextureWidth);
    ok = 0;
  }
  if (static_cast<unsigned>(height) > static_cast<unsigned>(lpDTCon->Caps.MaxTextureHeight)) {
    // "このビデオカードでは縦幅%dを超える画像はサポートされていません！"
    WriteLog("\x82\xB1\x82\xCC\x83r\x83" "f\x83I\x83J\x81[\x83h\x82\xC5\x82\xCD\x8F" "c\x95\x9D%d\x82\xF0\x92\xB4\x82\xA6\x82\xE9\x89\xE6\x91\x9C\x82\xCD\x83T\x83|\x81[\x83g\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81I",
             lpDTCon->Caps.MaxTextureHeight);
    ok = 0;
  }
  return ok;
}

void DDGetPixelFormat(PIXELLAYOUT* layout) {
  if (!layout || !PrimarySD.lpDD || !PrimarySD.lpDD->lpSurface) return;
  PIXELLAYOUT f = LayoutOfFormat(PrimarySD.lpDD->lpSurface->Format());
  layout->nRShift = f.nRShift;
  layout->nGShift = f.nGShift;
  layout->nBShift = f.nBShift;
  layout->nRMax = f.nRMax;
  layout->nGMax = f.nGMax;
  layout->nBMax = f.nBMax;
}

int DDSetDialogMode(int bOn) {
  if (DDSettings.bWindowed) return 1;
  if (lpDTCon) {
    if (bOn) {
      DDEndScene();
      ShowCursorHook(true);
    } else {
      ShowCursorHook(false);
    }
    return 1;
  }
  ShowCursorHook(bOn != 0);
  return 1;
}

int DDMesBox(const std::string& text, const std::string& caption, unsigned type) {
  if (!DDSetDialogMode(1)) {
    // "DDMesBox 失敗! %s, %s"
    WriteDebugLog("DDMesBox \x8E\xB8\x94s! %s, %s", text.c_str(), caption.c_str());
    return 0;
  }
  platform::ShowMessageBox(text, caption, type);
  DDSetDialogMode(0);
  return 1;
}

void DDTextureErrorBox() {
  if (lpDTCon && !lpDTCon->strTextureError.empty()) ErrorBoxText(lpDTCon->strTextureError);
  platform::RequestMainWindowClose();
}
