#include "tools/toolkit/SampleArt.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <utility>

#include "app/frame/PaletteVariants.h"
#include "tools/toolkit/BlendTable.h"
#include "tools/toolkit/SampleSystem.h"

namespace tools {
namespace {

using namespace pal;

// Base colours of the 12 shaded hues.
constexpr uint32_t kHues[12] = {0xE03030, 0xF08020, 0xF0D030, 0x90D030, 0x30B040, 0x30B0A0,
                                0x30C0E0, 0x60A0F0, 0x3050E0, 0x8040D0, 0xD040B0, 0x909090};

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto ch = [&](int s) {
    double va = (a >> s) & 0xFF, vb = (b >> s) & 0xFF;
    return static_cast<uint32_t>(std::lround(va + (vb - va) * t)) << s;
  };
  return ch(16) | ch(8) | ch(0);
}

// --- small sprites, 32 x 32 unless said otherwise ---

// The hero, facing left; frame picks the leg pose.
void DrawHero(cIndexedImage& img, int x, int y, int frame) {
  int step = frame % 4;
  img.Fill(x + 10, y + 4, 12, 10, Shade(kHueOrange, 12));  // face
  img.Fill(x + 9, y + 2, 14, 4, Shade(kHueRed, 6));        // cap
  img.Fill(x + 5, y + 4, 6, 2, Shade(kHueRed, 6));         // peak, to the left
  img.Set(x + 12, y + 8, kBlack);                          // eye
  img.Set(x + 12, y + 9, kBlack);
  img.Fill(x + 9, y + 14, 14, 10, Shade(kHueBlue, 8));   // body
  img.Fill(x + 7, y + 16, 3, 6, Shade(kHueOrange, 12));  // arm
  int l = step == 1 ? -2 : step == 3 ? 2 : 0;
  img.Fill(x + 10 + l, y + 24, 5, 6, Shade(kHueBlue, 4));  // legs
  img.Fill(x + 17 - l, y + 24, 5, 6, Shade(kHueBlue, 4));
  img.Fill(x + 9 + l, y + 30, 6, 2, kBrown);
  img.Fill(x + 16 - l, y + 30, 6, 2, kBrown);
}

// The walking enemy, facing left.
void DrawWalker(cIndexedImage& img, int x, int y, int frame) {
  int bob = frame % 2;
  img.Disc(x + 16, y + 18 - bob, 11, Shade(kHueViolet, 7));
  img.Disc(x + 16, y + 18 - bob, 8, Shade(kHueViolet, 10));
  img.Fill(x + 8, y + 13 - bob, 4, 5, kWhite);  // eyes look left
  img.Fill(x + 14, y + 13 - bob, 4, 5, kWhite);
  img.Fill(x + 8, y + 15 - bob, 2, 3, kBlack);
  img.Fill(x + 14, y + 15 - bob, 2, 3, kBlack);
  int l = (frame % 4 < 2) ? 0 : 3;
  img.Fill(x + 7 + l, y + 28, 7, 4, kBlack);  // feet
  img.Fill(x + 19 - l, y + 28, 7, 4, kBlack);
}

void DrawCoin(cIndexedImage& img, int x, int y, int size, int frame) {
  int r = size / 3;
  int w = frame % 2 ? r / 2 : r;
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -w; dx <= w; ++dx)
      if (dx * dx * r * r + dy * dy * w * w <= r * r * w * w) img.Set(x + size / 2 + dx, y + size / 2 + dy, kYellow);
  img.Fill(x + size / 2 - 1, y + size / 2 - r / 2, 2, r, kOrange);
}

void DrawFlag(cIndexedImage& img, int x, int y, int size, int frame) {
  int s = size / 32 ? size / 32 : 1;
  img.Fill(x + 6 * s, y + 2 * s, 2 * s, 28 * s, kLightGrey);
  int wave = frame % 2;
  img.Fill(x + 8 * s, y + (3 + wave) * s, 16 * s, 10 * s, kGreen);
  img.Fill(x + 12 * s, y + (6 + wave) * s, 6 * s, 4 * s, kWhite);
  img.Fill(x + 3 * s, y + 29 * s, 8 * s, 3 * s, kDarkGrey);
}

void DrawHeart(cIndexedImage& img, int x, int y, int size) {
  int r = size / 5;
  img.Disc(x + size / 2 - r, y + size / 3 + 1, r, kRed);
  img.Disc(x + size / 2 + r, y + size / 3 + 1, r, kRed);
  for (int row = 0; row < size / 2; ++row) {
    int half = std::max(0, 2 * r + 1 - row);
    img.Fill(x + size / 2 - half, y + size / 3 + 1 + row, 2 * half, 1, kRed);
  }
}

void DrawBall(cIndexedImage& img, int x, int y, uint8_t outer, uint8_t inner) {
  img.Disc(x + 8, y + 8, 5, outer);
  img.Disc(x + 7, y + 7, 2, inner);
}

// --- the bitmaps ---

cIndexedImage PaletteBitmap() {
  cIndexedImage img(16, 16);
  for (int i = 0; i < 256; ++i) img.Set(i % 16, i / 16, static_cast<uint8_t>(i));
  return img;
}

cIndexedImage DebugBitmap() {
  cIndexedImage img(256, 16);
  img.Text(2, 4, "0123456789 DEBUG", kWhite);
  return img;
}

cIndexedImage BlockBitmap() {
  cIndexedImage img(320, 480);
  auto chip = [&img](int c, auto draw) { draw((c / 15) * 32, (c % 15) * 32); };
  // 1 grass-topped ground
  chip(1, [&](int x, int y) {
    img.Fill(x, y, 32, 32, Shade(kHueOrange, 4));
    img.Fill(x, y, 32, 8, Shade(kHueGreen, 8));
    for (int i = 0; i < 32; i += 4) img.Fill(x + i, y + 8, 2, 2, Shade(kHueGreen, 5));
    img.Fill(x + 6, y + 16, 3, 3, Shade(kHueOrange, 2));
    img.Fill(x + 22, y + 22, 3, 3, Shade(kHueOrange, 2));
  });
  // 2 earth
  chip(2, [&](int x, int y) {
    img.Fill(x, y, 32, 32, Shade(kHueOrange, 4));
    img.Fill(x + 4, y + 6, 3, 3, Shade(kHueOrange, 2));
    img.Fill(x + 20, y + 14, 3, 3, Shade(kHueOrange, 2));
    img.Fill(x + 10, y + 25, 3, 3, Shade(kHueOrange, 2));
  });
  // 3 brick
  chip(3, [&](int x, int y) {
    img.Fill(x, y, 32, 32, Shade(kHueRed, 5));
    for (int r = 0; r < 4; ++r) {
      img.Fill(x, y + r * 8, 32, 1, Shade(kHueGrey, 10));
      int off = (r % 2) * 8;
      for (int c = off; c < 32; c += 16) img.Fill(x + c, y + r * 8, 1, 8, Shade(kHueGrey, 10));
    }
  });
  // 4 floating platform (top half only)
  chip(4, [&](int x, int y) {
    img.Fill(x, y, 32, 12, Shade(kHueSky, 6));
    img.Fill(x, y, 32, 3, Shade(kHueSky, 12));
    img.Fill(x, y + 11, 32, 1, Shade(kHueSky, 2));
  });
  // 5 stone wall
  chip(5, [&](int x, int y) {
    img.Fill(x, y, 32, 32, Shade(kHueGrey, 7));
    img.Frame(x, y, 32, 32, Shade(kHueGrey, 3));
    img.Fill(x + 2, y + 2, 28, 2, Shade(kHueGrey, 12));
  });
  return img;
}

cIndexedImage CharacterBitmap() {
  cIndexedImage img(640, 480);
  // Character picture c is row c: 1 the hero, 2 the walker; every column
  // (pattern) holds a frame, so any animation finds one.
  for (int col = 0; col < 20; ++col) {
    DrawHero(img, col * 32, 32, col);
    DrawWalker(img, col * 32, 64, col);
  }
  return img;
}

cIndexedImage ShotBitmap() {
  // Shot graphic g: row g mod 30 of 16 x 16 cells, its animation patterns
  // 0, 1, 2 side by side from column pair g / 30. 1 a yellow ball, 2 a violet one.
  cIndexedImage img(128, 480);
  for (int p = 0; p < 3; ++p) {
    DrawBall(img, p * 16, 16, p == 1 ? kOrange : kYellow, kWhite);
    DrawBall(img, p * 16, 32, p == 1 ? Shade(kHueMagenta, 8) : Shade(kHueViolet, 8), Shade(kHueViolet, 14));
  }
  return img;
}

cIndexedImage ItemBitmap() {
  // Item c: two 32 x 32 frames at ((c / 15) * 64, (c mod 15) * 32).
  cIndexedImage img(128, 480);
  for (int f = 0; f < 2; ++f) {
    DrawCoin(img, f * 32, 32, 32, f);
    DrawFlag(img, f * 32, 64, 32, f);
    DrawHeart(img, f * 32, 96, 32);
  }
  return img;
}

cIndexedImage ItemMiniBitmap() {
  cIndexedImage img(64, 240);
  DrawCoin(img, 0, 16, 16, 0);
  DrawFlag(img, 0, 32, 16, 0);
  DrawHeart(img, 0, 48, 16);
  return img;
}

cIndexedImage MarkBitmap() {
  cIndexedImage img(128, 480);
  // 1 exclamation mark, 2 arrow up, 3 sparkle
  img.Fill(14, 32 + 4, 4, 16, kYellow);
  img.Fill(14, 32 + 24, 4, 4, kYellow);
  for (int i = 0; i < 10; ++i) img.Fill(16 - i, 64 + 4 + i, 2 * i, 1, kWhite);
  img.Fill(12, 64 + 14, 8, 12, kWhite);
  img.Fill(15, 96 + 6, 2, 20, kCyan);
  img.Fill(6, 96 + 15, 20, 2, kCyan);
  return img;
}

cIndexedImage WindowBitmap() {
  cIndexedImage img(640, 480, kWindowFill);
  for (int y = 0; y < 480; y += 2) img.Fill(0, y, 640, 1, kWindowLight);
  return img;
}

cIndexedImage StatusWindowBitmap() {
  cIndexedImage img(640, 20, kNavy);
  img.Fill(0, 19, 640, 1, kLightGrey);
  return img;
}

cIndexedImage TitleBitmap() {
  cIndexedImage img(640, 480);
  for (int y = 0; y < 480; ++y) img.Fill(0, y, 640, 1, Shade(kHueSky, 4 + y * 10 / 480));
  img.Fill(0, 400, 640, 80, Shade(kHueOrange, 4));
  img.Fill(0, 400, 640, 12, Shade(kHueGreen, 8));
  const char* title = "BRINDLE SAMPLE";
  int w = cIndexedImage::TextWidth(title, 6);
  img.Text((640 - w) / 2 + 4, 84, title, kNavy, 6);
  img.Text((640 - w) / 2, 80, title, kWhite, 6);
  const char* sub = "A SMALL GENERATED GAME";
  img.Text((640 - cIndexedImage::TextWidth(sub, 2)) / 2, 140, sub, kYellow, 2);
  cIndexedImage hero(32, 32);
  DrawHero(hero, 0, 0, 1);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if (uint8_t c = hero.At(x / 2, y / 2)) img.Set(120 + x, 336 + y, c);
  return img;
}

cIndexedImage AccessoryBitmap() {
  cIndexedImage img(128, 224);
  // Large cursor, small cursor, parked cursor, cleared mark.
  for (int i = 0; i < 12; ++i) img.Fill(8 + i, 4 + i, 1, 24 - 2 * i, kYellow);
  for (int i = 0; i < 6; ++i) img.Fill(68 + i, 2 + i, 1, 12 - 2 * i, kYellow);
  for (int i = 0; i < 6; ++i) img.Fill(84 + i, 2 + i, 1, 12 - 2 * i, kGrey);
  img.Disc(112, 16, 12, kGreen);
  img.Text(106, 12, "OK", kWhite);
  // Status icons at y 32: total score, score, HP, SP, lives.
  DrawCoin(img, 0, 32, 16, 0);
  DrawCoin(img, 16, 32, 16, 1);
  DrawHeart(img, 32, 32, 16);
  img.Disc(56, 40, 5, kCyan);
  cIndexedImage hero(32, 32);
  DrawHero(hero, 0, 0, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (uint8_t c = hero.At(x * 2, y * 2)) img.Set(64 + x, 32 + y, c);
  // Lives icon and ranking marker at y 48.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (uint8_t c = hero.At(x * 2, y * 2)) img.Set(x, 48 + y, c);
  for (int i = 0; i < 6; ++i) img.Fill(20 + i, 50 + i, 1, 12 - 2 * i, kRed);
  // World-map hero: down (0, 64), up (64, 64), left (64, 96), right (0, 96), two frames each.
  for (int f = 0; f < 2; ++f) {
    DrawHero(img, 0 + 32 * f, 64, f * 2 + 1);
    DrawHero(img, 64 + 32 * f, 64, f * 2 + 1);
    img.Fill(64 + 32 * f + 10, 64 + 4, 12, 10, Shade(kHueRed, 6));  // back of the head
    DrawHero(img, 64 + 32 * f, 96, f * 2 + 1);
    cIndexedImage flip(32, 32);
    DrawHero(flip, 0, 0, f * 2 + 1);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (uint8_t c = flip.At(31 - x, y)) img.Set(32 * f + x, 96 + y, c);
  }
  // Status-window gauges: frames at (0, 128) and (64, 128), fills at rows 144 and 160.
  for (int g = 0; g < 2; ++g) {
    img.Frame(g * 64, 128, 50, 16, kWhite);
    img.Fill(g * 64, 144, 50, 16, g ? kCyan : kGreen);
    img.Fill(g * 64, 160, 50, 16, kRed);
  }
  // Character gauges, rows of 2 pixels from y 208: frame, fill, low fill, gain, loss.
  for (int g = 0; g < 2; ++g) {
    img.Fill(g * 64, 208, 50, 2, kBlack);
    img.Fill(g * 64, 210, 50, 2, g ? kCyan : kGreen);
    img.Fill(g * 64, 212, 50, 2, kRed);
    img.Fill(g * 64, 214, 50, 2, kWhite);
    img.Fill(g * 64, 216, 50, 2, kOrange);
  }
  return img;
}

cIndexedImage SymbolBitmap() {
  // Icon letters a..z, one 16-pixel cell each.
  cIndexedImage img(416, 16);
  for (int i = 0; i < 26; ++i) {
    img.Fill(i * 16 + 1, 1, 14, 14, Shade(kHueBlue, 6));
    char letter[2] = {static_cast<char>('A' + i), 0};
    img.Text(i * 16 + 5, 4, letter, kWhite);
  }
  return img;
}

cIndexedImage WordBitmap() {
  // Rows of 32 pixels: stage, replay, clear, game over; the start picture at
  // (160, 0); 32 x 32 digits from (0, 128).
  cIndexedImage img(320, 160);
  auto label = [&img](int x, int y, const char* text, uint8_t c) {
    int w = cIndexedImage::TextWidth(text, 3);
    img.Text(x + (128 - w) / 2, y + 5, text, c, 3);
  };
  label(0, 0, "STAGE", kWhite);
  label(0, 32, "REPLAY", kCyan);
  label(0, 64, "CLEAR!", kYellow);
  label(0, 96, "GAMEOVER", kRed);
  label(160, 0, "START", kGreen);
  for (int d = 0; d < 10; ++d) {
    char digit[2] = {static_cast<char>('0' + d), 0};
    img.Text(d * 32 + 1, 128 + 5, digit, kBlack, 4);
    img.Text(d * 32, 128 + 4, digit, kWhite, 4);
  }
  return img;
}

cIndexedImage WorldMapChipBitmap() {
  // Chip p at ((p mod 5) * 32, (p / 5) * 32): 0 grass, 1 road, 2 water, 3 tree, 4 rock.
  cIndexedImage img(160, 160);
  img.Fill(0, 0, 32, 32, Shade(kHueGreen, 7));
  img.Fill(32, 0, 32, 32, Shade(kHueGreen, 7));
  img.Fill(32 + 10, 0, 12, 32, Shade(kHueOrange, 10));
  img.Fill(32, 10, 32, 12, Shade(kHueOrange, 10));
  img.Fill(64, 0, 32, 32, Shade(kHueBlue, 7));
  for (int i = 0; i < 32; i += 8) img.Fill(64 + i, 12 + (i / 8 % 2) * 6, 6, 1, Shade(kHueBlue, 12));
  img.Fill(96, 0, 32, 32, Shade(kHueGreen, 7));
  img.Disc(96 + 16, 12, 10, Shade(kHueGreen, 3));
  img.Fill(96 + 14, 20, 4, 10, kBrown);
  img.Fill(128, 0, 32, 32, Shade(kHueGreen, 7));
  img.Disc(128 + 16, 18, 12, Shade(kHueGrey, 6));
  return img;
}

cIndexedImage WorldEventBitmap() {
  // Node picture rows of 32: 0 stage, 1 castle; uncleared at x 0, cleared at x 32.
  cIndexedImage img(64, 160);
  for (int cleared = 0; cleared < 2; ++cleared) {
    uint8_t c = cleared ? kGreen : kRed;
    img.Disc(cleared * 32 + 16, 16, 8, kWhite);
    img.Disc(cleared * 32 + 16, 16, 6, c);
    img.Fill(cleared * 32 + 6, 32 + 12, 20, 16, kLightGrey);
    for (int t = 0; t < 3; ++t) img.Fill(cleared * 32 + 6 + t * 8, 32 + 6, 4, 6, kLightGrey);
    img.Fill(cleared * 32 + 13, 32 + 20, 6, 8, c);
  }
  return img;
}

cIndexedImage WorldBackBitmap() {
  cIndexedImage img(640, 480);
  for (int y = 0; y < 480; ++y) img.Fill(0, y, 640, 1, Shade(kHueGreen, 3 + y * 4 / 480));
  return img;
}

// The picture form of the title menu: one 32-pixel strip per item, in item
// order, on the transparent colour.
cIndexedImage GameModeBitmap() {
  cIndexedImage img(256, 32 * cSystem::kTitleMenuItems, kKey);
  for (int item = 0; item < cSystem::kTitleMenuItems; ++item) {
    std::string label = kSampleTitleMenu[item];
    for (char& c : label) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    img.Text(6, 32 * item + 10, label, kNavy, 2);
    img.Text(4, 32 * item + 8, label, kWhite, 2);
  }
  return img;
}

cIndexedImage StageBackBitmap() {
  cIndexedImage img(640, 480);
  for (int y = 0; y < 480; ++y) img.Fill(0, y, 640, 1, Shade(kHueSky, 12 - y * 5 / 480));
  for (int i = 0; i < 5; ++i) {
    int cx = 60 + i * 130, cy = 80 + (i % 2) * 50;
    img.Disc(cx, cy, 18, kWhite);
    img.Disc(cx + 20, cy + 4, 14, kWhite);
    img.Disc(cx - 20, cy + 6, 12, kWhite);
  }
  for (int x = 0; x < 640; ++x) {
    int h = 60 + static_cast<int>(30 * std::sin(x / 70.0));
    img.Fill(x, 480 - h, 1, h, Shade(kHueGreen, 5));
  }
  return img;
}

}  // namespace

cPalette SamplePalette() {
  cPalette p{};
  p[kKey] = 0xFF00FF;
  p[kBlack] = 0x000000;
  p[kWhite] = 0xFFFFFF;
  p[kLightGrey] = 0xC0C0C0;
  p[kGrey] = 0x808080;
  p[kDarkGrey] = 0x404040;
  p[kRed] = 0xE02020;
  p[kGreen] = 0x20C040;
  p[kBlue] = 0x2040E0;
  p[kYellow] = 0xF8E020;
  p[kCyan] = 0x20D0E0;
  p[kOrange] = 0xF08020;
  p[kBrown] = 0x704020;
  p[kDarkGreen] = 0x106020;
  p[kNavy] = 0x102050;
  p[kPink] = 0xF0A0C0;
  for (int h = 0; h < 12; ++h)
    for (int s = 0; s < 16; ++s) {
      // Shades 0..7 run from near black to the hue, 8..15 from the hue to near white.
      uint32_t c = s < 8 ? Mix(0x101010, kHues[h], (s + 1) / 8.0) : Mix(kHues[h], 0xF8F8F8, (s - 7) / 9.0);
      p[Shade(h, s)] = c;
    }
  // 208..239: eight groups of four that colour cycling rotates (water and fire).
  for (int g = 0; g < 8; ++g)
    for (int k = 0; k < 4; ++k) {
      uint32_t base = g % 2 ? 0xF06020 : 0x2060F0;
      p[208 + g * 4 + k] = Mix(base, 0xFFFFFF, k / 5.0);
    }
  p[kBoxFrame] = 0xFFFFFF;
  p[kText] = 0xFFFFFF;
  p[kWindowFill] = 0x182868;
  p[kWindowLight] = 0x203078;
  for (int i = 244; i < 256; ++i) p[i] = Mix(0x000000, 0xFFFFFF, (i - 244) / 11.0);
  return p;
}

std::vector<std::pair<std::string, std::vector<unsigned char>>> SampleBitmaps() {
  const cPalette palette = SamplePalette();
  std::vector<std::pair<std::string, std::vector<unsigned char>>> files;
  auto add = [&](const char* path, const cIndexedImage& img) { files.emplace_back(path, img.EncodeBmp(palette)); };
  add("bmp\\plt\\Palette.bmp", PaletteBitmap());
  add("bmp\\Debug.bmp", DebugBitmap());
  add("bmp\\Block.bmp", BlockBitmap());
  add("bmp\\Character1.bmp", CharacterBitmap());
  // The player's surface table loads Character2 .. 8 too; the sample's
  // characters all live in the first, so these are left clear.
  for (int n = 2; n <= 8; ++n)
    files.emplace_back("bmp\\Character" + std::to_string(n) + ".bmp", cIndexedImage(640, 480).EncodeBmp(palette));
  add("bmp\\Shot.bmp", ShotBitmap());
  add("bmp\\Item.bmp", ItemBitmap());
  add("bmp\\Item_Mini.bmp", ItemMiniBitmap());
  add("bmp\\Mark.bmp", MarkBitmap());
  add("bmp\\Window.bmp", WindowBitmap());
  add("bmp\\StatusWindow.bmp", StatusWindowBitmap());
  add("bmp\\Title.bmp", TitleBitmap());
  add("bmp\\GameMode.bmp", GameModeBitmap());
  add("bmp\\Accessory.bmp", AccessoryBitmap());
  add("bmp\\Symbol.bmp", SymbolBitmap());
  add("bmp\\Word.bmp", WordBitmap());
  add("bmp\\WorldMapChip.bmp", WorldMapChipBitmap());
  add("bmp\\WorldEvent.bmp", WorldEventBitmap());
  add("bmp\\WorldBack.bmp", WorldBackBitmap());
  add("bmp\\back\\Sky.bmp", StageBackBitmap());
  return files;
}

std::vector<std::pair<std::string, std::vector<unsigned char>>> SampleBlendTables() {
  const cPalette palette = SamplePalette();
  constexpr int kVariants = 24;
  std::vector<cPaletteEntries> variants(kVariants);
  for (int n = 0; n < kVariants; ++n) {
    cPaletteEntries& v = variants[static_cast<size_t>(n)];
    for (size_t i = 0; i < 256; ++i)
      v[i] = {static_cast<uint8_t>(palette[i] >> 16), static_cast<uint8_t>(palette[i] >> 8),
              static_cast<uint8_t>(palette[i]), 0};
    BuildPaletteVariant(v.data(), n);
  }
  std::vector<std::vector<uint8_t>> tables = MakeBlendTables(variants);
  std::vector<std::pair<std::string, std::vector<unsigned char>>> files;
  for (int n = 0; n < kVariants; ++n) files.emplace_back(HbtFileName(n), std::move(tables[static_cast<size_t>(n)]));
  return files;
}

}  // namespace tools
