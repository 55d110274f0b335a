// ctest-label: engine
// Every engine header compiles on its own and together, and the engine's
// seams answer with their silent defaults until something is installed.
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/Triggers.h"
#include "engine/instances/AnimPlayer.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/instances/Item.h"
#include "engine/instances/MessageWnd.h"
#include "engine/instances/ScreenColor.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/Chara.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/GameObj.h"
#include "engine/objects/Hero.h"
#include "engine/objects/Hits.h"
#include "engine/objects/Motion.h"
#include "engine/objects/ObjLists.h"
#include "engine/objects/RectD.h"
#include "engine/objects/StateConditions.h"
#include "engine/rules/ModalWait.h"
#include "engine/rules/Rules.h"
#include "engine/rules/ScrollAxis.h"
#include "engine/script/Expr.h"
#include "engine/shots/Shot.h"
#include "tests/support/EngineFakes.h"

#include <gtest/gtest.h>

TEST(EngineSeams, SilentUntilInstalledThenRecorded) {
  PlaySE(7);  // nothing installed: no effect, no crash
  {
    testsupport::FakeEngineServices fake;
    PlaySE(7);
    PlayStageSE(3);
    PlayStageSE(0x10000);  // 16-bit: number 0 plays nothing
    RequestStageBgm(12, 1);
    EXPECT_EQ(fake.calls(), (std::vector<std::string>{"sound 7", "sound 19", "music 4 12"}));
    EXPECT_EQ(nm::save::MusicExtra(SaveData), 1);
  }
  EXPECT_FALSE(KeyState().IsDown(IKeyState::kSpace));
}

TEST(EngineSeams, CommandAndConditionTablesIgnoreUnknownKinds) {
  cFlowCmd cmd;
  cmd.m_CmdKind = -5;
  cCmdRun run;
  run.lpCmd = &cmd;
  ExecCmd(nullptr, &run);  // outside the table: nothing
  cmd.m_CmdKind = 1;
  ExecCmd(nullptr, &run);  // no executor installed: nothing
  cCond cond;
  cond.m_Kind = 9;
  EXPECT_EQ(CheckCondition(cond, nullptr), 0);
}
