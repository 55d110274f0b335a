// ctest-label: graphics
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "media/graphics/Bmp.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace bmp_test {

namespace {
using gfxtest::BmpOptions;
using gfxtest::MakeBmp;

// Decodes the same bytes with SDL and checks every pixel's colour (and, for
// palettised pictures, every palette number) against ours.
void ExpectSameAsSdl(const std::vector<uint8_t>& bytes, const cBitmapImage& ours, const std::string& what) {
  SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
  ASSERT_NE(s, nullptr) << what << ": " << SDL_GetError();
  ASSERT_EQ(s->w, ours.nWidth) << what;
  ASSERT_EQ(s->h, ours.nHeight) << what;
  if (s->format->BitsPerPixel == 8 && s->format->palette) {
    ASSERT_TRUE(ours.IsPalettised()) << what;
    for (int y = 0; y < s->h; ++y)
      for (int x = 0; x < s->w; ++x)
        ASSERT_EQ(static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x], ours.IndexAt(x, y)) << what << " " << x << "," << y;
  }
  SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
  ASSERT_NE(c, nullptr);
  int mismatches = 0;
  for (int y = 0; y < c->h && mismatches < 5; ++y)
    for (int x = 0; x < c->w; ++x) {
      uint32_t v = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(c->pixels) + y * c->pitch)[x];
      if ((v & 0xFFFFFF) != ours.At(x, y)) {
        ADD_FAILURE() << what << " pixel " << x << "," << y << " sdl " << std::hex << (v & 0xFFFFFF) << " ours "
                      << ours.At(x, y);
        if (++mismatches >= 5) break;
      }
    }
  SDL_FreeSurface(c);
  SDL_FreeSurface(s);
}

TEST(BmpReader, EveryFormatOfOurOwnDecodesAsWritten) {
  const int w = 13, h = 5;  // odd width: row padding in every format
  std::vector<uint32_t> pal;
  for (int i = 0; i < 256; ++i) pal.push_back(uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i * 7 & 255));
  struct Case {
    const char* name;
    int bpp;
    BmpOptions opt;
    int colours;
  };
  std::vector<Case> cases = {
      {"1-bit", 1, {}, 0},
      {"4-bit", 4, {}, 0},
      {"4-bit short table", 4, {}, 9},
      {"8-bit", 8, {}, 0},
      {"8-bit short table", 8, {}, 40},
      {"8-bit top-down", 8, {}, 0},
      {"24-bit", 24, {}, 0},
      {"24-bit top-down", 24, {}, 0},
      {"32-bit", 32, {}, 0},
  };
  cases[2].opt.colours = 9;
  cases[4].opt.colours = 40;
  cases[5].opt.topDown = true;
  cases[7].opt.topDown = true;
  for (const Case& c : cases) {
    std::vector<uint32_t> px(size_t(w) * h);
    int limit = c.bpp <= 8 ? (c.colours ? c.colours : 1 << c.bpp) : 0;
    for (size_t i = 0; i < px.size(); ++i)
      px[i] = c.bpp <= 8 ? uint32_t((i * 5 + 3) % limit) : uint32_t((i * 2654435761u) & 0xFFFFFF);
    auto bytes = MakeBmp(w, h, c.bpp, px, pal, c.opt);
    cBitmapImage img;
    std::string why;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), img, &why)) << c.name << ": " << why;
    EXPECT_EQ(img.nBitCount, c.bpp) << c.name;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t v = px[size_t(y) * w + x];
        if (c.bpp <= 8) {
          ASSERT_EQ(img.IndexAt(x, y), v) << c.name;
          ASSERT_EQ(img.At(x, y), pal[v]) << c.name;
        } else {
          ASSERT_EQ(img.At(x, y), v & 0xFFFFFF) << c.name;
        }
      }
    ExpectSameAsSdl(bytes, img, c.name);
  }
}

TEST(BmpReader, SixteenBitFormatsExpandFieldsWithTheOneRule) {
  // 555 without bit fields, and 565 through bit fields.
  std::vector<uint32_t> px = {0x0000, 0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x4210};
  auto b555 = MakeBmp(6, 1, 16, px);
  cBitmapImage img;
  ASSERT_TRUE(DecodeBmp(b555.data(), b555.size(), img, nullptr));
  EXPECT_EQ(img.At(0, 0), 0x000000u);
  EXPECT_EQ(img.At(1, 0), 0xFFFFFFu);
  EXPECT_EQ(img.At(2, 0), 0xFF0000u);
  EXPECT_EQ(img.At(3, 0), 0x00FF00u);
  EXPECT_EQ(img.At(4, 0), 0x0000FFu);
  uint32_t half = ExpandChannel(16, 31);
  EXPECT_EQ(img.At(5, 0), half << 16 | half << 8 | half);

  BmpOptions o;
  o.compression = 3;
  o.masks[0] = 0xF800;
  o.masks[1] = 0x07E0;
  o.masks[2] = 0x001F;
  auto b565 = MakeBmp(3, 1, 16, {0xF800, 0x07E0, 0x0020}, {}, o);
  ASSERT_TRUE(DecodeBmp(b565.data(), b565.size(), img, nullptr));
  EXPECT_EQ(img.At(0, 0), 0xFF0000u);
  EXPECT_EQ(img.At(1, 0), 0x00FF00u);
  EXPECT_EQ(img.At(2, 0), ExpandChannel(1, 63) << 8);

  // 32-bit bit fields in another channel order.
  o.masks[0] = 0x000000FF;
  o.masks[1] = 0x0000FF00;
  o.masks[2] = 0x00FF0000;
  auto b32 = MakeBmp(1, 1, 32, {0x00332211}, {}, o);
  ASSERT_TRUE(DecodeBmp(b32.data(), b32.size(), img, nullptr));
  EXPECT_EQ(img.At(0, 0), 0x112233u);
}

TEST(BmpReader, RunLengthFilesMatchSdl) {
  // RLE8: a run, an absolute run (odd, padded), end of line, a delta, end of bitmap.
  BmpOptions o8;
  o8.compression = 1;
  o8.rle = {4, 9, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 1};
  std::vector<uint32_t> pal = {0x000000, 0x110000, 0x220000, 0x330000, 0, 0, 0, 0x770000, 0, 0x990000};
  auto bytes8 = MakeBmp(8, 3, 8, {}, pal, o8);
  cBitmapImage img;
  std::string why;
  ASSERT_TRUE(DecodeBmp(bytes8.data(), bytes8.size(), img, &why)) << why;
  // Bottom row (y = 2): 9 9 9 9 1 2 3 0; the delta skips 2 right and 1 up, so
  // row y = 0 gets 7 7 at x = 2..3.
  EXPECT_EQ(img.IndexAt(0, 2), 9);
  EXPECT_EQ(img.IndexAt(4, 2), 1);
  EXPECT_EQ(img.IndexAt(6, 2), 3);
  EXPECT_EQ(img.IndexAt(2, 0), 7);
  EXPECT_EQ(img.IndexAt(3, 0), 7);
  EXPECT_EQ(img.IndexAt(0, 1), 0);
  ExpectSameAsSdl(bytes8, img, "RLE8");

  BmpOptions o4;
  o4.compression = 2;
  o4.rle = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 2, 0x77, 0, 1};
  auto bytes4 = MakeBmp(8, 2, 4, {}, pal, o4);
  ASSERT_TRUE(DecodeBmp(bytes4.data(), bytes4.size(), img, &why)) << why;
  std::vector<int> bottom = {1, 2, 1, 2, 1, 3, 4, 5};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(img.IndexAt(x, 1), bottom[size_t(x)]) << x;
  EXPECT_EQ(img.IndexAt(0, 0), 7);
  EXPECT_EQ(img.IndexAt(1, 0), 7);
  ExpectSameAsSdl(bytes4, img, "RLE4");
}

TEST(BmpReader, BrokenAndHostileFilesAreRefused) {
  auto good = MakeBmp(4, 4, 8, std::vector<uint32_t>(16, 1), {0, 0xFFFFFF});
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
  };
  auto set32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  std::vector<Case> cases = {
      {"empty", [](auto& b) { b.clear(); }},
      {"not BM", [](auto& b) { b[0] = 'X'; }},
      {"truncated pixels", [](auto& b) { b.erase(b.end() - 5, b.end()); }},
      {"truncated header", [](auto& b) { b.resize(30); }},
      {"unknown header size", [&](auto& b) { set32(b, 14, 41); }},
      {"zero width", [&](auto& b) { set32(b, 18, 0); }},
      {"negative width", [&](auto& b) { set32(b, 18, uint32_t(-4)); }},
      {"zero height", [&](auto& b) { set32(b, 22, 0); }},
      {"huge size", [&](auto& b) { set32(b, 18, 100000); set32(b, 22, 100000); }},
      {"bit count 7", [&](auto& b) { b[28] = 7; }},
      {"jpeg inside", [&](auto& b) { set32(b, 30, 4); }},
      {"pixel offset past the end", [&](auto& b) { set32(b, 10, 0x7FFFFFF0); }},
      {"colour table past the end", [&](auto& b) { set32(b, 46, 256); b.resize(14 + 40 + 100); }},
  };
  for (const Case& c : cases) {
    auto b = good;
    c.spoil(b);
    cBitmapImage img;
    std::string why;
    EXPECT_FALSE(DecodeBmp(b.data(), b.size(), img, &why)) << c.name;
    EXPECT_FALSE(why.empty()) << c.name;
  }
  // Run-length files: a claimed picture of 2000 x 2000 with no end mark, a
  // run that ends early, top-down RLE, and non-contiguous bit fields.
  BmpOptions o;
  o.compression = 1;
  o.rle = {255, 1, 255, 1};
  auto big = MakeBmp(2000, 2000, 8, {}, {0}, o);
  cBitmapImage img;
  EXPECT_FALSE(DecodeBmp(big.data(), big.size(), img, nullptr));
  o.rle = {0, 9, 1, 2};
  auto shortAbs = MakeBmp(8, 2, 8, {}, {0}, o);
  EXPECT_FALSE(DecodeBmp(shortAbs.data(), shortAbs.size(), img, nullptr));
  o.rle = {2, 1, 0, 1};
  auto rleTop = MakeBmp(2, 1, 8, {}, {0}, o);
  set32(rleTop, 22, uint32_t(-1));
  EXPECT_FALSE(DecodeBmp(rleTop.data(), rleTop.size(), img, nullptr));
  BmpOptions bf;
  bf.compression = 3;
  bf.masks[0] = 0xF0F0;
  bf.masks[1] = 0x0F00;
  bf.masks[2] = 0x000F;
  auto holes = MakeBmp(1, 1, 16, {0}, {}, bf);
  EXPECT_FALSE(DecodeBmp(holes.data(), holes.size(), img, nullptr));
  // A refused file leaves the target as it was.
  cBitmapImage kept;
  ASSERT_TRUE(DecodeBmp(good.data(), good.size(), kept, nullptr));
  EXPECT_FALSE(DecodeBmp(big.data(), big.size(), kept, nullptr));
  EXPECT_EQ(kept.nWidth, 4);
}

TEST(BmpReader, RefusalIsLogged) {
  testsupport::LogCapture log;
  gfxtest::Project project;
  std::string path = project.Bitmap("broken.bmp", {'B', 'M', 1, 2, 3});
  cBitmapImage img;
  EXPECT_FALSE(LoadBmpFile(path, img));
  EXPECT_NE(log.Text().find("BMP Err bmp\\broken.bmp"), std::string::npos) << log.Text();
}

TEST(BmpReader, RealDebianBitmapsDecodeLikeSdl) {
  std::string media = testsupport::TestMediaDir();
  if (media.empty()) GTEST_SKIP() << "BRINDLE_TEST_MEDIA not set";
  int checked = 0, eight = 0, twentyFour = 0;
  for (const char* pkg : {"pekka-kana-2-data", "lmarbles", "geki2"}) {
    std::filesystem::path root = std::filesystem::path(media) / pkg;
    if (!std::filesystem::exists(root)) continue;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
      std::string ext = e.path().extension().string();
      for (char& ch : ext) ch = char(std::tolower(static_cast<unsigned char>(ch)));
      if (!e.is_regular_file() || ext != ".bmp") continue;
      auto bytes = testsupport::ReadFileBytes(e.path());
      cBitmapImage img;
      std::string why;
      ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), img, &why)) << e.path() << ": " << why;
      ExpectSameAsSdl(std::vector<uint8_t>(bytes.begin(), bytes.end()), img, e.path().string());
      ++checked;
      eight += img.nBitCount == 8;
      twentyFour += img.nBitCount == 24;
    }
  }
  if (checked == 0) GTEST_SKIP() << "no bitmaps under " << media;
  EXPECT_GT(eight, 0);
  EXPECT_GT(twentyFour, 0);
}

}  // namespace

}  // namespace bmp_test
