// ctest-label: engine
// Whole-run goldens of a crowded stage: walking characters of two factions
// between floors and walls, and shots of three sides flying through them
// (piercing and not), run for hundreds of frames with on-screen-only hits
// on and off. Every frame's positions, speeds, hit points, lives and states
// of all characters and shots are chained into one hash, so that a change
// in the order of map or object hits shows as a different value.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "data/EdMove.h"
#include "data/EdShot.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/WorldHash.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"
#include "tests/support/EngineFakes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace heavy_run_golden_test {

namespace {

constexpr int kW = 64, kH = 24;
constexpr int kFrames = 300;

struct Fnv {
  uint64_t h = 1469598103934665603ull;
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  }
  void D(double v) { Bytes(&v, sizeof v); }
  void I(int64_t v) { Bytes(&v, sizeof v); }
};

cFlowCmd Command(int kind, int time, int params) {
  cFlowCmd c;
  c.m_CmdKind = static_cast<int8_t>(kind);
  c.m_Time = static_cast<int16_t>(time);
  c.m_Params.assign(static_cast<size_t>(params), 0);
  return c;
}

// A walk that turns back at walls and ledges, at `speed` tenths of a pixel.
cVector<cFlow> WalkFlow(int speed) {
  cVector<cFlow> flows(1);
  cFlowCmd walk = Command(3, 50, 0);
  walk.m_pMove.reset(new cEdMove);
  nm::move::sSpeed(*walk.m_pMove) = static_cast<int16_t>(speed);
  flows[0].m_Trigger = 0;
  flows[0].m_FlowId = 1;
  flows[0].m_Cmds.push_back(walk);
  return flows;
}

cCharaDef Chara(int role, int col, int row) {
  cCharaDef d;
  d.m_Control = static_cast<int8_t>(role);
  d.m_GfxIndex = 1;
  d.m_Col = static_cast<int16_t>(col);
  d.m_Row = static_cast<int16_t>(row);
  d.m_HeldItem = -1;
  d.m_MaxHp = 3;
  return d;
}

void Block(int col, int row, int hit) {
  cBlockDef b;
  b.m_Col = static_cast<int16_t>(col);
  b.m_Row = static_cast<int16_t>(row);
  b.m_GfxIndex = 1;
  b.m_Hit = static_cast<int8_t>(hit);
  Stage.m_PlacedBlocks.push_back(b);
}

// Floors at rows 7, 15 and 23 with gaps, walls of two blocks on them, and
// 28 characters per floor of factions 1 and 2 walking at several speeds.
void BuildStage(int hitLevel, int onScreenOnly) {
  Stage = cStage();
  Stage.m_Width = kW;
  Stage.m_Height = kH;
  Stage.m_ScrollExtraX = kW * 32;
  Stage.m_ScrollExtraY = kH * 32;
  Stage.m_TimeLimitOn = 0;
  Stage.m_HitLevel = hitLevel;
  nm::stage::OnScreenHitsOnly(Stage) = onScreenOnly;
  cCharaDef hero = Chara(0, 1, 6);
  hero.m_Faction = 0;
  Stage.m_PlacedCharas.push_back(hero);
  for (int f = 0; f < 3; ++f) {
    const int floorRow = 7 + 8 * f;
    for (int c = 0; c < kW; ++c)
      if (c % 29 != 13) Block(c, floorRow, 1);
    for (int wall = 19 + 4 * f; wall < kW; wall += 17) {
      Block(wall, floorRow - 1, 1);
      Block(wall, floorRow - 2, 1);
    }
    for (int i = 0; i < 28; ++i) {
      cCharaDef d = Chara(1, 3 + 2 * i, floorRow - 1);
      d.m_Faction = static_cast<int8_t>(1 + (i % 3 == 2));
      d.m_ActiveRange = 3;
      d.m_Facing = static_cast<int8_t>((i / 2) & 1);
      d.m_MaxHp = 1 + i % 4;
      d.m_Flows = WalkFlow(5 + 7 * (i % 5));
      Stage.m_PlacedCharas.push_back(d);
    }
  }
}

// Shots of factions 0, 1 and 2 in rows that cross the characters, some
// piercing, some without power (harmless touches), at several speeds.
void AddShots(cPlayWorld& w) {
  cCharaBase* owner = &Player[0];
  for (int i = 0; i < 420; ++i) {
    cEdShot def;
    nm::shot::byOwnerFaction(def) = 0;
    nm::shot::byFaction(def) = static_cast<uint8_t>(i % 3);
    nm::shot::nPower(def) = i % 7 == 3 ? 0 : 1;
    nm::shot::PassCharas(def) = i % 5 == 0 ? 1 : 0;
    ShotLaunch launch;
    launch.dVX = ((i & 1) ? 1 : -1) * (0.25 + 0.5 * (i % 4));
    launch.nX = (10 + 4 + (i * 7) % (kW - 8)) * 32 + (i % 32);
    launch.nY = (10 + 7 + 8 * ((i / 3) % 3) - 1 - (i / 9) % 2) * 32 + 8 * (i % 4);
    cShot shot;
    shot.Setup(w.m_nNextShotId++, owner, 11, &def, launch);
    AddShot(w.m_Shots, shot);
  }
}

struct RunHashes {
  uint64_t objects = 0;
  uint64_t world = 0;
  int hitCharas = 0;   // characters that lost hit points or died
  int shotsLeft = 0;   // shots at the end
  int frames = 0;      // frames that ran to their end
};

void HashChara(Fnv& h, const cCharaBase& c) {
  h.I(c.m_nID);
  h.D(c.m_dX);
  h.D(c.m_dY);
  h.D(c.m_dVX);
  h.D(c.m_dVY);
  h.I(c.m_nHp);
  h.I(c.m_nLife);
  h.I(c.m_bDead);
  h.I(c.m_bActive);
  h.I(c.m_nInvincible);
  h.I(c.m_WallL | c.m_WallR << 1 | c.m_WallU << 2 | c.m_WallD << 3);
}

RunHashes RunScene(int hitLevel, int onScreenOnly) {
  const cStage savedStage = Stage;
  const cSystem savedSystem = SystemData;
  const cSaveData savedSave = SaveData;
  SystemData.m_Replay = 0;
  BuildStage(hitLevel, onScreenOnly);
  PlayerInput.assign(1, cInput());
  cPlayWorld world;
  PlayScene = &world;
  world.SetSceneState(2, 0);
  SetStage(&world, 0, 0);
  AddShots(world);
  Fnv objects, chain;
  RunHashes out;
  for (int f = 0; f < kFrames; ++f) {
    const PlayFrameResult r = PlayFrame(&world);
    objects.I(r);
    HashChara(objects, Player[0]);
    for (const cChara& c : CharaList) HashChara(objects, c);
    for (const cShot& s : world.m_Shots) {
      objects.I(s.m_nID);
      objects.D(s.m_dX);
      objects.D(s.m_dY);
      objects.D(s.m_dVX);
      objects.D(s.m_dVY);
      objects.I(s.m_nLifeLeft);
      objects.I(static_cast<int64_t>(s.m_HitList.size()));
    }
    chain.I(static_cast<int64_t>(WorldHash(world)));
    if (r != kFrameDone) break;
    ++out.frames;
  }
  for (const cChara& c : CharaList)
    if (c.m_bDead || c.m_nHp < nm::chara::MaxHp(c.m_Def)) ++out.hitCharas;
  out.objects = objects.h;
  out.world = chain.h;
  out.shotsLeft = static_cast<int>(world.m_Shots.size());
  testsupport::ReleaseRunningWorld();
  Stage = savedStage;
  SystemData = savedSystem;
  SaveData = savedSave;
  return out;
}

struct GoldenCase {
  int hitLevel;
  int onScreenOnly;
  uint64_t objects;
  uint64_t world;
};

class HeavyRunGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(HeavyRunGolden, EveryFrameOfTheRunHashesAsRecorded) {
  const GoldenCase& g = GetParam();
  const RunHashes h = RunScene(g.hitLevel, g.onScreenOnly);
  // The scene is only a golden of the hits if shots hit and some fly on.
  EXPECT_EQ(h.frames, kFrames);
  EXPECT_GT(h.hitCharas, 0);
  EXPECT_GT(h.shotsLeft, 0);
  EXPECT_EQ(h.objects, g.objects) << std::hex << h.objects;
  EXPECT_EQ(h.world, g.world) << std::hex << h.world;
}

INSTANTIATE_TEST_SUITE_P(Scenes, HeavyRunGolden,
                         testing::Values(GoldenCase{10, 0, 0x510c3819d9bc1c40ull, 0x8b263db069fb0652ull},
                                         GoldenCase{10, 1, 0xbe9c9ad6737963f8ull, 0xfeb10e982c16b969ull},
                                         GoldenCase{3, 0, 0x3b5416852450d308ull, 0x84a9db1e9572d2f3ull},
                                         GoldenCase{1, 1, 0x3259659561691cd5ull, 0xe5e93de7d8e3a5aeull}));

}  // namespace

}  // namespace heavy_run_golden_test
