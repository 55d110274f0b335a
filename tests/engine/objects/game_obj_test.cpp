// ctest-label: engine
#include "engine/objects/GameObj.h"

#include <gtest/gtest.h>

#include <limits>

#include "data/Stage.h"
#include "tests/engine/engine_fixture.h"

namespace {

// A 20 x 15 chip stage: map area x in [320, 960), world [0, 1280).
struct GameObjTest : ::testing::Test {
  enginetest::World world{20, 15};
  cGameObj obj;
  void Box(double x, double y, int w, int h) {
    obj.m_nW = obj.m_nBaseW = w;
    obj.m_nH = obj.m_nBaseH = h;
    obj.m_dX = x;
    obj.m_dY = y;
  }
};

}  // namespace

TEST_F(GameObjTest, SetupAndFlyModes) {
  obj.m_dVX = 3;
  obj.m_bActive = 1;
  obj.Setup(7, 1, 2, 3, 44, kItemAnimSource, 0, 4, 5, 20, 30, 40, 50, 1, 2, -3, nullptr);
  EXPECT_EQ(obj.m_nID, 7);
  EXPECT_EQ(obj.m_nLife, 2147483647);
  EXPECT_EQ(obj.m_nBlockSide, 3);
  EXPECT_EQ(obj.m_nW, 20);
  EXPECT_EQ(obj.m_nBaseH, 30);
  EXPECT_EQ(obj.m_nPicW, 40);
  EXPECT_EQ(obj.m_nBasePicOfsY, 5);
  EXPECT_EQ(obj.m_dVX, 0);
  EXPECT_EQ(obj.m_bActive, 0);
  EXPECT_EQ(obj.m_wSpawnTag, -3);
  EXPECT_EQ(obj.m_Anim.m_Patterns.size(), 1u);
  EXPECT_EQ(obj.FacingSign(), 1);

  struct Mode {
    int mode, fly, flyHit;
  };
  for (Mode m : {Mode{0, 0, 1}, Mode{1, 1, 0}, Mode{2, 1, 1}, Mode{3, 1, 2}}) {
    obj.SetFlyMode(m.mode);
    EXPECT_EQ(obj.m_bFly, m.fly) << m.mode;
    EXPECT_EQ(obj.m_byFlyHit, m.flyHit) << m.mode;
  }
  obj.SetFlyMode(4);  // changes nothing
  EXPECT_EQ(obj.m_bFly, 1);
  EXPECT_EQ(obj.m_byFlyHit, 2);
}

TEST_F(GameObjTest, SetScaleDoublesTheBoxAndKeepsTheCentre) {
  Box(500, 500, 20, 30);
  obj.m_nBasePicW = 32;
  obj.m_nBasePicOfsX = 6;
  obj.SetScale(2, 1);
  EXPECT_EQ(obj.m_nW, 40);
  EXPECT_EQ(obj.m_nH, 60);
  EXPECT_EQ(obj.m_nPicW, 64);
  EXPECT_EQ(obj.m_nPicOfsX, 12);
  EXPECT_EQ(obj.m_dX, 490);
  EXPECT_EQ(obj.m_dRight, 529);

  // Near the world's left edge the move is clamped into the world.
  Box(4, 500, 20, 30);
  obj.SetScale(2, 1);
  EXPECT_EQ(obj.m_dX, 0);

  // A magnification below 1 counts as 1: nothing changes.
  Box(500, 500, 20, 30);
  obj.SetScale(0, 1);
  EXPECT_EQ(obj.m_nW, 20);
  EXPECT_EQ(obj.m_dX, 500);
}

TEST_F(GameObjTest, ClampResultCodes) {
  // Horizontal: scroll area [320, 960), map [320, 960), world [0, 1280).
  world.m_ScrollX.SetBounds(5, 14, 1, 1);  // scroll area [480, 800)
  struct Case {
    int mode;
    double x;
    int result;
    double after;
  };
  for (Case c : {Case{0, 100, 0, 480}, Case{0, 790, 0, 780}, Case{0, 600, 0, 600}, Case{1, 100, 0, 320},
                 Case{1, 950, 0, 940}, Case{1, 400, 1, 400}, Case{1, 600, 0, 600}, Case{2, -1, 3, 0},
                 Case{2, 1261, 3, 1260}, Case{2, 1260, 2, 1260}, Case{2, 300, 2, 300}, Case{2, 790, 1, 790},
                 Case{2, 600, 0, 600}, Case{9, -50, 0, -50}}) {
    Box(c.x, 400, 20, 20);
    EXPECT_EQ(obj.ClampStageX(c.mode), c.result) << c.mode << " " << c.x;
    EXPECT_EQ(obj.m_dX, c.after) << c.mode << " " << c.x;
    EXPECT_EQ(obj.m_dRight, c.after + 19);
  }
  // Vertical results tell the side: world [0, 1120), map [320, 800).
  world.m_ScrollY.SetBounds(3, 10, 1, 1);  // scroll area [416, 672)
  struct VCase {
    int mode;
    double y;
    int result;
  };
  for (VCase c : {VCase{1, 400, 1}, VCase{1, 660, 4}, VCase{1, 500, 0}, VCase{2, -5, 3}, VCase{2, 1110, 6},
                  VCase{2, 300, 2}, VCase{2, 790, 5}, VCase{2, 400, 1}, VCase{2, 660, 4}, VCase{2, 500, 0}}) {
    Box(600, c.y, 20, 20);
    EXPECT_EQ(obj.ClampStageY(c.mode), c.result) << c.mode << " " << c.y;
  }
  // The chip fields follow the box.
  Box(600.7, 416.2, 20, 20);
  obj.ClampStageY(2);
  obj.ClampStageX(2);
  EXPECT_EQ(obj.m_nCol, 18);
  EXPECT_EQ(obj.m_nRightCol, 19);
  EXPECT_EQ(obj.m_nRow, 13);
  EXPECT_EQ(obj.m_nBottomRow, 13);
}

TEST_F(GameObjTest, ScreenPositionTruncatesTowardZero) {
  Box(0, 0, 20, 20);
  obj.m_nPicW = obj.m_nPicH = 20;
  // x - pic offset - trunc(camera) = -0.5: truncation gives 0, floor would give -1.
  world.m_ScrollX.m_dPos = 320.9;
  obj.m_dX = 319.5;
  world.m_ScrollY.m_dPos = 320;
  obj.m_dY = 330.25;
  obj.UpdateScreenPos();
  EXPECT_EQ(obj.m_nScrLeft, 0);
  EXPECT_EQ(obj.m_nScrRight, 19);
  EXPECT_EQ(obj.m_nScrTop, 10);

  // Flying while the camera auto-scrolls: synchronised objects measure from
  // the exact camera position; vertically one pixel lower.
  obj.m_bFly = 1;
  obj.m_bScrollSync = 1;
  world.m_ScrollX.m_dAutoSpeed = 0.5;
  world.m_ScrollY.m_dAutoSpeed = 0.5;
  world.m_ScrollX.m_dPos = 320.5;
  world.m_ScrollY.m_dPos = 320.5;
  obj.m_dX = 400.25;
  obj.m_dY = 400.25;
  obj.UpdateScreenPos();
  EXPECT_EQ(obj.m_nScrLeft, 79);  // trunc(79.75)
  EXPECT_EQ(obj.m_nScrTop, 80);   // trunc(79.75) + 1
  obj.m_bScrollSync = 0;
  obj.UpdateScreenPos();
  EXPECT_EQ(obj.m_nScrLeft, 80);  // trunc(400.25 - 320)
  world.m_ScrollX.m_bAtLimit = 1;  // held at a bound: no auto-scroll
  obj.UpdateScreenPos();
  EXPECT_EQ(obj.m_nScrLeft, 80);  // trunc(400.25) - trunc(320.5)
}

// The camera's whole-number position is taken once, as an int and as a
// double; a walking object measures from it after its picture offset.
TEST_F(GameObjTest, ScreenCameraWholePositionAndAWalkerWithPictureOffsets) {
  struct Case {
    const char* name;
    double camX, camY;
    int ix, iy;
    int scrLeft, scrTop;
  };
  // The walker at (10.25, 50.5), picture offsets (2, -4), picture 20 x 20.
  const Case cases[] = {
      // (10.25 - 2) + 3 = 11.25; (50.5 + 4) - 100 = -45.5: toward zero, -45.
      {"negative x, fractional y", -3.7, 100.9, -3, 100, 11, -45},
      {"whole positions", 8, 54, 8, 54, 0, 0},  // 0.25 and 0.5
      // NaN truncates to 0 (and the camera is then at 0).
      {"NaN", std::numeric_limits<double>::quiet_NaN(), 0.5, 0, 0, 8, 54},
  };
  for (const Case& c : cases) {
    world.m_ScrollX.m_dPos = c.camX;
    world.m_ScrollY.m_dPos = c.camY;
    const cScreenCamera cam = CurrentScreenCamera();
    EXPECT_EQ(cam.ix, c.ix) << c.name;
    EXPECT_EQ(cam.iy, c.iy) << c.name;
    EXPECT_EQ(cam.dix, static_cast<double>(c.ix)) << c.name;
    EXPECT_EQ(cam.diy, static_cast<double>(c.iy)) << c.name;
    cGameObj walker;
    walker.m_dX = 10.25;
    walker.m_dY = 50.5;
    walker.m_nPicOfsX = 2;
    walker.m_nPicOfsY = -4;
    walker.m_nPicW = walker.m_nPicH = 20;
    walker.UpdateScreenPosWith(cam);
    EXPECT_EQ(walker.m_nScrLeft, c.scrLeft) << c.name;
    EXPECT_EQ(walker.m_nScrRight, c.scrLeft + 19) << c.name;
    EXPECT_EQ(walker.m_nScrTop, c.scrTop) << c.name;
    EXPECT_EQ(walker.m_nScrBottom, c.scrTop + 19) << c.name;
  }
}

TEST_F(GameObjTest, OnScreenAndStageTests) {
  Box(300, 400, 20, 20);
  obj.ClampStageX(9);
  obj.ClampStageY(9);
  EXPECT_EQ(obj.IsOnScreen(), 0);  // right edge 319 < camera 320
  obj.m_dRight = 320;  // touching the view's left border
  EXPECT_EQ(obj.IsOnScreen(), 1);
  EXPECT_EQ(obj.IsOnScreenAxis(1, 0), 1);
  obj.m_dY = 320 + 480;
  EXPECT_EQ(obj.IsOnScreen(), 0);
  EXPECT_EQ(obj.IsOnScreenAxis(0, 1), 1);

  Box(320, 320, 20, 20);
  obj.ClampStageX(9);
  obj.ClampStageY(9);
  EXPECT_EQ(obj.IsInStage(0), 1);
  obj.m_dX = 319;
  obj.ClampStageX(9);
  EXPECT_EQ(obj.IsInStage(0), 0);
  EXPECT_EQ(obj.IsInStage(1), 1);
}

TEST_F(GameObjTest, RemovalAtTheWorldEdge) {
  cRemoveArea none;
  Box(0, 400, 20, 20);
  obj.ClampStageX(9);
  obj.ClampStageY(9);
  EXPECT_EQ(obj.IsOutOfRange(none), 1);  // touching x = 0
  obj.m_bOnScreen = 1;
  EXPECT_EQ(obj.IsOutOfRange(none), 0);  // on screen: never
  obj.m_bOnScreen = 0;
  Box(1, 400, 20, 20);
  obj.ClampStageX(9);
  obj.ClampStageY(9);
  EXPECT_EQ(obj.IsOutOfRange(none), 0);
  Box(1259, 400, 20, 20);  // right edge 1278 = extent - 2
  obj.ClampStageX(9);
  EXPECT_EQ(obj.IsOutOfRange(none), 0);
  obj.m_dX = 1260;
  obj.ClampStageX(9);
  EXPECT_EQ(obj.IsOutOfRange(none), 1);

  // Left edge 2 chips beyond the view: out when trunc(C - 64) >= right.
  cRemoveArea left;
  left.m_LeftOn = 1;
  left.m_LeftDist = 2;
  Box(100, 400, 20, 20);
  obj.ClampStageX(9);
  obj.ClampStageY(9);
  EXPECT_EQ(obj.IsOutOfRange(left), 1);  // right 119 <= trunc(320 - 64)
  obj.m_dX = 237;
  obj.ClampStageX(9);
  EXPECT_EQ(obj.IsOutOfRange(left), 1);  // right 256
  obj.m_dX = 237.5;
  obj.ClampStageX(9);
  EXPECT_EQ(obj.IsOutOfRange(left), 0);
}

TEST_F(GameObjTest, CopyFromCopiesTheCommonFields) {
  cGameObj a;
  a.Setup(3, 1, 0, 2, 9, kItemAnimSource, 0, 0, 0, 10, 10, 10, 10, 1, 3, 5, nullptr);
  a.m_dX = 12.5;
  a.m_Anim.Step();
  cGameObj b;
  b.CopyFrom(a);
  EXPECT_EQ(b.m_nID, 3);
  EXPECT_EQ(b.m_dX, 12.5);
  EXPECT_EQ(b.m_byFlyHit, 2);
  EXPECT_EQ(b.m_Anim.m_nFrames, 1);
  EXPECT_EQ(b.m_Anim.m_Patterns.size(), 1u);
}
