// ctest-label: engine
// Stage set-up pieces and the stage-level rules: block-map layout, the shot
// hit mask, the clocks, condition-list latches, extra lives and the modal
// request.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/FrameTimer.h"
#include "base/Text.h"
#include "data/Cond.h"
#include "data/Ranking.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/EngineFakes.h"

namespace {

class RecordingWindow : public IWindowRequests {
 public:
  std::vector<int> sounds;
  int closes = 0;
  void PlaySound(int slot) override { sounds.push_back(slot); }
  void PlayMusic(int, int) override {}
  void RequestClose() override { ++closes; }
};

class CountingModal : public IModalLoop {
 public:
  int runs = 0;
  int kind = -1, frames = -1;
  std::vector<cMessageWnd> shown;  // the message windows while the loop ran
  void RunModalWait() override {
    ++runs;
    kind = CurrentWorld().m_ModalWait.nKind;
    frames = CurrentWorld().m_ModalWait.nFrames;
    shown.assign(CurrentWorld().m_Messages.begin(), CurrentWorld().m_Messages.end());
  }
};

class Services {
 public:
  Services() {
    cEngineServices s;
    s.window = &window;
    s.modal = &modal;
    SetEngineServices(s);
  }
  ~Services() { SetEngineServices(cEngineServices{}); }
  RecordingWindow window;
  CountingModal modal;
};

TEST(StageLayout, BlockMapRowPitchFollowsTheMapWidth) {
  struct Case {
    int width, shift;
  } cases[] = {{12, 5}, {13, 6}, {20, 6}, {44, 6}, {45, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    cScrollAxis axis;
    axis.Layout(0, c.width, 0);
    EXPECT_EQ(axis.m_nShift, c.shift);
    EXPECT_EQ(axis.m_nPitch, 1 << c.shift);
    EXPECT_EQ(axis.m_nCells, c.width + 20);
  }
}

TEST(StageLayout, ShotHitMaskSpreadsTheChecksOverTheSubSteps) {
  struct Case {
    int k, n;
    std::vector<int32_t> mask;
  } cases[] = {
      {0, 3, {1, 1, 1}},     // every sub-step
      {3, 4, {1, 1, 1, 0}},  // p = 0, 1.33, 2.67
      {5, 4, {1, 1, 1, 1}},  // step 0.8
      {1, 4, {1, 0, 0, 0}},  // one check at the start
      {2, 3, {1, 1, 0}},     // p = 0, 1.5
      {-1, 2, {1, 1}},       // a negative count from broken data: every sub-step
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.k << "/" << c.n);
    cVector<int32_t> mask;
    BuildShotHitMask(mask, c.k, c.n);
    EXPECT_EQ(std::vector<int32_t>(mask.begin(), mask.end()), c.mask);
  }
}

TEST(StageClock, TimeCounterTicksOnceEverySixtyFrames) {
  enginetest::World world(20, 15);
  world.m_bNoTimeLimit = 0;
  world.m_nTime = 2;
  CountCycle(0, 60);
  std::vector<int> results;
  for (int frame = 1; frame <= 180; ++frame) {
    int r = TickTimeCounter(-1);
    if (r) results.push_back(frame);
    if (frame == 60) {
      EXPECT_EQ(world.m_nTime, 1);
    }
  }
  // 1 -> 0 at frame 120 reports time over; frame 180 reports it again.
  EXPECT_EQ(results, (std::vector<int>{120, 180}));
  EXPECT_EQ(world.m_nTime, 0);
}

TEST(StageClock, TimeCounterReportsOneExactlyAtFrameSixty) {
  enginetest::World world(20, 15);
  world.m_bNoTimeLimit = 0;
  world.m_nTime = 1;
  CountCycle(0, 60);
  for (int frame = 1; frame < 60; ++frame) ASSERT_EQ(TickTimeCounter(-1), 0) << frame;
  EXPECT_EQ(TickTimeCounter(-1), 1);
}

TEST(StageClock, NoTimeLimitNeverCountsAndPlayTimeCapsAtTheLastHundredth) {
  enginetest::World world(20, 15);
  world.m_bNoTimeLimit = 1;
  world.m_nTime = 999;
  CountCycle(0, 60);
  for (int frame = 0; frame < 120; ++frame) EXPECT_EQ(TickTimeCounter(-1), 0);
  EXPECT_EQ(world.m_nTime, 999);

  world.m_nFrameCount = 59;
  world.m_nPlayTime = 0;
  CountPlayTime();
  EXPECT_EQ(world.m_nPlayTime, 100);  // 60 frames = 1.00 s
  world.m_nFrameCount = 359999;
  CountPlayTime();
  EXPECT_EQ(world.m_nPlayTime, 599999);
  int frames = world.m_nFrameCount;
  CountPlayTime();
  EXPECT_EQ(world.m_nFrameCount, frames);  // stopped at 99:59.99
}

int g_draws = 0;
int DrawingCondition(const cCond& cond, cCharaBase*) {
  ++g_draws;
  RandomRaw();
  return cond.m_Value;
}

TEST(ConditionLists, LatchedListIsNotEvaluatedAgain) {
  enginetest::World world(20, 15);
  CondEvaluator saved = ConditionTable[2];
  ConditionTable[2] = DrawingCondition;
  cBlockCell cell;
  cCond cond;
  cond.m_Kind = 2;
  cond.m_Value = 1;
  cell.m_Conds.push_back(cond);
  cell.m_CondLatch = 1;
  g_draws = 0;
  EXPECT_EQ(CheckBlockCondition(&cell), 1);
  EXPECT_EQ(cell.bCondLatched, 1);
  cell.m_Conds[0].m_Value = 0;  // would fail now
  for (int i = 0; i < 5; ++i) EXPECT_EQ(CheckBlockCondition(&cell), 1);
  EXPECT_EQ(g_draws, 1);

  // Without the latch byte the flag is set but the list is evaluated again.
  cBlockCell open;
  open.m_Conds.push_back(cond);
  open.m_CondLatch = 0;
  g_draws = 0;
  EXPECT_EQ(CheckBlockCondition(&open), 1);
  EXPECT_EQ(open.bCondLatched, 1);
  open.m_Conds[0].m_Value = 0;
  EXPECT_EQ(CheckBlockCondition(&open), 0);
  EXPECT_EQ(g_draws, 2);

  // An empty list allows even in mode 1.
  cBlockCell empty;
  empty.m_CondMode = 1;
  EXPECT_EQ(CheckBlockCondition(&empty), 1);
  ConditionTable[2] = saved;
}

namespace {

// A condition that holds and moves the camera to x 1000 while it is asked.
int CameraMovingCondition(const cCond&, cCharaBase*) {
  CurrentWorld().m_ScrollX.m_dPos = 1000;
  return 1;
}

template <class Obj>
void PlaceActivityBox(Obj& o, double x, double y, double w, double h) {
  o.m_dX = x;
  o.m_dY = y;
  o.m_dRight = x + w - 1;
  o.m_dBottom = y + h - 1;
}

}  // namespace

// Shots on the four edges of the view at camera (100, 50): a box touching
// the left or top edge is in, one whose left or top lies on the far edge
// (x 740, y 530) is out.
TEST(ActivityPass, ShotsOnTheViewEdges) {
  enginetest::World world(60, 40);
  world.m_ScrollX.m_dPos = 100;
  world.m_ScrollY.m_dPos = 50;
  struct Case {
    const char* name;
    double x, y;
    int onScreen;
  };
  const Case cases[] = {
      {"right edge on the left of the view", 85, 100, 1},
      {"right edge half a pixel short", 84.5, 100, 0},
      {"left edge half a pixel inside the far side", 739.5, 100, 1},
      {"left edge on the far side", 740, 100, 0},
      {"bottom edge on the top of the view", 200, 35, 1},
      {"bottom edge half a pixel short", 200, 34.5, 0},
      {"top edge half a pixel inside the bottom", 200, 529.5, 1},
      {"top edge on the bottom", 200, 530, 0},
  };
  for (const Case& c : cases) {
    cShot s;
    PlaceActivityBox(s, c.x, c.y, 16, 16);
    world.m_Shots.push_back(s);
  }
  UpdateActiveObjects();
  auto it = world.m_Shots.begin();
  for (const Case& c : cases) {
    EXPECT_EQ(it->m_bActive, 1) << c.name;
    EXPECT_EQ(it->m_bOnScreen, c.onScreen) << c.name;
    ++it;
  }
}

// Characters with and without condition lists; a list that moves the
// camera while it is evaluated: every object after it is placed by the
// camera as moved.
TEST(ActivityPass, CharactersByConditionAndTheCameraAsEachIsChecked) {
  enginetest::World world(60, 40);
  world.m_ScrollX.m_dPos = 100;
  world.m_ScrollY.m_dPos = 50;
  CondEvaluator saved2 = ConditionTable[2], saved3 = ConditionTable[3];
  ConditionTable[2] = DrawingCondition;
  ConditionTable[3] = CameraMovingCondition;
  cCond fails;
  fails.m_Kind = 2;
  fails.m_Value = 0;
  cCond moves;
  moves.m_Kind = 3;
  struct Case {
    const char* name;
    const cCond* cond;
    double x;
    int active, onScreen;
  };
  // y 200..231 for all: within the view's height.
  const Case cases[] = {
      {"no list, in view of the first camera", nullptr, 200, 1, 1},
      {"a list that fails", &fails, 200, 0, 0},
      // Asked after its own list moved the camera to 1000: x 200..231 is out.
      {"a list that moves the camera", &moves, 200, 1, 0},
      // 1131 >= 1000 and 1640 > 1100: in view only of the moved camera.
      {"no list, in view of the moved camera", nullptr, 1100, 1, 1},
  };
  for (const Case& c : cases) {
    cChara ch;
    PlaceActivityBox(ch, c.x, 200, 32, 32);
    ch.m_nPicW = ch.m_nPicH = 32;
    ch.m_bIgnoreRangeX = ch.m_bIgnoreRangeY = 1;  // in range wherever it is
    if (c.cond) ch.m_Def.m_Conds.push_back(*c.cond);
    CharaList.push_back(ch);
  }
  cShot shot;
  PlaceActivityBox(shot, 1200, 200, 16, 16);  // in view only of the moved camera
  world.m_Shots.push_back(shot);
  g_draws = 0;
  UpdateActiveObjects();
  EXPECT_EQ(g_draws, 1);
  auto it = CharaList.begin();
  for (const Case& c : cases) {
    EXPECT_EQ(it->m_bActive, c.active) << c.name;
    EXPECT_EQ(it->m_bOnScreen, c.onScreen) << c.name;
    EXPECT_EQ(it->m_bInRange, c.active) << c.name;
    EXPECT_EQ(it->m_bOperating, c.active) << c.name;
    ++it;
  }
  // The first character, operating, placed by the camera at (1000, 50):
  // 200 - 1000 and 200 - 50.
  EXPECT_EQ(CharaList.front().m_nScrLeft, -800);
  EXPECT_EQ(CharaList.front().m_nScrRight, -769);
  EXPECT_EQ(CharaList.front().m_nScrTop, 150);
  EXPECT_EQ(world.m_Shots.front().m_bOnScreen, 1);
  CharaList.clear();
  ConditionTable[2] = saved2;
  ConditionTable[3] = saved3;
}

TEST(ModalRequest, KeyDelayOnlyForMessagesWaitingForAKey) {
  ModalWait w;
  w.nCount = 7;
  w.SetModalWait(1, 1, 0, 0);
  EXPECT_EQ(w.nKeyDelay, 10);
  EXPECT_EQ(w.nCount, 0);
  w.SetModalWait(1, 1, 0, 1);
  EXPECT_EQ(w.nKeyDelay, 0);
  w.SetModalWait(3, 1, 0, 0);
  EXPECT_EQ(w.nKeyDelay, 0);
  w.SetModalWait(4, 0, 30, 0);
  EXPECT_EQ(w.nKind, 4);
  EXPECT_EQ(w.nFrames, 30);
  EXPECT_EQ(w.bWaitKey, 0);
}

class ExtraLives : public testing::Test {
 protected:
  void SetUp() override {
    savedSystem_ = SystemData;
    savedSave_ = SaveData;
    SystemData.m_ExtraLife = 1;
    SystemData.m_ExtraLifeScore = 10000;
    Player.assign(1, cHero());
  }
  void TearDown() override {
    SystemData = savedSystem_;
    SaveData = savedSave_;
    Player.clear();
  }
  cSystem savedSystem_;
  cSaveData savedSave_;
};

TEST_F(ExtraLives, TwoStepsCapAtNinetyNineWithANoticeEach) {
  enginetest::World world(20, 15);
  Services services;
  SaveData.m_Result0 = 9990;
  SaveData.m_Score = 10020;
  SaveData.m_Lives = 98;
  AddStageTotals();
  EXPECT_EQ(SaveData.m_Result0, 20010);
  EXPECT_EQ(SaveData.m_Lives, 99);
  EXPECT_EQ(services.modal.runs, 2);
  EXPECT_EQ(services.modal.kind, 4);
  EXPECT_EQ(services.modal.frames, 30);
  EXPECT_EQ(std::count(services.window.sounds.begin(), services.window.sounds.end(), 15), 2);
  EXPECT_TRUE(world.m_Messages.empty());
}

TEST_F(ExtraLives, NoticeIsAnIconOverTheHeroThatCountsDownWhileFrozen) {
  enginetest::World world(20, 15);
  Services services;
  Player[0].m_nID = 5;
  SaveData.m_Result0 = 0;
  SaveData.m_Score = 10000;
  SaveData.m_Lives = 2;
  AddStageTotals();
  EXPECT_EQ(SaveData.m_Lives, 3);
  ASSERT_EQ(services.modal.shown.size(), 1u);
  const cMessageWnd& notice = services.modal.shown[0];
  EXPECT_EQ(notice.m_nKind, 3);
  EXPECT_EQ(notice.m_nPlace, 4);  // above its character
  EXPECT_EQ(notice.m_nTargetId, Player[0].m_nID);
  EXPECT_EQ(notice.m_bFixed, 1);
  EXPECT_EQ(notice.m_nShowMode, 2);
  EXPECT_EQ(notice.m_nTime, 30);
  EXPECT_EQ(notice.m_bRunWhileFrozen, 1);
  EXPECT_EQ(notice.m_bKeepOnScreen, 0);
  EXPECT_EQ(notice.m_nWidth, 16);
  EXPECT_EQ(notice.m_lpSD, nullptr);
  EXPECT_TRUE(world.m_Messages.empty());
}

TEST_F(ExtraLives, InfiniteLivesGetNone) {
  enginetest::World world(20, 15);
  Services services;
  SaveData.m_Result0 = 9990;
  SaveData.m_Score = 10020;
  SaveData.m_Lives = kInfiniteLives;
  AddStageTotals();
  EXPECT_EQ(SaveData.m_Lives, kInfiniteLives);
  EXPECT_EQ(services.modal.runs, 0);
  EXPECT_TRUE(services.window.sounds.empty());
}

TEST_F(ExtraLives, QuitDuringTheNoticeStopsCountingAndClosesTheWindow) {
  enginetest::World world(20, 15);
  Services services;
  world.m_bQuit = 1;
  SaveData.m_Result0 = 0;
  SaveData.m_Score = 30000;
  SaveData.m_Lives = 3;
  AddStageTotals();
  EXPECT_EQ(SaveData.m_Lives, 4);
  EXPECT_EQ(services.modal.runs, 1);
  EXPECT_EQ(services.window.closes, 1);
}

// Which stage ends consider a ranking: a start file always; a story or a
// challenge only when the game records rankings and the clear leads to no
// further stage file. Only the score category is enabled, in every game type's
// menu and in the stage; the empty score table places any value first.
class StageEndRanking : public testing::Test {
 protected:
  void SetUp() override {
    savedSystem_ = SystemData;
    savedSave_ = SaveData;
    savedStage_ = Stage;
    savedRanking_ = Ranking;
    SystemData.m_ExtraLife = 0;
    SystemData.m_Results.assign(4, cMenuSetting());
    for (cMenuSetting& m : SystemData.m_Results) {
      m.m_On = 1;
      m.m_Categories.assign(5, 0);
      m.m_Categories[0] = 1;
    }
    Stage.m_RankFlags.assign(5, 0);
    Stage.m_RankFlags[0] = 1;
    Ranking.m_Tables.assign(5, cRankTable());
    SaveData.m_Result0 = 0;
    SaveData.m_Score = 1234;
  }
  void TearDown() override {
    SystemData = savedSystem_;
    SaveData = savedSave_;
    Stage = savedStage_;
    Ranking = savedRanking_;
  }
  cSystem savedSystem_;
  cSaveData savedSave_;
  cStage savedStage_;
  cRanking savedRanking_;
};

TEST_F(StageEndRanking, FinalStageOfAStoryOrChallengeRanksWhileRankingsAreOn) {
  struct Case {
    const char* what;
    int gameType;
    bool startFile, rankingsOn;
    std::vector<int> partsWithAFile;
    bool ranked;
  } const cases[] = {
      {"story, last stage", 0, false, true, {}, true},
      {"challenge, last stage", 1, false, true, {}, true},
      {"story, rankings off", 0, false, false, {}, false},
      {"challenge, rankings off", 1, false, false, {}, false},
      {"story, part 2 follows", 0, false, true, {2}, false},
      {"story, only part 3 follows", 0, false, true, {3}, true},
      {"start file", 2, true, false, {2}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    enginetest::World world(20, 15);
    world.m_nClearDest = 2;
    testsupport::FakeEngineServices fake;
    fake.gameType = c.gameType;
    fake.startFilePlay = c.startFile;
    fake.rankingsOn = c.rankingsOn;
    fake.partsWithAFile = c.partsWithAFile;
    SaveData.m_Result0 = 0;
    Ranking.m_Tables.assign(5, cRankTable());

    EndStage();
    EXPECT_EQ(world.m_bNewRank, c.ranked ? 1 : 0);
    EXPECT_EQ(world.m_bRankDone, 0);
    ASSERT_EQ(world.m_RankPlaces.size(), 5u);
    EXPECT_EQ(world.m_RankPlaces[0], c.ranked ? 0 : -1);
    for (size_t i = 1; i < 5; ++i) EXPECT_EQ(world.m_RankPlaces[i], -1) << i;
    // Ranked: the score total, 0 + the stage score; otherwise left as it was.
    EXPECT_EQ(world.m_RankValues[0], c.ranked ? 1234 : 0);
  }
}

}  // namespace
