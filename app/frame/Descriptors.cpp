#include "app/frame/Descriptors.h"

#include <cstring>
#include <string>

namespace {

DDBITMAPDATA Bmp(const std::string& file, int transparent, int system, int d3dType, int twin, int optional, int mirrorW,
                 int width = 0, int height = 0) {
  DDBITMAPDATA d;
  d.strFile = file;
  d.bTransparent = transparent;
  d.nDDMemory = system;
  d.nD3DType = d3dType;
  d.bAlias = twin;
  d.bPaletteMap = 0;
  d.bOptional = optional;
  d.nMirrorW = mirrorW;
  d.nMirrorH = 0;
  d.nWidth = width;
  d.nHeight = height;
  return d;
}

std::string Character(int n) { return "bmp\\Character" + std::to_string(n) + ".bmp"; }

}  // namespace

void FillBitmapTable(DDBITMAPDATA (&t)[kSurfaceCount]) {
  t[0] = Bmp("bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0);
  t[1] = Bmp("bmp\\Debug.bmp", 1, 0, 0, 0, 0, 0);
  t[2] = Bmp("bmp\\Block.bmp", 1, 0, 0, 0, 0, 0);
  t[3] = Bmp("bmp\\Block.bmp", 1, 1, 0, 1, 0, 0);
  t[4] = Bmp(Character(1), 1, 0, 0, 0, 0, 0);
  t[5] = Bmp(Character(1), 1, 0, 0, 1, 0, 32);
  for (int n = 2; n <= 8; ++n) {
    const int e = 6 + (n - 2) * 2;
    t[e] = Bmp(Character(n), 1, 0, 0, 0, 1, 0);
    t[e + 1] = Bmp(Character(n), 1, 0, 0, 1, 1, 32);
  }
  t[20] = Bmp("bmp\\Shot.bmp", 1, 0, 0, 0, 0, 0);
  t[21] = Bmp("bmp\\Shot.bmp", 1, 0, 0, 1, 0, 16);
  t[22] = Bmp(Character(1), 1, 1, 0, 1, 0, 0);
  t[23] = Bmp(Character(1), 1, 1, 0, 1, 0, 32);
  for (int n = 2; n <= 8; ++n) {
    const int e = 24 + (n - 2) * 2;
    t[e] = Bmp(Character(n), 1, 1, 0, 1, 1, 0);
    t[e + 1] = Bmp(Character(n), 1, 1, 0, 1, 1, 32);
  }
  t[38] = Bmp("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0);
  t[39] = Bmp("bmp\\Shot.bmp", 1, 1, 0, 1, 0, 16);
  t[40] = Bmp("bmp\\Item.bmp", 1, 0, 0, 0, 0, 0);
  t[41] = Bmp("bmp\\Item.bmp", 1, 1, 0, 1, 0, 0);
  t[42] = Bmp("bmp\\Item_Mini.bmp", 1, 0, 0, 0, 0, 0);
  t[43] = Bmp("bmp\\Mark.bmp", 1, 0, 0, 0, 0, 0);
  t[44] = Bmp("bmp\\Mark.bmp", 1, 1, 0, 1, 0, 0);
  t[45] = Bmp("bmp\\Window.bmp", 0, 0, 0, 0, 0, 0);
  t[46] = Bmp("bmp\\StatusWindow.bmp", 1, 0, 0, 0, 0, 0);
  t[47] = Bmp("bmp\\Title.bmp", 0, 0, 0, 0, 0, 0);
  t[48] = Bmp("bmp\\GameMode.bmp", 1, 0, 0, 0, 1, 0);
  t[49] = Bmp("bmp\\Accessory.bmp", 1, 0, 0, 0, 0, 0);
  t[50] = Bmp("bmp\\Symbol.bmp", 1, 0, 0, 0, 0, 0);
  t[51] = Bmp("bmp\\Word.bmp", 1, 0, 0, 0, 0, 0);
  t[52] = Bmp("bmp\\WorldMapChip.bmp", 1, 0, 0, 0, 0, 0);
  t[53] = Bmp("bmp\\WorldEvent.bmp", 1, 1, 0, 0, 0, 0);
  t[54] = Bmp("bmp\\WorldBack.bmp", 0, 1, 0, 0, 1, 0);
  // "背景その1.bmp" .. "背景その8.bmp": placeholders the play scene points at the stage's backgrounds.
  for (int n = 1; n <= 8; ++n)
    t[54 + n] = Bmp("\x94\x77\x8c\x69\x82\xbb\x82\xcc" + std::to_string(n) + ".bmp", 1, 0, 0, 0, 1, 0);
  t[63] = Bmp("E", 1, 1, 0, 0, 0, 0, 256, 960);
  t[64] = Bmp("E", 1, 1, 0, 0, 0, 0, 256, 960);
  t[65] = Bmp("E", 1, 1, 0, 0, 0, 0, 640, 480);
  t[66] = Bmp("E", 0, 1, 0, 0, 0, 0, 640, 480);
  t[67] = Bmp("E", 1, 0, 0, 0, 0, 0, 640, 480);
  t[68] = Bmp("E", 1, 1, 0, 1, 0, 0, 640, 480);
  t[69] = Bmp("E", 1, 0, 2, 0, 0, 0, 1024, 1024);
  t[70] = Bmp("E", 1, 1, 1, 0, 0, 0, 1024, 1024);
}

void FillFontTable(FONTDATA (&t)[kFontCount]) {
  static const int32_t kHeight[kFontCount] = {9, 16, 30};
  static const int32_t kPitch[kFontCount] = {10, 16, 32};
  static const int32_t kCache[kFontCount] = {2, 2, 0};
  for (int i = 0; i < kFontCount; ++i) {
    FONTDATA& f = t[i];
    std::memset(&f, 0, sizeof f);
    // "ＭＳ ゴシック"; replaced by the system data's face at start-up.
    std::strncpy(f.szFace, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", sizeof f.szFace - 1);
    f.nWidth = 0;
    f.nHeight = kHeight[i];
    f.nPitch = kPitch[i];
    f.nLinePitch = kPitch[i];
    f.nColor = 241;
    f.nBoxSurface = kSurfWindow;
    f.nBoxFrame = 1;
    f.nBoxFrameColor = 240;
    f.nIconSurface = kSurfSymbol;
    f.nCacheMode = kCache[i];
  }
}

void FillDigitTable(DDBITMAPDATA (&t)[kFontCount]) {
  for (DDBITMAPDATA& d : t) {
    d = DDBITMAPDATA();
    d.bTransparent = 1;
  }
}

const sTwinLink kTwinLinks[] = {
    {3, 2},   {5, 4},   {7, 6},   {9, 8},   {11, 10}, {13, 12}, {15, 14}, {17, 16}, {19, 18}, {21, 20},
    {22, 4},  {23, 4},  {24, 6},  {25, 6},  {26, 8},  {27, 8},  {28, 10}, {29, 10}, {30, 12}, {31, 12},
    {32, 14}, {33, 14}, {34, 16}, {35, 16}, {36, 18}, {37, 18}, {38, 20}, {39, 20}, {41, 40}, {44, 43},
    {68, 67},
};
const int kTwinLinkCount = static_cast<int>(sizeof kTwinLinks / sizeof kTwinLinks[0]);

void LinkTwinSurfaces(DDSURFACEDATA* table) {
  for (const sTwinLink& l : kTwinLinks) table[l.twin].lpAlias = &table[l.source];
}
