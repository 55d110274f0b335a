#include "data/Stage.h"

#include "data/CommonPalette.h"

cStage Stage;
cStage StageCopy;

const cStage& StageOf(const cReadContext& context) { return context.stage ? *context.stage : Stage; }

cReadContext::PaletteCounts PaletteCountsOf(const cStage& stage) {
  return {static_cast<int>(stage.m_PaletteBlocks.size()), static_cast<int>(stage.m_PaletteCharas.size()),
          static_cast<int>(stage.m_PaletteItems.size())};
}

// --- removal areas, background layers ---

void cRemoveArea::RegisterFields(uint32_t v) {
  ResetFields();
  AddInt(&m_LeftOn, 1, "m_LeftOn");
  if (v >= 125) {
    AddInt(&m_RightOn, 1, "m_RightOn");
    AddInt(&m_TopOn, 1, "m_TopOn");
    AddInt(&m_BottomOn, 1, "m_BottomOn");
  }
  AddInt(&m_LeftDist, 1, "m_LeftDist");
  AddInt(&m_RightDist, 1, "m_RightDist");
  AddInt(&m_TopDist, 1, "m_TopDist");
  AddInt(&m_BottomDist, 1, "m_BottomDist");
}

void cRemoveArea::Set(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t leftDist, int32_t rightDist,
                      int32_t topDist, int32_t bottomDist) {
  m_LeftOn = left;
  m_RightOn = right;
  m_TopOn = top;
  m_BottomOn = bottom;
  m_LeftDist = leftDist;
  m_RightDist = rightDist;
  m_TopDist = topDist;
  m_BottomDist = bottomDist;
}

void cBackLayer::RegisterFields(uint32_t v) {
  ResetFields();
  if (v >= 62) AddInt(&m_Show, 1, "m_Show");
  AddInt(&m_Fill, 1, "m_Fill");
  AddInt(&m_FillColour, 1, "m_FillColour");
  AddInt(&m_Front, 1, "m_Front");
  if (v >= 61) {
    AddQuad(&m_RateX, 1, "m_RateX");
    AddQuad(&m_RateY, 1, "m_RateY");
    AddInt(&m_AutoX, 1, "m_AutoX");
    AddInt(&m_AutoY, 1, "m_AutoY");
  } else {
    AddInt(&m_Dropped[0], 1, "m_Dropped[0]");
    AddInt(&m_Dropped[1], 1, "m_Dropped[1]");
  }
  if (v >= 62) {
    AddQuad(&m_OffsetX, 1, "m_OffsetX");
    AddQuad(&m_OffsetY, 1, "m_OffsetY");
  } else if (v == 61) {
    AddInt(&m_Dropped[0], 1, "m_Dropped[0]");
    AddInt(&m_Dropped[1], 1, "m_Dropped[1]");
  }
  AddString(&m_File, "m_File");
}

void cBackLayer::SetDefaults() {
  Clear();
  m_Show = 1;
  m_FillColour = 16;
  m_RateX = 0.1;
  m_RateY = 0.1;
}

void ResetDefList(cVector<cBackLayer>& list, size_t n) {
  cBackLayer layer;
  layer.SetDefaults();
  list.clear();
  list.assign(n, layer);
}

// --- the stage ---

cStage::cStage() { SetDefaults(); }

void cStage::RegisterFields(uint32_t v) {
  ResetFields();
  AddString(&m_Name, "m_Name");
  AddInt(&m_Width, 1, "m_Width");
  AddInt(&m_EditorValue1, 1, "m_EditorValue1");
  AddInt(&m_EditorValue2, 1, "m_EditorValue2");
  AddInt(&m_Height, 1, "m_Height");
  AddInt(&m_LimitLeft, 1, "m_LimitLeft");
  AddInt(&m_LimitRight, 1, "m_LimitRight");
  AddInt(&m_LimitTop, 1, "m_LimitTop");
  AddInt(&m_LimitBottom, 1, "m_LimitBottom");
  AddInt(&m_LimitLeftCol, 1, "m_LimitLeftCol");
  AddInt(&m_LimitRightCol, 1, "m_LimitRightCol");
  AddInt(&m_LimitTopRow, 1, "m_LimitTopRow");
  AddInt(&m_LimitBottomRow, 1, "m_LimitBottomRow");
  AddInt(&m_FrameRate, 1, "m_FrameRate");
  AddInt(&m_TimeLimitOn, 1, "m_TimeLimitOn");
  AddInt(&m_TimeLimit, 1, "m_TimeLimit");
  AddInt(&m_TimeWarning, 1, "m_TimeWarning");
  AddInt(&m_AutoScrollX, 1, "m_AutoScrollX");
  AddInt(&m_AutoScrollY, 1, "m_AutoScrollY");
  AddInt(&m_AutoSpeedX, 1, "m_AutoSpeedX");
  AddInt(&m_AutoSpeedY, 1, "m_AutoSpeedY");
  AddQuad(&m_Gravity, 1, "m_Gravity");
  AddInt(&m_HitLevel, 1, "m_HitLevel");
  AddInt(&m_ObjectHitLevel, 1, "m_ObjectHitLevel");
  AddInt(&m_Bgm, 1, "m_Bgm");
  if (v >= 166) AddInt(&m_BgmLoop, 1, "m_BgmLoop");
  if (v >= 199) AddInt(&m_BgmKeep, 1, "m_BgmKeep");
  AddInt(&m_DrawLayers, 1, "m_DrawLayers");
  AddInt(&m_TakeStatus, 1, "m_TakeStatus");
  AddInt(&m_GiveStatus, 1, "m_GiveStatus");
  if (v >= 183) AddInt(&m_ShowStatusWindow, 1, "m_ShowStatusWindow");
  if (v >= 184) AddInt(&m_AutoEnd, 1, "m_AutoEnd");
  AddInt(&m_ShowStageNumber, 1, "m_ShowStageNumber");
  if (v >= 225) AddInt(&m_ShowStartCaption, 1, "m_ShowStartCaption");
  AddInt(&m_ShowClearCaption, 1, "m_ShowClearCaption");
  AddInt(&m_ShowGameOverCaption, 1, "m_ShowGameOverCaption");

  const bool sizes = v >= 200;  // size boxes and their alignments
  const bool fly = v >= 155;    // flying hit boxes and hit-box alignments
  if (sizes) {
    AddInt(&m_HeroSizeW, 1, "m_HeroSizeW");
    AddInt(&m_HeroSizeH, 1, "m_HeroSizeH");
    AddInt(&m_HeroFlySizeW, 1, "m_HeroFlySizeW");
    AddInt(&m_HeroFlySizeH, 1, "m_HeroFlySizeH");
  }
  AddInt(&m_HeroHitW, 1, "m_HeroHitW");
  AddInt(&m_HeroHitH, 1, "m_HeroHitH");
  if (fly) {
    AddInt(&m_HeroFlyHitW, 1, "m_HeroFlyHitW");
    AddInt(&m_HeroFlyHitH, 1, "m_HeroFlyHitH");
  }
  AddInt(&m_HeroShotHitW, 1, "m_HeroShotHitW");
  AddInt(&m_HeroShotHitH, 1, "m_HeroShotHitH");
  AddInt(&m_HeroBox4W, 1, "m_HeroBox4W");
  AddInt(&m_HeroBox4H, 1, "m_HeroBox4H");
  if (sizes) {
    AddInt(&m_HeroSizeAlign, 1, "m_HeroSizeAlign");
    AddInt(&m_HeroFlySizeAlign, 1, "m_HeroFlySizeAlign");
  }
  if (fly) {
    AddInt(&m_HeroHitAlign, 1, "m_HeroHitAlign");
    AddInt(&m_HeroFlyHitAlign, 1, "m_HeroFlyHitAlign");
  }
  if (sizes) AddInt(&m_SizeBoxView, 1, "m_SizeBoxView");
  AddInt(&m_HitBoxView, 1, "m_HitBoxView");
  AddInt(&m_ShotHitBoxView, 1, "m_ShotHitBoxView");
  AddInt(&m_Box4View, 1, "m_Box4View");
  if (sizes) AddInt(&m_SizeBoxColour, 1, "m_SizeBoxColour");
  AddInt(&m_HitBoxColour, 1, "m_HitBoxColour");
  AddInt(&m_ShotHitBoxColour, 1, "m_ShotHitBoxColour");
  AddInt(&m_Box4Colour, 1, "m_Box4Colour");
  if (sizes) {
    AddInt(&m_CharaSizeW, 1, "m_CharaSizeW");
    AddInt(&m_CharaSizeH, 1, "m_CharaSizeH");
    AddInt(&m_CharaFlySizeW, 1, "m_CharaFlySizeW");
    AddInt(&m_CharaFlySizeH, 1, "m_CharaFlySizeH");
  }
  AddInt(&m_CharaHitW, 1, "m_CharaHitW");
  AddInt(&m_CharaHitH, 1, "m_CharaHitH");
  if (fly) {
    AddInt(&m_CharaFlyHitW, 1, "m_CharaFlyHitW");
    AddInt(&m_CharaFlyHitH, 1, "m_CharaFlyHitH");
  }
  AddInt(&m_CharaShotHitW, 1, "m_CharaShotHitW");
  AddInt(&m_CharaShotHitH, 1, "m_CharaShotHitH");
  if (sizes) {
    AddInt(&m_CharaSizeAlign, 1, "m_CharaSizeAlign");
    AddInt(&m_CharaFlySizeAlign, 1, "m_CharaFlySizeAlign");
  }
  if (fly) {
    AddInt(&m_CharaHitAlign, 1, "m_CharaHitAlign");
    AddInt(&m_CharaFlyHitAlign, 1, "m_CharaFlyHitAlign");
  }
  AddInt(&m_ItemHitW, 1, "m_ItemHitW");
  AddInt(&m_ItemHitH, 1, "m_ItemHitH");
  AddInt(&m_ShotHitW, 1, "m_ShotHitW");
  AddInt(&m_ShotHitH, 1, "m_ShotHitH");
  AddInt(&m_ShotSpareW, 1, "m_ShotSpareW");
  AddInt(&m_ShotSpareH, 1, "m_ShotSpareH");
  AddInt(&m_Shot2HitW, 1, "m_Shot2HitW");
  AddInt(&m_Shot2HitH, 1, "m_Shot2HitH");
  AddInt(&m_Shot2SpareW, 1, "m_Shot2SpareW");
  AddInt(&m_Shot2SpareH, 1, "m_Shot2SpareH");
  AddInt(&m_SpareFlag, 1, "m_SpareFlag");
  AddInt(&m_ScrollExtraX, 1, "m_ScrollExtraX");
  AddInt(&m_ScrollExtraY, 1, "m_ScrollExtraY");
  AddInt(&m_SubSteps, 1, "m_SubSteps");
  AddQuad(&m_SubStepsF, 1, "m_SubStepsF");
  AddQuad(&m_SubStepsSq, 1, "m_SubStepsSq");
  AddQuad(&m_SpeedCap, 1, "m_SpeedCap");
  AddQuad(&m_GravityStep, 1, "m_GravityStep");
  AddQuad(&m_StepCap, 1, "m_StepCap");
  AddInt(&m_FallStepLimit, 1, "m_FallStepLimit");
  AddInt(&m_OnScreenHitsOnly, 1, "m_OnScreenHitsOnly");
  AddInt(&m_HeroImmuneFrames, 1, "m_HeroImmuneFrames");
  AddInt(&m_HeroInvincibleFrames, 1, "m_HeroInvincibleFrames");
  AddInt(&m_CharaImmuneFrames, 1, "m_CharaImmuneFrames");
  AddInt(&m_CharaInvincibleFrames, 1, "m_CharaInvincibleFrames");
}

void cStage::SetBoxDefaults() {
  m_HeroSizeW = 16, m_HeroSizeH = 24, m_HeroFlySizeW = 16, m_HeroFlySizeH = 16;
  m_HeroHitW = 16, m_HeroHitH = 24, m_HeroFlyHitW = 16, m_HeroFlyHitH = 16;
  m_HeroShotHitW = 12, m_HeroShotHitH = 8, m_HeroBox4W = 16, m_HeroBox4H = 16;
  m_HeroSizeAlign = 1, m_HeroFlySizeAlign = 0, m_HeroHitAlign = 1, m_HeroFlyHitAlign = 0;
  m_SizeBoxView = 0, m_HitBoxView = 0, m_ShotHitBoxView = 0, m_Box4View = 0;
  m_SizeBoxColour = 0, m_HitBoxColour = 0, m_ShotHitBoxColour = 0, m_Box4Colour = 0;
  m_CharaSizeW = 16, m_CharaSizeH = 24, m_CharaFlySizeW = 16, m_CharaFlySizeH = 16;
  m_CharaHitW = 12, m_CharaHitH = 24, m_CharaFlyHitW = 12, m_CharaFlyHitH = 16;
  m_CharaShotHitW = 30, m_CharaShotHitH = 30;
  m_CharaSizeAlign = 1, m_CharaFlySizeAlign = 0, m_CharaHitAlign = 1, m_CharaFlyHitAlign = 0;
  m_ItemHitW = 28, m_ItemHitH = 28;
  m_ShotHitW = 16, m_ShotHitH = 16, m_ShotSpareW = 16, m_ShotSpareH = 16;
  m_Shot2HitW = 16, m_Shot2HitH = 16, m_Shot2SpareW = 16, m_Shot2SpareH = 16;
  m_SpareFlag = 1;
}

void cStage::SetDefaults() {
  Clear();
  m_PlacedBlocks.clear();
  m_PlacedCharas.clear();
  m_PlacedItems.clear();
  ResetDefList(m_PaletteBlocks, 1);
  ResetDefList(m_PaletteCharas, 1);
  ResetDefList(m_PaletteItems, 1);

  m_TimeLimit = 200;
  m_TimeLimitOn = 0;
  m_TimeWarning = 20;
  m_Gravity = 0.4;
  m_FrameRate = 60;
  m_HitLevel = 10;
  m_ObjectHitLevel = 0;
  m_DrawLayers = 1;
  m_OnScreenHitsOnly = 1;
  m_ShowStatusWindow = 1;
  m_AutoEnd = 0;
  m_ShowStageNumber = 0;
  m_ShowStartCaption = 1;
  m_ShowClearCaption = 1;
  m_ShowGameOverCaption = 1;
  m_HeroInvincibleFrames = 0;
  m_HeroImmuneFrames = 30;
  m_CharaInvincibleFrames = 0;
  m_CharaImmuneFrames = 30;

  // One plain cleared layer (not given the layer defaults) that fills the screen.
  cBackLayer layer;
  m_BackLayers.assign(1, layer);
  m_BackLayers[0].m_Fill = 1;
  m_VarNames.clear();

  m_RankFlags.assign(kStageRankFlags, 1);
  for (int i = 0; i < 3; ++i) m_RemoveAreas[i].Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_RemoveAreas[3].Set(1, 1, 1, 1, 0, 0, 0, 0);
  m_RemoveAreas[4].Set(1, 1, 1, 1, 10, 10, 10, 10);

  SetBoxDefaults();
  m_SpareFlag = 1;
}

cReadContext cStage::OwnContext(const cReadContext& outer) const {
  cReadContext context = outer;
  context.stage = this;
  return context;
}

namespace {
// Puts a reader's context back when a nested read ends, however it ends.
class ContextScope {
 public:
  ContextScope(cRecordReader& r, cReadContext* context) : r_(r), outer_(r.Context()) { r.SetContext(context); }
  ~ContextScope() { r_.SetContext(outer_); }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  cRecordReader& r_;
  cReadContext* outer_;
};
}  // namespace

bool cStage::Read(cRecordReader& r) {
  // Whatever an older file lacks comes from a new stage, not from the last one.
  SetDefaults();
  if (!cSerialRecord::Read(r)) return false;
  // The play engine allocates a cell per block: a map it could not hold is broken.
  if (m_Width <= 0 || m_Height <= 0 || int64_t{m_Width} * m_Height > kMaxStageCells)
    return r.Fail("stage size " + std::to_string(m_Width) + " x " + std::to_string(m_Height));

  uint32_t n = 0;
  if (!r.ReadCount(n, 4)) return false;
  m_RankFlags.assign(n, 0);
  for (uint32_t i = 0; i < n; ++i)
    if (!r.ReadValue(m_RankFlags[i])) return false;

  for (cRemoveArea& area : m_RemoveAreas)
    if (!area.Read(r)) return false;

  cReadContext context = OwnContext(ContextOf(r));
  ContextScope scope(r, &context);

  if (!ReadDefList(m_PaletteBlocks, r, kMinBlockBody, false) ||
      !ReadDefList(m_PaletteCharas, r, kMinCharaBody, false) || !ReadDefList(m_PaletteItems, r, kMinItemBody, false))
    return false;
  // Entry 0 is the blank entry whatever the file stores.
  if (!m_PaletteBlocks.empty()) m_PaletteBlocks[0].SetDefaults();
  if (!m_PaletteCharas.empty()) m_PaletteCharas[0].SetDefaults();
  if (!m_PaletteItems.empty()) m_PaletteItems[0].SetDefaults();

  if (!ReadDefList(m_PlacedBlocks, r, kMinBlockBody, true) || !ReadDefList(m_PlacedCharas, r, kMinCharaBody, true) ||
      !ReadDefList(m_PlacedItems, r, kMinItemBody, true))
    return false;
  if (context.Cancelled()) return r.Fail("read abandoned");

  if (!ReadBackLayers(r) || !ReadVarNames(r)) return false;
  // The trailer is skipped unread; the stage loader is the one that demands it.
  const uint32_t v = r.Version();
  if (v >= 173 && r.Remaining() >= 4) r.Skip(4);

  if (v < 791) {
    if (v < 155) {
      m_HeroFlyHitW = m_HeroHitW;
      m_HeroFlyHitH = m_HeroHitH;
      m_CharaFlyHitW = m_CharaHitW;
      m_CharaFlyHitH = m_CharaHitH;
      m_HeroHitAlign = m_HeroFlyHitAlign = m_CharaHitAlign = m_CharaFlyHitAlign = 0;
    }
    if (v < 166) m_BgmLoop = 1;
    if (v < 181) {
      m_RankFlags.resize(kStageRankFlags, 0);
      m_RankFlags[3] = 0;
      m_RankFlags[4] = 0;
    }
    if (v < 183) m_ShowStatusWindow = 1;
    if (v < 184) m_AutoEnd = 0;
    if (v < 199) m_BgmKeep = 0;
    if (v < 200) {
      m_HeroSizeW = 16, m_HeroSizeH = 24, m_HeroFlySizeW = 16, m_HeroFlySizeH = 16;
      m_HeroSizeAlign = 1, m_HeroFlySizeAlign = 0;
      m_SizeBoxView = 0, m_SizeBoxColour = 5;
      m_CharaSizeW = 16, m_CharaSizeH = 30, m_CharaFlySizeW = 16, m_CharaFlySizeH = 30;
      m_CharaSizeAlign = 1, m_CharaFlySizeAlign = 1;
    }
    if (v < 225) m_ShowStartCaption = 0;
    if (v < 754) m_VarNames.resize(kStageVarNames);
  }
  // The engine reads a flag per ranking category.
  if (m_RankFlags.size() < kStageRankFlags) m_RankFlags.resize(kStageRankFlags, 0);

  Validate(context);
  return r.Ok();
}

bool cStage::ReadBackLayers(cRecordReader& r) {
  uint32_t n = 0;
  if (!r.ReadCount(n, 8)) return false;
  ResetDefList(m_BackLayers, n);
  for (cBackLayer& layer : m_BackLayers)
    if (!layer.Read(r)) return false;
  return true;
}

bool cStage::ReadVarNames(cRecordReader& r) {
  uint32_t n = 0;
  if (!r.ReadCount(n, 8)) return false;
  m_VarNames.assign(n, cVarName());
  for (cVarName& name : m_VarNames)
    if (!name.Read(r)) return false;
  return true;
}

void cStage::WriteLists(cRecordWriter& w, const cReadContext& context) {
  auto writeList = [&](auto& list, bool placed) {
    w.WriteU32(static_cast<uint32_t>(list.size()));
    for (auto& e : list) {
      if (placed) w.WriteU32(0);
      e.Write(w, context);
    }
  };
  writeList(m_PaletteBlocks, false);
  writeList(m_PaletteCharas, false);
  writeList(m_PaletteItems, false);
  writeList(m_PlacedBlocks, true);
  writeList(m_PlacedCharas, true);
  writeList(m_PlacedItems, true);
}

void cStage::WriteTail(cRecordWriter& w) {
  WriteRecordVector(w, m_BackLayers);
  WriteRecordVector(w, m_VarNames);
}

namespace {
void WriteScalarHead(cStage& s, cRecordWriter& w) {
  s.cSerialRecord::Write(w);
  w.WriteU32(static_cast<uint32_t>(s.m_RankFlags.size()));
  for (int32_t flag : s.m_RankFlags) w.WriteI32(flag);
  for (cRemoveArea& area : s.m_RemoveAreas) area.Write(w);
}
}  // namespace

bool cStage::Write(cRecordWriter& w) {
  cReadContext context = OwnContext(DefaultReadContext());
  Validate(context);
  WriteScalarHead(*this, w);
  WriteLists(w, context);
  WriteTail(w);
  w.WriteU32(kStageTrailer);
  return true;
}

bool cStage::WriteReplay(cRecordWriter& w, cStage& scalars) {
  cReadContext context = OwnContext(DefaultReadContext());
  Validate(context);
  WriteScalarHead(scalars, w);
  WriteLists(w, context);
  scalars.WriteTail(w);
  w.WriteU32(kStageTrailer);
  return true;
}

void cStage::Validate(const cReadContext& outer) {
  const cReadContext context = OwnContext(outer);
  // 20 x 15 blocks fill the screen. Maps smaller than the screen would give
  // negative limits; the view never starts left of or above the map.
  auto clampLimit = [](int32_t& limit, int64_t upper) {
    if (limit > upper) limit = static_cast<int32_t>(upper);
    if (limit < 0) limit = 0;
  };
  clampLimit(m_LimitLeftCol, int64_t{m_Width} - 20);
  clampLimit(m_LimitRightCol, int64_t{m_Width} - 1);
  clampLimit(m_LimitTopRow, int64_t{m_Height} - 15);
  clampLimit(m_LimitBottomRow, int64_t{m_Height} - 1);

  SetHitLevel(m_HitLevel);
  // The frame rate paces play and divides the frame time.
  if (m_FrameRate <= 0) m_FrameRate = 60;

  const int bgms = context.DbCount(DbList::Bgm);
  if (m_Bgm < 0 || (bgms >= 0 && m_Bgm >= bgms)) m_Bgm = 0;

  while (m_PaletteBlocks.size() < 2) m_PaletteBlocks.emplace_back();
  while (m_PaletteCharas.size() < 2) m_PaletteCharas.emplace_back();
  while (m_PaletteItems.size() < 2) m_PaletteItems.emplace_back();

  auto checkBlocks = [&](cVector<cBlockDef>& list) {
    for (cBlockDef& e : list) {
      e.ValidatePaletteRef(context);
      e.ValidateItemRef(context);
    }
  };
  auto checkDefs = [&](auto& list) {
    for (auto& e : list) {
      e.Validate(context);
      e.ValidateCommandRefs(context);
    }
  };
  checkBlocks(m_PaletteBlocks);
  checkDefs(m_PaletteCharas);
  checkDefs(m_PaletteItems);
  checkBlocks(m_PlacedBlocks);
  checkDefs(m_PlacedCharas);
  checkDefs(m_PlacedItems);
}

void cStage::SetHitLevel(int level) {
  // The editor offers 1..19; another level would divide by zero below.
  if (level < 1 || level > 19) level = 10;
  m_HitLevel = level;
  const int n = level >= 11 && level <= 19 ? level - 10 : level;
  m_SubSteps = n;
  m_SubStepsF = n;
  m_CmdStepPeriod = 6 * n;
  m_SubStepsSq = n * n;
  // Levels 11..19 hold the speed limit at 60 with fewer sub-steps.
  m_SpeedCap = level <= 10 || level >= 20 ? 6.0 * n : 60.0;
  m_FallStepLimit = 8 * n;
  m_StepCap = m_SpeedCap / n;
  m_GravityStep = m_Gravity / (n * n);
}

int cStage::FindHero() const {
  for (size_t i = 0; i < m_PlacedCharas.size(); ++i) {
    const cCharaDef& c = m_PlacedCharas[i];
    if (c.m_GfxIndex != 0 && c.m_Control == 0) return static_cast<int>(i);
  }
  return -1;
}

void cStage::AssignScalars(cStage& source) {
  Assign(source);
  m_BackLayers = source.m_BackLayers;
  m_VarNames = source.m_VarNames;
  for (int i = 0; i < 5; ++i) m_RemoveAreas[i] = source.m_RemoveAreas[i];
  m_RankFlags = source.m_RankFlags;
}
