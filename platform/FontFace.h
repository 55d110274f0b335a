#pragma once
// Font files for the text drawing of the graphics library: finding an
// installed face for the names the game data asks for, and rendering glyphs
// with FreeType at the cell heights the data means (GDI heights).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---------------------------------------------------------------- lookup

// The font families tried, in order, for a face name (code-page-932 text as
// the data has it): the aliases of a known Windows face, then the name itself,
// then generic Japanese gothic families. Never empty.
std::vector<std::string> FontFamilyCandidates(const std::string& faceCp932);

// The native path of an installed font file for the face that has glyphs for
// every character of `sample` (fontconfig happily answers a Japanese face name
// with a Latin-only font, so a name match alone is not trusted). Empty when no
// candidate covers the sample.
std::string FindFontFile(const std::string& faceCp932, std::u32string_view sample);

// Starts reading the font configuration and the list of installed fonts on a
// thread of its own, so that the first FindFontFile finds them ready (it waits
// for a read still under way). Later calls do nothing.
void StartFontConfigLoad();

// The sample FindFontFile is asked with by the text drawing: kana, kanji and
// full-width forms.
std::u32string_view JapaneseSample();

// Tests pin one file so that their results do not depend on what else is
// installed: while set, FindFontFile answers with it. Empty clears it.
void SetFixedFontFile(const std::string& nativePath);

// ---------------------------------------------------------------- code points

// The Unicode character of one code-page-932 character (one or two bytes);
// 0 for a byte sequence without one.
char32_t Cp932CharToUnicode(const char* bytes, int count);

// ---------------------------------------------------------------- faces

// One rendered glyph. Coverage is 0-255 per pixel, row-major, `width` bytes a
// row; one-bit glyphs use only 0 and 255. `left` is the offset of the first
// column from the pen, `top` the offset of the first row from the cell's top.
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int advance = 0;  // pixels to the next pen position
  std::vector<uint8_t> coverage;
};

enum class GlyphMode { Mono, AntiAliased };

// A face at one GDI cell height: the pixel size is height * unitsPerEm /
// (winAscent + winDescent) and the baseline lies at the scaled winAscent below
// the cell's top, so a line of text fills exactly `height` pixels.
class FontFace {
 public:
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // Opens a font file at a cell height (pixels, at least 1). A width above 0
  // asks for that average character width instead of the face's own.
  static std::unique_ptr<FontFace> Open(const std::string& nativePath, int cellHeight, int width = 0,
                                        std::string* error = nullptr);

  const std::string& Path() const { return path_; }
  int CellHeight() const { return cellHeight_; }
  int Ascent() const { return ascent_; }  // baseline below the cell's top
  bool HasGlyph(char32_t c) const;
  // Horizontal advance in pixels (0 for a character without glyph).
  int Advance(char32_t c) const;
  // Renders one character; false (and an empty image) when the face has no
  // glyph for it. Spaces give an image without pixels but with an advance.
  bool Render(char32_t c, GlyphMode mode, GlyphImage& out) const;

 private:
  FontFace() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string path_;
  int cellHeight_ = 0;
  int ascent_ = 0;
};

}  // namespace platform
