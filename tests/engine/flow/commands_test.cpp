// ctest-label: engine
// Command dispatch, the duration and periodic rules, movement directions,
// flow control, stage clear, game wait and messages.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "data/CommandTables.h"
#include "data/Database.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/WorldMap.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/rules/Rules.h"
#include "engine/flow/CommandSupport.h"
#include "engine/flow/Commands.h"
#include "engine/flow/FlowUpdate.h"
#include "engine/flow/Triggers.h"
#include "engine/flow/ControlCommands.h"
#include "engine/flow/MoveCommands.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"
#include "tests/support/EngineFakes.h"

namespace {

class Commands : public ::testing::Test {
 protected:
  testsupport::FakeEngineServices fake;
  cPlayWorld world;
  cChara chara;
  int savedSubSteps = 0;

  void SetUp() override {
    PlayScene = &world;
    savedSubSteps = nm::stage::SubSteps(Stage);
    SetSubSteps(1);
    chara.m_FlowIdBusy.assign(27, 0);
    chara.m_FlowIdStopped.assign(27, 0);
    chara.m_FlowIdStarted.assign(27, 0);
    chara.m_nID = 7;
    Player.resize(1);
    Player[0].m_nID = 1;
  }
  void TearDown() override {
    SetSubSteps(savedSubSteps);
    Player.clear();
    PlayScene = nullptr;
  }
  static void SetSubSteps(int n) { nm::stage::SubSteps(Stage) = n; }

  static cFlowCmd MakeCmd(int kind, int time = 0) {
    cFlowCmd c;
    c.m_CmdKind = static_cast<int8_t>(kind);
    c.m_Params.assign(static_cast<size_t>(CmdParamCount(0, kind)), 0);
    c.m_Time = static_cast<int16_t>(time);
    c.m_CmdOption = 0;
    return c;
  }
  // Builds one flow of the given commands through the character's own flow build.
  cFlowRun& Build(const std::vector<cFlowCmd>& cmds, int id = 0) {
    cVector<cFlow> flows(1);
    flows[0].m_FlowId = static_cast<int8_t>(id);
    for (const cFlowCmd& c : cmds) flows[0].m_Cmds.push_back(c);
    chara.AddFlows(flows, 0, 0);
    return chara.m_FlowRuns[0];
  }
  // Runs a command from its start to its end: the number of calls, and the
  // calls (1-based) at which a sound was requested.
  int RunToEnd(cCmdRun& run, std::vector<int>* soundCalls = nullptr) {
    run.Reset();
    int calls = 0;
    for (;;) {
      const size_t before = fake.calls().size();
      ++calls;
      const int done = run.Execute(&chara);
      if (soundCalls && fake.calls().size() > before) soundCalls->push_back(calls);
      if (done || calls > 10000) return calls;
    }
  }
  // The calls without the close requests of message surfaces that a
  // headless run cannot make.
  std::vector<std::string> Calls() const {
    std::vector<std::string> out;
    for (const std::string& c : fake.calls())
      if (c != "close") out.push_back(c);
    return out;
  }
  int Count(const std::string& line) const {
    int k = 0;
    for (const std::string& c : fake.calls()) k += c == line ? 1 : 0;
    return k;
  }
};

// ------------------------------------------------------------------ dispatch

TEST_F(Commands, DurationIsTimeTimesSixTimesSubStepsAndAtLeastOneCall) {
  for (int n : {1, 2, 3}) {
    for (int time : {0, 1, 2}) {
      SetSubSteps(n);
      cFlowRun& r = Build({MakeCmd(1, time)});
      const int expected = time == 0 ? 1 : time * 6 * n;
      EXPECT_EQ(RunToEnd(r.CmdRuns[0]), expected) << "n=" << n << " time=" << time;
    }
  }
}

TEST_F(Commands, ShotActsOnFirstCallThenEveryTenthOfASecond) {
  SetSubSteps(2);
  cFlowCmd shot = MakeCmd(11, 2);
  shot.m_pShot.reset(new cEdShot);
  shot.m_CmdSound = 5;
  cFlowRun& r = Build({shot});
  std::vector<int> at;
  EXPECT_EQ(RunToEnd(r.CmdRuns[0], &at), 24);
  EXPECT_EQ(at, (std::vector<int>{1, 13}));
  EXPECT_EQ(Count("sound 21"), 2);  // database sound n is slot n + 16

  // Only while on screen: a character outside the view acts silently.
  fake.ClearCalls();
  r.CmdRuns[0].lpCmd->m_CmdOption = 1;
  chara.m_bOnScreen = 0;
  RunToEnd(r.CmdRuns[0]);
  EXPECT_TRUE(fake.calls().empty());
}

TEST_F(Commands, BrokenCommandsDoNothing) {
  cFlowCmd outside = MakeCmd(1);
  outside.m_CmdKind = 45;
  cFlowCmd negative = MakeCmd(1);
  negative.m_CmdKind = -3;
  cFlowCmd noShot = MakeCmd(11, 1);
  noShot.m_CmdSound = 5;
  cFlowCmd noMove = MakeCmd(2, 1);
  cFlowCmd shortParams = MakeCmd(18);
  shortParams.m_Params.clear();  // never validated
  for (cFlowCmd* c : {&outside, &negative, &noShot, &noMove}) {
    cCmdRun run;
    run.lpCmd = c;
    run.nFrames = 1;
    RunToEnd(run);
  }
  EXPECT_TRUE(fake.calls().empty());
  EXPECT_EQ(chara.m_dVX, 0);
  cCmdRun run;
  run.lpCmd = &shortParams;
  run.nFrames = 1;
  RunToEnd(run);
  EXPECT_EQ(shortParams.m_Params.size(), 1u);  // sized to its kind, the missing one 0
  EXPECT_EQ(fake.calls(), (std::vector<std::string>{"modal 0 0 0"}));
}

TEST_F(Commands, ItemKindRunsTheCharacterKindFifteenHigher) {
  cFlowCmd wait = MakeCmd(18);
  wait.m_CmdSet = 1;
  wait.m_CmdKind = 3;  // item kind 3 = game wait
  wait.m_Params.assign(1, 1);
  cCmdRun run;
  run.lpCmd = &wait;
  ExecCmd(&chara, &run);
  EXPECT_EQ(fake.calls(), (std::vector<std::string>{"modal 0 0 6"}));
}

TEST_F(Commands, ItemKindsTwoToFourRunTheirCharacterBodiesInAList) {
  const cSaveData savedSave = SaveData;
  Player[0].m_nHp = 10;
  // 2: stage clear ends the list with 1; the command after it never runs.
  cFlowCmd clear = MakeCmd(17);
  clear.m_CmdSet = 1;
  clear.m_CmdKind = 2;
  clear.m_Params[0] = 1;  // to part 7
  clear.m_Params[1] = 7;
  cFlowCmd sound = MakeCmd(35);
  sound.m_CmdSet = 1;
  sound.m_CmdKind = 20;
  sound.m_Params[0] = 5;
  cVector<cFlowCmd> cleared{clear, sound};
  EXPECT_EQ(RunItemCommands(&Player[0], cleared), 1);
  EXPECT_EQ(world.m_nClearDest, 7);
  EXPECT_TRUE(fake.calls().empty());

  // 3: game wait freezes for parameter 0 tenths; the list goes on.
  cFlowCmd wait = MakeCmd(18);
  wait.m_CmdSet = 1;
  wait.m_CmdKind = 3;
  wait.m_Params[0] = 2;
  cVector<cFlowCmd> waiting{wait, sound};
  EXPECT_EQ(RunItemCommands(&Player[0], waiting), 0);
  EXPECT_EQ(fake.calls(), (std::vector<std::string>{"modal 0 0 12", "sound 21"}));

  // 4: messages; the second of one list opens chained (no sound, no key
  // delay), and the next list starts unchained again.
  fake.ClearCalls();
  cFlowCmd message = MakeCmd(19);
  message.m_CmdSet = 1;
  message.m_CmdKind = 4;
  message.m_Text = "A";
  message.m_Params[8] = 1;  // stop the game until a key
  std::vector<int> delays;
  fake.onModalWait = [&] { delays.push_back(world.m_ModalWait.nKeyDelay); };
  cVector<cFlowCmd> messages{message, message};
  EXPECT_EQ(RunItemCommands(&Player[0], messages), 0);
  cVector<cFlowCmd> again{message};
  EXPECT_EQ(RunItemCommands(&Player[0], again), 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"sound 11", "modal 1 1 0", "modal 1 1 0", "sound 11", "modal 1 1 0"}));
  EXPECT_EQ(delays, (std::vector<int>{10, 0, 10}));
  EXPECT_TRUE(world.m_Messages.empty());
  SaveData = savedSave;
}

TEST_F(Commands, SwordIsMadeOncePerActivation) {
  const auto savedTypes = Database.m_SwordTypes;
  Database.m_SwordTypes.resize(1);
  Database.m_SwordTypes[0].m_SwordFrames.resize(1);
  cFlowCmd sword = MakeCmd(12, 3);
  sword.m_pShot.reset(new cEdShot);
  sword.m_CmdSound = 2;
  cFlowRun& r = Build({sword});
  std::vector<int> at;
  RunToEnd(r.CmdRuns[0], &at);
  EXPECT_EQ(at, (std::vector<int>{1}));
  ASSERT_EQ(world.m_Shots.size(), 1u);
  EXPECT_EQ(world.m_nNextShotId, 1);
  ASSERT_EQ(chara.m_ShotLinks.size(), 1u);
  EXPECT_EQ(chara.m_ShotLinks[0].nKind, 4);
  EXPECT_EQ(chara.m_ShotLinks[0].lpShot, &world.m_Shots.back());

  RunToEnd(r.CmdRuns[0]);  // the command starts again: a new sword
  EXPECT_EQ(world.m_Shots.size(), 2u);

  // A sword type that does not exist makes nothing.
  r.CmdRuns[0].lpCmd->m_pShot->m_ShotMove = 9;
  RunToEnd(r.CmdRuns[0]);
  EXPECT_EQ(world.m_Shots.size(), 2u);
  chara.m_ShotLinks.clear();
  Database.m_SwordTypes = savedTypes;
}

// ------------------------------------------------------------------ movement

TEST_F(Commands, ConvertDirectionFollowsTheReplayDataVersion) {
  const uint32_t saved = Replay.m_DataVersion;
  struct Case {
    int gameType;
    uint32_t version;
    int unclearArg;
    int index;
    int expected;
  } cases[] = {
      {0, 0, 1, 9, 0},   {0, 0, 0, 9, 2},   {0, 0, 1, 0, 2},  {0, 0, 0, 5, 8},  {0, 0, 1, 8, 11},
      {3, 777, 0, 9, 0}, {3, 777, 1, 0, 2}, {3, 778, 1, 9, 2}, {3, 779, 1, 9, 2}, {3, 780, 1, 9, 0},
      {3, 780, 0, 9, 2}, {3, 778, 0, 3, 6},
  };
  for (const Case& c : cases) {
    fake.gameType = c.gameType;
    Replay.m_DataVersion = c.version;
    EXPECT_EQ(ConvertDirection(c.index, c.unclearArg, 0), c.expected)
        << "type " << c.gameType << " version " << c.version << " index " << c.index;
  }
  EXPECT_EQ(ConvertDirection(0, 1, 1), 3);
  Replay.m_DataVersion = saved;
}

TEST_F(Commands, DirectionTableOverKindFacingAndFlight) {
  // Expected signs of vx, vy and the facing request, per kind, for
  // (facing left, walking), (left, flying), (right, walking), (right, flying).
  struct Row {
    int sx, sy, req;
  };
  const Row rows[13][4] = {
      {{-1, 0, 1}, {-1, 0, 1}, {1, 0, 2}, {1, 0, 2}},     // 前
      {{1, 0, 2}, {1, 0, 2}, {-1, 0, 1}, {-1, 0, 1}},     // 後
      {{-1, 0, 1}, {-1, 0, 1}, {-1, 0, 1}, {-1, 0, 1}},   // 左
      {{1, 0, 2}, {1, 0, 2}, {1, 0, 2}, {1, 0, 2}},       // 右
      {{0, 0, 0}, {0, -1, 0}, {0, 0, 0}, {0, 1, 0}},      // 前Y
      {{0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, -1, 0}},      // 後Y
      {{0, 0, 0}, {0, -1, 0}, {0, 0, 0}, {0, -1, 0}},     // 上
      {{0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}},       // 下
      {{-1, 0, 1}, {-1, -1, 1}, {-1, 0, 1}, {-1, -1, 1}}, // 左上
      {{-1, 0, 1}, {-1, 1, 1}, {-1, 0, 1}, {-1, 1, 1}},   // 左下 (vy dropped by the command for walkers)
      {{1, 0, 2}, {1, -1, 2}, {1, 0, 2}, {1, -1, 2}},     // 右上
      {{1, 0, 2}, {1, 1, 2}, {1, 0, 2}, {1, 1, 2}},       // 右下
      {{-1, 0, 1}, {-1, 0, 1}, {1, 0, 2}, {1, 0, 2}},     // 入力方向, stick neutral
  };
  cFlowRun flowRun;  // start direction 0: neutral
  world.m_pCurFlowRun = &flowRun;
  chara.m_Def.m_FixedFacing = 0;
  auto sign = [](double v) { return v > 1e-12 ? 1 : v < -1e-12 ? -1 : 0; };
  for (int kind = 0; kind < 13; ++kind) {
    for (int col = 0; col < 4; ++col) {
      chara.m_bFaceRight = col >= 2 ? 1 : 0;
      chara.m_bFly = col % 2;
      cCmdRun run;
      SetMoveVelocity(&chara, &run, 2.0, kind);
      double vy = run.dMoveVY;
      if (!chara.m_bFly) vy = 0;  // a walking character's vertical part is dropped
      const Row& e = rows[kind][col];
      EXPECT_EQ(sign(run.dMoveVX), e.sx) << "kind " << kind << " col " << col;
      EXPECT_EQ(sign(vy), e.sy) << "kind " << kind << " col " << col;
      EXPECT_EQ(run.nFaceReq, e.req) << "kind " << kind << " col " << col;
    }
  }
  // Left and right held together (index 9): no move at all.
  flowRun.nStartDir = 9;
  cCmdRun run;
  SetMoveVelocity(&chara, &run, 2.0, 12);
  EXPECT_EQ(run.dMoveVX, 0);
  EXPECT_EQ(run.dMoveVY, 0);
  world.m_pCurFlowRun = nullptr;
}

TEST_F(Commands, StraightMoveToATargetEndsOnArrival) {
  cFlowCmd move = MakeCmd(2, 100);
  move.m_pMove.reset(new cEdMove);
  cEdMove& mv = *move.m_pMove;
  nm::move::byMode(mv) = 1;
  nm::move::byPosMode(mv) = 1;  // relative to the current position
  nm::move::bUseX(mv) = 1;
  nm::move::sTargetXDot(mv) = 10;
  nm::move::sSpeed(mv) = 30;  // 3 pixels per frame
  nm::move::bArrive(mv) = 1;
  chara.m_bFly = 1;
  chara.m_Def.m_FixedFacing = 0;
  cFlowRun& r = Build({move});
  EXPECT_EQ(RunToEnd(r.CmdRuns[0]), 3);  // floor(10 / 3)
  EXPECT_DOUBLE_EQ(chara.m_dVX, 9.0);
  EXPECT_EQ(chara.m_bFaceRight, 1);
}

TEST_F(Commands, TurnWaitsForAnEmptyTargetSlot) {
  chara.m_Def.m_FixedFacing = 1;
  cFlowCmd turn = MakeCmd(9, 1);
  turn.m_Params[0] = 2;  // face target 1
  cCmdRun run;
  run.lpCmd = &turn;
  run.Reset();
  chara.m_bFaceRight = 1;
  ExecCmd(&chara, &run);
  EXPECT_EQ(run.nTick, 0);  // tries again next sub-step
  cChara other;
  other.m_dX = -100;
  other.m_dRight = -90;
  chara.m_Targets[0] = &other;
  ExecCmd(&chara, &run);
  EXPECT_EQ(chara.m_bFaceRight, 0);
  EXPECT_EQ(run.nTick, 1);
  chara.m_Targets[0] = nullptr;

  chara.m_Def.m_FixedFacing = 0;  // off: the command does nothing
  turn.m_Params[0] = 1;
  run.Reset();
  ExecCmd(&chara, &run);
  EXPECT_EQ(chara.m_bFaceRight, 0);
}

TEST_F(Commands, HomingAimsWhereTheTargetWasOneDelayEarlier) {
  // A flying character chases a target that starts to its right and jumps
  // to its left after the first call. Sluggishness s tenths at n = 2 gives a
  // delay of 2s sub-steps: the move re-aims every 2s calls at the point the
  // target had 2s calls before (0: every call at the current point).
  struct Case {
    int slow;
    int firstLeftCall;  // the first call that heads left
  } cases[] = {{0, 2}, {3, 13}, {1, 5}};
  SetSubSteps(2);
  for (const Case& c : cases) {
    cFlowCmd move = MakeCmd(6, 100);
    move.m_pMove.reset(new cEdMove);
    cEdMove& mv = *move.m_pMove;
    nm::move::byTarget(mv) = 0;
    nm::move::sSpeed(mv) = 20;
    nm::move::sSlow(mv) = static_cast<int16_t>(c.slow);
    chara.m_bFly = 1;
    chara.m_nScrLeft = 300;
    chara.m_nScrTop = 200;
    chara.m_nPicW = chara.m_nPicH = 32;
    cChara target;
    target.m_nScrLeft = 500;
    target.m_nScrTop = 200;
    target.m_nPicW = target.m_nPicH = 32;
    chara.m_Targets[0] = &target;
    cFlowRun& r = Build({move});
    cCmdRun& run = r.CmdRuns[0];
    EXPECT_EQ(run.nRadius, 2 * c.slow);
    run.Reset();
    int firstLeft = -1;
    for (int call = 1; call <= 20; ++call) {
      if (call == 2) target.m_nScrLeft = 100;
      run.Execute(&chara);
      if (call == 1) {
        EXPECT_GT(run.dMoveVX, 0) << "slow " << c.slow;
      }
      if (firstLeft < 0 && run.dMoveVX < 0) firstLeft = call;
    }
    EXPECT_EQ(firstLeft, c.firstLeftCall) << "slow " << c.slow;
    chara.m_Targets[0] = nullptr;
    chara.m_FlowRuns.clear();
  }
}

TEST_F(Commands, HomingWithoutALivingTargetNeitherMovesNorCounts) {
  cFlowCmd move = MakeCmd(6, 10);
  move.m_pMove.reset(new cEdMove);
  nm::move::sSpeed(*move.m_pMove) = 20;
  chara.m_bFly = 1;
  cFlowRun& r = Build({move});
  cCmdRun& run = r.CmdRuns[0];
  run.Reset();
  run.Execute(&chara);
  cChara dead;
  dead.m_bDead = 1;
  chara.m_Targets[0] = &dead;
  run.Execute(&chara);
  EXPECT_EQ(run.nTick, 0);
  EXPECT_EQ(chara.m_dVX, 0);
  EXPECT_EQ(chara.m_dVY, 0);
  chara.m_Targets[0] = nullptr;
}

TEST_F(Commands, LoopBeforeAWaitRepeatsTheWaitAndWhatFollowsIt) {
  // [loop 3 x 2, wait 1 tenth, sound 5, sound 6]: the loop leaves no command
  // behind; at n = 1 the body's wait lasts 6 sub-steps and the first sound
  // one, so the first sound plays at steps 7, 14 and 21, then the second.
  cFlowCmd loop = MakeCmd(39);
  loop.m_Params = {3, 2};
  cFlowCmd sound = MakeCmd(35);
  sound.m_Params[0] = 5;
  cFlowCmd last = MakeCmd(35);
  last.m_Params[0] = 6;
  chara.m_nHp = 10;
  cFlowRun& r = Build({loop, MakeCmd(1, 1), sound, last});
  ASSERT_EQ(r.CmdRuns.size(), 7u);
  for (const cCmdRun& c : r.CmdRuns) EXPECT_NE(c.lpCmd->m_CmdKind, 39);
  r.Start(&chara);
  std::vector<int> steps;
  for (int step = 1; step <= 30 && r.bRunning; ++step) {
    const size_t before = fake.calls().size();
    ClearFlowTriggers(&chara);
    BeginFlowUpdate(&chara);
    RunFlowUpdate(&chara, 0);
    for (size_t i = before; i < fake.calls().size(); ++i)
      if (fake.calls()[i] == "sound 21" || fake.calls()[i] == "sound 22") steps.push_back(step);
  }
  EXPECT_EQ(steps, (std::vector<int>{7, 14, 21, 22}));
  EXPECT_EQ(Count("sound 22"), 1);
  EXPECT_EQ(r.bRunning, 0);
}

// ------------------------------------------------------------------ flow control

TEST_F(Commands, FlowControlEndsTheCurrentFlowAndDeletesByIdOnAnother) {
  cFlowCmd end = MakeCmd(16);
  end.m_Params = {1, 0, 0, 0};  // 終了, this flow
  cFlowRun& r = Build({end});
  r.Start(&chara);
  world.m_pCurFlowRun = &r;
  ExecCmd(&chara, &r.CmdRuns[0]);
  EXPECT_EQ(r.bBreak, 1);
  EXPECT_EQ(r.bRunning, 0);

  // Two flows with ID 3 on another character go at once.
  cChara other;
  other.m_FlowIdBusy.assign(27, 0);
  other.m_FlowIdStopped.assign(27, 0);
  other.m_FlowIdStarted.assign(27, 0);
  cVector<cFlow> flows(3);
  flows[0].m_FlowId = 3;
  flows[1].m_FlowId = 4;
  flows[2].m_FlowId = 3;
  other.AddFlows(flows, 0, 0);
  chara.m_Targets[1] = &other;
  cFlowCmd del = MakeCmd(16);
  del.m_Params = {4, 2, 3, 2};  // 削除, by ID 3, owner target 2
  cCmdRun run;
  run.lpCmd = &del;
  ExecCmd(&chara, &run);
  ASSERT_EQ(other.m_FlowRuns.size(), 1u);
  EXPECT_EQ(nm::flow::FlowId(*other.m_FlowRuns[0].lpFlow), 4);

  // On the executing character: marked, erased at the end of the update.
  cFlowCmd selfDel = MakeCmd(16);
  selfDel.m_Params = {4, 2, 0, 0};
  selfDel.m_Params[2] = 0;
  run.lpCmd = &selfDel;
  cFlowCmd mark = MakeCmd(16);
  mark.m_Params = {4, 2, 5, 0};
  cFlowRun& mine = Build({MakeCmd(1)}, 5);
  run.lpCmd = &mark;
  ExecCmd(&chara, &run);
  EXPECT_EQ(mine.bDelete, 1);
  EXPECT_EQ(chara.m_bRemovePending, 1);
  EXPECT_EQ(chara.m_FlowRuns.size(), 1u);

  // An empty target slot: nothing.
  chara.m_Targets[1] = nullptr;
  chara.m_bRemovePending = 0;
  run.lpCmd = &del;
  ExecCmd(&chara, &run);
  EXPECT_EQ(chara.m_bRemovePending, 0);
  world.m_pCurFlowRun = nullptr;
}

// ------------------------------------------------------------------ stage clear

TEST_F(Commands, StageClearPaths) {
  const cSaveData savedSave = SaveData;
  const int savedW = WorldMap.m_Width, savedH = WorldMap.m_Height;
  nm::save::nPart(SaveData) = 4;
  WorldMap.m_Width = 5;
  WorldMap.m_Height = 3;

  cFlowCmd c = MakeCmd(17);
  c.m_Params[0] = 2;
  c.m_Text = "st2.stg4_003";
  cCmdRun run;
  run.lpCmd = &c;
  ExecCmd(&chara, &run);
  EXPECT_EQ(world.m_nClearResult, 1);
  EXPECT_EQ(world.m_NextStageName, "st2.");
  EXPECT_EQ(c.m_Text, "st2.");
  EXPECT_EQ(world.m_nClearDest, 4);

  c.m_Text.clear();
  world.m_NextStageName = "old";
  ExecCmd(&chara, &run);
  ASSERT_EQ(fake.calls().size(), 1u);
  // "エラー|ステージファイル  が不正です。\nステージファイルとして認識できません。" (CP932)
  EXPECT_EQ(fake.calls()[0],
            "error \x83\x47\x83\x89\x81\x5B|"
            "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B  "
            "\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42\n"
            "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B"
            "\x82\xC6\x82\xB5\x82\xC4\x94\x46\x8E\xAF\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42");
  EXPECT_EQ(world.m_NextStageName, "");
  EXPECT_EQ(world.m_nClearDest, 4);

  // Next part, map position clamped into the map (and not below 0), start override.
  c.m_Params = {0, 0, 1, 9, -2, 1, 12, 3, 2};
  Player[0].m_bFaceRight = 1;
  ExecCmd(&chara, &run);
  EXPECT_EQ(world.m_nClearDest, 5);
  EXPECT_EQ(nm::save::nMapX(SaveData), 4);
  EXPECT_EQ(nm::save::nMapY(SaveData), 0);
  EXPECT_EQ(nm::save::bStartOverride(SaveData), 1);
  EXPECT_EQ(nm::save::nStartX(SaveData), 12);
  EXPECT_EQ(nm::save::nStartY(SaveData), 3);
  EXPECT_EQ(nm::save::nStartFacing(SaveData), 1);

  c.m_Params = {1, 7, 0, 0, 0, 0, 0, 0, 0};
  ExecCmd(&chara, &run);
  EXPECT_EQ(world.m_nClearDest, 7);
  EXPECT_EQ(nm::save::bStartOverride(SaveData), 0);

  SaveData = savedSave;
  WorldMap.m_Width = savedW;
  WorldMap.m_Height = savedH;
}

// ------------------------------------------------------------------ waits and messages

TEST_F(Commands, GameWaitFreezesWithItsOwnEntry) {
  // Six frames a unit; a count too large either way for an int stops at its end.
  const std::pair<int, const char*> cases[] = {
      {2, "modal 0 0 12"},
      {INT_MAX, "modal 0 0 2147483647"},
      {INT_MIN, "modal 0 0 -2147483648"},
  };
  for (const auto& [param, call] : cases) {
    fake.ClearCalls();
    cFlowCmd c = MakeCmd(18);
    c.m_Params[0] = param;
    size_t during = 0;
    fake.onModalWait = [&] { during = world.m_Messages.size(); };
    cCmdRun run;
    run.lpCmd = &c;
    ExecCmd(&chara, &run);
    EXPECT_EQ(fake.calls(), (std::vector<std::string>{call})) << param;
    EXPECT_EQ(during, 1u);
    EXPECT_TRUE(world.m_Messages.empty());
  }
}

TEST_F(Commands, ChainedMessagesOpenOnlyTheFirstWithDelayAndSound) {
  cFlowCmd c = MakeCmd(19);
  c.m_Text = "A";
  c.m_Params[8] = 1;  // stop the game
  c.m_Params[6] = 0;  // until a key
  std::vector<int> delays;
  fake.onModalWait = [&] { delays.push_back(world.m_ModalWait.nKeyDelay); };
  cFlowRun flowRun;
  world.m_pCurFlowRun = &flowRun;
  cCmdRun run;
  run.lpCmd = &c;
  ExecCmd(&chara, &run);
  flowRun.bMessageChain = 1;
  ExecCmd(&chara, &run);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"sound 11", "modal 1 1 0", "modal 1 1 0"}));
  EXPECT_EQ(delays, (std::vector<int>{10, 0}));
  EXPECT_TRUE(world.m_Messages.empty());

  // Shown until the stage ends and stopping the game: a wait of zero frames.
  fake.ClearCalls();
  c.m_Params[6] = 1;
  world.m_ModalWait.SetModalWait(3, 1, 99, 0);
  ExecCmd(&chara, &run);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"modal 1 0 0"}));

  // Closing: nothing at all.
  fake.ClearCalls();
  world.m_bQuit = 1;
  ExecCmd(&chara, &run);
  EXPECT_TRUE(fake.calls().empty());
  EXPECT_TRUE(world.m_Messages.empty());
  world.m_bQuit = 0;
  world.m_pCurFlowRun = nullptr;
}

// A timed message's seconds become frames (x 6 per tenth-second unit), in
// 32-bit arithmetic: 2^31 - 1 units wrap to 6 * (2^31 - 1) mod 2^32 = -6.
TEST_F(Commands, MessageTimeIsSixFramesAUnitAndWrapsIn32Bits) {
  const struct {
    int units;
    int frames;
  } cases[] = {{5, 30}, {0, 0}, {0x7FFFFFFF, -6}, {-1, -6}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.units);
    cFlowCmd show = MakeCmd(19);
    show.m_Text = "AB";
    show.m_Params[6] = 2;
    show.m_Params[7] = t.units;
    cCmdRun run;
    run.lpCmd = &show;
    ExecCmd(&chara, &run);
    ASSERT_EQ(world.m_Messages.size(), 1u);
    EXPECT_EQ(world.m_Messages.front().m_nTime, t.frames);
    world.m_Messages.clear();
    ClearMessageSurfaces();
  }
}

TEST_F(Commands, MessageIdsReplaceAndErase) {
  cFlowCmd show = MakeCmd(19);
  show.m_Text = "AB";
  show.m_Params[6] = 1;
  show.m_Params[12] = 1;
  show.m_Params[13] = 4;
  cCmdRun run;
  run.lpCmd = &show;
  ExecCmd(&chara, &run);
  ASSERT_EQ(world.m_Messages.size(), 1u);
  const cMessageWnd* first = &world.m_Messages.front();

  // Same size: the window is reused in place.
  show.m_Text = "CD";
  ExecCmd(&chara, &run);
  ASSERT_EQ(world.m_Messages.size(), 1u);
  EXPECT_EQ(&world.m_Messages.front(), first);
  EXPECT_EQ(world.m_Messages.front().m_Source.empty() ? world.m_Messages.front().m_Text : world.m_Messages.front().m_Source,
            "CD");

  // Erasing an ID no window carries does nothing; the right one removes it.
  cFlowCmd erase = MakeCmd(19);
  erase.m_Params[12] = 1;
  erase.m_Params[13] = 5;
  erase.m_Params[15] = 1;
  run.lpCmd = &erase;
  ExecCmd(&chara, &run);
  EXPECT_EQ(world.m_Messages.size(), 1u);
  erase.m_Params[13] = 4;
  ExecCmd(&chara, &run);
  EXPECT_TRUE(world.m_Messages.empty());
}

}  // namespace
