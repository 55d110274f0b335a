#pragma once
// The stage: map size and scrolling, time limit, music, physics and
// hit-check settings, box geometry, removal areas, background layers,
// variable names, and the stage palette with the placed blocks, characters
// and items. Stored as one "stg4_NNN" file.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"
#include "data/BlockDef.h"
#include "data/CharaDef.h"
#include "data/ItemDef.h"
#include "data/ReadContext.h"

// The word that ends a stage file (files from 173 on).
constexpr uint32_t kStageTrailer = 123456789;
// Larger maps are refused as broken: the play engine allocates a cell per block.
constexpr int64_t kMaxStageCells = int64_t{1} << 22;
// The variable names a stage holds.
constexpr size_t kStageVarNames = 1000;
// Ranking categories, one flag each.
constexpr size_t kStageRankFlags = 5;

// Objects far outside the view are removed: one record per object group.
class cRemoveArea : public cSerialRecord {
 public:
  int32_t m_LeftOn = 0;
  int32_t m_RightOn = 0;   // files from 125 on
  int32_t m_TopOn = 0;     // files from 125 on
  int32_t m_BottomOn = 0;  // files from 125 on
  int32_t m_LeftDist = 0;  // blocks beyond the 640x480 view
  int32_t m_RightDist = 0;
  int32_t m_TopDist = 0;
  int32_t m_BottomDist = 0;

  cRemoveArea() { Clear(); }
  void RegisterFields(uint32_t version) override;
  void Set(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t leftDist, int32_t rightDist,
           int32_t topDist, int32_t bottomDist);
};

class cBackLayer : public cSerialRecord {
 public:
  int32_t m_Show = 0;  // files from 62 on
  int32_t m_Fill = 0;
  int32_t m_FillColour = 0;
  int32_t m_Front = 0;
  double m_RateX = 0;  // files from 61 on
  double m_RateY = 0;
  int32_t m_AutoX = 0;  // files from 61 on
  int32_t m_AutoY = 0;
  std::string m_File;
  double m_OffsetX = 0;  // files from 62 on
  double m_OffsetY = 0;

  cBackLayer() { Clear(); }
  void RegisterFields(uint32_t version) override;
  void SetDefaults();

 private:
  // Older layouts hold 4-byte entries where the doubles are now; read and dropped.
  int32_t m_Dropped[2] = {0, 0};
};

class cVarName : public cSerialRecord {
 public:
  std::string m_Name;

  cVarName() { Clear(); }
  void RegisterFields(uint32_t) override {
    ResetFields();
    AddString(&m_Name);
  }
};

class cStage : public cSerialRecord {
 public:
  std::string m_Name;
  cVector<cBlockDef> m_PlacedBlocks;
  cVector<cCharaDef> m_PlacedCharas;
  cVector<cItemDef> m_PlacedItems;
  cVector<cBlockDef> m_PaletteBlocks;
  cVector<cCharaDef> m_PaletteCharas;
  cVector<cItemDef> m_PaletteItems;
  cVector<cBackLayer> m_BackLayers;
  cVector<cVarName> m_VarNames;

  int32_t m_Width = 0;  // in 32-pixel blocks
  int32_t m_EditorValue1 = 0;
  int32_t m_EditorValue2 = 0;
  int32_t m_Height = 0;
  int32_t m_LimitLeft = 0;
  int32_t m_LimitRight = 0;
  int32_t m_LimitTop = 0;
  int32_t m_LimitBottom = 0;
  int32_t m_LimitLeftCol = 0;
  int32_t m_LimitRightCol = 0;
  int32_t m_LimitTopRow = 0;
  int32_t m_LimitBottomRow = 0;
  int32_t m_FrameRate = 60;
  int32_t m_TimeLimitOn = 0;
  int32_t m_TimeLimit = 200;
  int32_t m_TimeWarning = 20;
  int32_t m_AutoScrollX = 0;
  int32_t m_AutoScrollY = 0;
  int32_t m_AutoSpeedX = 0;  // tenths of a pixel per frame
  int32_t m_AutoSpeedY = 0;
  double m_Gravity = 0.4;
  int32_t m_HitLevel = 10;
  int32_t m_ObjectHitLevel = 0;
  int32_t m_Bgm = 0;
  int32_t m_BgmLoop = 0;  // files from 166 on
  int32_t m_BgmKeep = 0;  // files from 199 on
  int32_t m_DrawLayers = 1;
  int32_t m_TakeStatus = 0;
  int32_t m_GiveStatus = 0;
  int32_t m_AutoEnd = 0;           // files from 184 on
  int32_t m_ShowStatusWindow = 1;  // files from 183 on; stored before m_AutoEnd
  int32_t m_ShowStageNumber = 0;
  int32_t m_ShowStartCaption = 1;  // files from 225 on
  int32_t m_ShowClearCaption = 1;
  int32_t m_ShowGameOverCaption = 1;

  cVector<int32_t> m_RankFlags;
  // 0 characters, 1 block characters, 2 items, 3 and 4 the two shot groups.
  cRemoveArea m_RemoveAreas[5];

  // Box geometry (pixels inside the 32x32 cell); the size boxes and their
  // alignments are stored from 200 on, the flying hit boxes and the hit-box
  // alignments from 155 on.
  int32_t m_HeroSizeW = 16, m_HeroSizeH = 24, m_HeroFlySizeW = 16, m_HeroFlySizeH = 16;
  int32_t m_HeroHitW = 16, m_HeroHitH = 24, m_HeroFlyHitW = 16, m_HeroFlyHitH = 16;
  int32_t m_HeroShotHitW = 12, m_HeroShotHitH = 8, m_HeroBox4W = 16, m_HeroBox4H = 16;
  int32_t m_HeroSizeAlign = 1, m_HeroFlySizeAlign = 0, m_HeroHitAlign = 1, m_HeroFlyHitAlign = 0;
  int32_t m_SizeBoxView = 0, m_HitBoxView = 0, m_ShotHitBoxView = 0, m_Box4View = 0;
  int32_t m_SizeBoxColour = 0, m_HitBoxColour = 0, m_ShotHitBoxColour = 0, m_Box4Colour = 0;
  int32_t m_CharaSizeW = 16, m_CharaSizeH = 24, m_CharaFlySizeW = 16, m_CharaFlySizeH = 16;
  int32_t m_CharaHitW = 12, m_CharaHitH = 24, m_CharaFlyHitW = 12, m_CharaFlyHitH = 16;
  int32_t m_CharaShotHitW = 30, m_CharaShotHitH = 30;
  int32_t m_CharaSizeAlign = 1, m_CharaFlySizeAlign = 0, m_CharaHitAlign = 1, m_CharaFlyHitAlign = 0;
  int32_t m_ItemHitW = 28, m_ItemHitH = 28;
  int32_t m_ShotHitW = 16, m_ShotHitH = 16, m_ShotSpareW = 16, m_ShotSpareH = 16;
  int32_t m_Shot2HitW = 16, m_Shot2HitH = 16, m_Shot2SpareW = 16, m_Shot2SpareH = 16;
  int32_t m_SpareFlag = 1;

  // The loaders' state, never stored.
  std::string m_Path;
  int32_t m_Resolved = 0;
  int32_t m_Loaded = 0;

  int32_t m_ScrollExtraX = 0;
  int32_t m_ScrollExtraY = 0;
  int32_t m_CmdStepPeriod = 0;  // 6 * m_SubSteps, never stored

  // Derived from the hit level by SetHitLevel; stored as last computed.
  int32_t m_SubSteps = 0;
  double m_SubStepsF = 0;
  double m_SubStepsSq = 0;
  double m_SpeedCap = 0;
  double m_GravityStep = 0;
  double m_StepCap = 0;
  int32_t m_FallStepLimit = 0;
  int32_t m_OnScreenHitsOnly = 1;
  int32_t m_HeroImmuneFrames = 30;
  int32_t m_HeroInvincibleFrames = 0;
  int32_t m_CharaImmuneFrames = 30;
  int32_t m_CharaInvincibleFrames = 0;

  cStage();

  void RegisterFields(uint32_t version) override;
  // The body of a stage file. The record is reset to a new stage first, so
  // what an older file lacks comes from the defaults, never from the stage
  // read before. The palettes come from the reader's context, this stage's
  // own palette standing in for the stage palette.
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  // A stage body for a replay: this record's palette and placed lists, the
  // rest from `scalars` (the stage as it was loaded).
  bool WriteReplay(cRecordWriter& w, cStage& scalars);

  void SetDefaults();
  void SetBoxDefaults();
  // Repairs instead of refusing; see the definition.
  void Validate(const cReadContext& context = DefaultReadContext());
  // Levels outside 1..19 are taken as 10.
  void SetHitLevel(int level);

  // Index of the first placed player character with a picture, or -1.
  int FindHero() const;
  bool HasHero() const { return FindHero() != -1; }

  // The scalar part: the registered fields and name, background layers,
  // variable names, removal areas and rank flags (the lists are not copied).
  void AssignScalars(cStage& source);

  bool ReadBackLayers(cRecordReader& r);
  bool ReadVarNames(cRecordReader& r);

  SERIAL_RECORD_COPYABLE(cStage)

 private:
  void WriteLists(cRecordWriter& w, const cReadContext& context);
  void WriteTail(cRecordWriter& w);
  // The context for this stage's own entries: its palette is the stage palette.
  cReadContext OwnContext(const cReadContext& outer) const;
};

// The stage being played and the scalar copy every restart starts from.
extern cStage Stage;
extern cStage StageCopy;

// The stage a reader or check consults: the context's, else the program-wide one.
const cStage& StageOf(const cReadContext& context);
cReadContext::PaletteCounts PaletteCountsOf(const cStage& stage);

void ResetDefList(cVector<cBackLayer>& list, size_t n);
