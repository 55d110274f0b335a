#pragma once
// The sample project's pictures, drawn by code. Every file is an 8-bit
// bitmap over the one project palette (bmp\plt\Palette.bmp); the blend
// tables of that palette's variants serve 256-colour screens.
#include <string>
#include <utility>
#include <vector>

#include "tools/toolkit/Image.h"

namespace tools {

// Colours of the sample palette that the pictures and the data share.
namespace pal {
constexpr uint8_t kKey = 0;  // the transparent colour (first pixel of the palette bitmap)
constexpr uint8_t kBlack = 1, kWhite = 2, kLightGrey = 3, kGrey = 4, kDarkGrey = 5;
constexpr uint8_t kRed = 6, kGreen = 7, kBlue = 8, kYellow = 9, kCyan = 10, kOrange = 11, kBrown = 12;
constexpr uint8_t kDarkGreen = 13, kNavy = 14, kPink = 15;
// 12 hues of 16 shades each (dark to light) from 16 on.
constexpr uint8_t Shade(int hue, int shade) { return static_cast<uint8_t>(16 + hue * 16 + shade); }
constexpr int kHueRed = 0, kHueOrange = 1, kHueYellow = 2, kHueLime = 3, kHueGreen = 4, kHueTeal = 5;
constexpr int kHueCyan = 6, kHueSky = 7, kHueBlue = 8, kHueViolet = 9, kHueMagenta = 10, kHueGrey = 11;
constexpr uint8_t kBoxFrame = 240, kText = 241, kWindowFill = 242, kWindowLight = 243;
}  // namespace pal

cPalette SamplePalette();

// Every bitmap of the project: (path inside the project, file bytes).
std::vector<std::pair<std::string, std::vector<unsigned char>>> SampleBitmaps();

// The blend tables "bmp\hbt\hbt00.dat" to "bmp\hbt\hbt23.dat", one per
// palette variant.
std::vector<std::pair<std::string, std::vector<unsigned char>>> SampleBlendTables();

}  // namespace tools
