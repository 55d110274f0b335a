// ctest-label: engine
#include <gtest/gtest.h>

#include <filesystem>

#include "data/SaveData.h"
#include "engine/World.h"
#include "engine/instances/MessageText.h"
#include "engine/instances/MessageWnd.h"
#include "engine/objects/CharaBase.h"
#include "platform/FontFace.h"
#include "tests/engine/instances/InstanceTestSupport.h"

// The search of running characters lives with the object motion; no
// character runs in these tests, so none is ever found.
__attribute__((weak)) cCharaBase* FindCharaById(int) { return nullptr; }

namespace {

using insttest::CellOf;

const char* const kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char* const kGothicFace = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";

// The message font is a cached fixed-pitch font of 16 pixels: a text of n
// characters on one line measures (16n + 2) x 18. The camera stands at (64, 32).
class MessageWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIpaGothic)) GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
    platform::SetFixedFontFile(kIpaGothic);
    lib_ = std::make_unique<gfxtest::Library>(0, 32, 1);
    Fonts[1].Create(kGothicFace, 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 1);
    savedVars_ = SaveData.m_Vars;
    SaveData.m_Vars.assign(1001, 0);
    world_.m_ScrollX.m_dPos = 64.7;
    world_.m_ScrollY.m_dPos = 32.2;
    PlayScene = &world_;
  }
  void TearDown() override {
    if (!lib_) return;
    PlayScene = nullptr;
    DDReleaseSurfaceList(Off_Msg);
    Off_Msg.clear();
    MessageBitmaps.clear();
    Fonts[1].Destroy();
    lib_.reset();
    SaveData.m_Vars = savedVars_;
    platform::SetFixedFontFile("");
  }
  // A text window at screen block (bx, by), timed or not.
  static void Text(cMessageWnd& w, const char* text, int place, int showMode, int time, int fixed = 0,
                   int keep = 0, int refresh = 0) {
    w.Init(1, text, 0, 0, 0, place, 2, 3, 0, 0, keep, fixed, showMode, time, 0, 0, 1, 1, refresh, refresh ? 1 : 0, 0,
           0, 0, 0);
  }

  std::unique_ptr<gfxtest::Library> lib_;
  cPlayWorld world_;
  cVector<int32_t> savedVars_;
};

TEST_F(MessageWindows, TextIsExpandedMeasuredAndRenderedIntoItsOwnSurface) {
  SaveData.m_Vars[5] = 42;
  cMessageWnd w;
  Text(w, "HP #C5.", 7, 0, 0);
  EXPECT_EQ(w.m_Text, "HP 42");
  EXPECT_EQ(w.m_Source, "HP #C5.");
  EXPECT_EQ(w.m_nWidth, 5 * 16 + 2);
  EXPECT_EQ(w.m_nHeight, 18);
  ASSERT_EQ(Off_Msg.size(), 1u);
  EXPECT_EQ(w.m_lpSD, &Off_Msg.front());
  EXPECT_EQ(w.m_lpSD->nWidth, 82);
  EXPECT_EQ(w.m_bOpening, 0) << "no opening was asked for";
  EXPECT_EQ(w.Update(&BackBuffer, 0), 0);
}

TEST_F(MessageWindows, MeasuredAsTheFontLaysTheTextOut) {
  int w = 0, h = 0;
  MeasureMessageText("AB\n\x8A\xBF\x8A\xBF\x8A\xBF", &w, &h);  // a double-byte character counts once
  EXPECT_EQ(w, 3 * 16 + 2);
  EXPECT_EQ(h, 2 * 16 + 2);
  // Without a pitch: the widest line's glyph advances (half-width glyphs
  // of this face are narrower than the 16-pixel pitch).
  Font prop;
  prop.Create(kGothicFace, 0, 16, 0, 18, 241, nullptr, 1, 240, nullptr, 0);
  int mw = 0, mh = 0;
  prop.MeasureText("MMMM", &mw, &mh);
  ASSERT_GT(mw, 0);
  ASSERT_LT(mw, 4 * 16);
  MeasureMessageText(prop, "iii\nMMMM\n", &w, &h);
  EXPECT_EQ(w, mw + 2);
  EXPECT_EQ(h, 3 * 18 + 2);
  prop.Destroy();
}

TEST_F(MessageWindows, TimedWindowsCountOnlyWhileTheGameRunsUnlessAskedTo) {
  cMessageWnd w;
  Text(w, "A", 0, 2, 1);
  EXPECT_EQ(w.Update(&BackBuffer, 1), 0);
  EXPECT_EQ(w.m_nTime, 1);
  EXPECT_EQ(w.Update(&BackBuffer, 0), 0);
  EXPECT_EQ(w.Update(&BackBuffer, 0), 1);
  EXPECT_TRUE(Off_Msg.empty()) << "a finished text window releases its surface";
  EXPECT_EQ(w.m_lpSD, nullptr);

  cMessageWnd r;
  r.Init(3, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(r.m_nWidth, 16);
  EXPECT_EQ(r.m_lpSD, nullptr);
  EXPECT_EQ(r.Update(&BackBuffer, 1), 1) << "runs while frozen";

  // Kind 0 (the game wait's window) draws nothing and only counts.
  cMessageWnd g;
  g.Init(0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(g.Update(&BackBuffer, 0), 0);
  EXPECT_EQ(g.Update(&BackBuffer, 0), 1);
}

TEST_F(MessageWindows, RefreshGivesAWiderSurfaceAtTheSameSlot) {
  SaveData.m_Vars[1] = 9;
  cMessageWnd a, b;
  Text(a, "#C1", 0, 0, 0, 0, 0, 1);
  Text(b, "B", 0, 0, 0);
  ASSERT_EQ(Off_Msg.size(), 2u);
  EXPECT_EQ(a.m_nWidth, 18);
  SaveData.m_Vars[1] = 10;
  world_.m_nPlayFrames = 4;
  a.Update(&BackBuffer, 0);
  EXPECT_EQ(a.m_Text, "10");
  EXPECT_EQ(a.m_nWidth, 34);
  ASSERT_EQ(Off_Msg.size(), 2u);
  EXPECT_EQ(a.m_lpSD, &Off_Msg.front());
  EXPECT_EQ(a.m_lpSD->nWidth, 34);
  EXPECT_EQ(b.m_lpSD, &Off_Msg.back());
  // Same size: redrawn into the same surface.
  DDSURFACEDATA* same = a.m_lpSD;
  SaveData.m_Vars[1] = 11;
  a.Update(&BackBuffer, 0);
  EXPECT_EQ(a.m_Text, "11");
  EXPECT_EQ(a.m_lpSD, same);
}

TEST_F(MessageWindows, PlacesOnTheScreenAndOnTheStage) {
  // Mode 7 without fixing keeps its stage position: it scrolls with the camera.
  cMessageWnd w;
  Text(w, "AB", 7, 0, 0);
  EXPECT_EQ(w.Update(&BackBuffer, 0), 0);
  EXPECT_EQ(w.m_nStoredX, 2 * 32 + 64);
  EXPECT_EQ(w.m_nStoredY, 3 * 32 + 32);
  // Fixed in mode 0, nothing is stored.
  cMessageWnd c;
  Text(c, "AB", 0, 0, 0, 1);
  c.Update(&BackBuffer, 0);
  EXPECT_EQ(c.m_bPosStored, 0);
  // Mode 8 fixed: the first position is kept.
  cMessageWnd s;
  Text(s, "AB", 8, 0, 0, 1);
  s.Update(&BackBuffer, 0);
  EXPECT_EQ(s.m_nStoredX, (12 * 32) - 64);
  EXPECT_EQ(s.m_nStoredY, (13 * 32) - 32);
  world_.m_ScrollX.m_dPos = 0;
  s.Update(&BackBuffer, 0);
  EXPECT_EQ(s.m_nStoredX, (12 * 32) - 64);
}

TEST_F(MessageWindows, IconsRiseAndAreKeptOnTheScreen) {
  insttest::FillCells(&SurfaceTable[49], 64, 16, 16);  // the extra-life icon is cell (3, 0)
  insttest::Surface target(640, 480);
  // Screen block (-1, 0), fixed, kept on screen: x 0, y 20.
  cMessageWnd a;
  a.Init(3, nullptr, 0, 0, 0, 7, -1, 0, 0, 0, 1, 1, 2, 30, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(a.Update(target.sd(), 0), 0);
  EXPECT_EQ(CellOf(target.sd(), 0, 20), std::make_pair(3, 0));
  EXPECT_EQ(CellOf(target.sd(), 15, 35), std::make_pair(3, 0));
  EXPECT_TRUE(target.Untouched(0, 19));
  // One pixel higher every four frames of its 30.
  for (int i = 0; i < 4; ++i) a.Update(target.sd(), 0);
  EXPECT_EQ(a.m_nTime, 25);
  EXPECT_EQ(CellOf(target.sd(), 0, 19), std::make_pair(3, 0));
  // Block 20 reaches past the right edge: x = 640 - 16.
  cMessageWnd b;
  b.Init(3, nullptr, 0, 0, 0, 7, 20, 5, 0, 0, 1, 1, 2, 30, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  b.Update(target.sd(), 0);
  EXPECT_EQ(CellOf(target.sd(), 624, 160), std::make_pair(3, 0));
  EXPECT_TRUE(target.Untouched(623, 160));
  DDReleaseSurface(&SurfaceTable[49]);
}

TEST_F(MessageWindows, TextWindowOfARemovedCharacterEnds) {
  cMessageWnd w;
  w.Init(1, "X", 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12345, 1, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(Off_Msg.size(), 1u);
  EXPECT_EQ(w.Update(&BackBuffer, 0), 1);
  EXPECT_TRUE(Off_Msg.empty());
}

}  // namespace
