#pragma once
// The DD graphics library: one global state over the virtual device
// (DDDevice.h) with two personalities. lpDTCon non-null means the Direct3D
// personality (render-target textures, quads, the sprite batch); null means
// the DirectDraw personality (plain surfaces, colour keys, the 8-bit hardware
// palette). Colours everywhere are palette numbers 0-255.
//
// Files of the library: DDInit.cpp (set-up, presentation, scenes, render
// targets, blit state), DDSurface.cpp (surface records, creation, bitmaps),
// DDBlt.cpp (blits, clipping, the sprite batch, locks), DDRestore.cpp (device
// loss), DDFill.cpp (palette colours and rectangle fills), DDSurfaceLock.cpp
// (pixel access under both personalities), Bmp.cpp (our bitmap reader).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Containers.h"
#include "media/graphics/DDDevice.h"

struct DDSURFACEDATA;

// ------------------------------------------------------------ records

// Memory types of Direct3D surfaces.
enum : int32_t { DTMEMORYTYPE_VIDEO_RT = 0, DTMEMORYTYPE_SYSTEM = 1, DTMEMORYTYPE_VIDEO_NORT = 2 };

struct DTSURFACEDESC {
  DDFORMAT Format = DDFMT_UNKNOWN;
  uint32_t Usage = 0;
  DDPOOL Pool = DDPOOL_DEFAULT;
  int32_t Width = 0, Height = 0;
};

// Direct3D back-end record of a surface.
struct DTDATA {
  int32_t nSurfaceId = 0;
  std::shared_ptr<cPixelSurface> lpSurface;        // level 0 (BackBuffer: the device's back buffer)
  std::shared_ptr<cPixelSurface> lpSystemSurface;  // system-memory twin of a render target
  std::shared_ptr<cTexture> lpTexture;
  DTSURFACEDESC Desc;
  int32_t nMemoryType = DTMEMORYTYPE_VIDEO_RT;
  int32_t bTransparent = 0;
  int32_t bRenderTarget = 0;
  std::vector<uint8_t> PaletteMap;  // empty: none; rows of nPaletteMapPitch bytes
  int32_t nPaletteMapPitch = 0;
};

// DirectDraw back-end record of a surface.
struct DDDATA {
  std::shared_ptr<cPixelSurface> lpSurface;
  std::vector<uint8_t> PaletteMap;
  int32_t nPaletteMapPitch = 0;
};

// Every picture lives in one of these. Records are plain values: copies share
// the back-end record, and the owner releases it once (DDReleaseSurface).
struct DDSURFACEDATA {
  DTDATA* lpDT = nullptr;
  DDDATA* lpDD = nullptr;
  std::string strName;
  int32_t nWidth = 0, nHeight = 0;
  int32_t nTexWidth = 0, nTexHeight = 0;
  std::string strFile;  // "E" for empty surfaces
  int32_t nDDMemory = 0;  // 0 video, 1 system
  int32_t nMirrorW = 0, nMirrorH = 0;
  DDSURFACEDATA* lpAlias = nullptr;
  int32_t bLost = 0;

  // The pixels the personality draws into (level 0 or the DirectDraw surface).
  cPixelSurface* Pixels() const;
};

// The application's description of one table surface.
struct DDBITMAPDATA {
  std::string strFile;  // bitmap, "E" for empty, "" for list surfaces
  int32_t bTransparent = 0;
  int32_t nDDMemory = 0;
  int32_t nD3DType = 0;
  int32_t bAlias = 0;
  int32_t bPaletteMap = 0;
  int32_t bOptional = 0;
  int32_t nMirrorW = 0, nMirrorH = 0;
  int32_t nWidth = 0, nHeight = 0;
};

struct DDSETTINGS {
  int32_t bUseD3D = 0;
  void* hDDWnd = nullptr;
  int32_t nWidth = 0, nHeight = 0;
  int32_t nBpp = 0;
  int32_t nBytesPerPixel = 0;
  int32_t bWindowed = 0;
  int32_t nBackBufferMode = 0;
  int32_t bVSync = 0;
  int32_t nRefreshRate = 0;
  int32_t bUseRefreshRate = 0;
  DDSURFACEDATA* lpSurfaceTable = nullptr;
  DDBITMAPDATA* lpBitmapTable = nullptr;
  int32_t nSurfaceCount = 0;
};

struct DDRGBTRIPLE {
  uint8_t rgbtBlue = 0, rgbtGreen = 0, rgbtRed = 0;
};

struct DTPRESENTPARAMS {
  int32_t BackBufferWidth = 0, BackBufferHeight = 0;
  DDFORMAT BackBufferFormat = DDFMT_UNKNOWN;
  int32_t BackBufferCount = 0;
  int32_t SwapEffect = 0;  // 1 discard, 3 copy
  int32_t Windowed = 0;
  uint32_t Flags = 0;
  int32_t RefreshRate = 0;
  uint32_t PresentationInterval = 0;
};

struct DTCAPS {
  int32_t MaxTextureWidth = 0, MaxTextureHeight = 0;
  uint32_t TextureCaps = 0;  // 0x2 power of two, 0x20 square only
  uint32_t Caps3 = 0;
};

// Direct3D personality context (lpDTCon).
struct DTCONTEXT {
  DDFORMAT BackBufferFormat = DDFMT_UNKNOWN;
  DDFORMAT TextureFormat = DDFMT_UNKNOWN;
  DTPRESENTPARAMS PresentParams;
  uint32_t nAdapter = 0;
  uint32_t nDeviceType = 1;
  DDFORMAT BackBufferFormatCopy = DDFMT_UNKNOWN;
  DTCAPS Caps;
  int32_t bPow2 = 0;
  int32_t bSquareOnly = 0;
  int32_t bVirBackBuffer = 0;
  DDSURFACEDATA* lpRestTarget = nullptr;
  int32_t bCopyingVirBack = 0;
  DDRGBTRIPLE rgbTransmit;
  DDRGBTRIPLE rgbTransmit16;
  uint32_t argbTransparent = 0;
  uint32_t argbTransmit = 0;
  uint16_t wTransmit_16 = 0;
  uint16_t wTransmitOpaque16 = 0;
  int32_t bInScene = 0;
  uint32_t dwBltColor = 0xFFFFFFFF;
  uint32_t dwBltColorOp = DTOP_MODULATE;
  uint32_t dwBltAlphaOp = DTOP_SELECTARG1;
  int32_t nNextSurfaceId = 0;
  int32_t nNextFontId = 0;
  std::string strTextureError;
};

// DirectDraw personality context (lpDDCon).
struct DDCONTEXT {
  DDRGBTRIPLE rgbTransmit;
  DDRGBTRIPLE rgbTransmit16;  // the key colour of the 16-bit bitmap copy
  int32_t nNextFontId = 0;
};

// Blit colour record of DDBltEx / DDBltStretchEx.
struct DDBLTCOLOR {
  uint32_t dwColor;
  uint32_t dwColorOp;
};

// Description filled by DDLock.
struct DDLOCKDESC {
  uint32_t dwSize = 0;
  int32_t dwWidth = 0, dwHeight = 0;
  int32_t lPitch = 0;
  void* lpSurface = nullptr;
};

// Stand-ins for the DirectDraw and Direct3D objects.
struct cDirectDraw {
  int32_t nCoopLevel = 0;
  bool bDisplayModeSet = false;
};
struct cDDClipper {
  bool bHasWindow = false;
};
struct cDirect3D {};

// ------------------------------------------------------------ globals

extern DDSETTINGS DDSettings;
extern int bDDInitDone;
extern cDirectDraw* lpDD;
extern cDDPalette* lpDDPalette;
extern cDDClipper* lpDDClipper;
extern cDirect3D* lpD3D;
extern cVirtualDevice* lpDevice;
extern DTCONTEXT* lpDTCon;
extern DDCONTEXT* lpDDCon;
extern DDSURFACEDATA PrimarySD;
extern DDSURFACEDATA BackBuffer;
extern DDSURFACEDATA VirBackBuffer;
extern DDSURFACEDATA WorkSD;
extern DDSURFACEDATA FadeSD;
extern DDRECT rcScreen;
extern int nDesktopBpp;
extern PIXELLAYOUT PixelLayout;
extern PIXELLAYOUT BackBufferLayout;
// The loaded palette and its working copy (fades and colour cycling change PalWork).
extern DDPALENTRY PalTable[256];
extern DDPALENTRY PalWork[256];
// The transparent colour as a raw pixel value of the current depth.
extern uint32_t dwTransmitPixel;
// Direct3D surfaces that own a texture, in creation order (the restore walks it).
extern cList<DDSURFACEDATA*> SurfaceList;

// ------------------------------------------------------------ set-up (DDInit.cpp)

bool DDInit(int bUseD3D, void* hWnd, int width, int height, int bpp, int bVSync, int bWindowed, int nBackBufferMode,
            int nRefreshRate, int bUseRefreshRate, DDSURFACEDATA* lpSurfaceTable, DDBITMAPDATA* lpBitmapTable,
            int nSurfaceCount, int reserved);
void DDEnd();
void DDExit();
int DDFlip(int nFrameRate, int bShowTiming, DDSURFACEDATA* lpTimingFontSD);
int DDBeginScene();
void DDEndScene();
int DDSetRenderTarget(int reserved, DDSURFACEDATA* lpSD);
void DDSetVirBackBuffer(int bOn);
int DDRedirectBackBuffer(DDSURFACEDATA** lplpSD);
void DDCopyVirBackBuffer(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD);
void DDResolveAlias(DDSURFACEDATA** lplpSD);
void DDSetBltColor(uint32_t argb);
void DDResetBltColor();
void DDSetBltColorOp(uint32_t op);
void DDResetBltColorOp();
void DDSetBltAlphaOp(uint32_t op);
void DDResetBltAlphaOp();
void DDAdjustTextureSize(int* width, int* height);
int DDCheckTextureSize(int width, int height);
void DDGetPixelFormat(PIXELLAYOUT* layout);
int DDSetDialogMode(int bOn);
int DDMesBox(const std::string& text, const std::string& caption, unsigned type);
// The Direct3D default render and sampler states (set-up and after a reset).
void DDSetDefaultStates();

// Frame pacing of the Direct3D present: asked until it answers true (1 ms
// sleeps between). The application installs the frame timer's PaceFrame.
using DDFramePacer = std::function<bool(int nFrameRate, int bShowTiming, DDSURFACEDATA* lpFontSD)>;
void DDSetFramePacer(DDFramePacer pacer);

// What the library asks of the main window. All optional.
struct DDHOSTHOOKS {
  std::function<void(bool)> ShowCursor;          // show / hide the mouse cursor
  std::function<void(int)> ShowWindow;           // 1 normal, 7 minimised without activation
  std::function<void(bool)> SetFullScreenStyle;  // popup, topmost window for full screen
};
void DDSetHostHooks(DDHOSTHOOKS hooks);
const DDHOSTHOOKS& DDGetHostHooks();

// Fonts take part in the device restore (OnLostDevice / Restore of every font).
void DDSetFontRestoreHooks(std::function<void()> onLost, std::function<void()> onRestore);

// ------------------------------------------------------------ surfaces (DDSurface.cpp)

void DDAllocSurfaceData(DDSURFACEDATA* lpSD);
bool DDCreateSurface(DDSURFACEDATA* lpSD, int width, int height, int bTransparent, int nDDMemory, int nD3DType,
                     int bAlias, int bRestore);
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const std::string& file, int bTransparent, int nBpp, int nDDMemory,
                            int nD3DType, int bAlias, int bPaletteMap, int nMirrorW, int nMirrorH, int bRestore);
bool DDCheckResult(int code);
bool DDLoadBitmaps(DDSURFACEDATA* lpSurfaceTable, const int* indices, int count);
bool DDAddSurface(cVector<DDSURFACEDATA>& surfaces, cVector<DDBITMAPDATA>& bitmaps, int width, int height,
                  int bTransparent, int nDDMemory, int nD3DType, int bAlias);
bool DDAddSurfaceList(cList<DDSURFACEDATA>& surfaces, cList<DDBITMAPDATA>& bitmaps, int width, int height,
                      int bTransparent, int nDDMemory, int nD3DType, int bAlias);
bool DDInsertSurfaceList(cList<DDSURFACEDATA>& surfaces, cList<DDBITMAPDATA>& bitmaps, int index, int width,
                         int height, int bTransparent, int nDDMemory, int nD3DType, int bAlias);
int DDRemoveSurfaceList(cList<DDSURFACEDATA>& surfaces, cList<DDBITMAPDATA>& bitmaps, DDSURFACEDATA* lpSD);
void DDReleaseSurface(DDSURFACEDATA* lpSD);
void DDReleaseSurfaces(cVector<DDSURFACEDATA>& surfaces);
void DDReleaseSurfaceList(cList<DDSURFACEDATA>& surfaces);
int DDIsBitmapLarger(int* pLarger, const std::string& file, int width, int height);
bool CopyBitmap(DDSURFACEDATA* lpSD, const std::string& file, int nBpp, int bPaletteMap, int nMirrorW, int nMirrorH);
bool CreateMirror(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int nMirrorW, int nMirrorH);

// ------------------------------------------------------------ blits (DDBlt.cpp)

int DDBlt(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
          int bTransparent);
int DDBltStretch(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy, int sw,
                 int sh, int bTransparent);
int DDBltEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
            int bTransparent, const DDBLTCOLOR* lpBltColor);
int DDBltStretchEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                   int sw, int sh, int bTransparent, const DDBLTCOLOR* lpBltColor);
void DDAdjustMirror(DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* sw, int* sh);
int DDClipBlt(DDSURFACEDATA* lpDstSD, int* x, int* y, int* w, int* h, DDSURFACEDATA* lpSrcSD, int* sx, int* sy,
              int* sw, int* sh);
void DDBeginSpriteBatch(int bSort);
void DDRegisterBatchTarget(DDSURFACEDATA* lpSD);
void DDEndSpriteBatch();
bool DDIsSpriteBatchActive();
bool DDLock(DDSURFACEDATA* lpSD, DDLOCKDESC* desc, void** ppBits, int nBpp);
// The clear colour for the parts of an opaque blit where a transparent source
// has no picture: the key colour (opaque) on BackBuffer, transparent black
// elsewhere, as an ARGB colour that the device writes in the target's format.
uint32_t DDTransmitClearColor(const DDSURFACEDATA* lpDstSD);

// ------------------------------------------------------------ device loss (DDRestore.cpp)

int DDRestoreSurface();
bool DDRestore();
bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp);
// Loss seams: no loss happens in memory, so tests and the application's
// debugging can cause one. Direct3D: the device is lost (held: until
// DDEndDeviceLossHold, so a restore keeps failing). DirectDraw: every surface
// in video memory is lost and its contents garbage.
void DDSimulateDeviceLoss(bool held);
void DDEndDeviceLossHold();
void DDSimulateSurfaceLoss();

// ------------------------------------------------------------ fills (DDFill.cpp)

uint32_t PalNumToRGB(uint32_t dwPalNum);
int DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t dwPalNum);
void DDFillSurface(DDSURFACEDATA* lpSD, uint32_t dwPalNum);
int DDFillRectARGB(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t dwColor);
void DDFillSurfaceARGB(DDSURFACEDATA* lpSD, uint32_t dwColor);
// Set by the fill batch while it is active: queues a render-target fill and
// answers true, or answers false to have it drawn at once.
extern bool (*DDQueueFill)(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t argb);
// A palette entry packed for a 16-bit DirectDraw screen (entries hold field values there).
inline uint32_t PackPalEntry16(const DDPALENTRY& e) {
  return (uint32_t(e.peBlue) & uint32_t(PixelLayout.nBMax)) << PixelLayout.nBShift |
         (uint32_t(e.peGreen) & uint32_t(PixelLayout.nGMax)) << PixelLayout.nGShift |
         (uint32_t(e.peRed) & uint32_t(PixelLayout.nRMax)) << PixelLayout.nRShift;
}

// ------------------------------------------------------------ pixel access (DDSurfaceLock.cpp)

// Nonzero when lpSD is BackBuffer and the display runs full screen.
int DDIsFullScreenBack(const DDSURFACEDATA* lpSD);

// Scope guard that makes a surface's pixels addressable under either
// personality and writes them back when it goes out of scope. Under Direct3D a
// render target (other than BackBuffer) is read through its system-memory
// twin and uploaded again at the end.
class cSurfaceLock {
 public:
  cSurfaceLock() = default;
  ~cSurfaceLock() { Unlock(); }
  cSurfaceLock(const cSurfaceLock&) = delete;
  cSurfaceLock& operator=(const cSurfaceLock&) = delete;

  // Resolves aliases and the virtual back buffer on its own copy, then locks.
  bool Lock(DDSURFACEDATA* lpSD);
  void Unlock();

  DDSURFACEDATA* m_lpSD = nullptr;
  uint8_t* m_lpBits = nullptr;
  int32_t m_nPitch = 0;  // pixels
  int32_t m_nBpp = 32;
  int32_t m_nBytesPerPixel = 4;

  uint8_t* Pixel(int x, int y) const {
    return m_lpBits + (static_cast<ptrdiff_t>(y) * m_nPitch + x) * m_nBytesPerPixel;
  }

 private:
  cPixelSurface* m_lpLocked = nullptr;
};
