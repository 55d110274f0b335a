#include "platform/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/CodePage.h"

namespace platform {
namespace {

// ---------------------------------------------------------------- aliases

// Families that stand in for the Windows faces projects ask for. Fixed-pitch
// gothics first for the fixed faces, proportional ones for the P faces.
const char* const kGothicFixed[] = {"MS Gothic", "IPAGothic", "IPAexGothic", "TakaoGothic", "VL Gothic",
                                    "Noto Sans Mono CJK JP", "Noto Sans CJK JP", nullptr};
const char* const kGothicProportional[] = {"MS PGothic", "IPAPGothic", "IPAexGothic", "TakaoPGothic",
                                           "VL PGothic", "Noto Sans CJK JP", "IPAGothic", nullptr};
const char* const kMinchoFixed[] = {"MS Mincho", "IPAMincho", "TakaoMincho", "Noto Serif CJK JP", "IPAGothic",
                                    nullptr};
const char* const kMinchoProportional[] = {"MS PMincho", "IPAPMincho", "IPAexMincho", "TakaoPMincho",
                                           "Noto Serif CJK JP", "IPAPGothic", nullptr};

struct Alias {
  const char* face;  // code page 932, as the face-name table has it
  const char* const* families;
};

const Alias kAliases[] = {
    {"\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", kGothicFixed},                 // ＭＳ ゴシック
    {"MS Gothic", kGothicFixed},
    {"\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", kGothicProportional},  // ＭＳ Ｐゴシック
    {"MS PGothic", kGothicProportional},
    {"MS UI Gothic", kGothicProportional},
    {"\x83\x81\x83\x43\x83\x8A\x83\x49", kGothicProportional},                          // メイリオ
    {"Meiryo", kGothicProportional},
    {"\x82\x6C\x82\x72 \x96\xBE\x92\xA9", kMinchoFixed},                                // ＭＳ 明朝
    {"MS Mincho", kMinchoFixed},
    {"\x82\x6C\x82\x72 \x82\x6F\x96\xBE\x92\xA9", kMinchoProportional},                 // ＭＳ Ｐ明朝
    {"MS PMincho", kMinchoProportional},
};

// Generic Japanese fallbacks after every other candidate (fontconfig patterns).
const char* const kGenericTail[] = {":lang=ja:spacing=mono", ":lang=ja"};

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// ---------------------------------------------------------------- FreeType

std::mutex& FtMutex() {
  static std::mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

std::mutex gLookupMutex;
std::string gFixedFile;
std::map<std::string, std::string> gLookupCache;  // face + sample -> file

// The configuration and font list are read once: reading them is most of a
// lookup's cost, and it may start on its own thread before the face is known.
struct SharedConfig {
  std::once_flag once;
  FcConfig* config = nullptr;
  std::mutex warmMutex;
  std::thread warm;
  ~SharedConfig() {
    {
      std::lock_guard<std::mutex> lock(warmMutex);
      if (warm.joinable()) warm.join();
    }
    if (config) FcConfigDestroy(config);
  }
  FcConfig* Get() {
    std::call_once(once, [this] { config = FcInitLoadConfigAndFonts(); });
    return config;
  }
};

SharedConfig& Shared() {
  static SharedConfig shared;
  return shared;
}

}  // namespace

// ---------------------------------------------------------------- lookup

std::vector<std::string> FontFamilyCandidates(const std::string& faceCp932) {
  std::vector<std::string> out;
  auto add = [&out](const std::string& f) {
    if (f.empty()) return;
    for (const auto& o : out)
      if (o == f) return;
    out.push_back(f);
  };
  const char* const* aliases = nullptr;
  for (const Alias& a : kAliases)
    if (faceCp932 == a.face) aliases = a.families;
  // The HG faces are gothics or minchos by their names; P and S are proportional.
  if (!aliases && StartsWith(faceCp932, "HG")) {
    bool proportional = StartsWith(faceCp932, "HGP") || StartsWith(faceCp932, "HGS");
    bool mincho = faceCp932.find("\x96\xBE\x92\xA9") != std::string::npos;  // 明朝
    aliases = mincho ? (proportional ? kMinchoProportional : kMinchoFixed)
                     : (proportional ? kGothicProportional : kGothicFixed);
  }
  if (aliases)
    for (const char* const* f = aliases; *f; ++f) add(*f);
  add(Cp932ToUtf8(faceCp932));
  for (const char* f : kGothicFixed)
    if (f) add(f);
  for (const char* g : kGenericTail) add(g);
  return out;
}

std::u32string_view JapaneseSample() {
  return U"\u3042\u30A2\u6F22\u5B57\u30FC\uFF10\uFF21";  // あア漢字ー０Ａ
}

void SetFixedFontFile(const std::string& nativePath) {
  std::lock_guard<std::mutex> lock(gLookupMutex);
  gFixedFile = nativePath;
}

std::string FindFontFile(const std::string& faceCp932, std::u32string_view sample) {
  std::lock_guard<std::mutex> lock(gLookupMutex);
  if (!gFixedFile.empty()) return gFixedFile;
  std::string key = faceCp932;
  key.push_back('\0');
  for (char32_t c : sample) key.append(reinterpret_cast<const char*>(&c), sizeof c);
  auto hit = gLookupCache.find(key);
  if (hit != gLookupCache.end()) return hit->second;

  std::string found;
  if (FcConfig* config = Shared().Get()) {
    for (const std::string& cand : FontFamilyCandidates(faceCp932)) {
      FcPattern* pat = nullptr;
      if (cand[0] == ':') {
        pat = FcNameParse(reinterpret_cast<const FcChar8*>(cand.c_str()));
      } else {
        pat = FcPatternCreate();
        if (pat) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(cand.c_str()));
      }
      if (!pat) continue;
      FcConfigSubstitute(config, pat, FcMatchPattern);
      FcDefaultSubstitute(pat);
      FcResult result = FcResultNoMatch;
      FcPattern* match = FcFontMatch(config, pat, &result);
      FcPatternDestroy(pat);
      if (!match) continue;
      FcChar8* file = nullptr;
      FcCharSet* charset = nullptr;
      bool covers = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                    FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch;
      for (size_t i = 0; covers && i < sample.size(); ++i)
        covers = FcCharSetHasChar(charset, static_cast<FcChar32>(sample[i])) != 0;
      if (covers) found = reinterpret_cast<const char*>(file);
      FcPatternDestroy(match);
      if (!found.empty()) break;
    }
  }
  gLookupCache[key] = found;
  return found;
}

void StartFontConfigLoad() {
  SharedConfig& shared = Shared();
  std::lock_guard<std::mutex> lock(shared.warmMutex);
  if (shared.warm.joinable()) return;
  try {
    shared.warm = std::thread([&shared] { shared.Get(); });
  } catch (const std::system_error&) {
    // No thread: the first lookup reads the configuration itself.
  }
}

// ---------------------------------------------------------------- code points

char32_t Cp932CharToUnicode(const char* bytes, int count) {
  if (count < 1 || count > 2) return 0;
  unsigned code = static_cast<unsigned char>(bytes[0]);
  if (count == 2) code = code << 8 | static_cast<unsigned char>(bytes[1]);
  // Conversions through iconv are slow enough to matter for text drawn every
  // frame, so every answer is remembered. kUnknown marks "not asked yet".
  constexpr char32_t kUnknown = 0xFFFFFFFFu;
  struct Table {
    std::array<std::atomic<char32_t>, 65536> e;
    Table() {
      for (auto& x : e) x.store(kUnknown, std::memory_order_relaxed);
    }
  };
  static Table table;
  char32_t known = table.e[code].load(std::memory_order_relaxed);
  if (known != kUnknown) return known;

  char32_t cp = 0;
  if (count == 1 && code < 0x80) {
    cp = code;
  } else if (count == 1 || (IsCp932LeadByte(static_cast<unsigned char>(bytes[0])) &&
                            IsCp932TrailByte(static_cast<unsigned char>(bytes[1])))) {
    std::string u = Cp932ToUtf8(std::string_view(bytes, static_cast<size_t>(count)));
    const auto* p = reinterpret_cast<const unsigned char*>(u.data());
    size_t n = u.size();
    if (n == 1 && p[0] < 0x80) cp = p[0];
    else if (n == 2 && (p[0] & 0xE0) == 0xC0) cp = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
    else if (n == 3 && (p[0] & 0xF0) == 0xE0) cp = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    else if (n == 4 && (p[0] & 0xF8) == 0xF0)
      cp = (p[0] & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    if (cp == 0xFFFD) cp = 0;
  }
  table.e[code].store(cp, std::memory_order_relaxed);
  return cp;
}

// ---------------------------------------------------------------- faces

struct FontFace::Impl {
  FT_Face face = nullptr;
};

FontFace::~FontFace() {
  if (impl_ && impl_->face) {
    std::lock_guard<std::mutex> lock(FtMutex());
    FT_Done_Face(impl_->face);
  }
}

std::unique_ptr<FontFace> FontFace::Open(const std::string& nativePath, int cellHeight, int width,
                                         std::string* error) {
  auto fail = [error](const std::string& why) -> std::unique_ptr<FontFace> {
    if (error) *error = why;
    return nullptr;
  };
  if (cellHeight < 1) return fail("cell height below 1");
  std::lock_guard<std::mutex> lock(FtMutex());
  FT_Library lib = Library();
  if (!lib) return fail("FreeType cannot start");
  FT_Face face = nullptr;
  if (FT_New_Face(lib, nativePath.c_str(), 0, &face) != 0 || !face) return fail("cannot open " + nativePath);
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    FT_Done_Face(face);
    return fail("not a scalable font: " + nativePath);
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  // GDI heights are cell heights: ascent plus descent of the Windows metrics.
  long winAscent = face->ascender, winDescent = -face->descender, avgWidth = 0;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      winAscent = os2->usWinAscent;
      winDescent = os2->usWinDescent;
    }
    avgWidth = os2->xAvgCharWidth;
  }
  long total = winAscent + winDescent;
  if (total <= 0) {
    winAscent = face->units_per_EM;
    winDescent = 0;
    total = winAscent;
  }
  long upem = face->units_per_EM;
  // Sizes in 26.6 at 72 dpi, so a "point" is a pixel.
  long sizeY = (static_cast<long>(cellHeight) * upem * 64 + total / 2) / total;
  long sizeX = sizeY;
  if (width > 0 && avgWidth > 0) sizeX = (static_cast<long>(width) * upem * 64 + avgWidth / 2) / avgWidth;
  if (FT_Set_Char_Size(face, sizeX, sizeY, 72, 72) != 0) {
    FT_Done_Face(face);
    return fail("cannot size " + nativePath);
  }
  std::unique_ptr<FontFace> f(new FontFace());
  f->impl_ = std::make_unique<Impl>();
  f->impl_->face = face;
  f->path_ = nativePath;
  f->cellHeight_ = cellHeight;
  f->ascent_ = static_cast<int>((winAscent * cellHeight + total / 2) / total);
  return f;
}

bool FontFace::HasGlyph(char32_t c) const {
  std::lock_guard<std::mutex> lock(FtMutex());
  return FT_Get_Char_Index(impl_->face, c) != 0;
}

int FontFace::Advance(char32_t c) const {
  std::lock_guard<std::mutex> lock(FtMutex());
  FT_Face face = impl_->face;
  FT_UInt index = FT_Get_Char_Index(face, c);
  if (index == 0) return 0;
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return 0;
  return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

bool FontFace::Render(char32_t c, GlyphMode mode, GlyphImage& out) const {
  out = GlyphImage();
  std::lock_guard<std::mutex> lock(FtMutex());
  FT_Face face = impl_->face;
  FT_UInt index = FT_Get_Char_Index(face, c);
  if (index == 0) return false;
  // One-bit glyphs may come from the face's own bitmaps (they are made for
  // exactly that); anti-aliased ones always from the outlines.
  FT_Int32 flags = mode == GlyphMode::Mono ? (FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)
                                           : (FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP);
  if (FT_Load_Glyph(face, index, flags) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, mode == GlyphMode::Mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
    return false;
  const FT_Bitmap& bm = slot->bitmap;
  out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  out.left = slot->bitmap_left;
  out.top = ascent_ - slot->bitmap_top;
  out.width = static_cast<int>(bm.width);
  out.height = static_cast<int>(bm.rows);
  out.coverage.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
  for (int y = 0; y < out.height; ++y) {
    const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    uint8_t* dst = out.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(out.width);
    for (int x = 0; x < out.width; ++x) {
      uint8_t v = 0;
      switch (bm.pixel_mode) {
        case FT_PIXEL_MODE_MONO:
          v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
          break;
        case FT_PIXEL_MODE_GRAY: {
          unsigned levels = bm.num_grays > 1 ? bm.num_grays - 1u : 255u;
          v = static_cast<uint8_t>(row[x] * 255u / levels);
          break;
        }
        default:
          break;
      }
      if (mode == GlyphMode::Mono) v = v >= 128 ? 255 : 0;
      dst[x] = v;
    }
  }
  return true;
}

}  // namespace platform
