// ctest-label: engine
// Firing: the launch direction, volleys with their increments and random
// deviation, the formations and the objects they create.
#include "engine/shots/Firing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/Text.h"
#include "data/Database.h"
#include "data/FlowCmd.h"
#include "data/Stage.h"
#include "engine/flow/FlowRun.h"
#include "engine/objects/Chara.h"
#include "tests/engine/engine_fixture.h"

namespace {

// The flight angle of a shot in whole degrees (0 left, 90 up).
int FlightAngle(const cShot& s) {
  double a = std::atan2(-s.m_dFlyVY, -s.m_dFlyVX) * 180 / 3.14159265358979323846;
  if (a < 0) a += 360;
  return static_cast<int>(std::lround(a)) % 360;
}

std::vector<int> Angles(const cList<cShot>& shots) {
  std::vector<int> out;
  for (const cShot& s : shots) out.push_back(FlightAngle(s));
  return out;
}

struct FiringTest : ::testing::Test {
  enginetest::World world{60, 40, 1};
  cChara firer;
  cEdShot def;
  cFlowCmd cmd;
  cCmdRun run;
  cList<cShot> shots;

  void SetUp() override {
    world.m_ScrollX.m_dPos = 320.5;
    world.m_ScrollY.m_dPos = 320.75;
    firer.m_nID = 5;
    firer.m_nObjKind = 0;  // its screen rectangle is set here, not recomputed
    firer.m_nPicW = firer.m_nPicH = 32;
    firer.m_nScrLeft = 100;
    firer.m_nScrTop = 150;
    firer.m_nScrRight = 131;
    firer.m_nScrBottom = 181;
    cmd.m_CmdKind = 11;
    run.lpCmd = &cmd;
    def.m_MirrorShotAngle = 0;
    def.m_MirrorOffsetX = 0;
    def.m_ShotSpeed = 40;
  }
  void TearDown() override {
    while (!shots.empty()) RemoveShot(shots, shots.begin());
    // The targets are locals of the tests, gone before the firer.
    for (cCharaBase*& t : firer.m_Targets) t = nullptr;
  }
};

}  // namespace

TEST_F(FiringTest, StraightAColumnIsCentredOnTheFirer) {
  firer.m_bFaceRight = 0;
  def.m_ShotCount = 3;
  def.m_Formation = 0;
  def.m_FormationParam[0] = 1;  // g = 16
  FireShot(shots, &firer, &run, &def);
  ASSERT_EQ(shots.size(), 3u);
  const int x = TruncToInt(320.5 + 100 - 15);
  const int ys[3] = {320 + 150 - 24, 320 + 150 + 8, 320 + 150 + 40};
  int i = 0;
  for (const cShot& s : shots) {
    EXPECT_EQ(s.m_dX, x) << i;
    EXPECT_EQ(s.m_dY, ys[i]) << i;
    EXPECT_DOUBLE_EQ(s.m_dFlyVX, -4) << i;
    EXPECT_EQ(s.m_nID, i);
    ++i;
  }
  EXPECT_EQ(world.m_nNextShotId, 3);
  // The owner holds one link per shot; the target is cleared for straight flight.
  EXPECT_EQ(firer.m_ShotLinks.size(), 3u);
  for (const cShot& s : shots) EXPECT_EQ(s.m_lpTarget, nullptr);
}

TEST_F(FiringTest, SpreadOfFourAroundBackwards) {
  firer.m_bFaceRight = 1;  // forward is 180 degrees
  def.m_ShotCount = 4;
  def.m_Formation = 2;
  def.m_FormationParam[0] = 10;
  FireShot(shots, &firer, &run, &def);
  EXPECT_EQ(Angles(shots), (std::vector<int>{165, 175, 185, 195}));
  // One start point touching the firer's right side.
  for (const cShot& s : shots) EXPECT_EQ(s.m_dX, 320 + 131 + 1);
}

TEST_F(FiringTest, CircleFormationsStepInWholeDegrees) {
  def.m_Formation = 4;
  def.m_ShotDirection = 2;  // left: 0 degrees
  def.m_ShotAngle = 10;
  def.m_ShotCount = 8;
  FireShot(shots, &firer, &run, &def);
  EXPECT_EQ(Angles(shots), (std::vector<int>{10, 55, 100, 145, 190, 235, 280, 325}));
  // All from the firer's centre.
  for (const cShot& s : shots) {
    EXPECT_EQ(s.m_dX, TruncToInt(100 + 16 + 320.5 - 8));
    EXPECT_EQ(s.m_dY, TruncToInt(150 + 16 + 320.75 - 8));
  }
  // 360 / 7 is 51 whole degrees: the ring does not close exactly.
  while (!shots.empty()) RemoveShot(shots, shots.begin());
  def.m_ShotAngle = 0;
  def.m_ShotCount = 7;
  FireShot(shots, &firer, &run, &def);
  EXPECT_EQ(Angles(shots), (std::vector<int>{0, 51, 102, 153, 204, 255, 306}));

  // Surround: the same step, placed on the ring around the centre and flying inwards.
  while (!shots.empty()) RemoveShot(shots, shots.begin());
  def.m_Formation = 5;
  def.m_FormationCentre = 2;  // around the firer
  def.m_FormationParam[0] = 4;  // radius 64
  FireShot(shots, &firer, &run, &def);
  ASSERT_EQ(shots.size(), 7u);
  const cShot& first = shots.front();
  EXPECT_EQ(first.m_dX, TruncToInt(100 + 16 + 320.5 - 8) + 64);
  EXPECT_DOUBLE_EQ(first.m_dFlyVX, -4);
}

TEST_F(FiringTest, ThreeVolleysWithIncrementsAndTheRandomStateAfterThem) {
  def.m_Formation = 4;
  def.m_ShotCount = 1;
  def.m_ShotDirection = 2;
  def.m_Volleys = 2;
  def.m_ShotSpeed = 30;
  def.m_ShotSpeedStep = 10;
  def.m_ShotAngle = 20;
  def.m_ShotAngleStep = 30;
  def.m_AngleJitter = 5;
  SeedRandom(1234);
  int d[4];
  for (int& v : d) v = Random(-5, 5);
  const int after = RandomRaw();
  SeedRandom(1234);
  FireShot(shots, &firer, &run, &def);
  // A deviation is drawn before the first volley and after every volley,
  // the last included: four draws for three volleys.
  EXPECT_EQ(RandomRaw(), after);
  ASSERT_EQ(shots.size(), 3u);
  std::vector<int> expected = {20 + d[0], 50 + d[1], 80 + d[2]};
  EXPECT_EQ(Angles(shots), expected);
  double speeds[3] = {3, 4, 5};
  int i = 0;
  for (const cShot& s : shots) {
    EXPECT_NEAR(std::hypot(s.m_dFlyVX, s.m_dFlyVY), speeds[i], 1e-9) << i;
    EXPECT_EQ(s.m_wSpawnTag, i);
    ++i;
  }
}

TEST_F(FiringTest, MirroredAngleAndLaunchOffsets) {
  firer.m_bFaceRight = 1;
  def.m_Formation = 4;
  def.m_ShotCount = 1;
  def.m_ShotDirection = 2;
  def.m_MirrorShotAngle = 1;
  def.m_ShotAngle = 30;
  def.m_ShotOffsetX = 5;
  def.m_MirrorOffsetX = 1;
  FireShot(shots, &firer, &run, &def);
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(FlightAngle(shots.front()), 330);
  EXPECT_EQ(shots.front().m_dX, TruncToInt(100 + 16 + 320.5 - 8) - 5);
}

TEST_F(FiringTest, BadDataFiresNothing) {
  struct Case {
    const char* what;
    int formation, count, direction, centre, rows;
  };
  const Case cases[] = {
      {"no shots", 0, 0, 0, 0, 1},         {"negative count", 2, -3, 0, 0, 1},
      {"explosion of 0", 4, 0, 0, 0, 1},   {"surround of -1", 5, -1, 0, 2, 1},
      {"direction 13", 0, 3, 13, 0, 1},    {"direction 1x", 2, 3, 200, 0, 1},
      {"empty aim slot", 3, 2, 0, 0, 1},   {"surround, empty slot", 5, 4, 0, 0, 1},
      {"centre value 3", 3, 2, 0, 3, 1},   {"lightning, no rows", 3, 2, 0, 2, 0},
      {"unknown formation", 9, 2, 0, 0, 1},
  };
  for (const Case& c : cases) {
    def.m_Formation = static_cast<uint8_t>(c.formation);
    def.m_ShotCount = static_cast<int8_t>(c.count);
    def.m_ShotDirection = static_cast<uint8_t>(c.direction);
    def.m_FormationCentre = static_cast<uint8_t>(c.centre);
    def.m_FormationParam[1] = static_cast<int16_t>(c.rows);
    FireShot(shots, &firer, &run, &def);
    EXPECT_TRUE(shots.empty()) << c.what;
  }
  def.m_Formation = 2;
  def.m_ShotCount = 1;
  def.m_ShotDirection = 0;
  def.m_FormationTarget = 9;  // an aim slot beyond the four: aims forward
  def.m_AltPlacement = 1;
  FireShot(shots, &firer, &run, &def);
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(FlightAngle(shots.front()), 0);
}

TEST_F(FiringTest, LightningEntersFromTheScreenEdge) {
  cChara centre;
  centre.m_nPicW = centre.m_nPicH = 32;
  centre.m_nScrLeft = 300;
  centre.m_nScrTop = 200;
  firer.m_Targets[1] = &centre;
  def.m_Formation = 3;
  def.m_FormationTarget = 1;
  def.m_ShotCount = 2;        // columns
  def.m_FormationParam[0] = 1;  // gap 16
  def.m_FormationParam[1] = 2;  // rows
  def.m_FormationParam[2] = 2;  // row spacing 32
  def.m_ShotDirection = 3;      // right: enters from the left edge
  FireShot(shots, &firer, &run, &def);
  ASSERT_EQ(shots.size(), 4u);
  std::vector<std::pair<int, int>> at;
  for (const cShot& s : shots) at.emplace_back(TruncToInt(s.m_dX), TruncToInt(s.m_dY));
  // Rows centred on the centre's line: y = 320 + 216 - 8 - (0 + 16) and + 32.
  const int y0 = 320 + 216 - 8 - 16;
  EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{320, y0}, {320, y0 + 32}, {352, y0}, {352, y0 + 32}}));
  firer.m_Targets[1] = nullptr;
}

TEST_F(FiringTest, LightningRowsFromAFileAreHeldAtFifty) {
  cChara centre;
  centre.m_nPicW = centre.m_nPicH = 32;
  centre.m_nScrLeft = 300;
  centre.m_nScrTop = 200;
  firer.m_Targets[1] = &centre;
  def.m_Formation = 3;
  def.m_FormationTarget = 1;
  def.m_ShotCount = 2;  // columns
  def.m_FormationParam[0] = 1;
  def.m_FormationParam[1] = 32767;  // rows
  def.m_FormationParam[2] = 0;
  def.m_ShotDirection = 3;
  FireShot(shots, &firer, &run, &def);
  EXPECT_EQ(shots.size(), 2u * 50u);
  firer.m_Targets[1] = nullptr;
}

TEST_F(FiringTest, TargetLinksForTargetKindsAndSwordsWithoutFrames) {
  cChara target;
  firer.m_Targets[0] = &target;
  def.m_Formation = 4;
  def.m_ShotCount = 2;
  def.m_ShotMove = 6;  // homes on the target
  FireShot(shots, &firer, &run, &def);
  ASSERT_EQ(shots.size(), 2u);
  EXPECT_EQ(target.m_ShotLinks.size(), 2u);
  for (const cShot& s : shots) EXPECT_EQ(s.m_lpTarget, &target);
  while (!shots.empty()) RemoveShot(shots, shots.begin());
  EXPECT_TRUE(target.m_ShotLinks.empty());
  EXPECT_TRUE(firer.m_ShotLinks.empty());

  // A sword whose type is missing or has no frames is not made.
  cmd.m_CmdKind = 12;
  def.m_ShotMove = 0;
  cDatabase saved = Database;
  Database.m_SwordTypes.clear();
  Database.m_SwordTypes.emplace_back();
  Database.m_SwordTypes.back().m_SwordFrames.clear();
  FireShot(shots, &firer, &run, &def);
  EXPECT_TRUE(shots.empty());
  def.m_ShotMove = 4;
  FireShot(shots, &firer, &run, &def);
  EXPECT_TRUE(shots.empty());
  Database = saved;
  firer.m_Targets[0] = nullptr;
}

TEST(ShotDirection, ResolvesByFacingAndRejectsUnknownValues) {
  struct Case {
    int value, right, left;
  };
  const Case cases[] = {{0, 3, 2}, {1, 2, 3}, {4, 7, 6}, {5, 6, 7}, {2, 2, 2}, {11, 11, 11}, {12, 3, 2},
                        {13, 0, 0}, {-1, 0, 0}, {99, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveShotDirection(c.value, 1, 0), c.right) << c.value;
    EXPECT_EQ(ResolveShotDirection(c.value, 0, 0), c.left) << c.value;
  }
  EXPECT_EQ(ResolveShotDirection(12, 1, 5), 8);  // the start key up-left
}
