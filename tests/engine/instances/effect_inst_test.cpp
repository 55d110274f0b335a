// ctest-label: engine
#include <gtest/gtest.h>

#include "base/Text.h"
#include "data/Database.h"
#include "engine/World.h"
#include "engine/instances/EffectPlayers.h"
#include "tests/engine/instances/InstanceTestSupport.h"

namespace {

using insttest::CellOf;

// Effect 1: 32 x 32, two frames of a tenth each, no scaling. Effect 2: the
// same with scaling allowed. The camera stands at (100.5, 50.5).
class EffectInstances : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Database;
    Database.m_Effects.assign(3, cEffect{});
    for (int n : {1, 2}) {
      cEffect& e = Database.m_Effects[n];
      e.m_EffectW = e.m_EffectH = 32;
      e.m_EffectMode = n == 2;
      e.m_EffectFrames.assign(2, cEffectFrame{});
      e.m_EffectFrames[1].m_Pattern = 1;
    }
    BuildRuntimeTables();
    world_.m_ScrollX.m_dPos = 100.5;
    world_.m_ScrollY.m_dPos = 50.5;
    PlayScene = &world_;
  }
  void TearDown() override {
    PlayScene = nullptr;
    Database = saved_;
    BuildRuntimeTables();
    SeedRandom(1);
  }
  cDatabase saved_;
  cPlayWorld world_;
};

TEST_F(EffectInstances, SpawnCentresOnTheOverlapAndJittersXThenY) {
  // Seed 1: the first two draws are 41 and 18467 (then 6334).
  const cRectD a{100, 200, 139, 239}, b{120, 210, 179, 259};  // overlap x 120..139, y 210..239
  SeedRandom(1);
  cEffectInst e;
  e.Spawn(1, a, b, 2);  // no scaling allowed: size and jitter ignore the scale
  EXPECT_EQ(e.m_nW, 32);
  EXPECT_EQ(e.m_bStretched, 0);
  EXPECT_DOUBLE_EQ(e.m_dX, 120 + 10 - 16 + 1);  // 41 % 9 - 4
  EXPECT_DOUBLE_EQ(e.m_dY, 210 + 15 - 16 + 4);  // 18467 % 9 - 4
  EXPECT_EQ(RandomRaw(), 6334);

  SeedRandom(1);
  cEffectInst s;
  s.Spawn(2, a, b, 2);
  EXPECT_EQ(s.m_nW, 64);
  EXPECT_EQ(s.m_nH, 64);
  EXPECT_EQ(s.m_bStretched, 1);
  EXPECT_DOUBLE_EQ(s.m_dX, 120 + 10 - 32 - 1);  // 41 % 17 - 8
  EXPECT_DOUBLE_EQ(s.m_dY, 210 + 15 - 32 - 3);  // 18467 % 17 - 8
}

TEST_F(EffectInstances, SpawnBetweenBoxesThatDoNotMeetIsCentredBetweenThem) {
  // Gap x 9..30 (middle 20), gap y 9..40 (middle 25); both draws are taken.
  SeedRandom(1);
  cEffectInst e;
  e.Spawn(1, cRectD{0, 0, 9, 9}, cRectD{30, 40, 49, 59}, 1);
  EXPECT_DOUBLE_EQ(e.m_dX + 16, 20 + 1);
  EXPECT_DOUBLE_EQ(e.m_dY + 16, 25 + 4);
  EXPECT_EQ(RandomRaw(), 6334);
}

TEST_F(EffectInstances, InitStretchesOnlyForAnotherWidth) {
  cEffectInst e;
  e.Init(1, 10, 20, 32, 64, 0);
  EXPECT_EQ(e.m_bStretched, 0);
  e.Init(1, 10, 20, 48, 32, 0);
  EXPECT_EQ(e.m_bStretched, 1);
  EXPECT_DOUBLE_EQ(e.m_dX, 10);
  EXPECT_EQ(e.m_Anim.GetPattern(), 0);
}

TEST_F(EffectInstances, DrawStepsThroughTheStripAndEnds) {
  gfxtest::Library lib(0, 32, 1);
  EffectSurfaces.assign(2, DDSURFACEDATA{});
  insttest::FillCells(&EffectSurfaces[0], 64, 32, 32);
  insttest::FillCells(&EffectSurfaces[1], 64, 32, 32);
  insttest::Surface target(200, 120);
  cEffectInst e;
  e.Init(1, 110.9, 60.2, 32, 32, 0);
  // Frame 0 lasts 6 steps of which Play took one; frame 1 six; then the end.
  std::vector<int> frames;
  int finished = 0, steps = 0;
  while (!finished && steps < 50) {
    finished = e.Draw(target.sd(), 0);
    ++steps;
    if (!finished) frames.push_back(CellOf(target.sd(), 10, 9).first);
  }
  EXPECT_EQ(steps, 12);
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}));
  // Drawn at trunc(110.9 - 100.5), trunc(60.2 - 50.5).
  EXPECT_TRUE(target.Untouched(9, 9));
  EXPECT_TRUE(target.Untouched(10, 8));
  EXPECT_EQ(CellOf(target.sd(), 41, 40).first, 1);

  // Frozen, it neither advances nor ends, unless it runs while frozen.
  cEffectInst f;
  f.Init(1, 0, 0, 32, 32, 0);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(f.Draw(target.sd(), 1), 0);
  f.m_bRunWhileFrozen = 1;
  int n = 1;
  while (!f.Draw(target.sd(), 1) && n < 50) ++n;
  EXPECT_EQ(n, 12);
  for (auto& sd : EffectSurfaces) DDReleaseSurface(&sd);
  EffectSurfaces.clear();
}

TEST_F(EffectInstances, EffectWithoutFramesIsFinished) {
  Database.m_Effects[1].m_EffectFrames.clear();
  cEffectInst e;
  e.Init(1, 0, 0, 32, 32, 0);
  EXPECT_EQ(e.Draw(nullptr, 0), 1);
}

TEST_F(EffectInstances, PicturesCountDownAndStayOnScreenWhenFixed) {
  gfxtest::Library lib(0, 32, 1);
  DDSURFACEDATA pic;
  insttest::FillCells(&pic, 16, 16, 8);
  insttest::Surface target(64, 64);
  cPictureInst p;
  p.Init(1, 110.7, 60.9, 32, 32, 1, 0, 100, 2, 2, 0, 0, 0);
  EXPECT_EQ(p.m_nStoredX, 110 - 100);
  EXPECT_EQ(p.m_nStoredY, 60 - 50);
  world_.m_ScrollX.m_dPos = 0;  // the camera moves; the picture stays
  EXPECT_EQ(p.Draw(target.sd(), &pic, 0), 0);
  // Zoom 100: drawn unstretched although the size differs from the surface's.
  EXPECT_EQ(CellOf(target.sd(), 10, 10), std::make_pair(0, 0));
  EXPECT_EQ(CellOf(target.sd(), 18, 18), std::make_pair(1, 1));
  EXPECT_TRUE(target.Untouched(26, 26));
  EXPECT_EQ(p.Draw(target.sd(), &pic, 1), 0);  // frozen: the time stands
  EXPECT_EQ(p.Draw(target.sd(), &pic, 0), 0);
  EXPECT_EQ(p.Draw(target.sd(), &pic, 0), 1);  // below 0

  cPictureInst z;
  z.Init(1, 100.5, 50.5, 32, 32, 0, 0, 200, 0, 0, 0, 0, 0);
  world_.m_ScrollX.m_dPos = 100.5;
  EXPECT_EQ(z.m_bStretched, 1);
  insttest::Surface t2(64, 64);
  EXPECT_EQ(z.Draw(t2.sd(), &pic, 0), 0);
  EXPECT_EQ(CellOf(t2.sd(), 0, 0), std::make_pair(0, 0));
  EXPECT_EQ(CellOf(t2.sd(), 31, 31), std::make_pair(1, 1));
  DDReleaseSurface(&pic);
}

}  // namespace
