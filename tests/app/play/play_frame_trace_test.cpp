// ctest-label: play
// One play frame of the play scene traced through the recording engine
// seams: with n = 2 sub-steps, a block character, the hero, a character, a
// shot and an item, every request comes in the frame's fixed order. Each
// object's flow plays a sound of its own, so the trace shows which rule ran
// when; a reordered rule changes the trace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/play/ReplayRequests.h"
#include "data/EdShot.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Firing.h"
#include "tests/support/EngineFakes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace play_frame_trace_test {

namespace {

constexpr int kW = 20, kH = 15, kFloor = 10;

// A flow that runs all the time and plays database sound `n` (slot n + 16).
cFlow SoundFlow(int n) {
  cFlowCmd cmd;
  cmd.m_CmdKind = 35;
  cmd.m_Params = {n};
  cFlow f;
  f.m_Trigger = 0;
  f.m_Cmds.push_back(cmd);
  return f;
}

cCharaDef Chara(int control, int col, int sound) {
  cCharaDef d;
  d.m_Control = static_cast<int8_t>(control);
  d.m_Faction = static_cast<uint8_t>(control == 0 ? 0 : 1);
  d.m_GfxIndex = 1;
  d.m_Col = static_cast<int16_t>(col);
  d.m_Row = kFloor - 1;
  d.m_HeldItem = -1;
  d.m_MaxHp = 3;
  d.m_Flows.push_back(SoundFlow(sound));
  return d;
}

// The recording seams, each sound also noted with the sub-step it came in.
class SubStepFake : public testsupport::FakeEngineServices {
 public:
  void PlaySound(int slot) override {
    FakeEngineServices::PlaySound(slot);
    trace.push_back(std::to_string(PlayScene ? PlayScene->m_nSubStep : -1) + ": sound " + std::to_string(slot));
  }
  std::vector<std::string> trace;
};

class PlayFrameTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    savedStage_ = Stage;
    savedSystem_ = SystemData;
    savedSave_ = SaveData;
    SystemData.m_Replay = 0;
    SceneDirector.m_nTitleItem = 0;
    ReplayKeys = ReplayKeyState();
    Stage = cStage();
    Stage.m_Width = kW;
    Stage.m_Height = kH;
    Stage.m_ScrollExtraX = kW * 32;
    Stage.m_ScrollExtraY = kH * 32;
    Stage.m_TimeLimitOn = 0;
    Stage.m_HitLevel = 2;  // two sub-steps per frame
    for (int c = 0; c < kW; ++c) {
      cBlockDef b;
      b.m_Col = static_cast<int16_t>(c);
      b.m_Row = kFloor;
      b.m_GfxIndex = 1;
      b.m_Hit = 1;
      Stage.m_PlacedBlocks.push_back(b);
    }
    cCharaDef block = Chara(1, 8, 1);
    block.m_BlockChara = 1;
    Stage.m_PlacedCharas.push_back(block);
    Stage.m_PlacedCharas.push_back(Chara(0, 3, 2));  // the hero
    Stage.m_PlacedCharas.push_back(Chara(1, 12, 3));
    // An item on the hero: its own sound (4) and a command playing sound 5.
    cItemDef item;
    item.m_GfxIndex = 1;
    item.m_Col = 3;
    item.m_Row = kFloor - 1;
    item.m_Sound = 4;
    cFlowCmd play;
    play.m_CmdSet = 1;
    play.m_CmdKind = 20;
    play.m_Params = {5};
    item.m_Commands.push_back(play);
    Stage.m_PlacedItems.push_back(item);
    PlayerInput.assign(1, cInput());
    SetStage(&scene_, 0, 0);
    scene_.SetSceneState(cPlayScene::kPlay, 0);

    // One shot of the hero, already on the character.
    ASSERT_EQ(CharaList.size(), 2u);
    cChara& target = CharaList.back();
    shotCmd_.m_CmdKind = 11;
    cEdShot::Reset(shotCmd_.m_pShot);
    cEdShot& def = *shotCmd_.m_pShot;
    def.m_ShotCount = 1;
    def.m_Attack = 1;
    def.m_ShotSpeed = 10;
    cCmdRun run;
    run.lpCmd = &shotCmd_;
    FireShot(scene_.m_Shots, &Player[0], &run, &def);
    ASSERT_EQ(scene_.m_Shots.size(), 1u);
    cShot& s = scene_.m_Shots.front();
    const double w = s.m_dRight - s.m_dX, h = s.m_dBottom - s.m_dY;
    s.m_dX = target.m_dX;
    s.m_dY = target.m_dY;
    s.m_dRight = s.m_dX + w;
    s.m_dBottom = s.m_dY + h;
  }
  void TearDown() override {
    Player.clear();
    CharaList.clear();
    ItemList.clear();
    BlockMap.clear();
    PlayerInput.clear();
    Stage = savedStage_;
    SystemData = savedSystem_;
    SaveData = savedSave_;
  }

  SubStepFake fake_;
  cPlayScene scene_;
  cFlowCmd shotCmd_;  // the shot keeps a pointer to its definition

 private:
  cStage savedStage_;
  cSystem savedSystem_;
  cSaveData savedSave_;
};

TEST_F(PlayFrameTrace, OneFrameInItsFixedOrder) {
  ASSERT_EQ(nm::stage::SubSteps(Stage), 2);
  fake_.ClearCalls();
  fake_.trace.clear();
  scene_.Play();
  // Sub-step 1: the block character's flow, the hero's, the character's;
  // then the shot's hit on the character; then the item the hero stands on
  // (its sound, then its command). Sub-step 2 repeats the rules, but the
  // flows' one-frame commands are done and the shot and the item are gone.
  const std::vector<std::string> expected = {
      "1: sound 17", "1: sound 18", "1: sound 19", "1: sound 7", "1: sound 20", "1: sound 21",
  };
  EXPECT_EQ(fake_.trace, expected);
  EXPECT_EQ(fake_.calls().size(), expected.size());  // nothing but these sounds
  EXPECT_TRUE(scene_.m_Shots.empty());
  EXPECT_TRUE(ItemList.empty());
  EXPECT_EQ(CharaList.back().m_nHp, 2);

  EXPECT_EQ(scene_.m_nPlayFrames, 1);
  EXPECT_EQ(scene_.m_nSubStepTotal, 2);
  EXPECT_EQ(scene_.m_nState, cPlayScene::kPlay);

  // The next frame starts the three flows again, in the same order.
  fake_.trace.clear();
  scene_.Play();
  EXPECT_EQ(fake_.trace, (std::vector<std::string>{"1: sound 17", "1: sound 18", "1: sound 19"}));
  EXPECT_EQ(scene_.m_nSubStepTotal, 4);
}

}  // namespace

}  // namespace play_frame_trace_test
