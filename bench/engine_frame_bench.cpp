// One heavy frame of the play engine, stepped headless: a stage built in code
// with 2,000 characters that walk and run two flows each, 4,000 shots in the
// air and n = 10 sub-steps per frame. Reported: the time of one frame (goal:
// within 1.6 ms on one core, a tenth of a frame at 60 frames per second),
// the counts of characters and shots the frames ran with, and the process's
// peak resident memory.
//
// The world is rebuilt (outside the timing) every kFramesPerWorld frames so
// that the shots, which drift slowly, stay where they were put.
//
// BM_FrameSeries varies the characters per floor, the shots and their side
// (the characters' own side, or the hero's side, whose shots are tested
// against every character) so that growth can be read off one run;
// bench/frame_instructions.sh counts each case's instructions per frame
// under callgrind.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>

#include "base/Text.h"
#include "data/EdMove.h"
#include "data/EdShot.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"

namespace {

constexpr int kW = 252, kH = 40;
constexpr int kFloors = 8;           // floors at rows 4, 9, ..., 39
constexpr int kCharasPerFloor = 250;  // columns 1..250 above every floor
constexpr int kShots = 4000;
constexpr int kFramesPerWorld = 200;
constexpr int kHitLevel = 10;  // n = 10

cFlowCmd Command(int kind, int time, int params) {
  cFlowCmd c;
  c.m_CmdKind = static_cast<int8_t>(kind);
  c.m_Time = static_cast<int16_t>(time);
  c.m_Params.assign(static_cast<size_t>(params), 0);
  return c;
}

// Two flows run all the time: a walk that turns back at walls and ledges,
// and a short wait followed by a (silent) sound command.
cVector<cFlow> Flows() {
  cVector<cFlow> flows(2);
  cFlowCmd walk = Command(3, 50, 0);
  walk.m_pMove.reset(new cEdMove);
  nm::move::sSpeed(*walk.m_pMove) = 10;  // one pixel per frame
  flows[0].m_Trigger = 0;
  flows[0].m_FlowId = 1;
  flows[0].m_Cmds.push_back(walk);
  flows[1].m_Trigger = 0;
  flows[1].m_FlowId = 2;
  flows[1].m_Cmds.push_back(Command(1, 3, 0));
  flows[1].m_Cmds.push_back(Command(35, 0, 1));
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

void BuildStage(int charasPerFloor) {
  Stage = cStage();
  Stage.m_Width = kW;
  Stage.m_Height = kH;
  Stage.m_ScrollExtraX = kW * 32;
  Stage.m_ScrollExtraY = kH * 32;
  Stage.m_TimeLimitOn = 0;
  Stage.m_HitLevel = kHitLevel;
  cCharaDef hero = Chara(0, 1, 3);
  hero.m_Faction = 0;
  Stage.m_PlacedCharas.push_back(hero);
  const cVector<cFlow> flows = Flows();
  for (int f = 0; f < kFloors; ++f) {
    const int floorRow = 4 + 5 * f;
    for (int c = 0; c < kW; ++c) {
      cBlockDef b;
      b.m_Col = static_cast<int16_t>(c);
      b.m_Row = static_cast<int16_t>(floorRow);
      b.m_GfxIndex = 1;
      b.m_Hit = 1;
      Stage.m_PlacedBlocks.push_back(b);
    }
    for (int i = 0; i < charasPerFloor; ++i) {
      cCharaDef d = Chara(1, 1 + i, floorRow - 1);
      d.m_Faction = 1;
      d.m_ActiveRange = 3;  // active everywhere, on screen or not
      d.m_Facing = static_cast<int8_t>(i & 1);
      d.m_Flows = flows;
      Stage.m_PlacedCharas.push_back(d);
    }
  }
}

// Shots of faction `side` (1: the characters' own), drifting left or right
// in the free rows between the floors, away from the hero and touching no
// character.
void AddShots(cPlayWorld& w, int count, int side) {
  cEdShot def;
  nm::shot::byOwnerFaction(def) = 0;
  nm::shot::byFaction(def) = static_cast<uint8_t>(side);
  cCharaBase* owner = CharaList.empty() ? static_cast<cCharaBase*>(&Player[0]) : &CharaList.back();
  for (int i = 0; i < count; ++i) {
    ShotLaunch launch;
    launch.dVX = (i & 1) ? 0.5 : -0.5;
    launch.nX = (10 + 10 + (i % 230)) * 32 + 8;
    launch.nY = (10 + 5 * ((i / 230) % kFloors) + 1 + (i / (230 * kFloors)) % 2) * 32;
    cShot shot;
    shot.Setup(w.m_nNextShotId++, owner, 11, &def, launch);
    AddShot(w.m_Shots, shot);
  }
}

void NewWorld(cPlayWorld& w, int shots, int side) {
  SetStage(&w, 0, 0);
  AddShots(w, shots, side);
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Arguments: characters per floor, shots, side of the shots.
void RunFrames(benchmark::State& state) {
  const int charasPerFloor = static_cast<int>(state.range(0));
  const int shotCount = static_cast<int>(state.range(1));
  const int side = static_cast<int>(state.range(2));
  SystemData.m_Replay = 0;
  BuildStage(charasPerFloor);
  PlayerInput.assign(1, cInput());
  cPlayWorld world;
  PlayScene = &world;
  world.SetSceneState(2, 0);
  NewWorld(world, shotCount, side);
  int frame = 0;
  double charas = 0, shots = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    if (frame == kFramesPerWorld) {
      state.PauseTiming();
      NewWorld(world, shotCount, side);
      frame = 0;
      state.ResumeTiming();
    }
    PlayFrameResult r = PlayFrame(&world);
    ++frame;
    if (r != kFrameDone) {
      state.SkipWithError("the frame did not run to its end");
      break;
    }
    charas += static_cast<double>(CharaList.size());
    shots += static_cast<double>(world.m_Shots.size());
    ++frames;
  }
  state.counters["charas"] = frames ? charas / static_cast<double>(frames) : 0;
  state.counters["shots"] = frames ? shots / static_cast<double>(frames) : 0;
  state.counters["substeps"] = nm::stage::SubSteps(Stage);
  state.counters["peak_rss_MB"] = static_cast<double>(PeakRssKb()) / 1024.0;
  PlayScene = nullptr;
  Player.clear();
  CharaList.clear();
  ItemList.clear();
  BlockMap.clear();
}
// BRINDLE_FRAME_ITERATIONS=N runs every case for exactly N frames (for
// counting instructions) instead of for a minimum time.
benchmark::internal::Benchmark* Duration(benchmark::internal::Benchmark* b, double minTime) {
  const char* n = std::getenv("BRINDLE_FRAME_ITERATIONS");
  if (n && std::atoi(n) > 0) return b->Iterations(std::atoi(n));
  return b->MinTime(minTime);
}

void BM_HeavyFrame(benchmark::State& state) { RunFrames(state); }
BENCHMARK(BM_HeavyFrame)->Apply([](benchmark::internal::Benchmark* b) {
  Duration(b->Args({kCharasPerFloor, kShots, 1})->Unit(benchmark::kMillisecond), 3.0);
});

void BM_FrameSeries(benchmark::State& state) { RunFrames(state); }
BENCHMARK(BM_FrameSeries)
    ->ArgNames({"charas_per_floor", "shots", "side"})
    ->Args({0, 0, 1})
    ->Args({125, 0, 1})
    ->Args({250, 0, 1})
    ->Args({250, 2000, 1})
    ->Args({250, 4000, 1})
    ->Args({250, 2000, 0})
    ->Args({250, 4000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Apply([](benchmark::internal::Benchmark* b) { Duration(b, 1.0); });

}  // namespace
