// ctest-label: tools
// The generated sample project: every file it writes is read back through
// the project's own readers, and every data file resaves to the same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/frame/Descriptors.h"
#include "app/frame/PaletteVariants.h"
#include "base/SerialRecord.h"
#include "media/graphics/Bmp.h"
#include "media/graphics/Effect.h"
#include "media/sound/DSound.h"
#include "media/sound/MidiFile.h"
#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/DataKinds.h"
#include "tools/toolkit/SampleArt.h"

namespace {

using sampletest::Native;
using sampletest::ProjectRoot;
using sampletest::SampleDir;
using testsupport::ReadFileBytes;

uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
uint16_t U16(const std::vector<unsigned char>& b, size_t at) {
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

TEST(SampleProject, EveryDataFileLoadsAndResavesToTheSameBytes) {
  testsupport::TempDir out;
  ProjectRoot root(SampleDir());
  auto files = tools::ProjectDataFiles();
  ASSERT_FALSE(files.empty());
  for (const auto& [path, kindName] : files) {
    SCOPED_TRACE(path);
    const tools::cDataKind* kind = tools::FindDataKind(kindName);
    ASSERT_NE(kind, nullptr);
    tools::cJsonWriter json;
    std::string error;
    ASSERT_TRUE(kind->dump(path, json, &error)) << error;
    EXPECT_EQ(dwFileVersion, kDataVersion);
    std::string target;
    ASSERT_TRUE(tools::NativeToDataPath((out.path() / "resaved.dat").string(), target));
    ASSERT_TRUE(kind->resave(path, target, &error)) << error;
    EXPECT_EQ(ReadFileBytes(out.path() / "resaved.dat"), ReadFileBytes(Native(SampleDir(), path)));
  }
}

TEST(SampleProject, DefaultFolderIsAPristineCopyOfData) {
  namespace fs = std::filesystem;
  size_t compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(SampleDir() / "data")) {
    fs::path rel = fs::relative(entry.path(), SampleDir() / "data");
    fs::path copy = SampleDir() / "default" / rel;
    ASSERT_TRUE(fs::exists(copy)) << rel;
    if (entry.is_regular_file()) {
      EXPECT_EQ(ReadFileBytes(entry.path()), ReadFileBytes(copy)) << rel;
      ++compared;
    }
  }
  EXPECT_GE(compared, 10u);
}

// Every bitmap file of the player's surface table is shipped, so a stage
// start finds them all (the background placeholders and empty surfaces
// name no file of the project).
TEST(SampleProject, ShipsEveryBitmapOfTheSurfaceTable) {
  DDBITMAPDATA table[kSurfaceCount];
  FillBitmapTable(table);
  int named = 0;
  for (const DDBITMAPDATA& entry : table) {
    if (entry.strFile.rfind("bmp\\", 0) != 0) continue;
    ++named;
    EXPECT_TRUE(std::filesystem::is_regular_file(Native(SampleDir(), entry.strFile))) << entry.strFile;
  }
  EXPECT_GT(named, 0);
}

// Bitmaps: 8-bit, uncompressed, a full colour table equal to the palette
// bitmap's, and the sizes the drawing code cuts its cells from.
TEST(SampleProject, BitmapsArePalettisedAtTheirSizes) {
  struct Expect {
    const char* path;
    int width, height;
  };
  const Expect expected[] = {
      {"bmp\\plt\\Palette.bmp", 16, 16}, {"bmp\\Block.bmp", 320, 480},        {"bmp\\Character1.bmp", 640, 480},
      {"bmp\\Shot.bmp", 128, 480},       {"bmp\\Item.bmp", 128, 480},         {"bmp\\Item_Mini.bmp", 64, 240},
      {"bmp\\Mark.bmp", 128, 480},       {"bmp\\Window.bmp", 640, 480},       {"bmp\\StatusWindow.bmp", 640, 20},
      {"bmp\\Title.bmp", 640, 480},      {"bmp\\Accessory.bmp", 128, 224},    {"bmp\\Symbol.bmp", 416, 16},
      {"bmp\\Word.bmp", 320, 160},       {"bmp\\WorldMapChip.bmp", 160, 160}, {"bmp\\WorldEvent.bmp", 64, 160},
      {"bmp\\Debug.bmp", 256, 16},       {"bmp\\GameMode.bmp", 256, 224},
  };
  const tools::cPalette palette = tools::SamplePalette();
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.path);
    auto b = ReadFileBytes(Native(SampleDir(), e.path));
    ASSERT_GE(b.size(), 54u + 1024u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(static_cast<int>(U32(b, 18)), e.width);
    EXPECT_EQ(static_cast<int>(U32(b, 22)), e.height);  // positive: bottom-up
    EXPECT_EQ(U16(b, 28), 8);
    EXPECT_EQ(U32(b, 30), 0u);  // uncompressed
    EXPECT_EQ(U32(b, 46), 256u);
    uint32_t stride = (static_cast<uint32_t>(e.width) + 3) & ~3u;
    EXPECT_EQ(b.size(), 54u + 1024u + stride * static_cast<uint32_t>(e.height));
    for (int i = 0; i < 256; ++i) {
      uint32_t rgb = b[54 + 4 * i + 2] << 16 | b[54 + 4 * i + 1] << 8 | b[54 + 4 * i];
      ASSERT_EQ(rgb, palette[static_cast<size_t>(i)]) << "colour " << i;
    }
  }
  // And the graphics library's reader takes every one of them.
  ProjectRoot root(SampleDir());
  for (const Expect& e : expected) {
    cBitmapImage image;
    ASSERT_TRUE(LoadBmpFile(e.path, image)) << e.path;
    EXPECT_EQ(image.nWidth, e.width);
    EXPECT_EQ(image.nHeight, e.height);
    EXPECT_TRUE(image.IsPalettised());
  }
  // The first pixel of the palette bitmap is the transparent colour, colour 0.
  auto pal = ReadFileBytes(Native(SampleDir(), "bmp\\plt\\Palette.bmp"));
  EXPECT_EQ(pal[54 + 1024 + 15 * 16], tools::pal::kKey);  // top row is stored last
}

// One blend table per palette variant, read by the player's loader. Its rows
// are checked against a plain search of the variant built from the palette
// bitmap: the entry nearest to the truncated mix, the lowest on a tie.
TEST(SampleProject, BlendTablesMixEachPaletteVariant) {
  ProjectRoot root(SampleDir());
  cBitmapImage paletteBitmap;
  ASSERT_TRUE(LoadBmpFile("bmp\\plt\\Palette.bmp", paletteBitmap));
  std::vector<std::vector<uint8_t>> tables;
  for (int n = 0; n < 24; ++n) {
    SCOPED_TRACE(n);
    const std::string file = HbtFileName(n);
    EXPECT_EQ(ReadFileBytes(Native(SampleDir(), file)).size(), 65536u);
    std::vector<uint8_t>& table = tables.emplace_back(65536);
    ASSERT_TRUE(DDLoadBlendTable(table.data(), file));
    DDPALENTRY pal[256];
    for (int i = 0; i < 256; ++i) {
      const uint32_t c = paletteBitmap.Palette[i];
      pal[i] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 0};
    }
    BuildPaletteVariant(pal, n);
    for (int a : {0, 1, 2, 4, 17, 100, 191, 207, 208, 240, 255})
      for (int b = 0; b < 256; ++b) {
        const int r = (pal[a].peRed + pal[b].peRed) / 2, g = (pal[a].peGreen + pal[b].peGreen) / 2,
                  bl = (pal[a].peBlue + pal[b].peBlue) / 2;
        int best = 0, bestDistance = 1 << 30;
        for (int k = 0; k < 256; ++k) {
          const int dr = pal[k].peRed - r, dg = pal[k].peGreen - g, db = pal[k].peBlue - bl;
          if (dr * dr + dg * dg + db * db < bestDistance) {
            bestDistance = dr * dr + dg * dg + db * db;
            best = k;
          }
        }
        ASSERT_EQ(table[static_cast<size_t>(a * 256 + b)], best) << a << ", " << b;
      }
  }
  // Worked entries. Black and white mix to (127, 127, 127): grey 4, whose
  // copy at 198 comes later. White's copies (240, 241, 255) give entry 2.
  // Variant 12 repeats the block at 16 twelve times, so 32 holds 16's colour.
  using namespace tools::pal;
  EXPECT_EQ(tables[0][kBlack * 256 + kWhite], kGrey);
  EXPECT_EQ(tables[0][255 * 256 + kBoxFrame], kWhite);
  EXPECT_EQ(tables[0][32 * 256 + 32], 32);
  EXPECT_EQ(tables[12][32 * 256 + 32], 16);
}

TEST(SampleProject, SoundsAreEightBitMonoAt22050AndMusicConverts) {
  ProjectRoot root(SampleDir());
  std::vector<std::string> waves(std::begin(tools::kSampleSystemSounds), std::end(tools::kSampleSystemSounds));
  for (const char* w : {"wave\\Jump.wav", "wave\\Shot.wav", "wave\\Coin.wav", "wave\\Clear.wav"}) waves.push_back(w);
  for (const std::string& w : waves) {
    SCOPED_TRACE(w);
    WAVEDATA wave;
    ASSERT_TRUE(DS_LoadWave(w, wave));
    EXPECT_EQ(wave.format.wFormatTag, 1);
    EXPECT_EQ(wave.format.nChannels, 1);
    EXPECT_EQ(wave.format.nSamplesPerSec, 22050u);
    EXPECT_EQ(wave.format.wBitsPerSample, 8);
    EXPECT_GT(wave.data.size(), 100u);
    DS_FreeWave(wave);
  }
  for (const char* m :
       {"bgm\\Title.mid", "bgm\\WorldMap.mid", "bgm\\Challenge.mid", "bgm\\Option.mid", "bgm\\Stage.mid"}) {
    SCOPED_TRACE(m);
    cMidiFile midi;
    ASSERT_TRUE(midi.Create(m));
    ASSERT_NE(midi.m_lpImage, nullptr);
    EXPECT_GT(midi.m_dPlayTime, 2.0);
  }
}

TEST(SampleProject, SystemIniAsksForAWindowUnderDirect3D) {
  auto b = ReadFileBytes(SampleDir() / "System.ini");
  std::string ini(b.begin(), b.end());
  EXPECT_NE(ini.find("Direct3D=1\n"), std::string::npos);
  EXPECT_NE(ini.find("WindowMode=1\n"), std::string::npos);
  EXPECT_TRUE(ini.ends_with("\nExit\n"));
}

TEST(SampleProject, GeneratingAgainGivesTheSameFiles) {
  namespace fs = std::filesystem;
  testsupport::TempDir again;
  std::string error;
  ASSERT_TRUE(tools::MakeSampleProject(again.str(), &error)) << error;
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(SampleDir())) {
    if (!entry.is_regular_file()) continue;
    fs::path rel = fs::relative(entry.path(), SampleDir());
    EXPECT_EQ(ReadFileBytes(entry.path()), ReadFileBytes(again.path() / rel)) << rel;
    ++files;
  }
  EXPECT_GT(files, 40u);
}

}  // namespace
