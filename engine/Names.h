#pragma once
// The engine's names for members of the data records.
//
// The data records keep their own member names (they fix the byte layout).
// The engine calls many of those members by names of its own; this header is
// the one place that maps each engine name onto the record member, with its
// polarity or conversion. Engine code reaches data members through these
// accessors wherever the names differ:
//
//   nm::save::Lives(SaveData) = 3;        // cSaveData::m_Lives
//   if (nm::sys::ShowDefeat(SystemData))  // cSystem::m_Switch272 != 0
//
// Plain accessors return a reference to the member (read and write). Where
// the engine reads a different width, sign or range than the record stores,
// the accessor returns the engine's value and a Set... function writes it.
// Values read from files and then used as an index are clamped here.
#include <algorithm>
#include <cstdint>

#include "data/BlockDef.h"
#include "data/CharaDef.h"
#include "data/Cmd.h"
#include "data/CommonPalette.h"
#include "data/Cond.h"
#include "data/Database.h"
#include "data/EdMove.h"
#include "data/EdShot.h"
#include "data/Effect.h"
#include "data/Flow.h"
#include "data/FlowCmd.h"
#include "data/ItemDef.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"

// One engine name for one member: a reference for both constness.
#define BRINDLE_NAME(fn, Rec, member)                    \
  inline auto& fn(Rec& r) { return r.member; }           \
  inline const auto& fn(const Rec& r) { return r.member; }

namespace nm {

// A switch read as "on" when the member is non-zero.
template <class T>
inline bool On(T v) {
  return v != 0;
}

// ---------------------------------------------------------------- save data
namespace save {
BRINDLE_NAME(CommonVars, cSaveData, m_Vars)          // C<n>, 1001 entries
BRINDLE_NAME(Switches, cSaveData, m_Switches)        // non-zero = on
BRINDLE_NAME(LivesSetting, cSaveData, m_StartLives)  // ResetTotals: lives = lives setting
BRINDLE_NAME(LivesAtStageStart, cSaveData, m_StartLives)
BRINDLE_NAME(Lives, cSaveData, m_Lives)  // 999999 = infinite
BRINDLE_NAME(StageScore, cSaveData, m_Score)
// The total score of the status window, ResetTotals, AddStageTotals, the
// stage record's value and the challenge best compare.
BRINDLE_NAME(TotalScore, cSaveData, m_Result0)
// The total score of the world map, the map menu and the challenge list
// (RecalcTotal), which is also the sum of the best challenge totals.
BRINDLE_NAME(MapTotalScore, cSaveData, m_RecordTotal)
BRINDLE_NAME(ChallengeBestSum, cSaveData, m_RecordTotal)
// The five ranking totals: 0 score, 1 time left, 2 clear time, 3 HP, 4 SP.
inline int32_t& RankTotal(cSaveData& s, int category) {
  switch (std::clamp(category, 0, 4)) {
    case 0: return s.m_Result0;
    case 1: return s.m_Result1;
    case 2: return s.m_Result2;
    case 3: return s.m_Result3;
    default: return s.m_Result4;
  }
}
inline int32_t RankTotal(const cSaveData& s, int category) { return RankTotal(const_cast<cSaveData&>(s), category); }
// The stage base name (ranking, next part, replay name): never the tagged key.
BRINDLE_NAME(StageBaseName, cSaveData, m_StageFile)
// The current stage file as the key of GetStageBest, and the second name
// string (key of UpdateStageRecord): the tagged key.
BRINDLE_NAME(CurrentStageFile, cSaveData, m_StageBase)
BRINDLE_NAME(SecondName, cSaveData, m_StageBase)
BRINDLE_NAME(StartVarFlag, cSaveData, m_TagOn)
BRINDLE_NAME(StartVarNumber, cSaveData, m_TagNo)
BRINDLE_NAME(StartVarValue, cSaveData, m_TagSub)
BRINDLE_NAME(StageIndex, cSaveData, m_AppValueA)
BRINDLE_NAME(nPart, cSaveData, m_AppValueB)
BRINDLE_NAME(NextPartChain, cSaveData, m_AppValueC)  // non-zero = chain
BRINDLE_NAME(BackToMap, cSaveData, m_AppValueD)      // non-zero = the stage was left
// Story stage n is cleared when switch n is on.
inline bool StoryStageCleared(const cSaveData& s, int stageIndex) {
  return stageIndex >= 0 && static_cast<size_t>(stageIndex) < s.m_Switches.size() &&
         s.m_Switches[static_cast<size_t>(stageIndex)] != 0;
}
BRINDLE_NAME(StageRecords, cSaveData, m_StageRecords)
BRINDLE_NAME(ChallengeRecords, cSaveData, m_ChallengeRecords)
BRINDLE_NAME(ChallengeOpenCount, cSaveData, m_ChallengeLevel)
BRINDLE_NAME(nMapX, cSaveData, m_MapX)
BRINDLE_NAME(nMapY, cSaveData, m_MapY)
BRINDLE_NAME(PrevCellX, cSaveData, m_CursorCol)
BRINDLE_NAME(PrevCellY, cSaveData, m_CursorRow)
// Map facing 0 down, 1 up, 2 left, 3 right (clamped).
inline int MapFacing(const cSaveData& s) { return std::clamp<int>(s.m_AppValueG, 0, 3); }
inline void SetMapFacing(cSaveData& s, int facing) { s.m_AppValueG = std::clamp(facing, 0, 3); }
// The map state, and whether a current node was started from the map (0 / 1).
BRINDLE_NAME(nMapState, cSaveData, m_MapNode)
BRINDLE_NAME(CurrentNodeFlag, cSaveData, m_MapNode)
BRINDLE_NAME(HasCarry, cSaveData, m_HasCarry)
BRINDLE_NAME(CarryFlags, cSaveData, m_CarryFlags)
BRINDLE_NAME(Carry, cSaveData, m_Carry)
BRINDLE_NAME(CycleCounter, cSaveData, m_PlayCount)
BRINDLE_NAME(LastStorySlot, cSaveData, m_StorySlot)  // -1 = none
BRINDLE_NAME(AutoSave, cSaveData, m_AutoSave)
BRINDLE_NAME(PlayerName, cSaveData, m_PlayerName)
BRINDLE_NAME(LastRankingName, cSaveData, m_PlayerName)
BRINDLE_NAME(RankingDisplay, cSaveData, m_AppValueF)  // non-zero = shown
// Ranking category 0..4 (clamped before any indexing).
inline int RankingCategory(const cSaveData& s) { return std::clamp<int>(s.m_MenuCursor, 0, 4); }
inline void SetRankingCategory(cSaveData& s, int category) { s.m_MenuCursor = std::clamp(category, 0, 4); }
BRINDLE_NAME(CurrentMusic, cSaveData, m_AppValueH)
BRINDLE_NAME(MusicExtra, cSaveData, m_AppValueE)  // the loop flag handed to the music
BRINDLE_NAME(bStartOverride, cSaveData, m_RestartOn)
BRINDLE_NAME(nStartX, cSaveData, m_RestartCol)
BRINDLE_NAME(nStartY, cSaveData, m_RestartRow)
BRINDLE_NAME(nStartFacing, cSaveData, m_AppValueI)  // 0 left, 1 right, 2 as at the clear
BRINDLE_NAME(SavedTime, cSaveData, m_SavedTime)
}  // namespace save

// -------------------------------------------------------------- system data
namespace sys {
BRINDLE_NAME(TitleMenu, cSystem, m_TitleMenu)
BRINDLE_NAME(MapMenu, cSystem, m_MapMenu)
BRINDLE_NAME(OptionMenu, cSystem, m_OptionMenu)
BRINDLE_NAME(RankModeLabels, cSystem, m_RankModeLabels)
BRINDLE_NAME(Labels, cSystem, m_Labels)
// The pause items have no member: labels 19..22.
constexpr int kPauseLabelFirst = 19;
BRINDLE_NAME(SceneBgm, cSystem, m_SceneBgm)
BRINDLE_NAME(SceneBgmLoop, cSystem, m_SceneBgmLoop)
BRINDLE_NAME(RankingMenus, cSystem, m_Results)
BRINDLE_NAME(StatusItems, cSystem, m_StatusItems)
BRINDLE_NAME(IniKeys, cSystem, m_IniKeys)
BRINDLE_NAME(GameTitle, cSystem, m_Title)
BRINDLE_NAME(ColourFlag, cSystem, m_FullColour)  // 0 = 256-colour project
BRINDLE_NAME(D3DDepthCode, cSystem, m_DepthFullColour)
BRINDLE_NAME(DDDepthCode, cSystem, m_DepthPalette)
BRINDLE_NAME(TransparentColour, cSystem, m_ColourKey)
BRINDLE_NAME(FontIndex, cSystem, m_FontFace)
BRINDLE_NAME(IconLetters, cSystem, m_IconLetters)
BRINDLE_NAME(SecondTextFlag, cSystem, m_CenterGlyph)
BRINDLE_NAME(SystemSounds, cSystem, m_SystemSounds)
BRINDLE_NAME(ColourCycling, cSystem, m_PaletteCycling)
BRINDLE_NAME(FixedColour8, cSystem, m_PaletteCycling)
BRINDLE_NAME(HighlightStep, cSystem, m_BlinkStep)
BRINDLE_NAME(PictureMenu, cSystem, m_TitlePictureMenu)
BRINDLE_NAME(CarryLives, cSystem, m_CarryLives)
BRINDLE_NAME(ShowLives, cSystem, m_MapShowsLives)
BRINDLE_NAME(ChallengeCount, cSystem, m_ChallengeCount)
BRINDLE_NAME(ChallengeAllOpen, cSystem, m_ChallengeAllOpen)
BRINDLE_NAME(InitialLives, cSystem, m_InitialLives)    // by game type
BRINDLE_NAME(InfiniteLives, cSystem, m_InfiniteLives)  // by game type
BRINDLE_NAME(NodeBest, cSystem, m_MapShowsScore)
BRINDLE_NAME(MapMenuTotal, cSystem, m_MapMenuShowsTotal)
BRINDLE_NAME(ChallengeBest, cSystem, m_ChallengeShowsBest)
BRINDLE_NAME(ChallengeTotal, cSystem, m_ChallengeShowsTotal)
BRINDLE_NAME(RestoreStory, cSystem, m_RestoreStory)
BRINDLE_NAME(RestoreChallenge, cSystem, m_RestoreChallenge)
BRINDLE_NAME(RestoreFree, cSystem, m_RestoreFree)
BRINDLE_NAME(RestoreStartFile, cSystem, m_RestoreStartFile)
BRINDLE_NAME(CarryEnabled, cSystem, m_CarryEnabled)
BRINDLE_NAME(CarryDropOnMiss, cSystem, m_CarryDropOnMiss)
BRINDLE_NAME(ExtraLife, cSystem, m_ExtraLife)
BRINDLE_NAME(ExtraLifeScore, cSystem, m_ExtraLifeScore)
BRINDLE_NAME(PauseHidesField, cSystem, m_PauseHidesField)
BRINDLE_NAME(ReplayRecording, cSystem, m_Replay)
BRINDLE_NAME(ContinueInStory, cSystem, m_ContinueAfterMiss)
BRINDLE_NAME(PauseRetryStory, cSystem, m_PauseRetryStory)
BRINDLE_NAME(PauseLeaveStory, cSystem, m_PauseMapStory)
BRINDLE_NAME(RetryChallenge, cSystem, m_PauseRetryChallenge)

// Play switches: true selects the rule named.
inline bool ShowDefeat(const cSystem& s) { return On(s.m_Switch272); }
inline bool StartFlowsOfInactive(const cSystem& s) { return On(s.m_Switch697); }
inline bool KeepAnchors(const cSystem& s) { return On(s.m_Switch768); }
inline bool StrictSummonProtection(const cSystem& s) { return On(s.m_Switch637); }
inline bool LandWhileRising(const cSystem& s) { return On(s.m_Switch677); }
// The span switch: the plain inset form is used when it is on.
inline bool DistanceSpanSwitch(const cSystem& s) { return On(s.m_Switch733); }
// On: the subject's screen box is not refreshed by the distance condition.
inline bool DistanceNoRefresh(const cSystem& s) { return On(s.m_Switch782); }
inline bool ScrollRelativeMove(const cSystem& s) { return On(s.m_Switch214); }
inline bool ScrollSyncBaseVelocity(const cSystem& s) { return On(s.m_Switch214); }
inline bool FootScaling(const cSystem& s) { return On(s.m_Switch261); }
inline bool OldJump(const cSystem& s) { return On(s.m_Switch749); }
inline bool InvincibleHighlight(const cSystem& s) { return On(s.m_Switch287); }
inline bool HighlightPulse(const cSystem& s) { return On(s.m_Switch287); }
inline bool BodyHitEventOrder(const cSystem& s) { return On(s.m_Switch763a); }
inline bool HarmlessShots(const cSystem& s) { return On(s.m_Switch763b); }
inline bool NoTriggerLatch(const cSystem& s) { return On(s.m_Switch525); }
inline bool EarlyTriggerLatch(const cSystem& s) { return On(s.m_Switch744); }
inline bool KeySequenceOverlap(const cSystem& s) { return On(s.m_Switch669); }
inline bool NegativeTime(const cSystem& s) { return On(s.m_Switch695); }
inline bool CeilingImpact(const cSystem& s) { return On(s.m_Switch781); }
// Translucency has no switch of its own: a full-colour project.
inline bool Translucency(const cSystem& s) { return On(s.m_FullColour); }
inline bool Legacy721(const cSystem& s) { return On(s.m_Switch721); }
inline bool Legacy728(const cSystem& s) { return On(s.m_Switch728); }
inline bool Legacy773(const cSystem& s) { return On(s.m_Switch773); }
inline bool Legacy783(const cSystem& s) { return On(s.m_Switch783); }

// Status-window items, ranking menus and ini keys.
BRINDLE_NAME(ItemShown, cStatusItem, m_Shown)
BRINDLE_NAME(ItemIcon, cStatusItem, m_Icon)
BRINDLE_NAME(ItemLabel, cStatusItem, m_Label)
BRINDLE_NAME(ItemShowNumber, cStatusItem, m_ShowNumber)
BRINDLE_NAME(ItemExtraWidth, cStatusItem, m_Digits)
BRINDLE_NAME(ItemLowThreshold, cStatusItem, m_Threshold)
BRINDLE_NAME(ItemLowInPercent, cStatusItem, m_ThresholdPercent)
BRINDLE_NAME(MenuOn, cMenuSetting, m_On)
BRINDLE_NAME(MenuCategories, cMenuSetting, m_Categories)
BRINDLE_NAME(IniName, cIniKey, m_Key)
BRINDLE_NAME(IniDefault, cIniKey, m_Default)
BRINDLE_NAME(IniDefaultText, cIniKey, m_DefaultText)
}  // namespace sys

// -------------------------------------------------------------------- stage
namespace stage {
BRINDLE_NAME(MapW, cStage, m_Width)
BRINDLE_NAME(MapH, cStage, m_Height)
BRINDLE_NAME(ExtentValueX, cStage, m_ScrollExtraX)  // world extent = value + 640
BRINDLE_NAME(ExtentValueY, cStage, m_ScrollExtraY)
BRINDLE_NAME(LimitLeftCol, cStage, m_LimitLeftCol)
BRINDLE_NAME(LimitRightCol, cStage, m_LimitRightCol)
BRINDLE_NAME(LimitTopRow, cStage, m_LimitTopRow)
BRINDLE_NAME(LimitBottomRow, cStage, m_LimitBottomRow)
BRINDLE_NAME(LimitLeftOn, cStage, m_LimitLeft)
BRINDLE_NAME(LimitRightOn, cStage, m_LimitRight)
BRINDLE_NAME(LimitTopOn, cStage, m_LimitTop)
BRINDLE_NAME(LimitBottomOn, cStage, m_LimitBottom)
BRINDLE_NAME(AutoScrollX, cStage, m_AutoScrollX)
BRINDLE_NAME(AutoScrollY, cStage, m_AutoScrollY)
BRINDLE_NAME(AutoSpeedX, cStage, m_AutoSpeedX)  // "scrlx"
BRINDLE_NAME(AutoSpeedY, cStage, m_AutoSpeedY)  // "scrly"
BRINDLE_NAME(TimeLimitOn, cStage, m_TimeLimitOn)
BRINDLE_NAME(TimeLimit, cStage, m_TimeLimit)
BRINDLE_NAME(TimeWarning, cStage, m_TimeWarning)
BRINDLE_NAME(FrameRate, cStage, m_FrameRate)
BRINDLE_NAME(HitLevel, cStage, m_HitLevel)
BRINDLE_NAME(SubSteps, cStage, m_SubSteps)         // n
BRINDLE_NAME(SubStepsF, cStage, m_SubStepsF)       // n as a double
BRINDLE_NAME(SubStepsSq, cStage, m_SubStepsSq)     // n squared
BRINDLE_NAME(CmdStepPeriod, cStage, m_CmdStepPeriod)  // 6n
BRINDLE_NAME(FallStepLimit, cStage, m_FallStepLimit)  // 8n
BRINDLE_NAME(StepCap, cStage, m_StepCap)  // speed cap per sub-step (m_SpeedCap is per frame)
BRINDLE_NAME(Gravity, cStage, m_Gravity)
BRINDLE_NAME(GravityStep, cStage, m_GravityStep)
BRINDLE_NAME(ShotHitChecks, cStage, m_ObjectHitLevel)  // 0 = every sub-step
BRINDLE_NAME(OnScreenHitsOnly, cStage, m_OnScreenHitsOnly)
BRINDLE_NAME(HeroInvincibleFrames, cStage, m_HeroInvincibleFrames)
BRINDLE_NAME(CharaInvincibleFrames, cStage, m_CharaInvincibleFrames)
BRINDLE_NAME(HeroImmuneFrames, cStage, m_HeroImmuneFrames)
BRINDLE_NAME(CharaImmuneFrames, cStage, m_CharaImmuneFrames)
BRINDLE_NAME(Bgm, cStage, m_Bgm)
BRINDLE_NAME(BgmExtra, cStage, m_BgmLoop)
BRINDLE_NAME(BgmKeep, cStage, m_BgmKeep)
// Carries the hero's status over at set-up, and clears carried statuses on death.
BRINDLE_NAME(TakeStatus, cStage, m_TakeStatus)
BRINDLE_NAME(ClearCarriedOnDeath, cStage, m_TakeStatus)
// The carry-statuses flag of the next-stage load (store).
BRINDLE_NAME(GiveStatus, cStage, m_GiveStatus)
BRINDLE_NAME(StatusWindow, cStage, m_ShowStatusWindow)
BRINDLE_NAME(LayeredDrawing, cStage, m_DrawLayers)
BRINDLE_NAME(ShowStageNumber, cStage, m_ShowStageNumber)
BRINDLE_NAME(ShowSecondStart, cStage, m_ShowStartCaption)
BRINDLE_NAME(ShowClear, cStage, m_ShowClearCaption)
BRINDLE_NAME(ShowGameOver, cStage, m_ShowGameOverCaption)
BRINDLE_NAME(AutoEnd, cStage, m_AutoEnd)
BRINDLE_NAME(ItemHitW, cStage, m_ItemHitW)
BRINDLE_NAME(ItemHitH, cStage, m_ItemHitH)
BRINDLE_NAME(Path, cStage, m_Path)
BRINDLE_NAME(RankFlags, cStage, m_RankFlags)
BRINDLE_NAME(RemoveAreas, cStage, m_RemoveAreas)  // 0 charas, 1 block charas, 2 items, 3 hero shots, 4 other shots
// Sizes (the system data's sizes live in the stage).
BRINDLE_NAME(CharaW, cStage, m_CharaSizeW)
BRINDLE_NAME(CharaH, cStage, m_CharaSizeH)
BRINDLE_NAME(CharaFlyW, cStage, m_CharaFlySizeW)
BRINDLE_NAME(CharaFlyH, cStage, m_CharaFlySizeH)
BRINDLE_NAME(CharaAlign, cStage, m_CharaSizeAlign)  // 1 = bottom
BRINDLE_NAME(CharaFlyAlign, cStage, m_CharaFlySizeAlign)
BRINDLE_NAME(CharaHitW, cStage, m_CharaHitW)
BRINDLE_NAME(CharaHitH, cStage, m_CharaHitH)
BRINDLE_NAME(CharaFlyHitW, cStage, m_CharaFlyHitW)
BRINDLE_NAME(CharaFlyHitH, cStage, m_CharaFlyHitH)
BRINDLE_NAME(CharaHitAlign, cStage, m_CharaHitAlign)
BRINDLE_NAME(CharaFlyHitAlign, cStage, m_CharaFlyHitAlign)
BRINDLE_NAME(CharaShotBoxW, cStage, m_CharaShotHitW)  // キャラ対ショット
BRINDLE_NAME(CharaShotBoxH, cStage, m_CharaShotHitH)
BRINDLE_NAME(ShotCharaBoxW, cStage, m_ShotHitW)  // ショット対キャラ (hit-box kind 2)
BRINDLE_NAME(ShotCharaBoxH, cStage, m_ShotHitH)
BRINDLE_NAME(HeroW, cStage, m_HeroSizeW)
BRINDLE_NAME(HeroH, cStage, m_HeroSizeH)
BRINDLE_NAME(HeroFlyW, cStage, m_HeroFlySizeW)
BRINDLE_NAME(HeroFlyH, cStage, m_HeroFlySizeH)
BRINDLE_NAME(HeroAlign, cStage, m_HeroSizeAlign)
BRINDLE_NAME(HeroFlyAlign, cStage, m_HeroFlySizeAlign)
BRINDLE_NAME(HeroHitW, cStage, m_HeroHitW)
BRINDLE_NAME(HeroHitH, cStage, m_HeroHitH)
BRINDLE_NAME(HeroFlyHitW, cStage, m_HeroFlyHitW)
BRINDLE_NAME(HeroFlyHitH, cStage, m_HeroFlyHitH)
BRINDLE_NAME(HeroHitAlign, cStage, m_HeroHitAlign)
BRINDLE_NAME(HeroFlyHitAlign, cStage, m_HeroFlyHitAlign)
BRINDLE_NAME(HeroShotBoxW, cStage, m_HeroShotHitW)
BRINDLE_NAME(HeroShotBoxH, cStage, m_HeroShotHitH)
BRINDLE_NAME(HeroItemBoxW, cStage, m_HeroBox4W)
BRINDLE_NAME(HeroItemBoxH, cStage, m_HeroBox4H)
BRINDLE_NAME(HeroShotHitW, cStage, m_ShotHitW)  // shot hit size of the hero's shots
BRINDLE_NAME(HeroShotHitH, cStage, m_ShotHitH)
BRINDLE_NAME(CharaShotHitW, cStage, m_Shot2HitW)  // of the characters' shots
BRINDLE_NAME(CharaShotHitH, cStage, m_Shot2HitH)
// Hero hit-box display: mode (0 none, 1 filled, 2 frame) and colour k (palette 208 + 4k).
BRINDLE_NAME(ObjectBoxView, cStage, m_SizeBoxView)
BRINDLE_NAME(ObjectBoxColour, cStage, m_SizeBoxColour)
BRINDLE_NAME(CharaBoxView, cStage, m_HitBoxView)
BRINDLE_NAME(CharaBoxColour, cStage, m_HitBoxColour)
BRINDLE_NAME(ItemBoxView, cStage, m_Box4View)
BRINDLE_NAME(ItemBoxColour, cStage, m_Box4Colour)
BRINDLE_NAME(ShotBoxView, cStage, m_ShotHitBoxView)
BRINDLE_NAME(ShotBoxColour, cStage, m_ShotHitBoxColour)
}  // namespace stage

// --------------------------------------------------------- removal area, backgrounds
namespace area {
BRINDLE_NAME(LeftOn, cRemoveArea, m_LeftOn)
BRINDLE_NAME(RightOn, cRemoveArea, m_RightOn)
BRINDLE_NAME(TopOn, cRemoveArea, m_TopOn)
BRINDLE_NAME(BottomOn, cRemoveArea, m_BottomOn)
BRINDLE_NAME(LeftDist, cRemoveArea, m_LeftDist)  // chips
BRINDLE_NAME(RightDist, cRemoveArea, m_RightDist)
BRINDLE_NAME(TopDist, cRemoveArea, m_TopDist)
BRINDLE_NAME(BottomDist, cRemoveArea, m_BottomDist)
inline bool AnyEdgeOn(const cRemoveArea& a) { return a.m_LeftOn || a.m_RightOn || a.m_TopOn || a.m_BottomOn; }
}  // namespace area

namespace layer {
BRINDLE_NAME(InUse, cBackLayer, m_Show)
BRINDLE_NAME(FillOnly, cBackLayer, m_Fill)
BRINDLE_NAME(FillColour, cBackLayer, m_FillColour)
BRINDLE_NAME(Front, cBackLayer, m_Front)
BRINDLE_NAME(RateX, cBackLayer, m_RateX)
BRINDLE_NAME(RateY, cBackLayer, m_RateY)
BRINDLE_NAME(AutoX, cBackLayer, m_AutoX)
BRINDLE_NAME(AutoY, cBackLayer, m_AutoY)
BRINDLE_NAME(Image, cBackLayer, m_File)
BRINDLE_NAME(OffsetX, cBackLayer, m_OffsetX)
BRINDLE_NAME(OffsetY, cBackLayer, m_OffsetY)
}  // namespace layer

// ----------------------------------------------------- character definition
namespace chara {
BRINDLE_NAME(Col, cCharaDef, m_Col)
BRINDLE_NAME(Row, cCharaDef, m_Row)
BRINDLE_NAME(ExtraCopies, cCharaDef, m_CopyCount)  // copies made = value + 1; none below 0
BRINDLE_NAME(Kind, cCharaDef, m_Control)           // 0 hero, 1 stage character
BRINDLE_NAME(InUse, cCharaDef, m_GfxIndex)
BRINDLE_NAME(Faction, cCharaDef, m_PlayerNo)  // the object's m_nFaction; a hero's input index
BRINDLE_NAME(Side, cCharaDef, m_Faction)      // m_nBlockSide; indexes the faction lists
BRINDLE_NAME(SearchFaction, cCharaDef, m_CharaId)
BRINDLE_NAME(Chip, cCharaDef, m_GfxIndex)
BRINDLE_NAME(ChipKind, cCharaDef, m_GfxKind)
BRINDLE_NAME(GraphicBase, cCharaDef, m_GfxPattern)
BRINDLE_NAME(Facing, cCharaDef, m_Facing)  // 1 = right
BRINDLE_NAME(HeldItemIndex, cCharaDef, m_HeldItem)
BRINDLE_NAME(MaxHp, cCharaDef, m_MaxHp)
BRINDLE_NAME(MaxSp, cCharaDef, m_MaxSp)
BRINDLE_NAME(CharaId, cCharaDef, m_CharaId)
BRINDLE_NAME(ZLayer, cCharaDef, m_Z)
BRINDLE_NAME(Mark, cCharaDef, m_Emblem)
BRINDLE_NAME(OverlayOn, cCharaDef, m_EmblemSwitch)  // 1 = draw
BRINDLE_NAME(OverlayChip, cCharaDef, m_Emblem)
BRINDLE_NAME(SightHbl, cCharaDef, m_ViewRange)
BRINDLE_NAME(SightMode, cCharaDef, m_ViewShape)
BRINDLE_NAME(StopEase, cCharaDef, m_StopEase)
BRINDLE_NAME(BodyPower, cCharaDef, m_BodyPower)
BRINDLE_NAME(BodyImpact, cCharaDef, m_BodyImpact)
BRINDLE_NAME(Defence, cCharaDef, m_Defence)
BRINDLE_NAME(ImpactResist, cCharaDef, m_ImpactResist)
BRINDLE_NAME(DefeatScore, cCharaDef, m_Score)
BRINDLE_NAME(BaseAnimSet, cCharaDef, m_AnimeSet)
BRINDLE_NAME(Transparent, cCharaDef, m_Transparent)
BRINDLE_NAME(Fly, cCharaDef, m_Fly)
BRINDLE_NAME(FixedFacing, cCharaDef, m_FixedFacing)
BRINDLE_NAME(Invincible, cCharaDef, m_Invincible)  // 0 off, 1 shots hit, 2 shots pass
inline uint8_t HighlightIndex(const cCharaDef& d) { return static_cast<uint8_t>(d.m_DrawSwitch); }
BRINDLE_NAME(BlockChara, cCharaDef, m_BlockChara)
BRINDLE_NAME(Size, cCharaDef, m_Size)  // 0 -> 1 at set-up
// The magnification: never below 1, however it is stored or written.
inline int Magnification(const cCharaDef& d) { return d.m_Size < 1 ? 1 : d.m_Size; }
inline void SetMagnification(cCharaDef& d, int m) { d.m_Size = static_cast<int8_t>(std::clamp(m, 1, 127)); }
BRINDLE_NAME(ScrollSync, cCharaDef, m_ScrollSync)
BRINDLE_NAME(AppearEffect, cCharaDef, m_CharaEffect)
BRINDLE_NAME(AppearEffectMode, cCharaDef, m_CharaEffectArg1)
BRINDLE_NAME(AppearEffectRepeat, cCharaDef, m_CharaEffectArg2)
BRINDLE_NAME(DeathEffect, cCharaDef, m_CharaEffect2)
BRINDLE_NAME(DeathEffectMode, cCharaDef, m_CharaEffect2Arg)
BRINDLE_NAME(BodyHitEffect, cCharaDef, m_EffectNo)
BRINDLE_NAME(HitBoxKind, cCharaDef, m_HitBox)
BRINDLE_NAME(ActiveRange, cCharaDef, m_ActiveRange)
BRINDLE_NAME(InGroup, cCharaDef, m_InGroup)
BRINDLE_NAME(GroupNo, cCharaDef, m_GroupNo)
inline bool OnceTrue(const cCharaDef& d) { return On(d.m_ActiveMode); }
BRINDLE_NAME(Conds, cCharaDef, m_Conds)
BRINDLE_NAME(CondMode, cCharaDef, m_CondMode)
BRINDLE_NAME(CondLatch, cCharaDef, m_CondLatch)
BRINDLE_NAME(Flows, cCharaDef, m_Flows)
}  // namespace chara

// --------------------------------------------------------- block definition
namespace block {
BRINDLE_NAME(Col, cBlockDef, m_Col)
BRINDLE_NAME(Row, cBlockDef, m_Row)
BRINDLE_NAME(ChipKind, cBlockDef, m_GfxKind)
BRINDLE_NAME(Chip, cBlockDef, m_GfxIndex)
BRINDLE_NAME(ChipSub, cBlockDef, m_GfxPattern)
BRINDLE_NAME(Overlay, cBlockDef, m_Overlay)
BRINDLE_NAME(OverlayChip, cBlockDef, m_OverlayChip)
BRINDLE_NAME(Front, cBlockDef, m_Front)
BRINDLE_NAME(Hidden, cBlockDef, m_Hidden)
BRINDLE_NAME(HitKind, cBlockDef, m_Hit)  // 0 none, 1 solid, 2 deadly for the hero
// The exception side as a signed byte: -1 (stored 255) = none.
inline int8_t ExceptionSide(const cBlockDef& b) { return static_cast<int8_t>(b.m_HitException); }
inline void SetExceptionSide(cBlockDef& b, int8_t side) { b.m_HitException = static_cast<uint8_t>(side); }
BRINDLE_NAME(Protection, cBlockDef, m_Fixed)
BRINDLE_NAME(FootAction, cBlockDef, m_Effect)
BRINDLE_NAME(FootActionParam, cBlockDef, m_EffectValue)
BRINDLE_NAME(ItemKind, cBlockDef, m_ItemKind)
BRINDLE_NAME(ItemIndex, cBlockDef, m_ItemIndex)
BRINDLE_NAME(Conds, cBlockDef, m_Conds)
BRINDLE_NAME(CondMode, cBlockDef, m_CondMode)
BRINDLE_NAME(CondLatch, cBlockDef, m_CondLatch)
}  // namespace block

// ---------------------------------------------------------- item definition
namespace item {
BRINDLE_NAME(Col, cItemDef, m_Col)
BRINDLE_NAME(Row, cItemDef, m_Row)
BRINDLE_NAME(OffsetX, cItemDef, m_ItemValue1)
BRINDLE_NAME(OffsetY, cItemDef, m_ItemValue2)
BRINDLE_NAME(Size, cItemDef, m_Size)  // 0 -> 1 at set-up
BRINDLE_NAME(ChipKind, cItemDef, m_GfxKind)
BRINDLE_NAME(Chip, cItemDef, m_GfxIndex)
BRINDLE_NAME(ChipSub, cItemDef, m_GfxPattern)
BRINDLE_NAME(Hidden, cItemDef, m_Hidden)
BRINDLE_NAME(Overlay, cItemDef, m_Overlay)
BRINDLE_NAME(OverlayChip, cItemDef, m_OverlayChip)
BRINDLE_NAME(TakeMode, cItemDef, m_PickUp)  // 0 removed, 1 again on each touch, 2 never
BRINDLE_NAME(ShowMessage, cItemDef, m_ShowOnTake)
// The message values are the item's picture: kind, number, sub-value.
BRINDLE_NAME(MessageKind, cItemDef, m_GfxKind)
BRINDLE_NAME(MessageNumber, cItemDef, m_GfxIndex)
BRINDLE_NAME(MessageSub, cItemDef, m_GfxPattern)
BRINDLE_NAME(Sound, cItemDef, m_Sound)
BRINDLE_NAME(Commands, cItemDef, m_Commands)
BRINDLE_NAME(Conds, cItemDef, m_Conds)
BRINDLE_NAME(CondMode, cItemDef, m_CondMode)
BRINDLE_NAME(CondLatch, cItemDef, m_CondLatch)
inline int DrawLayer(const cItemDef& d) { return std::clamp<int>(d.m_ItemByte, 0, 7); }
}  // namespace item

// --------------------------------------------------------------------- flow
namespace flow {
BRINDLE_NAME(FlowId, cFlow, m_FlowId)  // 0 none, 1..26
BRINDLE_NAME(BusyId, cFlow, m_FlowId)  // the ID of the always-flow busy/started/stopped sets
// The attack number compared with an event argument (unsigned byte).
inline uint8_t AttackNumber(const cFlow& f) { return static_cast<uint8_t>(f.m_ExclusiveId); }
inline uint8_t Trigger(const cFlow& f) { return static_cast<uint8_t>(f.m_Trigger); }
BRINDLE_NAME(PartnerToTarget, cFlow, m_PartnerToTarget)
BRINDLE_NAME(PartnerSlot, cFlow, m_PartnerSlot)
BRINDLE_NAME(KeyTolerance, cFlow, m_KeyTolerance)
BRINDLE_NAME(KeyRepeat, cFlow, m_KeyRepeat)
BRINDLE_NAME(Conds, cFlow, m_Conds)
BRINDLE_NAME(CondMode, cFlow, m_CondMode)
BRINDLE_NAME(CondLatch, cFlow, m_CondLatch)
BRINDLE_NAME(KeyConds, cFlow, m_KeyConds)
BRINDLE_NAME(Cmds, cFlow, m_Cmds)
}  // namespace flow

namespace key {
BRINDLE_NAME(States, cKeyCond, m_KeyStates)  // 19 bytes
BRINDLE_NAME(Relative, cKeyCond, m_MirrorKeys)
BRINDLE_NAME(HoldMin, cKeyCond, m_HoldMin)
BRINDLE_NAME(HoldMax, cKeyCond, m_HoldMax)
BRINDLE_NAME(AnyHold, cKeyCond, m_AnyHold)
BRINDLE_NAME(Mode, cKeyCond, m_KeyMode)
}  // namespace key

// ------------------------------------------------------------- flow command
namespace cmd {
BRINDLE_NAME(CmdSet, cFlowCmd, m_CmdSet)  // non-zero = item command
BRINDLE_NAME(Kind, cFlowCmd, m_CmdKind)
BRINDLE_NAME(Params, cFlowCmd, m_Params)
BRINDLE_NAME(Text, cFlowCmd, m_Text)
BRINDLE_NAME(TimeBase, cFlowCmd, m_Time)      // units of 6 frames
BRINDLE_NAME(TimeStep, cFlowCmd, m_TimeStep)  // per clone index
BRINDLE_NAME(NoWait, cFlowCmd, m_WithNext)    // value 1
BRINDLE_NAME(LeadInAnim, cFlowCmd, m_Anime)
BRINDLE_NAME(Sound, cFlowCmd, m_CmdSound)
BRINDLE_NAME(SoundOnScreenOnly, cFlowCmd, m_CmdOption)  // non-zero = only when on screen
BRINDLE_NAME(Move, cFlowCmd, m_pMove)          // may be null
BRINDLE_NAME(Shot, cFlowCmd, m_pShot)          // may be null
BRINDLE_NAME(CondList, cFlowCmd, m_pCondList)  // may be null
BRINDLE_NAME(SubFlows, cFlowCmd, m_SubFlows)
}  // namespace cmd

// --------------------------------------------------------------- conditions
namespace cond {
BRINDLE_NAME(Kind, cCond, m_Kind)
// Kinds 1..3.
BRINDLE_NAME(VarIndex, cCond, m_Index)
BRINDLE_NAME(Op, cCond, m_Op)
BRINDLE_NAME(Value, cCond, m_Value)
// Kind 4.
BRINDLE_NAME(LeftKind, cCond, m_LeftSource)
BRINDLE_NAME(LeftVarKind, cCond, m_LeftScope)
BRINDLE_NAME(LeftObject, cCond, m_Target)
BRINDLE_NAME(LeftStatus, cCond, m_Status)
BRINDLE_NAME(LeftIndex, cCond, m_Index)
BRINDLE_NAME(RightKind, cCond, m_RightSource)
BRINDLE_NAME(RandomMin, cCond, m_RandomMin)
BRINDLE_NAME(RandomMax, cCond, m_RandomMax)
BRINDLE_NAME(RightObject, cCond, m_RightTarget)
BRINDLE_NAME(RightStatus, cCond, m_RightStatus)
BRINDLE_NAME(RightVarKind, cCond, m_RightScope)
BRINDLE_NAME(RightIndex, cCond, m_RightIndex)
BRINDLE_NAME(Percent, cCond, m_Percent)
// Kinds 5..7.
BRINDLE_NAME(Subject, cCond, m_Target)
BRINDLE_NAME(Type, cCond, m_Status)
BRINDLE_NAME(StateValue, cCond, m_Index)  // kind 5: signed 16-bit
BRINDLE_NAME(Distance, cCond, m_Value)    // kind 7: half-blocks
BRINDLE_NAME(ExtraPixels, cCond, m_RightIndex)
BRINDLE_NAME(DirectionMode, cCond, m_Shape)
// Kind 7 display.
BRINDLE_NAME(ShowMode, cCond, m_LeftSource)  // 0 off, 1 always, 2 editor only
BRINDLE_NAME(ColourIndex, cCond, m_LeftScope)
BRINDLE_NAME(ShowForInactive, cCond, m_RightSource)
BRINDLE_NAME(ShowWhileInvisible, cCond, m_RightTarget)
}  // namespace cond

namespace condlist {
BRINDLE_NAME(Enabled, cCondList, m_Enabled)
BRINDLE_NAME(Mode, cCondList, m_Mode)
BRINDLE_NAME(Conds, cCondList, m_Conds)
}  // namespace condlist

// ---------------------------------------------------------- move parameters
namespace move {
BRINDLE_NAME(byMode, cEdMove, m_MoveBy)
BRINDLE_NAME(byDir, cEdMove, m_Direction)
BRINDLE_NAME(sAngle, cEdMove, m_Angle)
BRINDLE_NAME(sAngleStep, cEdMove, m_AngleStep)
BRINDLE_NAME(bMirrorAngle, cEdMove, m_MirrorAngle)
BRINDLE_NAME(bUseX, cEdMove, m_UseX)
BRINDLE_NAME(bUseY, cEdMove, m_UseY)
BRINDLE_NAME(sTargetXBl, cEdMove, m_TargetBlockX)
BRINDLE_NAME(sTargetYBl, cEdMove, m_TargetBlockY)
BRINDLE_NAME(sTargetXDot, cEdMove, m_TargetDotX)
BRINDLE_NAME(sTargetYDot, cEdMove, m_TargetDotY)
BRINDLE_NAME(byPosMode, cEdMove, m_CoordSystem)
BRINDLE_NAME(bArrive, cEdMove, m_EndAtTarget)
BRINDLE_NAME(bNoVX, cEdMove, m_LockX)
BRINDLE_NAME(bNoVY, cEdMove, m_LockY)
BRINDLE_NAME(bMirrorX, cEdMove, m_MirrorX)
BRINDLE_NAME(bMirrorY, cEdMove, m_MirrorY)
BRINDLE_NAME(bReverseOnTurn, cEdMove, m_TurnWithChara)
BRINDLE_NAME(bStopOnArrival, cEdMove, m_NoOvershoot)
BRINDLE_NAME(bKeepFacing, cEdMove, m_KeepFacing)
BRINDLE_NAME(byTimeMode, cEdMove, m_SpeedMode)
BRINDLE_NAME(sSpeed, cEdMove, m_Speed)
BRINDLE_NAME(sSpeedStep, cEdMove, m_SpeedStep)
BRINDLE_NAME(sDistance, cEdMove, m_Distance)
BRINDLE_NAME(sDistanceStep, cEdMove, m_DistanceStep)
BRINDLE_NAME(byDistUnit, cEdMove, m_DistanceUnit)  // 1 = pixels
BRINDLE_NAME(sSlow, cEdMove, m_Extra)
BRINDLE_NAME(sSlowStep, cEdMove, m_ExtraStep)
BRINDLE_NAME(bInertia, cEdMove, m_Inertia)
BRINDLE_NAME(sMaxSpeed, cEdMove, m_InertiaLimit)
BRINDLE_NAME(dTurnBrake, cEdMove, m_InertiaRate)
// Same sense: non-zero = the command's own animation plays and the move
// neither sets the moved flag nor switches to the walk or fly animation.
BRINDLE_NAME(bNoMoveAnim, cEdMove, m_PlayAnime)
BRINDLE_NAME(byTarget, cEdMove, m_TargetSlot)
// The approach moves' flags: stop at the target.
BRINDLE_NAME(StopAtTarget, cEdMove, m_NoOvershoot)
}  // namespace move

// ---------------------------------------------------------- shot parameters
// Every 8-bit field is read as a signed byte.
namespace shot {
inline int8_t S8(int8_t v) { return v; }
inline int8_t S8(uint8_t v) { return static_cast<int8_t>(v); }
BRINDLE_NAME(byShots, cEdShot, m_ShotCount)
BRINDLE_NAME(byFormation, cEdShot, m_Formation)
inline auto& wForm(cEdShot& s, int i) { return s.m_FormationParam[std::clamp(i, 0, 2)]; }
inline auto wForm(const cEdShot& s, int i) { return s.m_FormationParam[std::clamp(i, 0, 2)]; }
BRINDLE_NAME(byFormTarget, cEdShot, m_FormationCentre)
BRINDLE_NAME(byDirection, cEdShot, m_ShotDirection)
BRINDLE_NAME(byAim, cEdShot, m_AltPlacement)
BRINDLE_NAME(byAimSlot, cEdShot, m_FormationTarget)
BRINDLE_NAME(wAngle, cEdShot, m_ShotAngle)
BRINDLE_NAME(wAngleInc, cEdShot, m_ShotAngleStep)
BRINDLE_NAME(byMirrorAngle, cEdShot, m_MirrorShotAngle)
BRINDLE_NAME(wAngleRand, cEdShot, m_AngleJitter)
BRINDLE_NAME(byRotateStart, cEdShot, m_PlacementOption)
BRINDLE_NAME(byClones, cEdShot, m_Volleys)
BRINDLE_NAME(wOfsX, cEdShot, m_ShotOffsetX)
BRINDLE_NAME(wOfsXInc, cEdShot, m_ShotOffsetXStep)
BRINDLE_NAME(wOfsY, cEdShot, m_ShotOffsetY)
BRINDLE_NAME(wOfsYInc, cEdShot, m_ShotOffsetYStep)
BRINDLE_NAME(byMirrorOfsX, cEdShot, m_MirrorOffsetX)
BRINDLE_NAME(byMirrorOfsY, cEdShot, m_MirrorOffsetY)
BRINDLE_NAME(wGraphic, cEdShot, m_Graphic)
BRINDLE_NAME(byZ, cEdShot, m_OptionA)
BRINDLE_NAME(byHidden, cEdShot, m_ShotHidden)
BRINDLE_NAME(byOwnerFaction, cEdShot, m_OptionB)  // non-zero = the owner's side number
BRINDLE_NAME(byFaction, cEdShot, m_ShotFaction)
// Magnification; 0 counts as 1.
inline int bySize(const cEdShot& s) { return s.m_ShotSize == 0 ? 1 : s.m_ShotSize; }
BRINDLE_NAME(byMove, cEdShot, m_ShotMove)  // a sword: the sword type
inline auto& wMove(cEdShot& s, int i) { return s.m_MoveParam[std::clamp(i, 0, 2)]; }
inline auto wMove(const cEdShot& s, int i) { return s.m_MoveParam[std::clamp(i, 0, 2)]; }
BRINDLE_NAME(byTargetSlot, cEdShot, m_MoveTarget)
BRINDLE_NAME(byScrollSync, cEdShot, m_HomingOption)  // non-zero = moves with the auto-scroll
BRINDLE_NAME(wSpeed, cEdShot, m_ShotSpeed)
BRINDLE_NAME(wSpeedInc, cEdShot, m_ShotSpeedStep)
BRINDLE_NAME(byAccelOn, cEdShot, m_ExtraFlag)
BRINDLE_NAME(wAccel, cEdShot, m_ExtraValue1)
BRINDLE_NAME(wAccelInc, cEdShot, m_ExtraValue2)
BRINDLE_NAME(byRangeOn, cEdShot, m_MoveTimeLimited)
BRINDLE_NAME(wRange, cEdShot, m_MoveTime)  // half-blocks; a summon's lifetime
BRINDLE_NAME(wRangeInc, cEdShot, m_MoveTimeStep)
BRINDLE_NAME(SummonTimed, cEdShot, m_MoveTimeLimited)
BRINDLE_NAME(byStopAtRange, cEdShot, m_StopAtMoveEnd)
BRINDLE_NAME(byLifeOn, cEdShot, m_LifeLimited)
BRINDLE_NAME(wLife, cEdShot, m_LifeTime)
BRINDLE_NAME(wLifeInc, cEdShot, m_LifeTimeStep)
BRINDLE_NAME(byPassBlocks, cEdShot, m_OptionE)  // 1 = passes through blocks
BRINDLE_NAME(PassCharas, cEdShot, m_PierceChara)
BRINDLE_NAME(PassBlockCharas, cEdShot, m_PierceBlockChara)
BRINDLE_NAME(CancelFlag, cEdShot, m_HitsShots)
inline int8_t byVanishValue(const cEdShot& s) { return S8(s.m_ShotStrength); }
BRINDLE_NAME(nPower, cEdShot, m_Attack)
BRINDLE_NAME(ImpactDirSwitch, cEdShot, m_HitValue)  // non-zero = the shot's velocity direction
inline int8_t byImpact(const cEdShot& s) { return S8(s.m_Impact); }
inline void SetbyImpact(cEdShot& s, int8_t v) { s.m_Impact = static_cast<decltype(s.m_Impact)>(v); }
BRINDLE_NAME(HitEffect, cEdShot, m_HitEffect)
BRINDLE_NAME(ItemPalette, cEdShot, m_DropItemPalette)  // 0 none, 1 common, 2 stage
BRINDLE_NAME(ItemIndex, cEdShot, m_DropItemIndex)
BRINDLE_NAME(bySummonMode, cEdShot, m_BlockSummonMode)
BRINDLE_NAME(RefuseIfHero, cEdShot, m_OptionH)
BRINDLE_NAME(RefuseIfChara, cEdShot, m_OptionHBlock)
BRINDLE_NAME(bySummonSource, cEdShot, m_SummonPalette)  // 0 common, else stage
BRINDLE_NAME(wSummonIndex, cEdShot, m_SummonIndex)
BRINDLE_NAME(bySummonFaction, cEdShot, m_SummonFaction)
BRINDLE_NAME(NoScore, cEdShot, m_OptionF)  // non-zero = defeat score 0
BRINDLE_NAME(bySummonReverse, cEdShot, m_SummonReverse)
BRINDLE_NAME(byHitEvent, cEdShot, m_OptionI)
BRINDLE_NAME(byHitEventArg, cEdShot, m_OptionJ)
}  // namespace shot

// --------------------------------------------------------------- world map
namespace wmap {
BRINDLE_NAME(Width, cWorldMap, m_Width)
BRINDLE_NAME(Height, cWorldMap, m_Height)
BRINDLE_NAME(RowShift, cWorldMap, m_PitchShift)
BRINDLE_NAME(Chips, cWorldMap, m_Chips)
BRINDLE_NAME(Cells, cWorldMap, m_Cells)
BRINDLE_NAME(Points, cWorldMap, m_Points)
BRINDLE_NAME(StartX, cWorldMap, m_StartX)
BRINDLE_NAME(StartY, cWorldMap, m_StartY)
BRINDLE_NAME(BackColour, cWorldMap, m_BackColour)
BRINDLE_NAME(BackPicture, cWorldMap, m_BackPicture)
BRINDLE_NAME(BackPictureFile, cWorldMap, m_BackPictureFile)
BRINDLE_NAME(ChipBlocked, cWorldChip, m_Blocked)
BRINDLE_NAME(ChipPicture, cWorldChip, m_Picture)
BRINDLE_NAME(PointX, cWorldPoint, m_X)
BRINDLE_NAME(PointY, cWorldPoint, m_Y)
BRINDLE_NAME(PointNodes, cWorldPoint, m_Nodes)
// The point whose cell is a level's (column, row), or null.
inline cWorldPoint* FindPointAt(cWorldMap& m, int col, int row) { return m.FindPoint(col, row); }
}  // namespace wmap

namespace node {
BRINDLE_NAME(Kind, cWorldNode, m_NodeKind)  // 0 stage, 2 blocking
BRINDLE_NAME(PictureRow, cWorldNode, m_Picture)
BRINDLE_NAME(ClearSwitch, cWorldNode, m_ClearSwitch)  // also the story stage index
BRINDLE_NAME(PassThrough, cWorldNode, m_Open)
BRINDLE_NAME(Replay, cWorldNode, m_Reenter)
BRINDLE_NAME(AfterClear, cWorldNode, m_AfterClear)
BRINDLE_NAME(NeedSwitch, cWorldNode, m_NeedSwitch)
BRINDLE_NAME(CondVar, cWorldNode, m_CondVar)
BRINDLE_NAME(CondValue, cWorldNode, m_CondValue)
BRINDLE_NAME(CondOp, cWorldNode, m_CondOp)
BRINDLE_NAME(MinTotal, cWorldNode, m_MinTotal)
BRINDLE_NAME(StartVarFlag, cWorldNode, m_HasPlace)
BRINDLE_NAME(StartVarNumber, cWorldNode, m_PlaceA)
BRINDLE_NAME(StartVarValue, cWorldNode, m_PlaceB)
BRINDLE_NAME(Caption, cWorldNode, m_NodeName)
BRINDLE_NAME(StageFile, cWorldNode, m_StageFile)
}  // namespace node

// ----------------------------------------------------------------- database
namespace db {
BRINDLE_NAME(AnimeSet, cDatabase, m_AnimeSets)
BRINDLE_NAME(Anime, cDatabase, m_AnimeList)
BRINDLE_NAME(BmpCharaExc, cDatabase, m_BmpCharaExcs)
BRINDLE_NAME(SwordType, cDatabase, m_SwordTypes)
BRINDLE_NAME(Effect, cDatabase, m_Effects)
BRINDLE_NAME(CharaEffect, cDatabase, m_CharaEffects)
BRINDLE_NAME(ScrEffect, cDatabase, m_ScrEffects)
BRINDLE_NAME(Picture, cDatabase, m_Pictures)
BRINDLE_NAME(Sound, cDatabase, m_Sounds)  // record n feeds sound slot n + 16
BRINDLE_NAME(Bgm, cDatabase, m_Bgms)
// Animation-set offsets: flying, block characters, invincible characters.
BRINDLE_NAME(FlyOffset, cAnimeSet, m_FlyPatternOffset)
BRINDLE_NAME(BlockOffset, cAnimeSet, m_PatternOffset2)
BRINDLE_NAME(InvincibleOffset, cAnimeSet, m_PatternOffset1)
BRINDLE_NAME(Animes, cAnimeSet, m_Animes)
BRINDLE_NAME(Frames, cAnime, m_Frames)
BRINDLE_NAME(Pattern, cAnimeFrame, m_Pattern)
BRINDLE_NAME(Duration, cAnimeFrame, m_Duration)  // tenths of a second
// Uninterruptible from this frame on.
BRINDLE_NAME(Uninterruptible, cAnimeFrame, m_Uninterruptible)
BRINDLE_NAME(ExcImage, cBmpCharaExc, m_File)
BRINDLE_NAME(ExcCustomSize, cBmpCharaExc, m_DrawValue1)
BRINDLE_NAME(ExcCellMul, cBmpCharaExc, m_DrawValue2)
BRINDLE_NAME(SwordImage1, cSwordType, m_File)
BRINDLE_NAME(SwordImage2, cSwordType, m_Text2)
// Sword frames: offsets (pixels at magnification 1), mirror flags,
// placement (0 in front, 1 behind, 2 above, 3 below), source rectangle,
// duration in tenths of a second.
BRINDLE_NAME(SwordOffsetX, cSwordFrame, m_Param1)
BRINDLE_NAME(SwordOffsetY, cSwordFrame, m_Param2)
BRINDLE_NAME(SwordMirrorX, cSwordFrame, m_Param3)
BRINDLE_NAME(SwordMirrorY, cSwordFrame, m_Param4)
BRINDLE_NAME(SwordPlacement, cSwordFrame, m_Position)
BRINDLE_NAME(SwordSrcX, cSwordFrame, m_Param5)
BRINDLE_NAME(SwordSrcY, cSwordFrame, m_Param6)
BRINDLE_NAME(SwordW, cSwordFrame, m_Width)
BRINDLE_NAME(SwordH, cSwordFrame, m_Height)
BRINDLE_NAME(SwordDuration, cSwordFrame, m_Param7)
BRINDLE_NAME(EffectImage, cEffect, m_File)
BRINDLE_NAME(EffectW, cEffect, m_EffectW)
BRINDLE_NAME(EffectH, cEffect, m_EffectH)
inline bool EffectScalable(const cEffect& e) { return On(e.m_EffectMode); }
BRINDLE_NAME(EffectFrames, cEffect, m_EffectFrames)
BRINDLE_NAME(EffectKind, cEffectDefBase, m_EffectKind)
// Effect parameters: 0 time, 1 start, 2 end, 3 and 4 further values.
inline auto& EffectParam(cEffectDefBase& e, int i) { return e.m_EffectParam[std::clamp(i, 0, 4)]; }
inline auto EffectParam(const cEffectDefBase& e, int i) { return e.m_EffectParam[std::clamp(i, 0, 4)]; }
BRINDLE_NAME(FileName, cNamedFile, m_File)
}  // namespace db

namespace palette {
BRINDLE_NAME(Blocks, cCommonPalette, m_Blocks)
BRINDLE_NAME(Charas, cCommonPalette, m_Charas)
BRINDLE_NAME(Items, cCommonPalette, m_Items)
}  // namespace palette

// ------------------------------------------- options, rankings, replays, menus
namespace opt {
BRINDLE_NAME(PaletteVariant, cOption, m_Palette)
BRINDLE_NAME(MusicOn, cOption, m_Music)
BRINDLE_NAME(SoundVolume, cOption, m_SoundVolume)
BRINDLE_NAME(RankMode, cOption, m_RankMode)
BRINDLE_NAME(RankName, cOption, m_RankName)
}  // namespace opt

namespace rank {
BRINDLE_NAME(Tables, cRanking, m_Tables)
BRINDLE_NAME(Rows, cRankTable, m_Rows)
BRINDLE_NAME(LargerIsBetter, cRankTable, m_LargerIsBetter)
BRINDLE_NAME(Used, cRankEntry, m_Used)
BRINDLE_NAME(Name, cRankEntry, m_RankName)
BRINDLE_NAME(Value, cRankEntry, m_RankValue)
}  // namespace rank

namespace replay {
inline uint32_t Seed(const cReplay& r) { return static_cast<uint32_t>(r.m_Seed); }
inline void SetSeed(cReplay& r, uint32_t seed) { r.m_Seed = static_cast<decltype(r.m_Seed)>(seed); }
// An empty recording: its first channel holds no entry.
inline bool IsEmpty(const cReplay& r) { return r.m_DirValues.empty(); }
BRINDLE_NAME(DataVersion, cReplay, m_DataVersion)
}  // namespace replay

namespace menu {
BRINDLE_NAME(Enabled, cCmd, m_Enabled)
BRINDLE_NAME(Label, cCmd, m_Label)
}  // namespace menu

namespace slot {
BRINDLE_NAME(Exists, cSaveSlot, m_Exists)
BRINDLE_NAME(SavedTime, cSaveSlot, m_SavedTime)
}  // namespace slot

}  // namespace nm

#undef BRINDLE_NAME
