// ctest-label: engine
// The engine's names for data-record members: which member each reaches,
// with its polarity and conversion.
#include "engine/Names.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A save-data value written through one name reaches the other name, also
// after the record was written to a file image and read back.
template <class T>
struct Alias {
  const char* what;
  std::function<T&(cSaveData&)> write;
  std::function<T(const cSaveData&)> read;
  T value;
};

template <class T>
void CheckAliases(const std::vector<Alias<T>>& aliases) {
  for (const Alias<T>& a : aliases) {
    cSaveData s;
    s.Reset();
    a.write(s) = a.value;
    EXPECT_EQ(a.read(s), a.value) << a.what;
    cSaveData back;
    ASSERT_TRUE(back.LoadFromBytes(s.SaveToBytes())) << a.what;
    EXPECT_EQ(a.read(back), a.value) << a.what << " (read back)";
  }
}

}  // namespace

TEST(Names, SaveDataAliasesReachTheSameStoredMember) {
  using namespace nm::save;
  CheckAliases<int32_t>({
      {"lives setting / lives at stage start", [](cSaveData& s) -> int32_t& { return LivesSetting(s); },
       [](const cSaveData& s) { return LivesAtStageStart(s); }, 7},
      {"total score / ranking total 0", [](cSaveData& s) -> int32_t& { return TotalScore(s); },
       [](const cSaveData& s) { return RankTotal(s, 0); }, 12345},
      {"ranking total 2 / m_Result2", [](cSaveData& s) -> int32_t& { return RankTotal(s, 2); },
       [](const cSaveData& s) { return s.m_Result2; }, 6100},
      {"map total / sum of challenge bests", [](cSaveData& s) -> int32_t& { return MapTotalScore(s); },
       [](const cSaveData& s) { return ChallengeBestSum(s); }, 999},
      {"map state / current node flag", [](cSaveData& s) -> int32_t& { return nMapState(s); },
       [](const cSaveData& s) { return CurrentNodeFlag(s); }, 1},
      {"music extra value", [](cSaveData& s) -> int32_t& { return MusicExtra(s); },
       [](const cSaveData& s) { return s.m_AppValueE; }, 0},
      {"start facing", [](cSaveData& s) -> int32_t& { return nStartFacing(s); },
       [](const cSaveData& s) { return s.m_AppValueI; }, 2},
      {"part number", [](cSaveData& s) -> int32_t& { return nPart(s); },
       [](const cSaveData& s) { return s.m_AppValueB; }, 3},
  });
  CheckAliases<std::string>({
      {"current stage file / second name", [](cSaveData& s) -> std::string& { return CurrentStageFile(s); },
       [](const cSaveData& s) { return SecondName(s); }, "stage_c001_5."},
      {"player name / last ranking name", [](cSaveData& s) -> std::string& { return PlayerName(s); },
       [](const cSaveData& s) { return LastRankingName(s); }, "abc"},
  });
}

TEST(Names, ClampedIndexesAndStoryClears) {
  cSaveData s;
  s.Reset();
  s.m_AppValueG = 9;
  EXPECT_EQ(nm::save::MapFacing(s), 3);
  nm::save::SetMapFacing(s, -4);
  EXPECT_EQ(s.m_AppValueG, 0);
  s.m_MenuCursor = 77;
  EXPECT_EQ(nm::save::RankingCategory(s), 4);
  EXPECT_EQ(&nm::save::RankTotal(s, 12), &s.m_Result4);
  s.m_Switches.assign(1000, 0);
  s.m_Switches[12] = 1;
  EXPECT_TRUE(nm::save::StoryStageCleared(s, 12));
  EXPECT_FALSE(nm::save::StoryStageCleared(s, 13));
  EXPECT_FALSE(nm::save::StoryStageCleared(s, 5000));
  EXPECT_FALSE(nm::save::StoryStageCleared(s, -1));
}

TEST(Names, PlaySwitchPolarity) {
  struct Switch {
    const char* what;
    int32_t cSystem::*member;
    bool (*on)(const cSystem&);
  };
  const Switch switches[] = {
      {"show defeat", &cSystem::m_Switch272, nm::sys::ShowDefeat},
      {"land while rising", &cSystem::m_Switch677, nm::sys::LandWhileRising},
      {"span switch", &cSystem::m_Switch733, nm::sys::DistanceSpanSwitch},
      {"no distance refresh", &cSystem::m_Switch782, nm::sys::DistanceNoRefresh},
      {"scroll-relative move", &cSystem::m_Switch214, nm::sys::ScrollRelativeMove},
      {"foot scaling", &cSystem::m_Switch261, nm::sys::FootScaling},
      {"old jump", &cSystem::m_Switch749, nm::sys::OldJump},
      {"event order", &cSystem::m_Switch763a, nm::sys::BodyHitEventOrder},
      {"harmless shots", &cSystem::m_Switch763b, nm::sys::HarmlessShots},
      {"no trigger latch", &cSystem::m_Switch525, nm::sys::NoTriggerLatch},
      {"ceiling impact", &cSystem::m_Switch781, nm::sys::CeilingImpact},
      {"legacy 783", &cSystem::m_Switch783, nm::sys::Legacy783},
  };
  for (const Switch& sw : switches) {
    cSystem s;
    for (int value : {0, 1, 2, -1}) {
      s.*sw.member = value;
      EXPECT_EQ(sw.on(s), value != 0) << sw.what << " = " << value;
    }
  }
  cSystem s;
  s.m_FullColour = 0;
  EXPECT_FALSE(nm::sys::Translucency(s));
  s.m_FullColour = 1;
  EXPECT_TRUE(nm::sys::Translucency(s));
}

TEST(Names, WidthAndSignConversions) {
  cBlockDef block;
  block.m_HitException = 255;
  EXPECT_EQ(nm::block::ExceptionSide(block), -1);
  nm::block::SetExceptionSide(block, 3);
  EXPECT_EQ(block.m_HitException, 3);

  cEdShot shot;
  shot.m_Impact = static_cast<uint8_t>(-20);
  EXPECT_EQ(nm::shot::byImpact(shot), -20);
  nm::shot::SetbyImpact(shot, -7);
  EXPECT_EQ(nm::shot::byImpact(shot), -7);
  shot.m_ShotStrength = 200;
  EXPECT_EQ(nm::shot::byVanishValue(shot), -56);
  shot.m_ShotSize = 0;
  EXPECT_EQ(nm::shot::bySize(shot), 1);
  nm::shot::wForm(shot, 1) = 4;
  EXPECT_EQ(shot.m_FormationParam[1], 4);

  cFlow flow;
  flow.m_ExclusiveId = static_cast<decltype(flow.m_ExclusiveId)>(-56);
  EXPECT_EQ(nm::flow::AttackNumber(flow), 200);
  nm::flow::BusyId(flow) = 5;
  EXPECT_EQ(nm::flow::FlowId(flow), 5);

  cCharaDef chara;
  chara.m_DrawSwitch = static_cast<decltype(chara.m_DrawSwitch)>(-1);
  EXPECT_EQ(nm::chara::HighlightIndex(chara), 255);
  chara.m_ActiveMode = 2;
  EXPECT_TRUE(nm::chara::OnceTrue(chara));
  nm::chara::Side(chara) = 6;
  EXPECT_EQ(chara.m_Faction, 6);
  nm::chara::Faction(chara) = 1;
  EXPECT_EQ(chara.m_PlayerNo, 1);
  chara.m_Size = 0;
  EXPECT_EQ(nm::chara::Magnification(chara), 1);
  nm::chara::SetMagnification(chara, -5);
  EXPECT_EQ(chara.m_Size, 1);
  nm::chara::SetMagnification(chara, 1000);
  EXPECT_EQ(chara.m_Size, 127);

  cReplay replay;
  nm::replay::SetSeed(replay, 0xDEADBEEFu);
  EXPECT_EQ(nm::replay::Seed(replay), 0xDEADBEEFu);

  cItemDef item;
  item.m_ItemByte = 40;
  EXPECT_EQ(nm::item::DrawLayer(item), 7);

  cEdMove move;
  nm::move::bNoMoveAnim(move) = 1;  // same sense as the stored switch
  EXPECT_EQ(move.m_PlayAnime, 1);
}
