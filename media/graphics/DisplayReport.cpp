// The display report: mode and depth, then the facts of whichever personality
// runs. Lines whose fact the virtual device does not have are left out, as a
// real machine leaves out empty diagnostic properties.
#include "media/graphics/DisplayReport.h"

#include <cstdint>
#include <string>

#include "base/Log.h"
#include "base/Text.h"
#include "media/graphics/DDCore.h"

namespace {

constexpr double kMB = 1048576.0;
constexpr DDRESULT D3DERR_NOTAVAILABLE = static_cast<int32_t>(0x8876086Au);

// What the virtual adapter calls itself.
constexpr const char* kChipType = "Brindle software device";
constexpr const char* kDriverName = "brindle-soft";
constexpr uint16_t kDriverVersion[4] = {1, 0, 0, 0};
// Stage 0 only, one texture at a time.
constexpr int kMaxTextureBlendStages = 1;
constexpr int kMaxSimultaneousTextures = 1;

// "○ " "× " "？ " "－ "
const char* const kSupported = "\x81\x9B ";
const char* const kNotAvailable = "\x81\x7E ";
const char* const kInvalidCall = "\x81\x48 ";
const char* const kOtherFailure = "\x81\x7C ";
// "○" "×"
const char* const kYes = "\x81\x9B";
const char* const kNo = "\x81\x7E";

int64_t FreeVideoBytes() {
  int64_t bytes = DDGetVirtualDisplay().nVideoMemoryBytes - VideoMemoryInUse();
  return bytes > 0 ? bytes : 0;
}

enum Usage { AUTOGENMIPMAP, DEPTHSTENCIL, DMAP, DONOTCLIP, DYNAMIC, NPATCHES, POINTS, RTPATCHES, RENDERTARGET,
             SOFTWAREPROCESSING, WRITEONLY };
struct FormatQuery {
  const char* label;  // two letters; "-SU" / "-TE" follow
  Usage usage;
  bool surface, texture;  // what the device can make with the usage
};
// Textures have one level and no depth buffer exists; render targets are
// textures or the back buffer; dynamic textures are plain memory; every
// operation runs in software; vertex-buffer usages mean nothing to pixels.
constexpr FormatQuery kFormatQueries[] = {
    {"AU", AUTOGENMIPMAP, false, false}, {"DE", DEPTHSTENCIL, false, false},
    {"DM", DMAP, false, false},          {"DO", DONOTCLIP, false, false},
    {"DY", DYNAMIC, false, true},        {"NP", NPATCHES, false, false},
    {"PO", POINTS, false, false},        {"RT", RTPATCHES, false, false},
    {"RE", RENDERTARGET, true, true},    {"SO", SOFTWAREPROCESSING, true, true},
    {"WR", WRITEONLY, false, false},
};

// The device's answer for a usage of a resource in a format.
DDRESULT CheckFormat(DDFORMAT format, bool supported) {
  if (FormatBytesPerPixel(format) == 0) return D3DERR_INVALIDCALL;
  if (format == DDFMT_P8) return D3DERR_NOTAVAILABLE;  // this personality draws no palettes
  return supported ? DD_OK : D3DERR_NOTAVAILABLE;
}

const char* Mark(DDRESULT hr) {
  if (hr == DD_OK) return kSupported;
  if (hr == D3DERR_NOTAVAILABLE) return kNotAvailable;
  if (hr == D3DERR_INVALIDCALL) return kInvalidCall;
  return kOtherFailure;
}

void Line(std::string& out, const std::string& text) {
  out += text;
  out += '\n';
}

void AppendDirect3DReport(std::string& out, int bDetail) {
  const DDVIRTUALDISPLAY& vd = DDGetVirtualDisplay();
  Line(out, FormatString("TextureMem : %dMB", static_cast<int>(FreeVideoBytes() / 1048576)));
  // The one adapter.
  const int adapter = 0;
  Line(out, FormatString("---\x83\x66\x83\x6F\x83\x43\x83\x58%d", adapter));  // "---デバイス%d"
  Line(out, FormatString("Destination : %s", kChipType));
  if (vd.nVideoMemoryBytes > 0)
    Line(out, FormatString("VRAM : %.1f MB", static_cast<double>(vd.nVideoMemoryBytes) / kMB));
  Line(out, FormatString("Driver : %s %1d.%02d.%04d.%04d", kDriverName, kDriverVersion[0], kDriverVersion[1],
                         kDriverVersion[2], kDriverVersion[3]));
  if (vd.nDdiVersion > 0) Line(out, FormatString("DDI : %d", vd.nDdiVersion));
  const DTCAPS& caps = lpDTCon->Caps;
  Line(out, FormatString("TextureMaxSize : (%d,%d)", caps.MaxTextureWidth, caps.MaxTextureHeight));
  Line(out, FormatString("TextureMaxBlend : (%d,%d)", kMaxTextureBlendStages, kMaxSimultaneousTextures));
  if (caps.Caps3 & 0x20) Line(out, "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD");
  if (caps.TextureCaps & 0x2) Line(out, "D3DPTEXTURECAPS_POW2");
  if (caps.TextureCaps & 0x20) Line(out, "D3DPTEXTURECAPS_SQUAREONLY");
  Line(out, "D3DCAPS2_DYNAMICTEXTURES");  // textures of any usage can be locked
  if (bDetail) {
    for (const FormatQuery& q : kFormatQueries) {
      std::string text = q.label;
      text += "-SU";
      text += Mark(CheckFormat(lpDTCon->BackBufferFormatCopy, q.surface));
      text += q.label;
      text += "-TE";
      text += Mark(CheckFormat(lpDTCon->BackBufferFormatCopy, q.texture));
      Line(out, text);
    }
  }
  // Both personalities are drawn by the device itself; there is no AGP bus.
  Line(out, FormatString("DirectDraw : %s", kYes));
  Line(out, FormatString("Direct3D : %s", vd.bHasDirect3D ? kYes : kNo));
}

}  // namespace

int WriteDisplayReport(int bDetail) {
  std::string out;
  Line(out, DDSettings.bWindowed ? "Mode : Window" : "Mode : Fullscreen");
  Line(out, FormatString("Bpp : %d", DDSettings.nBpp));
  if (lpDD) {
    Line(out, FormatString("VRAM Total : %.3fMB", static_cast<double>(DDGetVirtualDisplay().nVideoMemoryBytes) / kMB));
    Line(out, FormatString("VRAM Free : %.3fMB", static_cast<double>(FreeVideoBytes()) / kMB));
    Line(out, FormatString("RR : %u", static_cast<unsigned>(DDGetVirtualDisplay().nRefreshRate)));
  }
  if (lpDTCon) AppendDirect3DReport(out, bDetail);
  out.pop_back();  // the log adds the last line end
  // One append, so the report stays together when other threads log.
  return WriteLogText(out);
}

void GetVideoMemoryMB(int* lpTotal, int* lpFree) {
  int total = 0, freeMB = 0;
  if (lpDD) {
    total = static_cast<int>(DDGetVirtualDisplay().nVideoMemoryBytes / 1048576);
    freeMB = static_cast<int>(FreeVideoBytes() / 1048576);
  }
  if (lpTotal) *lpTotal = total;
  if (lpFree) *lpFree = freeMB;
}

int GetDDIVersion() {
  int version = DDGetVirtualDisplay().nDdiVersion;
  return version > 0 ? version : 99999;
}
