#include "tests/support/StageGen.h"

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "data/CommandTables.h"
#include "data/Database.h"
#include "data/FlowCmd.h"
#include "data/Stage.h"
#include "engine/flow/Conditions.h"

namespace stagegen {

Source::Source(uint32_t seed, const uint8_t* bytes, size_t size)
    : state_(0x9E3779B97F4A7C15ull ^ (uint64_t{seed} * 0xBF58476D1CE4E5B9ull)), bytes_(bytes), size_(size) {}

uint32_t Source::Next() {
  if (bytes_ && used_ + 4 <= size_) {
    const uint8_t* b = bytes_ + used_;
    used_ += 4;
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
  }
  // splitmix64
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

int Source::Range(int lo, int hi) {
  if (hi <= lo) return lo;
  const uint64_t span = static_cast<uint64_t>(int64_t{hi} - lo) + 1;
  return static_cast<int>(lo + static_cast<int64_t>(Next() % span));
}

bool Source::Chance(int percent) { return Range(0, 99) < percent; }

int32_t Source::Param(int lo, int hi) {
  const int roll = Range(0, 99);
  if (roll < 86) return Range(lo, hi);
  if (roll < 94) return Range(0, 1) ? lo - 1 : hi + 1;
  if (roll < 98) return Range(-1000, 1000);
  static const int32_t kExtremes[] = {INT_MIN, INT_MAX, -32768, 32767, 65535, -129, 128, 999999};
  return kExtremes[Range(0, 7)];
}

namespace {

// Narrowing for the byte and word fields: the value wraps as the file would hold it.
template <class T>
T As(int32_t v) {
  return static_cast<T>(v);
}

// Map and layout of every generated stage.
constexpr int kMinWidth = 24, kMaxWidth = 40;
constexpr int kMinHeight = 15, kMaxHeight = 20;

// Entries AddDatabaseEntries makes sure of.
constexpr int kDbEntries = 4;

// Command kinds that take which records.
bool TakesMove(uint8_t set, int kind) {
  if (set != 0) return kind == 5;  // item ワープ
  return (kind >= 2 && kind <= 8) || kind == 20;
}
bool TakesShot(uint8_t set, int kind) { return set == 0 && kind >= 11 && kind <= 15; }
constexpr int kCharaCmdStageClear = 17, kCharaCmdMessage = 19, kCharaCmdStatus = 22, kCharaCmdCode = 37,
              kCharaCmdLoop = 39;
constexpr int kItemCmdChangeFlow = 1, kItemCmdStageClear = 2, kItemCmdMessage = 4, kItemCmdStatus = 7,
              kItemCmdCode = 22, kItemCmdLoop = 24;
// Units of 6 frames: the generated stage clears itself after about 300 frames.
constexpr int16_t kLateClearTime = 50;

class Generator {
 public:
  explicit Generator(Source& s) : s_(s) {}

  cStage Stage() {
    cStage st;
    width_ = s_.Range(kMinWidth, kMaxWidth);
    height_ = s_.Range(kMinHeight, kMaxHeight);
    st.m_Name = "gen";
    st.m_Width = width_;
    st.m_Height = height_;
    st.m_ScrollExtraX = width_ * 32;
    st.m_ScrollExtraY = height_ * 32;
    st.m_LimitLeftCol = 0;
    st.m_LimitRightCol = width_ - 1;
    st.m_LimitTopRow = 0;
    st.m_LimitBottomRow = height_ - 1;
    st.m_HitLevel = s_.Chance(70) ? s_.Range(1, 4) : s_.Param(1, 19);
    st.m_Gravity = s_.Range(0, 10) / 10.0;
    st.m_TimeLimitOn = s_.Chance(30);
    st.m_TimeLimit = s_.Range(5, 300);
    st.m_TimeWarning = s_.Range(0, 30);
    st.m_AutoScrollX = s_.Chance(15);
    st.m_AutoScrollY = s_.Chance(10);
    st.m_AutoSpeedX = s_.Param(-20, 20);
    st.m_AutoSpeedY = s_.Param(-20, 20);
    st.m_ObjectHitLevel = s_.Param(0, 10);
    st.m_Bgm = s_.Range(0, kDbEntries);
    st.m_OnScreenHitsOnly = s_.Chance(50);
    st.m_HeroImmuneFrames = s_.Param(0, 60);
    st.m_CharaImmuneFrames = s_.Param(0, 60);
    st.m_ShowStartCaption = s_.Chance(50);
    for (cRemoveArea& a : st.m_RemoveAreas)
      a.Set(s_.Chance(50), s_.Chance(50), s_.Chance(50), s_.Chance(50), s_.Range(0, 10), s_.Range(0, 10),
            s_.Range(0, 10), s_.Range(0, 10));

    Blocks(st);
    // Palette entries that summons and changes of graphic name.
    for (int i = 0; i < 3; ++i) st.m_PaletteCharas.push_back(Chara(1, 0, 0, 1));
    for (int i = 0; i < 3; ++i) st.m_PaletteItems.push_back(Item(0, 0));
    for (int i = 0; i < 3; ++i) st.m_PaletteBlocks.push_back(Block(0, 0));

    // The hero stands on the floor at the left; the others spread over the map.
    const int floorRow = height_ - 2;
    st.m_PlacedCharas.push_back(Chara(0, 2, floorRow - 1, 3));
    HeroControls(st.m_PlacedCharas.back());
    const int others = s_.Range(4, 6);
    for (int i = 0; i < others; ++i)
      st.m_PlacedCharas.push_back(Chara(1, s_.Range(4, width_ - 2), s_.Range(2, floorRow - 1), 3));
    const int items = s_.Range(2, 4);
    for (int i = 0; i < items; ++i) st.m_PlacedItems.push_back(Item(s_.Range(3, width_ - 3), floorRow - 1));

    CoverEveryKind(st);
    return st;
  }

 private:
  // --- map ---

  cBlockDef Block(int col, int row) {
    cBlockDef b;
    b.m_Col = As<int16_t>(col);
    b.m_Row = As<int16_t>(row);
    b.m_GfxIndex = As<int16_t>(s_.Range(1, 20));
    b.m_GfxKind = As<int8_t>(s_.Chance(85) ? 0 : s_.Param(0, 4));
    b.m_Hit = As<int8_t>(s_.Chance(80) ? 1 : s_.Param(0, 2));
    b.m_HitException = As<uint8_t>(s_.Chance(80) ? 255 : s_.Range(0, 3));
    b.m_Effect = As<int8_t>(s_.Chance(70) ? 0 : s_.Param(0, 12));
    b.m_EffectValue = s_.Param(0, 30);
    b.m_Front = As<int8_t>(s_.Chance(20));
    b.m_Hidden = As<int8_t>(s_.Chance(10));
    b.m_Fixed = As<int8_t>(s_.Chance(20));
    if (s_.Chance(10)) {
      b.m_ItemKind = As<int8_t>(s_.Range(0, 2));
      b.m_ItemIndex = As<int16_t>(s_.Range(0, 2));
    }
    return b;
  }

  void Blocks(cStage& st) {
    const int floorRow = height_ - 2;
    for (int c = 0; c < width_; ++c) {
      // A gap now and then, never under the hero.
      if (c > 4 && s_.Chance(8)) continue;
      st.m_PlacedBlocks.push_back(Block(c, floorRow));
      cBlockDef solid = st.m_PlacedBlocks.back();
      solid.m_Hit = 1;
      solid.m_Row = As<int16_t>(floorRow + 1);
      st.m_PlacedBlocks.push_back(solid);
    }
    // A few ledges and walls.
    const int extra = s_.Range(3, 10);
    for (int i = 0; i < extra; ++i) st.m_PlacedBlocks.push_back(Block(s_.Range(4, width_ - 1), s_.Range(3, floorRow - 1)));
  }

  // --- conditions ---

  cCond Cond(int kind) {
    cCond c;
    c.m_Kind = As<int8_t>(kind);
    c.m_LeftSource = As<int8_t>(s_.Param(0, 1));
    c.m_LeftScope = As<int8_t>(s_.Param(0, 1));
    c.m_Target = As<int8_t>(s_.Param(0, 5));
    c.m_Status = As<int8_t>(s_.Param(0, 40));
    c.m_Index = As<int16_t>(s_.Param(0, 12));
    c.m_RightSource = As<int8_t>(s_.Param(0, 3));
    c.m_Value = s_.Param(-5, 20);
    c.m_RandomMin = s_.Param(0, 10);
    c.m_RandomMax = s_.Param(0, 20);
    c.m_RightTarget = As<int8_t>(s_.Param(0, 5));
    c.m_RightStatus = As<int8_t>(s_.Param(0, 40));
    c.m_RightScope = As<int8_t>(s_.Param(0, 1));
    c.m_RightIndex = As<int16_t>(s_.Param(0, 12));
    c.m_Op = As<int8_t>(s_.Param(0, 7));
    c.m_Percent = As<int8_t>(s_.Param(0, 100));
    c.m_Shape = As<int8_t>(s_.Param(0, 3));
    return c;
  }

  void Conds(cVector<cCond>& conds, int maxCount) {
    const int n = s_.Range(0, maxCount);
    for (int i = 0; i < n; ++i) conds.push_back(Cond(s_.Param(0, kCondKinds - 1)));
  }

  cKeyCond KeyCond() {
    cKeyCond k;
    const int keys = s_.Range(1, 3);
    for (int i = 0; i < keys; ++i) k.m_KeyStates[static_cast<size_t>(s_.Range(0, cKeyCond::kKeys - 1))] =
        As<int8_t>(s_.Param(0, 2));
    k.m_MirrorKeys = As<uint8_t>(s_.Chance(50));
    k.m_HoldMin = As<int16_t>(s_.Param(0, 10));
    k.m_HoldMax = As<int16_t>(s_.Param(0, 30));
    k.m_AnyHold = As<uint8_t>(s_.Chance(60));
    k.m_KeyMode = As<int8_t>(s_.Param(0, 2));
    return k;
  }

  // --- records of commands ---

  cEdMove Move() {
    cEdMove m;
    m.m_MoveBy = As<uint8_t>(s_.Param(0, 3));
    m.m_Direction = As<uint8_t>(s_.Param(0, 12));
    m.m_Angle = As<int16_t>(s_.Param(-360, 360));
    m.m_AngleStep = As<int16_t>(s_.Param(-45, 45));
    m.m_MirrorAngle = As<uint8_t>(s_.Chance(50));
    m.m_UseX = As<uint8_t>(s_.Chance(80));
    m.m_UseY = As<uint8_t>(s_.Chance(80));
    m.m_TargetBlockX = As<int16_t>(s_.Param(-5, width_ + 5));
    m.m_TargetBlockY = As<int16_t>(s_.Param(-5, height_ + 5));
    m.m_TargetDotX = As<int16_t>(s_.Param(-31, 31));
    m.m_TargetDotY = As<int16_t>(s_.Param(-31, 31));
    m.m_CoordSystem = As<uint8_t>(s_.Param(0, 3));
    m.m_EndAtTarget = As<uint8_t>(s_.Chance(50));
    m.m_LockX = As<uint8_t>(s_.Chance(20));
    m.m_LockY = As<uint8_t>(s_.Chance(20));
    m.m_MirrorX = As<uint8_t>(s_.Chance(50));
    m.m_MirrorY = As<uint8_t>(s_.Chance(30));
    m.m_TurnWithChara = As<uint8_t>(s_.Chance(50));
    m.m_NoOvershoot = As<uint8_t>(s_.Chance(30));
    m.m_KeepFacing = As<uint8_t>(s_.Chance(30));
    m.m_SpeedMode = As<uint8_t>(s_.Param(0, 2));
    m.m_Speed = As<int16_t>(s_.Param(0, 80));
    m.m_SpeedStep = As<int16_t>(s_.Param(-10, 10));
    m.m_Distance = As<int16_t>(s_.Param(0, 200));
    m.m_DistanceStep = As<int16_t>(s_.Param(-20, 20));
    m.m_DistanceUnit = As<uint8_t>(s_.Param(0, 2));
    m.m_Extra = As<int16_t>(s_.Param(0, 100));
    m.m_ExtraStep = As<int16_t>(s_.Param(-10, 10));
    m.m_Inertia = As<uint8_t>(s_.Chance(30));
    m.m_InertiaLimit = As<int16_t>(s_.Param(0, 100));
    m.m_InertiaRate = s_.Range(0, 20) / 10.0;
    m.m_PlayAnime = As<uint8_t>(s_.Chance(30));
    m.m_TargetSlot = As<uint8_t>(s_.Param(0, 4));
    return m;
  }

  // A shot, sword or summon record; `move` and `formation` of -1 are drawn.
  cEdShot Shot(int move, int formation) {
    cEdShot s;
    s.m_ShotCount = As<int8_t>(s_.Chance(80) ? s_.Range(1, 5) : s_.Param(0, 30));
    s.m_Formation = As<uint8_t>(formation >= 0 ? formation : s_.Param(0, kFormationKinds - 1));
    for (int16_t& p : s.m_FormationParam) p = As<int16_t>(s_.Param(-10, 90));
    s.m_FormationCentre = As<uint8_t>(s_.Param(0, 2));
    s.m_ShotDirection = As<uint8_t>(s_.Param(0, 12));
    s.m_AltPlacement = As<uint8_t>(s_.Chance(30));
    s.m_FormationTarget = As<uint8_t>(s_.Param(0, 2));
    s.m_ShotAngle = As<int16_t>(s_.Param(-360, 360));
    s.m_ShotAngleStep = As<int16_t>(s_.Param(-45, 45));
    s.m_MirrorShotAngle = As<uint8_t>(s_.Chance(50));
    s.m_AngleJitter = As<int16_t>(s_.Param(0, 90));
    s.m_PlacementOption = As<uint8_t>(s_.Param(0, 2));
    s.m_Volleys = As<int8_t>(s_.Chance(70) ? s_.Range(0, 2) : s_.Param(0, 10));
    s.m_ShotOffsetX = As<int16_t>(s_.Param(-32, 32));
    s.m_ShotOffsetXStep = As<int16_t>(s_.Param(-8, 8));
    s.m_ShotOffsetY = As<int16_t>(s_.Param(-32, 32));
    s.m_ShotOffsetYStep = As<int16_t>(s_.Param(-8, 8));
    s.m_MirrorOffsetX = As<uint8_t>(s_.Chance(50));
    s.m_MirrorOffsetY = As<uint8_t>(s_.Chance(30));
    s.m_Graphic = As<int16_t>(s_.Param(0, 10));
    s.m_OptionA = As<uint8_t>(s_.Chance(30));
    s.m_ShotHidden = As<uint8_t>(s_.Chance(10));
    s.m_OptionB = As<uint8_t>(s_.Chance(50));
    s.m_ShotFaction = As<uint8_t>(s_.Param(0, 3));
    s.m_OptionC = As<uint8_t>(s_.Chance(30));
    s.m_ShotSize = As<int8_t>(s_.Param(1, 4));
    s.m_OptionD = As<uint8_t>(s_.Chance(30));
    s.m_ShotMove = As<uint8_t>(move >= 0 ? move : s_.Param(0, kShotMoveKinds - 1));
    for (int16_t& p : s.m_MoveParam) p = As<int16_t>(s_.Param(-10, 60));
    s.m_MoveTarget = As<uint8_t>(s_.Param(0, 4));
    s.m_HomingOption = As<uint8_t>(s_.Param(0, 2));
    s.m_ShotSpeed = As<int16_t>(s_.Param(0, 80));
    s.m_ShotSpeedStep = As<int16_t>(s_.Param(-10, 10));
    s.m_ExtraFlag = As<uint8_t>(s_.Chance(30));
    s.m_ExtraValue1 = As<int16_t>(s_.Param(0, 30));
    s.m_ExtraValue2 = As<int16_t>(s_.Param(0, 30));
    s.m_MoveTimeLimited = As<uint8_t>(s_.Chance(40));
    s.m_MoveTime = As<int16_t>(s_.Param(0, 60));
    s.m_MoveTimeStep = As<int16_t>(s_.Param(-5, 5));
    s.m_StopAtMoveEnd = As<uint8_t>(s_.Chance(30));
    // Most shots die young, so the lists stay short.
    s.m_LifeLimited = As<uint8_t>(s_.Chance(85));
    s.m_LifeTime = As<int16_t>(s_.Param(1, 40));
    s.m_LifeTimeStep = As<int16_t>(s_.Param(-5, 5));
    s.m_OptionE = As<uint8_t>(s_.Chance(30));
    s.m_PierceChara = As<uint8_t>(s_.Chance(30));
    s.m_PierceBlockChara = As<uint8_t>(s_.Chance(30));
    s.m_HitsShots = As<uint8_t>(s_.Chance(30));
    s.m_ShotStrength = As<uint8_t>(s_.Param(0, 3));
    s.m_Attack = s_.Param(0, 5);
    s.m_HitValue = As<int16_t>(s_.Param(0, 10));
    s.m_Impact = As<uint8_t>(s_.Param(0, 20));
    s.m_HitEffect = As<int16_t>(s_.Param(0, kDbEntries));
    s.m_DropItemPalette = As<uint8_t>(s_.Param(0, 2));
    s.m_DropItemIndex = As<int16_t>(s_.Param(0, 2));
    s.m_BlockSummonMode = As<uint8_t>(s_.Param(0, 2));
    s.m_SummonPalette = As<uint8_t>(s_.Param(0, 1));
    s.m_SummonIndex = As<int16_t>(s_.Param(0, 2));
    s.m_SummonFaction = As<uint8_t>(s_.Param(0, 3));
    s.m_OptionH = As<uint8_t>(s_.Chance(30));
    s.m_OptionHBlock = As<uint8_t>(s_.Chance(30));
    s.m_OptionF = As<uint8_t>(s_.Chance(30));
    s.m_SummonReverse = As<uint8_t>(s_.Chance(30));
    s.m_OptionI = As<uint8_t>(s_.Chance(30));
    s.m_OptionJ = As<uint8_t>(s_.Chance(30));
    return s;
  }

  // Message texts: code page 932 with the "#" variable escapes.
  std::string MessageText() {
    static const char* const kPieces[] = {
        "Hello", "\x83\x65\x83\x58\x83\x67",  // テスト
        "#1", "#C2_3Z.", "#S5_P", "#", "\n", "  ", "#999_9", "\x82\xA0\x82\xA2",  // あい
    };
    std::string text;
    const int n = s_.Range(1, 5);
    for (int i = 0; i < n; ++i) text += kPieces[s_.Range(0, 9)];
    // A lead byte without its trail byte at the end, now and then.
    if (s_.Chance(10)) text += '\x82';
    return text;
  }

  // A line of the code command's expression language; some lines are wrong.
  std::string CodeText() {
    static const char* const kLines[] = {
        "my.v1 = my.v1 + 1",
        "S1 = S1 + rand( 1 , 6 )",
        "C3 = my.hp * 2 - 1",
        "my.hp = my.hp - 1",
        "pl.sp = pl.msp",
        "score = score + 10",
        "S2 = ( S1 % 3 ) * ( C1 / 0 )",
        "tg.v8 = -2147483648 - 1",
        "my.z = 2147483647 * 2",
        "sys.time = time",
        "= = =",
        "my.v1 = ( ( 1 + 2 )",
    };
    return kLines[s_.Range(0, 11)];
  }

  // --- commands ---

  cFlowCmd Command(uint8_t set, int kind, int depth) {
    cFlowCmd c;
    c.m_CmdSet = set;
    c.m_CmdKind = As<int8_t>(kind);
    const int params = CmdParamCount(set, kind);
    for (int i = 0; i < params; ++i) c.m_Params.push_back(s_.Param(0, 12));
    // Status operations act only for a few values of their first fields:
    // what to change (a status or a variable, its scope and number), on whom
    // (0..4 characters, 5 the system values), which status (0..14), the
    // operation (0..6) and the operand's kind (0..3).
    if (set == 0 ? kind == kCharaCmdStatus : kind == kItemCmdStatus) {
      const int ranges[][2] = {{0, 1}, {0, 1}, {1, 20}, {0, 5}, {0, 14}, {0, 6}, {0, 3}};
      for (int i = 0; i < 7; ++i) c.m_Params[static_cast<size_t>(i)] = s_.Param(ranges[i][0], ranges[i][1]);
      c.m_Params[14] = s_.Chance(30);
      c.m_Params[17] = s_.Chance(30);
    }
    // Loops repeat a few commands a few times: every placed character
    // expands its loops at set-up, and huge ones only test the cut-off.
    if (set == 0 ? kind == kCharaCmdLoop : kind == kItemCmdLoop)
      for (int i = 0; i < params; ++i) c.m_Params[static_cast<size_t>(i)] = s_.Range(-1, 5);
    // Database references name entries the generated database holds.
    const int refKind = set != 0 ? kind + 15 : kind;
    if (params > 0 && refKind >= 27 && refKind <= 36 && refKind != 33 && refKind != 34 && s_.Chance(85))
      c.m_Params[0] = s_.Range(refKind == 27 ? 0 : 1, kDbEntries);
    c.m_Time = As<int16_t>(s_.Chance(70) ? s_.Range(0, 10) : s_.Param(0, 100));
    c.m_TimeStep = As<int16_t>(s_.Param(-2, 2));
    c.m_WithNext = As<uint8_t>(s_.Chance(30));
    c.m_CmdSound = As<int16_t>(s_.Chance(70) ? 0 : s_.Range(0, kDbEntries));
    c.m_CmdOption = As<uint8_t>(s_.Chance(50));
    c.m_Anime = As<int16_t>(s_.Chance(70) ? 0 : s_.Range(0, kDbEntries));
    if (TakesMove(set, kind)) c.m_pMove = boost::shared_ptr<cEdMove>(new cEdMove(Move()));
    if (TakesShot(set, kind)) c.m_pShot = boost::shared_ptr<cEdShot>(new cEdShot(Shot(-1, -1)));
    if (s_.Chance(15)) {
      cCondList::Reset(c.m_pCondList);
      c.m_pCondList->m_Enabled = As<int8_t>(s_.Chance(70));
      c.m_pCondList->m_Mode = As<int8_t>(s_.Param(0, 1));
      Conds(c.m_pCondList->m_Conds, 3);
    }
    const bool message = set == 0 ? kind == kCharaCmdMessage : kind == kItemCmdMessage;
    const bool code = set == 0 ? kind == kCharaCmdCode : kind == kItemCmdCode;
    if (message) c.m_Text = MessageText();
    if (code) c.m_Text = CodeText();
    if (set != 0 && kind == kItemCmdChangeFlow && depth == 0) {
      const int n = s_.Range(1, 2);
      for (int i = 0; i < n; ++i) c.m_SubFlows.push_back(Flow(s_.Range(0, kTriggerKinds - 1), depth + 1));
    }
    return c;
  }

  // Any kind but the clearing one (placed on purpose, late in the play).
  cFlowCmd RandomCommand(uint8_t set, int depth) {
    const int kinds = set != 0 ? kItemCmdKinds : kCharaCmdKinds;
    const int clear = set != 0 ? kItemCmdStageClear : kCharaCmdStageClear;
    int kind = s_.Chance(95) ? s_.Range(set != 0 ? 1 : 0, kinds - 1) : s_.Param(0, kinds);
    if (kind == clear) kind = 1;
    return Command(set, kind, depth);
  }

  cFlow Flow(int trigger, int depth) {
    cFlow f;
    f.m_FlowId = As<int8_t>(s_.Chance(60) ? 0 : s_.Param(1, 26));
    f.m_ExclusiveId = As<int8_t>(trigger == 0 && s_.Chance(30) ? s_.Param(1, 26) : 0);
    if (s_.Chance(30)) Conds(f.m_Conds, 2);
    f.m_CondMode = As<int8_t>(s_.Param(0, 1));
    f.m_CondLatch = As<int8_t>(s_.Chance(30));
    f.m_Trigger = As<int8_t>(trigger);
    f.m_PartnerToTarget = As<uint8_t>(s_.Chance(30));
    f.m_PartnerSlot = As<int8_t>(s_.Param(0, 3));
    f.m_KeyTolerance = As<int8_t>(s_.Param(0, 10));
    f.m_KeyRepeat = As<uint8_t>(s_.Chance(40));
    if (s_.Chance(25)) {
      const int keys = s_.Range(1, 3);
      for (int i = 0; i < keys; ++i) f.m_KeyConds.push_back(KeyCond());
    }
    const int cmds = s_.Range(1, 4);
    for (int i = 0; i < cmds; ++i) f.m_Cmds.push_back(RandomCommand(0, depth));
    return f;
  }

  // --- definitions ---

  cCharaDef Chara(int control, int col, int row, int flows) {
    cCharaDef d;
    d.m_Col = As<int16_t>(col);
    d.m_Row = As<int16_t>(row);
    d.m_HeldItem = -1;
    d.m_Control = As<int8_t>(control);
    d.m_GfxIndex = As<int16_t>(s_.Range(1, 8));
    d.m_GfxKind = As<int8_t>(s_.Chance(85) ? 1 : s_.Param(0, 4));
    d.m_AnimeSet = As<int16_t>(s_.Range(0, kDbEntries));
    d.m_Facing = As<int8_t>(s_.Param(0, 1));
    d.m_Faction = As<int8_t>(control == 0 ? 0 : s_.Param(0, 3));
    d.m_Fly = As<int8_t>(s_.Chance(25));
    d.m_FixedFacing = As<int8_t>(s_.Chance(50));
    d.m_Invincible = As<int8_t>(s_.Chance(10));
    d.m_Size = As<int8_t>(s_.Param(1, 3));
    d.m_MaxHp = control == 0 ? s_.Range(20, 99) : s_.Param(1, 20);
    d.m_MaxSp = s_.Param(0, 20);
    d.m_StopEase = As<int16_t>(s_.Param(0, 20));
    d.m_BodyPower = s_.Param(0, 3);
    d.m_BodyImpact = As<int8_t>(s_.Param(0, 10));
    d.m_Defence = s_.Param(0, 3);
    d.m_Score = s_.Param(0, 100);
    d.m_CharaEffect = As<int16_t>(s_.Chance(70) ? 0 : s_.Range(0, kDbEntries));
    d.m_CharaEffectArg1 = As<int8_t>(s_.Param(0, 3));
    d.m_CharaEffect2 = As<int16_t>(s_.Chance(80) ? 0 : s_.Range(0, kDbEntries));
    d.m_ViewShape = As<int8_t>(s_.Param(0, 3));
    d.m_ViewRange = As<int8_t>(s_.Param(0, 10));
    d.m_ActiveRange = As<int8_t>(s_.Param(0, 3));
    d.m_ActiveMode = As<int8_t>(s_.Param(0, 2));
    d.m_BlockChara = As<int8_t>(control != 0 && s_.Chance(10));
    if (control != 0 && s_.Chance(15)) {
      d.m_CopyCount = As<int8_t>(s_.Range(1, 2));
      d.m_CopyStepX = As<int16_t>(s_.Param(-64, 64));
      d.m_CopyStepY = As<int16_t>(s_.Param(-32, 32));
    }
    if (control != 0) Conds(d.m_Conds, 1);
    for (int i = 0; i < flows; ++i) d.m_Flows.push_back(Flow(s_.Range(0, kTriggerKinds - 1), 0));
    return d;
  }

  cItemDef Item(int col, int row) {
    cItemDef d;
    d.m_Col = As<int16_t>(col);
    d.m_Row = As<int16_t>(row);
    d.m_GfxIndex = As<int16_t>(s_.Range(1, 8));
    d.m_GfxKind = As<int8_t>(s_.Chance(85) ? 2 : s_.Param(0, 4));
    d.m_PickUp = As<int8_t>(s_.Param(0, 2));
    d.m_ShowOnTake = As<int8_t>(s_.Chance(50));
    d.m_Size = As<int8_t>(s_.Param(1, 3));
    d.m_Sound = As<int16_t>(s_.Range(0, kDbEntries));
    d.m_Hidden = As<int8_t>(s_.Chance(10));
    const int n = s_.Range(1, 3);
    for (int i = 0; i < n; ++i) d.m_Commands.push_back(RandomCommand(1, 0));
    return d;
  }

  // Walking while a direction is held, jumping on button 1 and firing on
  // button 2, so that scripted input moves the hero about the map.
  cFlow WhileKey(int key, cFlowCmd cmd) {
    cFlow f;
    f.m_Trigger = 0;
    f.m_KeyRepeat = 1;
    cKeyCond k;
    k.m_KeyStates[static_cast<size_t>(key)] = 1;
    k.m_AnyHold = 1;
    f.m_KeyConds.push_back(k);
    f.m_Cmds.push_back(std::move(cmd));
    return f;
  }
  void HeroControls(cCharaDef& hero) {
    constexpr int kKeyLeft = 1, kKeyRight = 2, kKeyButton1 = 11, kKeyButton2 = 12;
    for (auto [key, direction] : {std::pair{kKeyLeft, 2}, std::pair{kKeyRight, 3}}) {
      cFlowCmd walk = Command(0, 2, 0);
      walk.m_pMove = boost::shared_ptr<cEdMove>(new cEdMove());
      walk.m_pMove->m_Direction = As<uint8_t>(direction);
      walk.m_pMove->m_Speed = As<int16_t>(s_.Range(10, 40));
      walk.m_Time = 1;
      walk.m_pCondList.reset();
      hero.m_Flows.push_back(WhileKey(key, walk));
    }
    cFlowCmd jump = Command(0, 10, 0);
    jump.m_Params = {s_.Param(0, 2), 0, s_.Range(1, 8), 0, 0};
    jump.m_pCondList.reset();
    hero.m_Flows.push_back(WhileKey(kKeyButton1, jump));
    cFlowCmd shot = Command(0, 11, 0);
    shot.m_pCondList.reset();
    hero.m_Flows.push_back(WhileKey(kKeyButton2, shot));
  }

  // --- coverage ---

  // Some placed character other than the hero, or the hero.
  cCharaDef& SomeChara(cStage& st) {
    return st.m_PlacedCharas[static_cast<size_t>(s_.Range(0, static_cast<int>(st.m_PlacedCharas.size()) - 1))];
  }

  void CoverEveryKind(cStage& st) {
    // Every trigger, with commands of every kind spread over the flows.
    std::vector<cFlow> flows;
    for (int t = 0; t < kTriggerKinds; ++t) flows.push_back(Flow(t, 0));
    auto someFlow = [&]() -> cFlow& { return flows[static_cast<size_t>(s_.Range(0, kTriggerKinds - 1))]; };
    for (int k = 0; k < kCharaCmdKinds; ++k) {
      if (k == kCharaCmdStageClear) continue;
      someFlow().m_Cmds.push_back(Command(0, k, 0));
    }
    // The stage ends late: a flow of the hero waits before it clears.
    cFlow late = Flow(0, 0);
    late.m_Cmds.clear();
    cFlowCmd wait = Command(0, 1, 0);
    wait.m_Time = kLateClearTime;
    wait.m_TimeStep = 0;
    wait.m_WithNext = 0;
    wait.m_pCondList.reset();
    late.m_Cmds.push_back(wait);
    late.m_Cmds.push_back(Command(0, kCharaCmdStageClear, 0));
    st.m_PlacedCharas[0].m_Flows.push_back(late);
    // Every shot movement kind, and every formation with them.
    const int rotate = s_.Range(0, kFormationKinds - 1);
    for (int m = 0; m < std::max(kShotMoveKinds, kFormationKinds); ++m) {
      cFlowCmd c = Command(0, 11, 0);
      *c.m_pShot = Shot(m % kShotMoveKinds, (m + rotate) % kFormationKinds);
      someFlow().m_Cmds.push_back(c);
    }
    // Every condition kind on some flow.
    for (int k = 0; k < kCondKinds; ++k) someFlow().m_Conds.push_back(Cond(k));
    for (cFlow& f : flows) SomeChara(st).m_Flows.push_back(std::move(f));
    // Every item command kind on some placed item; the clearing one on an
    // item of its own at the right end of the map.
    for (int k = 1; k < kItemCmdKinds; ++k) {
      if (k == kItemCmdStageClear) continue;
      cItemDef& item =
          st.m_PlacedItems[static_cast<size_t>(s_.Range(0, static_cast<int>(st.m_PlacedItems.size()) - 1))];
      item.m_Commands.push_back(Command(1, k, 0));
    }
    cItemDef goal = Item(width_ - 2, height_ - 3);
    goal.m_Commands.push_back(Command(1, kItemCmdStageClear, 0));
    st.m_PlacedItems.push_back(goal);
  }

  Source& s_;
  int width_ = kMinWidth;
  int height_ = kMinHeight;
};

template <class T>
void AddUpTo(cVector<T>& list, size_t count, T entry) {
  while (list.size() < count) list.push_back(entry);
}

}  // namespace

void AddDatabaseEntries(cDatabase& db) {
  const size_t n = kDbEntries + 1;  // entry 0 stands for "none" in most lists
  {
    cAnime a;
    a.m_Name = "gen";
    a.m_Frames.clear();
    for (int i = 0; i < 3; ++i) {
      cAnimeFrame f;
      f.m_Pattern = i;
      f.m_Duration = i + 1;
      a.m_Frames.push_back(f);
    }
    AddUpTo(db.m_AnimeList, n, a);
  }
  AddUpTo(db.m_AnimeSets, n, cAnimeSet());
  {
    cSwordType t;
    t.m_Name = "gen";
    t.m_File = "bmp\\Sword.bmp";
    for (int i = 0; i < 3; ++i) {
      cSwordFrame f;
      f.m_Param1 = 8 * i;
      f.m_Width = 16;
      f.m_Height = 16;
      f.m_Param7 = i + 1;
      t.m_SwordFrames.push_back(f);
    }
    AddUpTo(db.m_SwordTypes, n, t);
  }
  {
    cEffect e;
    e.m_Name = "gen";
    e.m_File = "bmp\\Effect.bmp";
    for (int i = 0; i < 3; ++i) {
      cEffectFrame f;
      f.m_Pattern = i;
      f.m_Duration = 1;
      e.m_EffectFrames.push_back(f);
    }
    AddUpTo(db.m_Effects, n, e);
  }
  // Character and screen effects of every kind, one per entry.
  for (int k = 0; db.m_CharaEffects.size() < static_cast<size_t>(kCharaEffectKindCount); ++k) {
    cCharaEffect e;
    e.m_EffectKind = k;
    for (int p = 0; p < kEffectParamCount; ++p) e.m_EffectParam[p] = CharaEffectParam(k, p).defaultValue;
    db.m_CharaEffects.push_back(e);
  }
  for (int k = 0; db.m_ScrEffects.size() < static_cast<size_t>(kScrEffectKindCount); ++k) {
    cScrEffect e;
    e.m_EffectKind = k;
    for (int p = 0; p < kEffectParamCount; ++p) e.m_EffectParam[p] = ScrEffectParam(k, p).defaultValue;
    db.m_ScrEffects.push_back(e);
  }
  cPicture pic;
  pic.m_File = "bmp\\Picture.bmp";
  AddUpTo(db.m_Pictures, n, pic);
  cSound snd;
  snd.m_File = "sound\\gen.wav";
  AddUpTo(db.m_Sounds, n, snd);
  cBgm bgm;
  bgm.m_File = "bgm\\gen.mid";
  AddUpTo(db.m_Bgms, n, bgm);
}

cStage GenerateStage(Source& source) { return Generator(source).Stage(); }

cStage GenerateStage(uint32_t seed) {
  Source s(seed);
  return GenerateStage(s);
}

}  // namespace stagegen
