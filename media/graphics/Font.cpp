// Fonts: layout, the two glyph caches, boxes, measuring and digit strips.
#include "media/graphics/Font.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/Log.h"
#include "media/graphics/Shape.h"
#include "platform/CloseRequest.h"
#include "platform/CodePage.h"

// Never destroyed: fonts are static objects of the application, and one may
// be destroyed after this list would have been.
cList<Font*>& FontList = *new cList<Font*>;

namespace {

// The full-width characters every full-width cache starts with, as code-page-932 bytes.
const char kPreload[] =
    "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58\x81\x5B\x81\x60\x81\x41\x81\x42\x81\x44\x81\x49"  // ０１２３４５６７８９ー～、。．！
    "\x81\x48\x81\x75\x81\x76\x81\x69\x81\x6A\x81\x45\x81\x63\x81\xA6\x81\xA8\x81\xAA\x81\xAB\x81\xA9\x81\x7B\x81\x7C\x81\x81\x81\x9B"  // ？「」（）・…※→↑↓←＋－＝○
    "\x81\x9C\x81\x7E\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69\x82\x6A\x82\x6B\x82\x6C\x82\x6D"  // ●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮ
    "\x82\x6E\x82\x6F\x82\x70\x82\x71\x82\x72\x82\x73\x82\x74\x82\x75\x82\x76\x82\x77\x82\x78\x82\x79\x82\x81\x82\x82\x82\x83\x82\x84"  // ＯＰＱＲＳＴＵＶＷＸＹＺａｂｃｄ
    "\x82\x85\x82\x86\x82\x87\x82\x88\x82\x89\x82\x8A\x82\x8B\x82\x8C\x82\x8D\x82\x8E\x82\x8F\x82\x90\x82\x91\x82\x92\x82\x93\x82\x94"  // ｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔ
    "\x82\x95\x82\x96\x82\x97\x82\x98\x82\x99\x82\x9A\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF\x82\xB1"  // ｕｖｗｘｙｚあいうえおかきくけこ
    "\x82\xB3\x82\xB5\x82\xB7\x82\xB9\x82\xBB\x82\xBD\x82\xBF\x82\xC2\x82\xC4\x82\xC6\x82\xC8\x82\xC9\x82\xCA\x82\xCB\x82\xCC\x82\xCD"  // さしすせそたちつてとなにぬねのは
    "\x82\xD0\x82\xD3\x82\xD6\x82\xD9\x82\xDC\x82\xDD\x82\xDE\x82\xDF\x82\xE0\x82\xE2\x82\xE4\x82\xE6\x82\xE7\x82\xE8\x82\xE9\x82\xEA"  // ひふへほまみむめもやゆよらりるれ
    "\x82\xEB\x82\xED\x82\xF0\x82\xF1\x82\xAA\x82\xAC\x82\xAE\x82\xB0\x82\xB2\x82\xB4\x82\xB6\x82\xB8\x82\xBA\x82\xBC\x82\xBE\x82\xC0"  // ろわをんがぎぐげござじずぜぞだぢ
    "\x82\xC3\x82\xC5\x82\xC7\x82\xCE\x82\xD1\x82\xD4\x82\xD7\x82\xDA\x82\xCF\x82\xD2\x82\xD5\x82\xD8\x82\xDB\x82\x9F\x82\xA1\x82\xA3"  // づでどばびぶべぼぱぴぷぺぽぁぃぅ
    "\x82\xA5\x82\xA7\x82\xC1\x82\xE1\x82\xE3\x82\xE5\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4A\x83\x4C\x83\x4E\x83\x50\x83\x52"  // ぇぉっゃゅょアイウエオカキクケコ
    "\x83\x54\x83\x56\x83\x58\x83\x5A\x83\x5C\x83\x5E\x83\x60\x83\x63\x83\x65\x83\x67\x83\x69\x83\x6A\x83\x6B\x83\x6C\x83\x6D\x83\x6E"  // サシスセソタチツテトナニヌネノハ
    "\x83\x71\x83\x74\x83\x77\x83\x7A\x83\x7D\x83\x7E\x83\x80\x83\x81\x83\x82\x83\x84\x83\x86\x83\x88\x83\x89\x83\x8A\x83\x8B\x83\x8C"  // ヒフヘホマミムメモヤユヨラリルレ
    "\x83\x8D\x83\x8F\x83\x92\x83\x93\x83\x4B\x83\x4D\x83\x4F\x83\x51\x83\x53\x83\x55\x83\x57\x83\x59\x83\x5B\x83\x5D\x83\x5F\x83\x61"  // ロワヲンガギグゲゴザジズゼゾダヂ
    "\x83\x64\x83\x66\x83\x68\x83\x6F\x83\x72\x83\x75\x83\x78\x83\x7B\x83\x94\x83\x70\x83\x73\x83\x76\x83\x79\x83\x7C\x83\x40\x83\x42"  // ヅデドバビブベボヴパピプペポァィ
    "\x83\x44\x83\x46\x83\x48\x83\x62\x83\x83\x83\x85\x83\x87\x81\xA0\x81\xA1\x81\x99\x81\x9A\x81\x93\x81\x95\x81\x83\x81\x84\x81\x46"  // ゥェォッャュョ□■☆★％＆＜＞：
    ;
static_assert(sizeof kPreload == 256 * 2 + 1, "256 double-byte characters");

bool IsLead(uint8_t b) { return platform::IsCp932LeadByte(b); }
bool IsTrail(uint8_t b) { return platform::IsCp932TrailByte(b); }
bool IsFullWidthSpace(const uint8_t* p) { return p[0] == 0x81 && p[1] == 0x40; }

uint32_t CodeKey(const uint8_t* bytes, int count) {
  return count == 2 ? (uint32_t(bytes[0]) << 8 | bytes[1]) : (0x10000u | bytes[0]);
}

bool HasPixels(DDSURFACEDATA* sd) {
  if (!sd) return false;
  DDResolveAlias(&sd);
  return sd->Pixels() != nullptr;
}

void InstallRestoreHooks() {
  DDSetFontRestoreHooks(nullptr, [] {
    for (Font* f : FontList)
      if (f) f->Restore();
  });
}

}  // namespace

// ---------------------------------------------------------------- painting

// Puts rendered glyphs into one surface. The surface is locked at the first
// glyph and written back by Flush (or at the end of the scope), so a text of
// many glyphs costs one lock.
class Font::Painter {
 public:
  Painter(const Font& font, DDSURFACEDATA* target) : font_(font), target_(target) {}
  ~Painter() { Flush(); }
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  void Flush() {
    lock_.Unlock();
    state_ = kUnlocked;
  }

  // The glyph of a character whose cell's top-left is at (x, y).
  void Paint(int x, int y, const platform::GlyphImage& g) {
    if (g.coverage.empty() || !Lock()) return;
    const cPixelSurface* s = lock_.m_lpSD->Pixels();
    if (!s) return;
    const int W = std::min({lock_.m_lpSD->nWidth, lock_.m_nPitch, s->Width()});
    const int H = std::min(lock_.m_lpSD->nHeight, s->Height());
    const DDFORMAT fmt = s->Format();
    const int bpp = lock_.m_nBytesPerPixel;
    const bool antiAliased = lpDTCon != nullptr;
    for (int gy = 0; gy < g.height; ++gy) {
      const int py = y + g.top + gy;
      if (py < 0 || py >= H) continue;
      for (int gx = 0; gx < g.width; ++gx) {
        const int px = x + g.left + gx;
        if (px < 0 || px >= W) continue;
        const uint32_t a = g.coverage[static_cast<size_t>(gy) * static_cast<size_t>(g.width) + static_cast<size_t>(gx)];
        if (a == 0) continue;
        uint8_t* p = lock_.Pixel(px, py);
        uint32_t raw = raw_;
        if (antiAliased) {
          // Source-alpha blending that also writes the destination's alpha.
          uint32_t d = 0;
          for (int k = 0; k < bpp; ++k) d |= uint32_t(p[k]) << (8 * k);
          const uint32_t dst = FormatToArgb(fmt, d);
          const uint32_t c = font_.m_dwColor;
          raw = ArgbToFormat(fmt, BlendChannel(a, dst >> 24, a) << 24 |
                                      BlendChannel((c >> 16) & 255, (dst >> 16) & 255, a) << 16 |
                                      BlendChannel((c >> 8) & 255, (dst >> 8) & 255, a) << 8 |
                                      BlendChannel(c & 255, dst & 255, a));
        } else if (a < 128) {
          continue;
        }
        for (int k = 0; k < bpp; ++k) p[k] = static_cast<uint8_t>(raw >> (8 * k));
      }
    }
  }

 private:
  enum State { kUnlocked, kLocked, kFailed };
  bool Lock() {
    if (state_ == kUnlocked) {
      state_ = lock_.Lock(target_) ? kLocked : kFailed;
      // One-bit glyphs are the text colour as the screen stores it.
      raw_ = lpDTCon ? 0 : PalNumToRGB(static_cast<uint32_t>(font_.m_nColorNo));
    }
    return state_ == kLocked;
  }

  const Font& font_;
  DDSURFACEDATA* target_;
  cSurfaceLock lock_;
  State state_ = kUnlocked;
  uint32_t raw_ = 0;
};

// ---------------------------------------------------------------- glyph cache

cGlyphCache::cGlyphCache(int nKind, int nCellW, int nCellH, int nCols, int nRows)
    : m_nKind(nKind), m_nCellW(nCellW), m_nCellH(nCellH), m_nCols(nCols), m_nRows(nRows), m_nCapacity(nCols * nRows) {
  if (nCellW > 0 && nCellH > 0 && nCols > 0 && nRows > 0)
    m_bCreated = DDCreateSurface(&m_CacheSD, nCellW * nCols, nCellH * nRows, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
}

cGlyphCache::~cGlyphCache() { DDReleaseSurface(&m_CacheSD); }

int cGlyphCache::Add(const uint8_t code[2]) {
  if (m_nUsed >= m_nCapacity) return 0;
  const int n = m_nUsed;
  m_Codes.push_back({{code[0], code[1]}, n, (n % m_nCols) * m_nCellW, (n / m_nCols) * m_nCellH});
  m_Index.emplace(static_cast<uint16_t>(code[0] << 8 | code[1]), n);
  ++m_nUsed;
  return 1;
}

int cGlyphCache::FindCode(const uint8_t code[2]) const {
  auto it = m_Index.find(static_cast<uint16_t>(code[0] << 8 | code[1]));
  return it == m_Index.end() ? -1 : it->second;
}

void cGlyphCache::DrawCell(DDSURFACEDATA* lpDstSD, int x, int y, uint8_t byte) {
  DDBlt(lpDstSD, x, y, m_nCellW, m_nCellH, &m_CacheSD, (byte % m_nCols) * m_nCellW, (byte / m_nCols) * m_nCellH, 1);
}

int cGlyphCache::DrawCode(DDSURFACEDATA* lpDstSD, int x, int y, const uint8_t code[2]) {
  const int cell = FindCode(code);
  if (cell < 0) return 0;
  const Entry& e = m_Codes[static_cast<size_t>(cell)];
  DDBlt(lpDstSD, x, y, m_nCellW, m_nCellH, &m_CacheSD, e.nX, e.nY, 1);
  return 1;
}

// ---------------------------------------------------------------- font

Font::~Font() { Destroy(); }

void Font::Destroy() {
  m_Face.reset();
  m_Glyphs.clear();
  FreeCaches();
  if (m_WorkSD.lpDT || m_WorkSD.lpDD) DDReleaseSurface(&m_WorkSD);
  m_WorkSD = DDSURFACEDATA();
  if (m_bListed) {
    FontList.remove(this);
    m_bListed = false;
  }
}

void Font::FreeCaches() {
  m_lpFastFont_Half.reset();
  m_lpFastFont_FullAdd.reset();
}

void Font::Create(const char* face, int width, int height, int pitch, int linePitch, int color,
                  DDSURFACEDATA* lpBoxSD, int boxFrame, int boxFrameColor, DDSURFACEDATA* lpIconSD, int cacheMode) {
  m_nCharWidth = width;
  m_nCharHeight = height;
  m_nPitch = pitch;
  m_nLinePitch = linePitch;
  m_nColorNo = color;
  m_strFace = face ? face : "";

  if (DDSettings.nBpp != 0) {
    const DDPALENTRY e = (color >= 0 && color <= 255) ? PalTable[color] : DDPALENTRY{0, 0, 0, 0};
    if (lpDTCon) {
      m_dwColor = 0xFF000000u | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
    } else if (DDSettings.nBpp == 16) {
      auto wide = [](uint32_t f, int32_t max) { return max > 0 ? f * 255u / uint32_t(max) : 0u; };
      m_dwColor = wide(e.peRed, PixelLayout.nRMax) | wide(e.peGreen, PixelLayout.nGMax) << 8 |
                  wide(e.peBlue, PixelLayout.nBMax) << 16;
    } else {
      m_dwColor = uint32_t(e.peRed) | uint32_t(e.peGreen) << 8 | uint32_t(e.peBlue) << 16;
    }
  }
  m_lpBoxSD = lpBoxSD;
  m_nBoxFrame = boxFrame;
  m_nBoxFrameColor = boxFrameColor;
  m_lpIconSD = lpIconSD;
  m_bIcons = lpIconSD ? 1 : 0;

  // The face: GDI heights are cell heights.
  m_Face.reset();
  m_Glyphs.clear();
  const int cell = height != 0 ? std::abs(height) : (linePitch > 0 ? linePitch : 16);
  const std::string file = platform::FindFontFile(m_strFace, platform::JapaneseSample());
  std::string error;
  if (file.empty()) {
    WriteLog("Font %s : no installed face has Japanese glyphs", m_strFace.c_str());
  } else if (!(m_Face = platform::FontFace::Open(file, cell, width, &error))) {
    WriteLog("Font %s : %s", m_strFace.c_str(), error.c_str());
  }

  if (!m_WorkSD.lpDT && !m_WorkSD.lpDD) {
    if (!DDCreateSurface(&m_WorkSD, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0) &&
        !lpDTCon) {
      WriteDebugLog("DDCreateSurface Font::Work");
      platform::RequestMainWindowClose();
      return;
    }
    m_WorkSD.strName = "Font::Work";
  }

  if (lpDTCon) m_nFontNo = lpDTCon->nNextFontId++;
  else if (lpDDCon) m_nFontNo = lpDDCon->nNextFontId++;
  if (!m_bListed) {
    FontList.push_back(this);
    m_bListed = true;
  }
  InstallRestoreHooks();

  m_nCacheMode = cacheMode;
  if (cacheMode == 0) {
    FreeCaches();
    return;
  }
  if (pitch == 0 || linePitch == 0) {
    // "※フォントクラスで文字間が未設定！"
    WriteDebugLog("\x81\xA6\x83t\x83H\x83\x93\x83g\x83N\x83\x89\x83X\x82\xC5\x95\xB6\x8E\x9A\x8A\xD4\x82\xAA\x96\xA2"
                  "\x90\xDD\x92\xE8\x81\x49");
    FreeCaches();
    return;
  }
  FreeCaches();
  m_lpFastFont_Half = std::make_unique<cGlyphCache>(0, pitch, linePitch, 16, 16);
  if (!m_lpFastFont_Half->Created()) {
    WriteDebugLog("m_lpFastFont_Half Err");
    platform::RequestMainWindowClose();
    FreeCaches();
    return;
  }
  int cols, rows;
  if (lpDTCon) {
    cols = std::min(1024 / pitch, 32);
    rows = std::min(1024 / linePitch, 32);
  } else {
    cols = std::min(BackBuffer.nWidth / pitch, 32);
    rows = std::min(BackBuffer.nHeight / linePitch, 30);
  }
  m_lpFastFont_FullAdd = std::make_unique<cGlyphCache>(1, pitch, linePitch, cols, rows);
  if (!m_lpFastFont_FullAdd->Created()) {
    WriteDebugLog("m_lpFastFont_FullAdd Err");
    platform::RequestMainWindowClose();
    FreeCaches();
    return;
  }
  BuildHalfCache();
  BuildFullCache(false);
}

const platform::GlyphImage* Font::Glyph(const uint8_t* bytes, int count) {
  const uint32_t key = CodeKey(bytes, count);
  auto it = m_Glyphs.find(key);
  if (it != m_Glyphs.end()) return &it->second;
  platform::GlyphImage img;
  if (m_Face) {
    const char32_t cp = platform::Cp932CharToUnicode(reinterpret_cast<const char*>(bytes), count);
    if (cp != 0)
      m_Face->Render(cp, lpDTCon ? platform::GlyphMode::AntiAliased : platform::GlyphMode::Mono, img);
  }
  return &m_Glyphs.emplace(key, std::move(img)).first->second;
}

int Font::Advance(const uint8_t* bytes, int count) const {
  return const_cast<Font*>(this)->Glyph(bytes, count)->advance;
}

void Font::DrawChar(Painter& painter, int x, int y, const uint8_t* bytes, int count) {
  const platform::GlyphImage* g = Glyph(bytes, count);
  ++m_nGlyphRenders;
  int px = x, py = y;
  if (m_bCenterGlyph) {
    const int w = g->advance, h = m_Face ? m_Face->CellHeight() : m_nLinePitch;
    px = x + (m_nPitch >> 1) - (w >> 1);
    py = y + (m_nLinePitch >> 1) - (h >> 1);
  } else if (count == 1) {
    px = x + (m_nPitch >> 3);
    py = y + (m_nLinePitch >> 4) - 1;
  }
  painter.Paint(px, py, *g);
}

void Font::DrawLine(Painter& painter, int x, int y, const char* line, size_t length) {
  const auto* p = reinterpret_cast<const uint8_t*>(line);
  int pen = x;
  for (size_t i = 0; i < length;) {
    const int count = (i + 1 < length && IsLead(p[i]) && IsTrail(p[i + 1])) ? 2 : 1;
    const platform::GlyphImage* g = Glyph(p + i, count);
    ++m_nGlyphRenders;
    painter.Paint(pen, y, *g);
    pen += g->advance;
    i += static_cast<size_t>(count);
  }
}

bool Font::IconsUsable() const { return m_bIcons && HasPixels(m_lpIconSD) && m_nPitch != 0; }

std::vector<FONTPLACE> Font::LayoutText(const char* text) const {
  std::vector<FONTPLACE> out;
  if (!text) return out;
  const bool icons = IconsUsable();
  int col = 0, line = 0;
  for (const auto* p = reinterpret_cast<const uint8_t*>(text); *p;) {
    if (IsLead(p[0]) && IsTrail(p[1])) {
      out.push_back({IsFullWidthSpace(p) ? FONTPLACE::kAdvance : FONTPLACE::kDouble, col, line, {p[0], p[1]}});
      col += m_nPitch;
      p += 2;
      continue;
    }
    if (*p == '\n') {
      line += m_nLinePitch;
      col = 0;
    } else {
      FONTPLACE::Kind kind = FONTPLACE::kByte;
      if (*p == ' ') kind = FONTPLACE::kAdvance;
      else if (icons && *p >= 'a' && *p <= 'z') kind = FONTPLACE::kIcon;
      out.push_back({kind, col, line, {p[0], 0}});
      col += m_nPitch;
    }
    ++p;
  }
  return out;
}

void Font::DrawGlyphs(DDSURFACEDATA* lpWorkSD, int x0, int y0, DDSURFACEDATA* lpDstSD, int x, int y,
                      const char* text) {
  DDBeginSpriteBatch(1);
  {
    Painter painter(*this, lpWorkSD);
    if (m_nPitch == 0) {
      int k = 0;
      for (const char* line = text;; ++k) {
        const int len = GetLineLength(line);
        DrawLine(painter, x0, y0 + k * m_nLinePitch, line, static_cast<size_t>(len));
        if (line[len] == '\0') break;
        line += len + 1;
      }
    } else {
      const bool caching = m_nCacheMode != 0 && m_lpFastFont_Half && m_lpFastFont_FullAdd;
      for (const FONTPLACE& pl : LayoutText(text)) {
        if (pl.kind == FONTPLACE::kAdvance || pl.kind == FONTPLACE::kIcon) continue;
        const int count = pl.kind == FONTPLACE::kDouble ? 2 : 1;
        if (!caching) {
          DrawChar(painter, x0 + pl.x, y0 + pl.y, pl.code, count);
        } else if (count == 1) {
          m_lpFastFont_Half->DrawCell(lpDstSD, x + pl.x, y + pl.y, pl.code[0]);
        } else if (!m_lpFastFont_FullAdd->DrawCode(lpDstSD, x + pl.x, y + pl.y, pl.code)) {
          if (m_lpFastFont_FullAdd->Add(pl.code)) {
            RenderCell(*m_lpFastFont_FullAdd, m_lpFastFont_FullAdd->m_nUsed - 1, pl.code, 2);
            m_lpFastFont_FullAdd->DrawCode(lpDstSD, x + pl.x, y + pl.y, pl.code);
          } else {
            // The cache is full: drawn directly, every time.
            DrawChar(painter, x0 + pl.x, y0 + pl.y, pl.code, 2);
          }
        }
      }
    }
  }
  DDEndSpriteBatch();
}

void Font::RenderCell(cGlyphCache& cache, int cell, const uint8_t* bytes, int count) {
  const int cx = (cell % cache.m_nCols) * cache.m_nCellW, cy = (cell / cache.m_nCols) * cache.m_nCellH;
  Painter painter(*this, &cache.m_CacheSD);
  if (lpDTCon) {
    // Direct3D draws a new full-width glyph at the cell's corner.
    ++m_nGlyphRenders;
    painter.Paint(cx, cy, *Glyph(bytes, count));
  } else {
    DrawChar(painter, cx, cy, bytes, count);
  }
}

void Font::BuildHalfCache() {
  cGlyphCache& cache = *m_lpFastFont_Half;
  DDFillSurface(&cache.m_CacheSD, 0);
  // Cell by cell: byte b in cell b. Row 0 (control bytes and the newline)
  // stays empty, as does the space; a lead byte alone has no glyph.
  Painter painter(*this, &cache.m_CacheSD);
  for (int b = 16; b < 256; ++b) {
    if (b == ' ') continue;
    const uint8_t byte = static_cast<uint8_t>(b);
    DrawChar(painter, (b % cache.m_nCols) * cache.m_nCellW, (b / cache.m_nCols) * cache.m_nCellH, &byte, 1);
  }
}

void Font::BuildFullCache(bool rebuild) {
  cGlyphCache& cache = *m_lpFastFont_FullAdd;
  if (!rebuild) {
    const auto* p = reinterpret_cast<const uint8_t*>(kPreload);
    for (int i = 0; i < 256 && cache.Add(p + 2 * i); ++i) {
    }
  }
  DDFillSurface(&cache.m_CacheSD, 0);
  Painter painter(*this, &cache.m_CacheSD);
  const int n = std::min(cache.m_nUsed, cache.m_nCapacity);
  for (int i = 0; i < n; ++i) {
    const cGlyphCache::Entry& e = cache.m_Codes[static_cast<size_t>(i)];
    if (IsFullWidthSpace(e.code)) continue;
    DrawChar(painter, e.nX, e.nY, e.code, 2);
  }
}

void Font::DrawIconLetters(DDSURFACEDATA* lpDstSD, int x, int y, const char* text) {
  if (!IconsUsable() || !text) return;
  DDBeginSpriteBatch(0);
  for (const FONTPLACE& pl : LayoutText(text))
    if (pl.kind == FONTPLACE::kIcon)
      DDBlt(lpDstSD, x + pl.x, y + pl.y, m_nPitch, m_nLinePitch, m_lpIconSD, m_nPitch * (pl.code[0] - 'a'), 0, 1);
  DDEndSpriteBatch();
}

int Font::DrawText(DDSURFACEDATA* lpDstSD, int x, int y, const char* text) {
  if (!lpDstSD || !text) return 0;
  if (lpDTCon) {
    DDResolveAlias(&lpDstSD);
    DDRedirectBackBuffer(&lpDstSD);
  }
  const bool caching = m_nCacheMode != 0 && m_lpFastFont_Half && m_lpFastFont_FullAdd;
  if (lpDTCon && lpDstSD->lpDT && lpDstSD->lpDT->nMemoryType == DTMEMORYTYPE_VIDEO_RT) {
    if (!caching && !DDBeginScene()) return 0;
    DrawGlyphs(lpDstSD, x, y, lpDstSD, x, y, text);
    DrawIconLetters(lpDstSD, x, y, text);
    return 1;
  }
  if (!m_WorkSD.lpDT && !m_WorkSD.lpDD) return 0;
  int w = 0, h = 0;
  if (m_nPitch != 0) GetTextSize(text, &w, &h);
  else MeasureText(text, &w, &h);
  if (lpDTCon && !caching && !DDBeginScene()) return 0;
  DDFillRect(&m_WorkSD, 0, 0, w, h, 0);
  DrawGlyphs(&m_WorkSD, 0, 0, lpDstSD, x, y, text);
  if (lpDTCon) DrawIconLetters(&m_WorkSD, 0, 0, text);
  DDBlt(lpDstSD, x, y, w, h, &m_WorkSD, 0, 0, 1);
  if (!lpDTCon) DrawIconLetters(lpDstSD, x, y, text);
  return 1;
}

int Font::Printf(Font* font, DDSURFACEDATA* lpDstSD, int x, int y, const char* format, ...) {
  if (!font || !format) return 0;
  char buf[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return font->DrawText(lpDstSD, x, y, buf);
}

void Font::DrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h) {
  const int bw = m_lpBoxSD ? m_lpBoxSD->nWidth : 0, bh = m_lpBoxSD ? m_lpBoxSD->nHeight : 0;
  if (x == 10000) x = (bw >> 1) - (w >> 1);
  if (y == 10000) y = (bh >> 1) - (h >> 1);
  DDDrawBox(lpDstSD, x, y, w, h, m_lpBoxSD, m_nBoxFrame, static_cast<uint32_t>(m_nBoxFrameColor));
}

void Font::DrawTextBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* text, int margin) {
  if (!text) text = "";
  if (w == 0 || h == 0) {
    int tw = 0, th = 0;
    if (m_nPitch != 0) GetTextSize(text, &tw, &th);
    else MeasureText(text, &tw, &th);
    if (w == 0) w = margin + tw;
    if (h == 0) h = th;
  }
  const int bw = m_lpBoxSD ? m_lpBoxSD->nWidth : 0, bh = m_lpBoxSD ? m_lpBoxSD->nHeight : 0;
  if (x == 10000) x = (bw >> 1) - (w >> 1);
  if (y == 10000) y = (bh >> 1) - (h >> 1);
  DDDrawBox(lpDstSD, x, y, w, h, m_lpBoxSD, m_nBoxFrame, static_cast<uint32_t>(m_nBoxFrameColor));
  DrawText(lpDstSD, x + margin, y, text);
}

void Font::DrawTextBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* text, int margin, int) {
  DrawTextBox(lpDstSD, x, y, w, h, text, margin);
}

void Font::PrintfBox(Font* font, DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* format, ...) {
  if (!font || !format) return;
  char buf[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  font->DrawTextBox(lpDstSD, x, y, w, h, buf, 0);
}

void Font::GetTextSize(const char* text, int* width, int* height) const {
  int lines = 1, longest = 0, chars = 0;
  for (const auto* p = reinterpret_cast<const uint8_t*>(text ? text : ""); *p;) {
    if (*p == '\n') {
      longest = std::max(longest, chars);
      chars = 0;
      ++lines;
      ++p;
      continue;
    }
    p += (IsLead(p[0]) && IsTrail(p[1])) ? 2 : 1;
    ++chars;
  }
  longest = std::max(longest, chars);
  if (width) *width = longest * m_nPitch;
  if (height) *height = lines * m_nLinePitch;
}

void Font::MeasureText(const char* text, int* width, int* height) const {
  if (!text) text = "";
  int lines = 0, widest = 0;
  for (const char* line = text;; ) {
    const int len = GetLineLength(line);
    const auto* p = reinterpret_cast<const uint8_t*>(line);
    int w = 0;
    for (int i = 0; i < len;) {
      const int count = (i + 1 < len && IsLead(p[i]) && IsTrail(p[i + 1])) ? 2 : 1;
      w += Advance(p + i, count);
      i += count;
    }
    widest = std::max(widest, w);
    ++lines;
    if (line[len] == '\0') break;
    line += len + 1;
  }
  if (width) *width = widest;
  if (height) *height = lines * m_nLinePitch;
}

void Font::Restore() {
  if (lpDTCon) {
    if (m_lpFastFont_Half && m_lpFastFont_Half->m_CacheSD.bLost) {
      BuildHalfCache();
      m_lpFastFont_Half->m_CacheSD.bLost = 0;
    }
    if (m_lpFastFont_FullAdd && m_lpFastFont_FullAdd->m_CacheSD.bLost) {
      BuildFullCache(true);
      m_lpFastFont_FullAdd->m_CacheSD.bLost = 0;
    }
    return;
  }
  if (m_WorkSD.lpDD && m_WorkSD.lpDD->lpSurface && m_WorkSD.lpDD->lpSurface->IsLost() == DDERR_SURFACELOST)
    m_WorkSD.lpDD->lpSurface->Restore();
  for (cGlyphCache* cache : {m_lpFastFont_Half.get(), m_lpFastFont_FullAdd.get()}) {
    if (!cache || !cache->m_CacheSD.lpDD || !cache->m_CacheSD.lpDD->lpSurface) continue;
    cPixelSurface& s = *cache->m_CacheSD.lpDD->lpSurface;
    if (s.IsLost() == DDERR_SURFACELOST) s.Restore();
    if (cache == m_lpFastFont_Half.get()) BuildHalfCache();
    else BuildFullCache(true);
  }
}

// ---------------------------------------------------------------- the application's fonts

int CreateFonts(Font* fonts, const FONTDATA* descriptors, int count) {
  auto surface = [](int index) -> DDSURFACEDATA* {
    if (!DDSettings.lpSurfaceTable || index < 0 || index >= DDSettings.nSurfaceCount) return nullptr;
    return &DDSettings.lpSurfaceTable[index];
  };
  for (int i = 0; fonts && descriptors && i < count; ++i) {
    const FONTDATA& d = descriptors[i];
    char face[sizeof d.szFace + 1];
    std::memcpy(face, d.szFace, sizeof d.szFace);
    face[sizeof d.szFace] = '\0';
    fonts[i].Create(face, d.nWidth, d.nHeight, d.nPitch, d.nLinePitch, d.nColor, surface(d.nBoxSurface), d.nBoxFrame,
                    d.nBoxFrameColor, surface(d.nIconSurface), d.nCacheMode);
  }
  return 1;
}

void DrawDigits(DDSURFACEDATA* lpSD, Font* font) {
  if (!lpSD || !font) return;
  DDFillSurface(lpSD, 0);
  font->DrawText(lpSD, 0, 0, "0123456789");
}

int CreateDigitSurfaces(DDSURFACEDATA* digitSD, const DDBITMAPDATA* descriptors, int count, Font* fonts,
                        const FONTDATA* fontData) {
  for (int i = 0; digitSD && descriptors && fonts && fontData && i < count; ++i) {
    const DDBITMAPDATA& d = descriptors[i];
    DDCreateSurface(&digitSD[i], 10 * fontData[i].nPitch, fontData[i].nLinePitch, d.bTransparent, d.nDDMemory,
                    d.nD3DType, d.bAlias, 0);
    DrawDigits(&digitSD[i], &fonts[i]);
  }
  return 1;
}

int GetLineLength(const char* text) {
  if (!text) return 0;
  const char* nl = std::strchr(text, '\n');
  return static_cast<int>(nl ? nl - text : std::strlen(text));
}
