// ctest-label: graphics base
#include "media/graphics/DisplayReport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Log.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace display_report_test {

namespace {
using gfxtest::Library;
using Lines = std::vector<std::string>;

struct DisplayScope {
  explicit DisplayScope(const DDVIRTUALDISPLAY& d) { DDSetVirtualDisplay(d); }
  ~DisplayScope() { DDSetVirtualDisplay(DDVIRTUALDISPLAY{}); }
};

// The report's lines alone (DDInit logs its own lines first).
Lines Report(int detail) {
  testsupport::LogCapture log;
  EXPECT_EQ(WriteDisplayReport(detail), 1);
  return log.Lines();
}

Lines Concat(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Lines kFormatTable32 = {
    "AU-SU× AU-TE× ", "DE-SU× DE-TE× ", "DM-SU× DM-TE× ", "DO-SU× DO-TE× ",
    "DY-SU× DY-TE○ ", "NP-SU× NP-TE× ", "PO-SU× PO-TE× ", "RT-SU× RT-TE× ",
    "RE-SU○ RE-TE○ ", "SO-SU○ SO-TE○ ", "WR-SU× WR-TE× ",
};

TEST(DisplayReport, DirectDrawReportsVideoMemoryAndRefreshRate) {
  struct Row {
    int bpp, windowed, refresh;
    Lines expected;
  };
  // Window: primary and back buffer in video memory (FadeSD is in system
  // memory); full screen 16: primary with one attached back buffer.
  const std::vector<Row> rows = {
      {32, 1, 60, {"Mode : Window", "Bpp : 32", "VRAM Total : 512.000MB", "VRAM Free : 509.656MB", "RR : 60"}},
      {16, 0, 75, {"Mode : Fullscreen", "Bpp : 16", "VRAM Total : 512.000MB", "VRAM Free : 510.828MB", "RR : 75"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "bpp " << r.bpp << " window " << r.windowed);
    DDVIRTUALDISPLAY d;
    d.nRefreshRate = r.refresh;
    DisplayScope scope(d);
    Library lib(0, r.bpp, r.windowed);
    ASSERT_TRUE(lib.ok());
    // The detail flag only concerns the Direct3D device section.
    EXPECT_EQ(Report(1), r.expected);
    EXPECT_EQ(Report(0), r.expected);
  }
}

TEST(DisplayReport, Direct3DReportsTheDeviceSection) {
  const Lines window32Head = {"Mode : Window",
                              "Bpp : 32",
                              "TextureMem : 509MB",
                              "---デバイス0",
                              "Destination : Brindle software device",
                              "VRAM : 512.0 MB",
                              "Driver : brindle-soft 1.00.0000.0000",
                              "DDI : 9",
                              "TextureMaxSize : (8192,8192)",
                              "TextureMaxBlend : (1,1)",
                              "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD",
                              "D3DCAPS2_DYNAMICTEXTURES"};
  const Lines tail = {"DirectDraw : ○", "Direct3D : ○"};
  {
    Library lib(1, 32, 1);
    ASSERT_TRUE(lib.ok());
    EXPECT_EQ(Report(1), Concat(Concat(window32Head, kFormatTable32), tail));
    EXPECT_EQ(Report(0), Concat(window32Head, tail));
  }
  {
    // A smaller adapter that wants square power-of-two textures: the two
    // 2-byte render targets of full screen 16 take 1024x1024 each (4MB).
    DDVIRTUALDISPLAY d;
    d.bPow2 = true;
    d.bSquareOnly = true;
    d.nMaxTextureWidth = 2048;
    d.nMaxTextureHeight = 1024;
    d.nVideoMemoryBytes = int64_t(64) << 20;
    DisplayScope scope(d);
    Library lib(1, 16, 0);
    ASSERT_TRUE(lib.ok());
    EXPECT_EQ(Report(0), Concat(Lines{"Mode : Fullscreen",
                                      "Bpp : 16",
                                      "TextureMem : 60MB",
                                      "---デバイス0",
                                      "Destination : Brindle software device",
                                      "VRAM : 64.0 MB",
                                      "Driver : brindle-soft 1.00.0000.0000",
                                      "DDI : 9",
                                      "TextureMaxSize : (2048,1024)",
                                      "TextureMaxBlend : (1,1)",
                                      "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD",
                                      "D3DPTEXTURECAPS_POW2",
                                      "D3DPTEXTURECAPS_SQUAREONLY",
                                      "D3DCAPS2_DYNAMICTEXTURES"},
                                tail));
  }
}

TEST(DisplayReport, FactsTheDisplayLacksAreLeftOutAndFormatsAnswerByKind) {
  Library lib(1, 32, 1);
  ASSERT_TRUE(lib.ok());
  {
    // An adapter that no longer tells its DDI version or memory size.
    DDVIRTUALDISPLAY d;
    d.nDdiVersion = 0;
    d.nVideoMemoryBytes = 0;
    DisplayScope scope(d);
    Lines lines = Report(0);
    EXPECT_EQ(lines.at(2), "TextureMem : 0MB");
    for (const std::string& l : lines) {
      EXPECT_NE(l.rfind("DDI", 0), 0u) << l;
      EXPECT_NE(l.rfind("VRAM", 0), 0u) << l;
    }
  }
  struct Row {
    DDFORMAT format;
    std::string allSame;  // every answer of the table, or empty for the device's own table
  };
  const std::vector<Row> rows = {{DDFMT_A1R5G5B5, ""}, {DDFMT_P8, "×"}, {DDFMT_UNKNOWN, "？"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "format " << r.format);
    lpDTCon->BackBufferFormatCopy = r.format;
    Lines lines = Report(1);
    ASSERT_EQ(lines.size(), 12u + 11u + 2u);
    Lines table(lines.begin() + 12, lines.begin() + 23);
    if (r.allSame.empty()) {
      EXPECT_EQ(table, kFormatTable32);
    } else {
      for (size_t i = 0; i < table.size(); ++i) {
        std::string label = kFormatTable32[i].substr(0, 2);
        EXPECT_EQ(table[i], label + "-SU" + r.allSame + " " + label + "-TE" + r.allSame + " ");
      }
    }
  }
}

TEST(DisplayReport, NothingIsWrittenWhenTheLogDoesNotOpen) {
  Library lib(0, 32, 1);
  ASSERT_TRUE(lib.ok());
  {
    testsupport::LogCapture log;
    std::string path = GetLogPath();
    std::filesystem::remove(path);
    EXPECT_EQ(WriteDisplayReport(1), 0);
    EXPECT_FALSE(std::filesystem::exists(path));  // never re-created
  }
  {
    testsupport::LogCapture log;
    InitLog("");  // no main log at all
    EXPECT_EQ(WriteDisplayReport(1), 0);
  }
}

TEST(DisplayReport, VideoMemoryInWholeMegabytesOnlyUnderDirectDraw) {
  int total = -1, freeMB = -1;
  GetVideoMemoryMB(&total, &freeMB);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(freeMB, 0);
  {
    Library lib(1, 32, 1);
    ASSERT_TRUE(lib.ok());
    total = freeMB = -1;
    GetVideoMemoryMB(&total, &freeMB);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(freeMB, 0);
  }
  {
    Library lib(0, 32, 1);
    ASSERT_TRUE(lib.ok());
    GetVideoMemoryMB(&total, &freeMB);
    EXPECT_EQ(total, 512);
    EXPECT_EQ(freeMB, 509);  // 509.66 cut toward zero
    GetVideoMemoryMB(nullptr, &freeMB);
    GetVideoMemoryMB(&total, nullptr);
  }
}

TEST(DisplayReport, DdiVersionFromTheDisplay) {
  struct Row {
    int ddi, expected;
  };
  for (const Row& r : std::vector<Row>{{9, 9}, {8, 8}, {12, 12}, {0, 99999}}) {
    DDVIRTUALDISPLAY d;
    d.nDdiVersion = r.ddi;
    DisplayScope scope(d);
    EXPECT_EQ(GetDDIVersion(), r.expected) << r.ddi;
  }
}

}  // namespace

}  // namespace display_report_test
