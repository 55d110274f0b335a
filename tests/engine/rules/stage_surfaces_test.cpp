// ctest-label: engine
// The surfaces a stage's set-up releases and builds: pictures and message
// windows of the previous attempt, and the darkness overlay of the hero's
// sight with its square or round opening.
#include <gtest/gtest.h>

#include <string>

#include "data/Stage.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/rules/Rules.h"
#include "engine/script/Expr.h"
#include "engine/script/ScriptWorld.h"
#include "media/graphics/DDCore.h"
#include "tests/support/EngineFakes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace stage_surfaces_test {

namespace {

constexpr int kW = 20, kH = 15;

class StageSurfaces : public testing::Test {
 protected:
  void SetUp() override {
    savedStage_ = Stage;
    savedSystem_ = SystemData;
    SystemData.m_Replay = 0;
    Stage = cStage();
    Stage.m_Width = kW;
    Stage.m_Height = kH;
    Stage.m_ScrollExtraX = kW * 32;
    Stage.m_ScrollExtraY = kH * 32;
    cCharaDef hero;
    hero.m_Control = 0;
    hero.m_Col = 5;
    hero.m_Row = 5;
    hero.m_HeldItem = -1;
    hero.m_MaxHp = 3;
    Stage.m_PlacedCharas.push_back(hero);
    PlayerInput.assign(1, cInput());
    PlayScene = &world_;
  }
  void TearDown() override {
    DDReleaseSurface(&SightDarkSD);
    DDReleaseSurface(&SightCircleSD);
    if (bDDInitDone) DDEnd();
    testsupport::ReleaseRunningWorld();
    Stage = savedStage_;
    SystemData = savedSystem_;
  }
  cCharaDef& HeroDef() { return Stage.m_PlacedCharas[0]; }
  // The library in the DirectDraw personality at 8 bits, so that a pixel
  // is its palette number.
  static bool StartDisplay() { return DDInit(0, nullptr, 640, 480, 8, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0); }
  static uint32_t Pixel(int x, int y) { return SightDarkSD.Pixels()->GetPixel(x, y); }
  static bool Built(const DDSURFACEDATA& sd) { return sd.lpDD || sd.lpDT; }
  // Close requests and error boxes among the recorded requests.
  int Failures() const {
    int k = 0;
    for (const std::string& c : fake_.calls()) k += c == "close" || c.rfind("error", 0) == 0 ? 1 : 0;
    return k;
  }

  testsupport::FakeEngineServices fake_;
  cPlayWorld world_;

 private:
  cStage savedStage_;
  cSystem savedSystem_;
};

TEST_F(StageSurfaces, SetUpReleasesThePreviousAttemptsPicturesAndMessageSurfaces) {
  PictureSurfaces.emplace_back();
  PictureBitmaps.emplace_back();
  world_.m_Pictures.emplace_back();
  Off_Msg.emplace_back();
  Off_Msg.emplace_back();
  MessageBitmaps.emplace_back();
  world_.m_Messages.emplace_back();
  SetStage(&world_, 0, 0);
  EXPECT_TRUE(PictureSurfaces.empty());
  EXPECT_TRUE(PictureBitmaps.empty());
  EXPECT_TRUE(world_.m_Pictures.empty());
  EXPECT_TRUE(Off_Msg.empty());
  EXPECT_TRUE(MessageBitmaps.empty());
  EXPECT_TRUE(world_.m_Messages.empty());
}

TEST_F(StageSurfaces, BlockMapBeyondTheLargestMapIsRefusedBeforeAnythingIsBuilt) {
  // 84264 x 15 chips is a map the reader accepts, but its block map would
  // hold 2^17 x 35 cells (more than 4.5 million): refused.
  Stage.m_Width = 84264;
  Stage.m_ScrollExtraX = 640;
  Player.assign(1, cHero());
  Player[0].m_nID = 77;
  SetStage(&world_, 0, 0);
  EXPECT_TRUE(BlockMap.empty());
  EXPECT_EQ(Player[0].m_nID, 77);  // the hero was not rebuilt
  EXPECT_EQ(Failures(), 2);        // the error box and the close request
}

TEST_F(StageSurfaces, OpeningOfTheSightOverlayBySightMode) {
  // Sight 2 half-blocks = 32 pixels: the overlay is (1280 + 64) x (960 + 64),
  // its centre (672, 512). Mode 1 opens a circle, mode 3 a square.
  struct Case {
    int mode;
    uint32_t centre, squareCorner, justOutside;
  } cases[] = {{1, 0, 16, 16}, {2, 0, 16, 16}, {3, 0, 0, 16}};
  ASSERT_TRUE(StartDisplay());
  for (const Case& c : cases) {
    HeroDef().m_ViewShape = static_cast<int8_t>(c.mode);
    HeroDef().m_ViewRange = 2;
    SetStage(&world_, 0, 0);
    ASSERT_EQ(SightDarkSD.nWidth, 1344) << "mode " << c.mode;
    ASSERT_EQ(SightDarkSD.nHeight, 1024);
    EXPECT_EQ(Pixel(0, 0), 16u);
    EXPECT_EQ(Pixel(1343, 1023), 16u);
    EXPECT_EQ(Pixel(672, 512), c.centre) << "mode " << c.mode;
    EXPECT_EQ(Pixel(672 - 32, 512 - 32), c.squareCorner) << "mode " << c.mode;
    EXPECT_EQ(Pixel(672 - 33, 512), c.justOutside) << "mode " << c.mode;
    EXPECT_EQ(Pixel(672 + 32, 512), c.justOutside) << "mode " << c.mode;
  }
  EXPECT_EQ(Failures(), 0);
}

TEST_F(StageSurfaces, SightWithoutRadiusIsDarkAndUnlimitedSightBuildsNothing) {
  ASSERT_TRUE(StartDisplay());
  HeroDef().m_ViewShape = 1;
  HeroDef().m_ViewRange = 0;
  SetStage(&world_, 0, 0);
  ASSERT_EQ(SightDarkSD.nWidth, 1280);
  EXPECT_EQ(Pixel(640, 480), 16u);

  DDReleaseSurface(&SightDarkSD);
  HeroDef().m_ViewShape = 0;
  HeroDef().m_ViewRange = 4;
  SetStage(&world_, 0, 0);
  EXPECT_FALSE(Built(SightDarkSD));
}

TEST_F(StageSurfaces, SightChangeDuringPlayRebuildsTheOverlay) {
  ASSERT_TRUE(StartDisplay());
  HeroDef().m_ViewShape = 3;
  HeroDef().m_ViewRange = 1;
  SetStage(&world_, 0, 0);
  ASSERT_EQ(SightDarkSD.nWidth, 1280 + 32);
  ASSERT_NE(SightRebuildHook, nullptr);
  PlayScriptWorld().SetHeroSight(static_cast<cCharaBase*>(&Player[0]), 3);
  EXPECT_EQ(Player[0].m_nSight, 48);
  EXPECT_EQ(SightDarkSD.nWidth, 1280 + 96);
}

TEST_F(StageSurfaces, HeadlessSetUpOfALimitedSightNeitherFailsNorCloses) {
  HeroDef().m_ViewShape = 1;
  HeroDef().m_ViewRange = 2;
  SetStage(&world_, 0, 0);
  EXPECT_FALSE(Built(SightDarkSD));
  EXPECT_EQ(Failures(), 0);
}

}  // namespace

}  // namespace stage_surfaces_test
