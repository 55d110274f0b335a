// ctest-label: engine
// Item commands 2..4 (stage clear, game wait, message) are installed with
// the other executors; a stage clear ends the item's list and the stage.
#include <gtest/gtest.h>

#include "data/SaveData.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/objects/Hero.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/EngineFakes.h"

int RunItemCommands(cCharaBase* chara, cVector<cFlowCmd>& commands);

namespace {

cFlowCmd ItemCmd(int kind, std::vector<int32_t> params) {
  cFlowCmd c;
  c.m_CmdSet = 1;
  c.m_CmdKind = static_cast<int8_t>(kind);
  c.m_Params = cVector<int32_t>(params);
  return c;
}

class ItemControlCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallCommandExecutors();
    savedSave_ = SaveData;
    Player.assign(1, cHero{});
    Player[0].m_nHp = 5;
  }
  void TearDown() override {
    Player.clear();
    SaveData = savedSave_;
  }
  testsupport::FakeEngineServices services;
  enginetest::World world{40, 30};
  cSaveData savedSave_;
};

TEST_F(ItemControlCommands, StageClearEndsTheListAndNamesTheNextPart) {
  for (int kind = 2; kind <= 4; ++kind) EXPECT_NE(ItemCommandTable[kind], nullptr) << kind;
  nm::save::nPart(SaveData) = 3;
  cVector<cFlowCmd> list{ItemCmd(2, std::vector<int32_t>(9, 0)), ItemCmd(20, {5})};
  EXPECT_EQ(RunItemCommands(&Player[0], list), 1);
  EXPECT_EQ(world.m_nClearDest, 4);
  // Nothing after the clear ran.
  EXPECT_TRUE(services.calls().empty());
}

}  // namespace
