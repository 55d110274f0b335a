#pragma once
// The software "virtual device": pixel surfaces in memory, the DirectDraw
// personality's surface operations (fast copies, colour keys, stretch, fills,
// flips, loss) and the Direct3D personality's device (render targets, textures
// in three pools, fixed-function stage 0, source-alpha blending, clears,
// presentation). The graphics library (DDCore.h) drives both; nothing here
// knows about DDSURFACEDATA.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <vector>

using DDRESULT = int32_t;

// Result codes, with the values the log and callers compare against.
constexpr DDRESULT DD_OK = 0;
constexpr DDRESULT DDERR_GENERIC = static_cast<int32_t>(0x80004005u);
constexpr DDRESULT DDERR_INVALIDPARAMS = static_cast<int32_t>(0x80070057u);
constexpr DDRESULT DDERR_INVALIDRECT = static_cast<int32_t>(0x88760096u);
constexpr DDRESULT DDERR_SURFACELOST = static_cast<int32_t>(0x887601C2u);
constexpr DDRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<int32_t>(0x8876017Cu);
constexpr DDRESULT DDERR_INVALIDPIXELFORMAT = static_cast<int32_t>(0x88760091u);
constexpr DDRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<int32_t>(0x8876017Cu);
constexpr DDRESULT D3DERR_DEVICELOST = static_cast<int32_t>(0x88760868u);
constexpr DDRESULT D3DERR_DEVICENOTRESET = static_cast<int32_t>(0x88760869u);
constexpr DDRESULT D3DERR_INVALIDCALL = static_cast<int32_t>(0x8876086Cu);

// Pixel formats, numbered by their stable format codes (the log and the
// set-up table name them by these numbers).
enum DDFORMAT : uint32_t {
  DDFMT_UNKNOWN = 0,
  DDFMT_A8R8G8B8 = 21,
  DDFMT_X8R8G8B8 = 22,
  DDFMT_R5G6B5 = 23,
  DDFMT_A1R5G5B5 = 25,
  DDFMT_P8 = 41,
};
int FormatBytesPerPixel(DDFORMAT format);

// Shift and largest value of each channel of a pixel format.
struct PIXELLAYOUT {
  int32_t nRShift, nGShift, nBShift, nAShift;
  int32_t nRMax, nGMax, nBMax, nAMax;
};
PIXELLAYOUT LayoutOfFormat(DDFORMAT format);

struct DDRECT {
  int32_t left, top, right, bottom;
};

// The one rule for every channel-depth change the formats leave open:
// an n-bit field widens to 0..255 rounded, a 0..255 value narrows rounded.
// narrow(expand(f)) == f for every field width up to 8 bits.
inline uint32_t ExpandChannel(uint32_t field, uint32_t max) { return max ? (field * 255u + max / 2) / max : 0; }
inline uint32_t NarrowChannel(uint32_t value, uint32_t max) { return (value * max + 127u) / 255u; }
// Product of two 0..255 values, rounded.
inline uint32_t Mul255(uint32_t a, uint32_t b) { return (a * b + 127u) / 255u; }
// Source-alpha blend of one channel: s * a + d * (1 - a), rounded.
inline uint32_t BlendChannel(uint32_t s, uint32_t d, uint32_t a) { return (s * a + d * (255u - a) + 127u) / 255u; }

// Raw pixel <-> ARGB8888 for the true-colour formats (formats without alpha read as opaque).
uint32_t FormatToArgb(DDFORMAT format, uint32_t raw);
uint32_t ArgbToFormat(DDFORMAT format, uint32_t argb);

// Where a surface lives; decides what a loss destroys.
enum DDPOOL : uint32_t { DDPOOL_DEFAULT = 0, DDPOOL_MANAGED = 1, DDPOOL_SYSTEMMEM = 2, DDPOOL_SWAPCHAIN = 3 };

struct DDLOCKEDRECT {
  int32_t Pitch;  // bytes
  void* pBits;
};

// Flags of the DirectDraw-personality operations.
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;
constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_KEYSRC = 0x8000;
constexpr uint32_t DDBLT_WAIT = 0x1000000;
constexpr uint32_t DDCKEY_SRCBLT = 0x8;

// One block of pixels: a texture level, a render target, an off-screen
// surface, the primary surface or a back buffer.
// Pixel storage that starts cleared. It comes from calloc: a large block is
// fresh zero pages from the system, so it is not cleared a second time, and
// pages never drawn on are never touched.
class cZeroedBytes {
 public:
  cZeroedBytes() = default;
  explicit cZeroedBytes(size_t n) : p_(n ? static_cast<uint8_t*>(std::calloc(n, 1)) : nullptr), n_(n) {
    if (n && !p_) throw std::bad_alloc();
  }
  uint8_t* data() { return p_.get(); }
  const uint8_t* data() const { return p_.get(); }
  size_t size() const { return n_; }
  uint8_t* begin() { return p_.get(); }
  uint8_t* end() { return p_.get() + n_; }
  void swap(cZeroedBytes& other) noexcept {
    p_.swap(other.p_);
    std::swap(n_, other.n_);
  }

 private:
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t, Free> p_;
  size_t n_ = 0;
};

class cPixelSurface {
 public:
  // Video-memory surfaces (default and managed pools) count against the
  // virtual adapter's memory; the caller checks the budget first.
  cPixelSurface(DDFORMAT format, int width, int height, DDPOOL pool);
  ~cPixelSurface();
  cPixelSurface(const cPixelSurface&) = delete;
  cPixelSurface& operator=(const cPixelSurface&) = delete;

  DDFORMAT Format() const { return format_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }
  int BytesPerPixel() const { return bpp_; }
  DDPOOL Pool() const { return pool_; }
  uint8_t* Bits() { return bits_.data(); }
  const uint8_t* Bits() const { return bits_.data(); }
  uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * pitch_; }
  const uint8_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * pitch_; }
  uint32_t GetPixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t raw);
  // Fills the part of the rectangle (null: all) that lies on the surface.
  void FillRaw(const DDRECT* rect, uint32_t raw);

  // Direct3D-personality access.
  DDRESULT LockRect(DDLOCKEDRECT* locked);
  DDRESULT UnlockRect();
  bool IsLocked() const { return locks_ > 0; }

  // DirectDraw-personality operations.
  DDRESULT SetColorKey(uint32_t flags, uint32_t low, uint32_t high);
  bool HasColorKey() const { return hasKey_; }
  uint32_t ColorKey() const { return key_; }
  DDRESULT BltFast(int x, int y, cPixelSurface* src, const DDRECT* srcRect, uint32_t flags);
  DDRESULT Blt(const DDRECT* dstRect, cPixelSurface* src, const DDRECT* srcRect, uint32_t flags, uint32_t fillValue);
  DDRESULT IsLost() const { return lost_ ? DDERR_SURFACELOST : DD_OK; }
  DDRESULT Restore();
  // Flip chain of the full-screen primary: the attached back buffers.
  void Attach(std::shared_ptr<cPixelSurface> back) { chain_.push_back(std::move(back)); }
  std::shared_ptr<cPixelSurface> Attached() const { return chain_.empty() ? nullptr : chain_.front(); }
  DDRESULT Flip();
  bool primary = false;
  bool renderTarget = false;

  // Loss seam: the contents become garbage until redrawn.
  void MarkLost();
  void SwapStorage(cPixelSurface& other) { bits_.swap(other.bits_); }

 private:
  DDFORMAT format_;
  int width_, height_, bpp_, pitch_;
  DDPOOL pool_;
  cZeroedBytes bits_;
  int locks_ = 0;
  bool hasKey_ = false;
  uint32_t key_ = 0;
  bool lost_ = false;
  std::vector<std::shared_ptr<cPixelSurface>> chain_;
};

// Texture stage operations and argument sources (stage 0 only).
enum : uint32_t {
  DTOP_DISABLE = 1, DTOP_SELECTARG1 = 2, DTOP_SELECTARG2 = 3, DTOP_MODULATE = 4, DTOP_MODULATE2X = 5,
  DTOP_MODULATE4X = 6, DTOP_ADD = 7, DTOP_ADDSIGNED = 8, DTOP_ADDSIGNED2X = 9, DTOP_SUBTRACT = 10,
  DTOP_ADDSMOOTH = 11, DTOP_BLENDDIFFUSEALPHA = 12, DTOP_BLENDTEXTUREALPHA = 13, DTOP_BLENDFACTORALPHA = 14,
};
enum : uint32_t { DTTA_DIFFUSE = 0, DTTA_CURRENT = 1, DTTA_TEXTURE = 2, DTTA_TFACTOR = 3 };
enum : uint32_t { DTUSAGE_RENDERTARGET = 0x1, DTUSAGE_DYNAMIC = 0x200 };

struct DTSTAGE {
  uint32_t colorOp = DTOP_MODULATE, colorArg1 = DTTA_TEXTURE, colorArg2 = DTTA_DIFFUSE;
  uint32_t alphaOp = DTOP_SELECTARG1, alphaArg1 = DTTA_TEXTURE, alphaArg2 = DTTA_DIFFUSE;
};

// A one-level texture; its level 0 is shared with whoever took it.
struct cTexture {
  std::shared_ptr<cPixelSurface> level0;
  uint32_t usage = 0;
};

// Vertex of a pre-transformed, lit, textured quad.
struct DTVERTEX {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};

// One draw as seen by the device (tests follow the order of draws with it).
struct DTDRAWRECORD {
  const cPixelSurface* target;
  const cPixelSurface* texture;
  DDRECT rect;
};

// The capabilities and state of the machine the library runs on. Tests
// change them to reach the branches a real adapter would decide.
struct DDVIRTUALDISPLAY {
  int nDdiVersion = 9;
  bool bHasDirect3D = true;
  bool bHardwareVertexProcessing = true;
  int nRefreshRate = 60;
  int nDesktopBpp = 0;  // 0: the desktop runs at the depth DDInit asks for
  bool bPow2 = false;
  bool bSquareOnly = false;
  int nMaxTextureWidth = 8192;
  int nMaxTextureHeight = 8192;
  int64_t nVideoMemoryBytes = int64_t(512) << 20;
};
void DDSetVirtualDisplay(const DDVIRTUALDISPLAY& display);
const DDVIRTUALDISPLAY& DDGetVirtualDisplay();
// Bytes of video memory in use and whether n more bytes would fit.
int64_t VideoMemoryInUse();
bool VideoMemoryFits(int64_t bytes);
// Loss seam of the DirectDraw personality: every surface in video memory
// (default pool) is lost and its contents become garbage.
void MarkVideoSurfacesLost();
// Live surfaces of the default pool (a device reset needs them all released).
int DefaultPoolSurfaces();

// The Direct3D personality's device.
class cVirtualDevice {
 public:
  cVirtualDevice(DDFORMAT backBufferFormat, int width, int height);

  DDRESULT CreateTexture(int width, int height, uint32_t usage, DDFORMAT format, DDPOOL pool,
                         std::shared_ptr<cTexture>* out);
  DDRESULT CreateOffscreenPlainSurface(int width, int height, DDFORMAT format, DDPOOL pool,
                                       std::shared_ptr<cPixelSurface>* out);
  DDRESULT GetRenderTargetData(cPixelSurface* renderTarget, cPixelSurface* systemSurface);
  DDRESULT UpdateSurface(cPixelSurface* source, cPixelSurface* destination);
  std::shared_ptr<cPixelSurface> GetBackBuffer() const { return backBuffer_; }

  DDRESULT BeginScene();
  DDRESULT EndScene();
  DDRESULT SetRenderTarget(std::shared_ptr<cPixelSurface> target);
  cPixelSurface* RenderTarget() const { return target_.get(); }
  // Clears part (null: all) of the render target to an ARGB colour.
  DDRESULT Clear(const DDRECT* rect, uint32_t argb);
  DDRESULT ClearRaw(const DDRECT* rect, uint32_t raw);

  void SetTexture(std::shared_ptr<cTexture> texture) { texture_ = std::move(texture); }
  DTSTAGE& Stage() { return stage_; }
  void SetTextureFactor(uint32_t argb) { factor_ = argb; }
  void SetAlphaBlend(bool on) { blend_ = on; }
  void ResetStates();

  // A quad of four vertices in strip order top-left, bottom-left, top-right,
  // bottom-right. Pixel centres are at integer positions.
  DDRESULT DrawQuad(const DTVERTEX v[4]);
  // The axis-aligned quad the blits and fills draw: pixels (x, y, w, h) of the
  // target, texels sampled at their centres from (sx, sy, sw, sh) of the
  // texture (negative sizes read mirrored), with one vertex colour.
  DDRESULT DrawRect(int x, int y, int w, int h, int sx, int sy, int sw, int sh, uint32_t diffuse);

  DDRESULT Present();
  DDRESULT TestCooperativeLevel() const;
  DDRESULT Reset();
  // Loss seam: the device is lost until EndLossHold (held) or at once ready to reset.
  void SimulateLoss(bool held);
  void EndLossHold() { held_ = false; }
  bool IsLost() const { return lost_; }

  void SetDrawTrace(std::vector<DTDRAWRECORD>* trace) { trace_ = trace; }

 private:
  uint32_t Shade(uint32_t texel, uint32_t diffuse) const;
  bool PassThrough(uint32_t diffuse) const;
  void WriteSpan(uint8_t* dst, const uint32_t* colours, int count);
  void Trace(int x, int y, int w, int h);
  // The general quad: triangles with the top-left rule (and the per-pixel reference it must equal).
  void Rasterise(const DTVERTEX v[4]);
  void RasteriseReference(const DTVERTEX v[4]);

  DDFORMAT bbFormat_;
  int width_, height_;
  std::shared_ptr<cPixelSurface> backBuffer_;
  std::shared_ptr<cPixelSurface> target_;
  std::shared_ptr<cTexture> texture_;
  DTSTAGE stage_;
  uint32_t factor_ = 0xFFFFFFFF;
  bool blend_ = true;
  bool inScene_ = false;
  bool lost_ = false;
  bool held_ = false;
  std::vector<DTDRAWRECORD>* trace_ = nullptr;
  std::vector<uint32_t> texels_;
  std::vector<uint16_t> texels16_;
  std::vector<int> columns_;
};

// Nearest-texel sampling of a stretched copy: destination pixel i of a span
// of w pixels reads source offset floor((i + 0.5) * sw / w) (the texel under
// the pixel's centre). With a negative sw it counts leftwards from the start.
int StretchSourceOffset(int i, int sw, int w);

// The DirectDraw personality's 256-entry hardware palette.
struct DDPALENTRY {
  uint8_t peRed, peGreen, peBlue, peFlags;
};
struct cDDPalette {
  DDPALENTRY entries[256] = {};
  bool attached = false;  // to the primary surface (8 bpp)
  void SetEntries(int first, int count, const DDPALENTRY* from);
};

// Presentation: the finished frame as ARGB8888, handed to the sink the
// application set. 8-bit frames go through the palette.
using DDPresentSink = std::function<void(const uint32_t* argb, int width, int height)>;
void DDSetPresentSink(DDPresentSink sink);
void PresentSurface(const cPixelSurface& surface, const cDDPalette* palette);
// Called after a flip of, or a blit into, the DirectDraw primary surface.
void OnPrimaryChanged(cPixelSurface& primary);
