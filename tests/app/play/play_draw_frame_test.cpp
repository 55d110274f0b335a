// ctest-label: play
// The order of the play field's layers, and the screen colour.
#include "app/play/PlayDrawFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Stage.h"
#include "data/System.h"
#include "media/graphics/Palette.h"
#include "tests/app/play/draw_recorder.h"

namespace {

using V = std::vector<std::string>;

class RecordingDraw : public cPlayFieldDraw {
 public:
  using cPlayFieldDraw::cPlayFieldDraw;
  V log;
  int hidden = 0;
  void Add(const std::string& s) { log.push_back(s); }
  void RebuildLostChipSheets() override { Add("chips?"); }
  void SetVirtualBack(int on) override { Add("virback " + std::to_string(on)); }
  void ScrollBackgrounds() override { Add("scroll"); }
  void DrawBackgrounds(int front) override { Add("back " + std::to_string(front)); }
  int FieldHiddenWhilePaused(int) override { return hidden; }
  void DrawStagePictures(int layer, int) override { Add("pictures " + std::to_string(layer)); }
  void DrawMapChips(int front) override { Add("map " + std::to_string(front)); }
  void DrawPlayer(int layer, int) override { Add("hero " + std::to_string(layer)); }
  void DrawItems(int layer, int) override { Add("items " + std::to_string(layer)); }
  void DrawCharas(int layer, int) override { Add("charas " + std::to_string(layer)); }
  void DrawShots(int layer, int) override { Add("shots " + std::to_string(layer)); }
  void DrawCharaOverlays() override { Add("overlays"); }
  void DrawHeroBackdrop() override { Add("backdrop"); }
  void DrawEffects(int) override { Add("effects"); }
  void DrawMessages(int) override { Add("messages"); }
  void RunScreenEffect(int) override { Add("screen effect"); }
  void DrawStatusWindow() override { Add("status"); }
  void DrawTimeCounter(int tick) override { Add("time " + std::to_string(tick)); }
  void DrawSysText() override { Add("systext"); }
  void CycleBlinkColors() override { Add("blink"); }
  void DrawScreenColor(int freeze) override { Add("colour " + std::to_string(freeze)); }
};

class DrawFrameOrder : public ::testing::Test {
 protected:
  void TearDown() override { Stage.m_DrawLayers = 1; }
  cPlayWorld world;
  DDSURFACEDATA back;
  RecordingDraw draw{world, &back};
};

TEST_F(DrawFrameOrder, OnePassDrawsEveryObjectInItsKindOrder) {
  Stage.m_DrawLayers = 0;
  draw.DrawFrame(1, 0, 1, 1);
  EXPECT_EQ(draw.log, (V{"chips?", "scroll", "back 0", "pictures 0", "map 0", "hero -1", "items -1", "charas -1",
                         "shots -1", "map 1", "back 1", "overlays", "backdrop", "pictures 1", "effects", "messages",
                         "screen effect", "status", "time 1", "systext", "blink", "colour 0"}));
}

TEST_F(DrawFrameOrder, LayeredDrawingRunsEightPasses) {
  Stage.m_DrawLayers = 1;
  world.m_ScrEffect.m_nIndex = 2;
  draw.DrawFrame(0, 1, 0, 0);
  EXPECT_EQ(draw.log.at(1), "virback 1");  // a screen effect draws to the virtual back buffer
  V passes(draw.log.begin() + 6, draw.log.begin() + 6 + 32);
  for (int l = 0; l < 8; ++l) {
    const std::string n = std::to_string(l);
    EXPECT_EQ(V(passes.begin() + 4 * l, passes.begin() + 4 * l + 4),
              (V{"hero " + n, "items " + n, "charas " + n, "shots " + n}));
  }
  EXPECT_EQ(std::count(draw.log.begin(), draw.log.end(), "systext"), 0);
}

TEST_F(DrawFrameOrder, PauseThatHidesTheFieldCoversIt) {
  draw.hidden = 1;
  draw.DrawFrame(0, 1, 0, 1);
  EXPECT_EQ(draw.log, (V{"chips?", "scroll", "back 0", "back 1", "colour 1"}));
}

// ---------------------------------------------------------------- screen colour

class ScreenColour : public ::testing::Test {
 protected:
  void SetUp() override {
    savedCon_ = lpDTCon;
    savedBpp_ = DDSettings.nBpp;
    target.strName = "back";
    work.strName = "work";
  }
  void TearDown() override {
    lpDTCon = savedCon_;
    DDSettings.nBpp = savedBpp_;
  }
  void UseD3D() { lpDTCon = &con_; }
  void UseDirectDraw(int bpp) {
    lpDTCon = nullptr;
    DDSettings.nBpp = bpp;
  }
  V Frame(int freeze = 0) {
    drawtest::Calls().clear();
    DrawScreenColor(sc, &target, &work, freeze);
    return drawtest::Calls();
  }
  drawtest::Recorder rec;
  DTCONTEXT con_;
  DTCONTEXT* savedCon_ = nullptr;
  int savedBpp_ = 0;
  DDSURFACEDATA target, work;
  cScreenColor sc;
};

TEST_F(ScreenColour, SetKeepsThePreviousColourAndIgnoresAnEarlyRestore) {
  UseD3D();
  const int32_t restore[8] = {0, 0, 0, 0, 1, 2, 0, 0};
  sc.Set(restore);
  EXPECT_EQ(sc.m_bActive, 0);  // nothing set before
  const int32_t red[8] = {255, 0, 0, 50, 0, 2, 0, 0};
  sc.Set(red);
  EXPECT_EQ(sc.m_nDuration, 12);
  EXPECT_EQ(sc.m_bFinished, 1);
  sc.m_nAlpha = 128;
  sc.Set(restore);
  EXPECT_EQ(sc.m_byRed, 255);  // colour and strength of the previous setting
  EXPECT_EQ(sc.m_nStrength, 50);
  EXPECT_EQ(sc.m_nAlpha, 128);
  EXPECT_EQ(sc.m_nPrevAlpha, 128);
}

TEST_F(ScreenColour, Direct3DOverlayRampsAndStaysWhileItHasStrength) {
  UseD3D();
  const int32_t p[8] = {0, 0, 255, 100, 0, 1, 0, 0};  // 6 frames to full blue
  sc.Set(p);
  EXPECT_EQ(Frame(), V{"tint back 0 0 640 480 a255 0 0 255"});
  Frame();
  Frame();
  EXPECT_EQ(Frame(), V{"tint back 0 0 640 480 a127 0 0 255"});  // trunc(255 - 3/6 * 255)
  for (int i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(sc.m_bActive, 1);
  EXPECT_EQ(Frame(), V{"tint back 0 0 640 480 a0 0 0 255"});
  con_.bVirBackBuffer = 1;
  EXPECT_EQ(Frame(), (V{"fillargb work FF0000FF", "blend back 0 0 640 480 <- work 0 0 t0 a0"}));
  const int32_t none[8] = {0, 0, 0, 0, 0, 1, 0, 0};  // strength 0 ends with its duration
  sc.Set(none);
  for (int i = 0; i < 7; ++i) Frame();
  EXPECT_EQ(sc.m_bActive, 0);
}

TEST_F(ScreenColour, FlashRepeatsThenEnds) {
  UseD3D();
  const int32_t p[8] = {255, 255, 255, 100, 0, 1, 1, 2};
  sc.Set(p);
  for (int i = 0; i < 6; ++i) Frame();
  EXPECT_EQ(Frame(), V{"tint back 0 0 640 480 a255 255 255 255"});  // end of a period
  EXPECT_EQ(sc.m_nFrame, 0);
  EXPECT_EQ(sc.m_nRepeatCount, 1);
  for (int i = 0; i < 7; ++i) Frame();
  EXPECT_EQ(sc.m_bActive, 0);
}

TEST_F(ScreenColour, FrozenFramesDrawButDoNotCount) {
  UseD3D();
  const int32_t p[8] = {0, 0, 255, 100, 0, 1, 0, 0};
  sc.Set(p);
  EXPECT_EQ(Frame(1).size(), 1u);
  EXPECT_EQ(sc.m_nFrame, 0);
}

TEST_F(ScreenColour, DirectDrawAtSixteenBitsSwitchesItOff) {
  UseDirectDraw(16);
  const int32_t p[8] = {0, 0, 255, 100, 0, 1, 0, 0};
  sc.Set(p);
  EXPECT_TRUE(Frame().empty());
  EXPECT_EQ(sc.m_bActive, 0);
}

TEST_F(ScreenColour, EightBitBlendsTheWorkingPalette) {
  UseDirectDraw(8);
  for (int i = 0; i < 256; ++i) PalTable[i] = {200, 100, 0, 0};
  const int32_t p[8] = {0, 0, 0, 100, 0, 0, 0, 0};  // at once to black
  sc.Set(p);
  Frame(1);  // frozen: nothing under DirectDraw
  EXPECT_EQ(sc.m_nFrame, 0);
  EXPECT_TRUE(Frame().empty());
  EXPECT_EQ(PalWork[40].peRed, 0);
  EXPECT_EQ(sc.m_bActive, 0);
  const int32_t fade[8] = {0, 0, 0, 100, 0, 1, 0, 0};
  sc.Set(fade);
  Frame();  // first frame keeps the palette
  EXPECT_EQ(PalWork[40].peRed, 200);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- backgrounds and status window

class Backgrounds : public ::testing::Test {
 protected:
  void SetUp() override {
    Stage.m_BackLayers.clear();
    back.strName = "back";
    SurfaceTable[55].strName = "bg0";
    SurfaceTable[55].nWidth = 400;
    SurfaceTable[55].nHeight = 300;
    SurfaceTable[56].strName = "bg1";
    SurfaceTable[56].nWidth = 0;  // no pixels
    world.m_ScrollX.m_nMargin = 10;
    world.m_ScrollY.m_nMargin = 10;
  }
  void TearDown() override {
    Stage.m_BackLayers.clear();
    SurfaceTable[55] = DDSURFACEDATA{};
    SurfaceTable[56] = DDSURFACEDATA{};
  }
  cBackLayer& Add(int front) {
    cBackLayer b;
    b.m_Show = 1;
    b.m_Front = front;
    b.m_RateX = b.m_RateY = 1;
    Stage.m_BackLayers.push_back(b);
    return Stage.m_BackLayers.back();
  }
  drawtest::Recorder rec;
  cPlayWorld world;
  DDSURFACEDATA back;
  cPlayFieldDraw draw{world, &back};
};

TEST_F(Backgrounds, NoLayerShowsColourSixteen) {
  draw.DrawBackgrounds(0);
  EXPECT_EQ(drawtest::Calls(), V{"fill back 0 0 640 480 c16"});
}

TEST_F(Backgrounds, ImageTilesFromTheCameraOffsetAndLaterLayersAreTransparent) {
  Add(0);
  Add(0);  // layer 1's surface has no pixels: skipped, still counted
  cBackLayer& fill = Add(1);
  fill.m_Fill = 1;
  fill.m_FillColour = 33;
  world.m_ScrollX.m_dPos = 320 + 450;  // 450 into the map: column 50 of 400
  world.m_ScrollY.m_dPos = 320 + 10;
  draw.DrawBackgrounds(0);
  EXPECT_EQ(drawtest::Calls(),
            (V{"blt back 0 0 350 290 <- bg0 50 10 t0", "blt back 350 0 400 290 <- bg0 0 10 t0",
               "blt back 0 290 350 300 <- bg0 50 0 t0", "blt back 350 290 400 300 <- bg0 0 0 t0"}));
  drawtest::Calls().clear();
  draw.DrawBackgrounds(1);
  EXPECT_EQ(drawtest::Calls(), V{"fill back 0 0 640 480 c33"});
}

TEST_F(Backgrounds, AutoScrollWrapsAndStopsWhilePaused) {
  cBackLayer& b = Add(0);
  b.m_AutoX = 1;
  b.m_RateX = 3;
  b.m_OffsetX = 1;
  draw.ScrollBackgrounds();
  EXPECT_DOUBLE_EQ(Stage.m_BackLayers[0].m_OffsetX, 398);
  world.SetSceneState(3, 0);
  draw.ScrollBackgrounds();
  EXPECT_DOUBLE_EQ(Stage.m_BackLayers[0].m_OffsetX, 398);
}

TEST(StatusWindow, ItemsShareTheGapsLeftByTheirWidths) {
  cVector<cStatusItem> items(5);
  items[0].m_Shown = 1;
  items[0].m_Icon = 1;
  items[0].m_Digits = 6;  // 16 + 96
  items[2].m_Shown = 1;
  items[2].m_Label = "HP";  // 32 + 50
  items[4].m_Shown = 1;
  items[4].m_Label = "\x8e\x63\x8b\x40";  // two double-byte characters: 32 + 16 * 2
  items[4].m_Digits = 2;
  int x[5];
  StatusItemPositions(items, x);
  // widths 112, 82, 64: gap (638 - 258) / 4 = 95
  EXPECT_EQ(x[0], 95);
  EXPECT_EQ(x[1], -1);
  EXPECT_EQ(x[2], 95 + 112 + 95);
  EXPECT_EQ(x[4], 302 + 82 + 95);
  cVector<cStatusItem> none(5);
  StatusItemPositions(none, x);
  EXPECT_EQ(x[0], -1);
}

}  // namespace

namespace {

TEST(DrawCharas, ADeadCharacterWithoutDefeatEffectIsRemovedAtOnce) {
  drawtest::Recorder rec;
  cPlayWorld world;
  DDSURFACEDATA back;
  cPlayFieldDraw draw{world, &back};
  CharaList.clear();
  CharaList.emplace_back();
  cChara& dead = CharaList.back();
  dead.m_bDead = 1;
  world.m_FactionCharas[1].push_back(&dead);
  CharaList.emplace_back();
  cChara& alive = CharaList.back();
  world.m_FactionCharas[1].push_back(&alive);
  draw.DrawCharas(-1, 0);
  ASSERT_EQ(CharaList.size(), 1u);
  EXPECT_EQ(&CharaList.front(), &alive);
  EXPECT_EQ(world.m_FactionCharas[1].size(), 1u);
  CharaList.clear();
}

}  // namespace
