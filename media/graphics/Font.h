#pragma once
// Code-page-932 text on the library's surfaces. A font with a fixed pitch can
// keep two glyph caches (surfaces of pre-rendered cells): one for the 256
// single-byte values and one that grows with the double-byte characters in
// use; cached glyphs are blitted instead of rendered. Under the DirectDraw
// personality glyphs are one-bit in the text colour, under Direct3D their
// coverage is alpha.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Containers.h"
#include "media/graphics/DDCore.h"
#include "platform/FontFace.h"

// The application's description of one font.
struct FONTDATA {
  char szFace[256];     // face name, code page 932
  int32_t nWidth;       // 0: the face's own
  int32_t nHeight;      // cell height
  int32_t nPitch;       // advance per character; 0: proportional text
  int32_t nLinePitch;   // advance per line
  int32_t nColor;       // palette number
  int32_t nBoxSurface;  // surface-table index of the box background
  int32_t nBoxFrame;
  int32_t nBoxFrameColor;
  int32_t nIconSurface;  // surface-table index of the icon letters
  int32_t nCacheMode;    // 0: no glyph caches
};

class Font;

// A surface of glyph cells in a grid; cell n at ((n mod cols) * w, (n div cols) * h).
// Cells are only ever appended.
class cGlyphCache {
 public:
  struct Entry {
    uint8_t code[2];
    int32_t nCell;
    int32_t nX, nY;
  };

  cGlyphCache(int nKind, int nCellW, int nCellH, int nCols, int nRows);
  ~cGlyphCache();
  cGlyphCache(const cGlyphCache&) = delete;
  cGlyphCache& operator=(const cGlyphCache&) = delete;

  bool Created() const { return m_bCreated; }
  // Appends a code; 0 when every cell is taken.
  int Add(const uint8_t code[2]);
  // Blits cell `byte` (0-255).
  void DrawCell(DDSURFACEDATA* lpDstSD, int x, int y, uint8_t byte);
  // Blits the cell of a code; 0 when the code is not cached.
  int DrawCode(DDSURFACEDATA* lpDstSD, int x, int y, const uint8_t code[2]);
  // The cell of a code, or -1.
  int FindCode(const uint8_t code[2]) const;

  int m_nKind;  // 0 half-width, 1 full-width
  int m_nCellW, m_nCellH;
  int m_nCols, m_nRows;
  int m_nCapacity;
  DDSURFACEDATA m_CacheSD;
  std::vector<Entry> m_Codes;
  int m_nUsed = 0;

 private:
  bool m_bCreated = false;
  std::unordered_map<uint16_t, int> m_Index;  // code -> cell
};

// What the fixed-pitch layout puts where (offsets from the text's origin).
struct FONTPLACE {
  enum Kind { kByte, kDouble, kAdvance, kIcon };
  Kind kind;
  int x, y;
  uint8_t code[2];
};

class Font {
 public:
  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  void Create(const char* face, int width, int height, int pitch, int linePitch, int color, DDSURFACEDATA* lpBoxSD,
              int boxFrame, int boxFrameColor, DDSURFACEDATA* lpIconSD, int cacheMode);
  // Releases the face, both caches and the work surface. Safe to call again.
  void Destroy();

  int DrawText(DDSURFACEDATA* lpDstSD, int x, int y, const char* text);
  static int Printf(Font* font, DDSURFACEDATA* lpDstSD, int x, int y, const char* format, ...)
      __attribute__((format(printf, 5, 6)));
  // x or y of 10000: centred on the box surface.
  void DrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h);
  // A box sized to the text where w or h is 0, then the text inside it.
  void DrawTextBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* text, int margin);
  void DrawTextBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* text, int margin, int color);
  static void PrintfBox(Font* font, DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* format, ...)
      __attribute__((format(printf, 7, 8)));

  // Fixed pitch: the longest line's characters times the pitch, lines times the line pitch.
  void GetTextSize(const char* text, int* width, int* height) const;
  // Proportional: the longest line's rendered width, lines times the line pitch.
  void MeasureText(const char* text, int* width, int* height) const;

  // Rebuilds the caches after a device or surface loss.
  void Restore();

  // The fixed-pitch layout of a text (what DrawText draws where).
  std::vector<FONTPLACE> LayoutText(const char* text) const;
  // Glyphs rasterised so far (each is rendered once while cached).
  long GlyphRenders() const { return m_nGlyphRenders; }

  int m_nFontNo = 0;
  std::string m_strFace;
  int m_nCharWidth = 0, m_nCharHeight = 0;
  int32_t m_nPitch = 0, m_nLinePitch = 0;
  int m_nColorNo = 0;
  uint32_t m_dwColor = 0;  // ARGB (Direct3D) or 0x00BBGGRR (DirectDraw)
  int m_bCenterGlyph = 0;
  DDSURFACEDATA m_WorkSD;
  DDSURFACEDATA* m_lpBoxSD = nullptr;
  int m_nBoxFrame = 0, m_nBoxFrameColor = 0;
  DDSURFACEDATA* m_lpIconSD = nullptr;
  int m_bIcons = 0;
  int m_nCacheMode = 0;
  std::unique_ptr<cGlyphCache> m_lpFastFont_Half;
  std::unique_ptr<cGlyphCache> m_lpFastFont_FullAdd;

 private:
  class Painter;
  friend class Painter;

  void BuildHalfCache();
  void BuildFullCache(bool rebuild);
  void DrawGlyphs(DDSURFACEDATA* lpWorkSD, int x0, int y0, DDSURFACEDATA* lpDstSD, int x, int y, const char* text);
  void DrawChar(Painter& painter, int x, int y, const uint8_t* bytes, int count);
  void DrawIconLetters(DDSURFACEDATA* lpDstSD, int x, int y, const char* text);
  void DrawLine(Painter& painter, int x, int y, const char* line, size_t length);
  bool IconsUsable() const;
  const platform::GlyphImage* Glyph(const uint8_t* bytes, int count);
  int Advance(const uint8_t* bytes, int count) const;
  void FreeCaches();
  void RenderCell(cGlyphCache& cache, int cell, const uint8_t* bytes, int count);

  std::unique_ptr<platform::FontFace> m_Face;
  std::map<uint32_t, platform::GlyphImage> m_Glyphs;  // rendered images by code
  long m_nGlyphRenders = 0;
  bool m_bListed = false;
};

// Every created font, for the restore.
extern cList<Font*>& FontList;

int CreateFonts(Font* fonts, const FONTDATA* descriptors, int count);
int CreateDigitSurfaces(DDSURFACEDATA* digitSD, const DDBITMAPDATA* descriptors, int count, Font* fonts,
                        const FONTDATA* fontData);
void DrawDigits(DDSURFACEDATA* lpSD, Font* font);
// Bytes before the first newline or the end.
int GetLineLength(const char* text);
