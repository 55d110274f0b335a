#pragma once
// The file layouts of the condition, movement, shot, flow, key-condition,
// condition-list and command records, written out here as tables on their
// own (not taken from the readers), and builders of bodies at any version
// from them. Each field entry is present in files of versions from..to.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ByteBuilder.h"

namespace layout {

using testsupport::Bytes;
using testsupport::ByteBuilder;

constexpr uint32_t kAll = 0xFFFFFFFF;

struct Field {
  const char* name;
  int bytes;  // of the whole entry (count x element size)
  uint32_t from = 0;
  uint32_t to = kAll;
  int value = -1;  // each byte of the entry; -1: a value of its own (position + 1)
};

struct Record {
  const char* name;
  std::vector<Field> fields;
  std::vector<Field> strings;  // bytes unused
};

inline const Record& CondLayout() {
  static const Record r{"cCond",
                        {{"m_Kind", 1, 0, kAll, 1},  // kind 1: no upgrade step touches it
                         {"m_Value", 4},
                         {"m_Dropped[0]", 2, 0, 109},
                         {"m_Dropped[1]", 2, 0, 109},
                         {"m_RandomMin", 4, 110},
                         {"m_RandomMax", 4, 110},
                         {"m_Target", 1, 110},
                         {"m_Status", 1, 110},
                         {"m_LeftSource", 1, 110},
                         {"m_LeftScope", 1, 110},
                         {"m_Index", 2, 110},
                         {"m_RightSource", 1, 110},
                         {"m_RightTarget", 1, 110},
                         {"m_RightStatus", 1, 110},
                         {"m_RightScope", 1, 110},
                         {"m_RightIndex", 2, 110},
                         {"m_Op", 1},
                         {"m_Percent", 1, 43},
                         {"m_Shape", 1}},
                        {}};
  return r;
}

inline const Record& MoveLayout() {
  static const Record r{"cEdMove",
                        {{"m_MoveBy", 1, 0, kAll, 1},  // below 2: no upgrade renumbers it
                         {"m_Direction", 1},
                         {"m_Angle", 2},
                         {"m_AngleStep", 2},
                         {"m_MirrorAngle", 1, 158},
                         {"m_UseX", 1},
                         {"m_UseY", 1},
                         {"m_TargetBlockX", 2},
                         {"m_TargetBlockY", 2},
                         {"m_TargetDotX", 2},
                         {"m_TargetDotY", 2},
                         {"m_CoordSystem", 1},
                         {"m_EndAtTarget", 1},
                         {"m_LockX", 1},
                         {"m_LockY", 1},
                         {"m_MirrorX", 1},
                         {"m_MirrorY", 1},
                         {"m_TurnWithChara", 1},
                         {"m_NoOvershoot", 1},
                         {"m_KeepFacing", 1, 162},
                         {"m_SpeedMode", 1},
                         {"m_Speed", 2},
                         {"m_SpeedStep", 2},
                         {"m_Distance", 2},
                         {"m_DistanceStep", 2},
                         {"m_DistanceUnit", 1, 159},
                         {"m_Extra", 2},
                         {"m_ExtraStep", 2},
                         {"m_Inertia", 1},
                         {"m_InertiaLimit", 2},
                         {"m_InertiaRate", 8},
                         {"m_PlayAnime", 1, 162},
                         {"m_TargetSlot", 1, 767}},
                        {}};
  return r;
}

inline const Record& ShotLayout() {
  static const Record r{"cEdShot",
                        {{"m_ShotCount", 1},
                         {"m_Formation", 1},
                         {"m_FormationParam", 6},
                         {"m_FormationCentre", 1, 671},
                         {"m_ShotDirection", 1},
                         {"m_AltPlacement", 1},
                         {"m_FormationTarget", 1, 767},
                         {"m_ShotAngle", 2},
                         {"m_ShotAngleStep", 2},
                         {"m_MirrorShotAngle", 1, 158},
                         {"m_AngleJitter", 2},
                         {"m_PlacementOption", 1},
                         {"m_Volleys", 1},
                         {"m_ShotOffsetX", 2},
                         {"m_ShotOffsetXStep", 2},
                         {"m_ShotOffsetY", 2},
                         {"m_ShotOffsetYStep", 2},
                         {"m_MirrorOffsetX", 1},
                         {"m_MirrorOffsetY", 1},
                         {"m_Graphic", 2},
                         {"m_OptionA", 1},
                         {"m_ShotHidden", 1},
                         {"m_OptionB", 1},
                         {"m_ShotFaction", 1},
                         {"m_OptionC", 1},
                         {"m_ShotSize", 1},
                         {"m_OptionD", 1},
                         {"m_ShotMove", 1},
                         {"m_MoveParam", 6},
                         {"m_MoveTarget", 1, 767},
                         {"m_HomingOption", 1, 211},
                         {"m_ShotSpeed", 2},
                         {"m_ShotSpeedStep", 2},
                         {"m_ExtraFlag", 1, 213},
                         {"m_ExtraValue1", 2, 213},
                         {"m_ExtraValue2", 2, 213},
                         {"m_MoveTime", 2},
                         {"m_MoveTimeLimited", 1},
                         {"m_MoveTimeStep", 2},
                         {"m_StopAtMoveEnd", 1},
                         {"m_LifeLimited", 1},
                         {"m_LifeTime", 2},
                         {"m_LifeTimeStep", 2},
                         {"m_OptionE", 1},
                         {"m_PierceChara", 1},
                         {"m_PierceBlockChara", 1, 636},
                         {"m_HitsShots", 1},
                         {"m_ShotStrength", 1},
                         {"m_Attack", 4},
                         {"m_HitValue", 2},
                         {"m_Impact", 1},
                         {"m_HitEffect", 2},
                         {"m_DropItemPalette", 1},
                         {"m_DropItemIndex", 2},
                         {"m_BlockSummonMode", 1},
                         {"m_OptionH", 1},
                         {"m_OptionHBlock", 1, 197},
                         {"m_SummonPalette", 1},
                         {"m_SummonIndex", 2},
                         {"m_SummonFaction", 1},
                         {"m_OptionF", 1},
                         {"m_SummonReverse", 1},
                         {"m_OptionI", 1, 762},
                         {"m_OptionJ", 1, 762}},
                        {}};
  return r;
}

inline const Record& FlowLayout() {
  static const Record r{"cFlow",
                        {{"m_FlowId", 1},
                         {"m_ExclusiveId", 1},
                         {"m_TestPlayOnly", 1},
                         {"m_CondMode", 1},
                         {"m_CondLatch", 1},
                         {"m_Trigger", 1, 0, kAll, 0},  // trigger 0: no upgrade renumbers it
                         {"m_PartnerToTarget", 1, 762},
                         {"m_PartnerSlot", 1, 767},
                         {"m_KeyTolerance", 1},
                         {"m_KeyRepeat", 1}},
                        {{"m_FlowName", 0, 676}}};
  return r;
}

inline const Record& KeyCondLayout() {
  static const Record r{
      "cKeyCond",
      {{"m_MirrorKeys", 1}, {"m_HoldMin", 2}, {"m_HoldMax", 2}, {"m_AnyHold", 1}, {"m_KeyMode", 1}},
      {}};
  return r;
}

inline const Record& CondListLayout() {
  static const Record r{"cCondList", {{"m_Enabled", 1}, {"m_Mode", 1}}, {}};
  return r;
}

inline const Record& CmdLayout() {
  static const Record r{"cFlowCmd",
                        {{"m_CmdSet", 1, 0, kAll, 0},
                         {"m_CmdKind", 1, 0, kAll, 10},  // a character's jump: no upgrade step touches it
                         {"m_Time", 2},
                         {"m_TimeStep", 2},
                         {"m_WithNext", 1},
                         {"m_CmdSound", 2},
                         {"m_CmdOption", 1},
                         {"m_Anime", 2}},
                        {{"m_Text", 0}}};
  return r;
}

inline bool Present(const Field& f, uint32_t v) { return v >= f.from && v <= f.to; }

// The byte value of each byte of the entry at `position` in the table.
inline unsigned char ValueOf(const Field& f, size_t position) {
  return static_cast<unsigned char>(f.value >= 0 ? f.value : static_cast<int>(position) + 1);
}

// The field and string blocks of a record at version v; strings hold "s".
inline Bytes Blocks(const Record& r, uint32_t v) {
  ByteBuilder b;
  int32_t n = 0;
  for (const Field& f : r.fields) n += Present(f, v) ? 1 : 0;
  b.I32(n);
  for (size_t i = 0; i < r.fields.size(); ++i)
    if (Present(r.fields[i], v)) b.Fill(static_cast<size_t>(r.fields[i].bytes), ValueOf(r.fields[i], i));
  int32_t m = 0;
  for (const Field& s : r.strings) m += Present(s, v) ? 1 : 0;
  b.I32(m);
  for (const Field& s : r.strings)
    if (Present(s, v)) b.Str("s");
  return b.bytes();
}

// A flow body: its blocks, then empty condition, key-condition and command lists.
inline Bytes FlowBody(uint32_t v) { return ByteBuilder().Raw(Blocks(FlowLayout(), v)).U32(0).U32(0).U32(0).bytes(); }

// A command at version v holding a movement, a shot, (from 764) a condition
// list with (from 766) one condition, one sub-flow, and no parameters.
inline Bytes CmdBody(uint32_t v) {
  ByteBuilder b;
  b.Raw(Blocks(CmdLayout(), v));
  b.U32(1).Raw(Blocks(MoveLayout(), v));
  b.U32(1).Raw(Blocks(ShotLayout(), v));
  if (v >= 764) {
    b.U32(1).Raw(Blocks(CondListLayout(), v));
    if (v >= 766) b.U32(1).Raw(Blocks(CondLayout(), v));
  }
  b.U32(1).Raw(FlowBody(v));
  b.U32(0);
  return b.bytes();
}

// Every version next to a gate of these records, on both sides.
inline const std::vector<uint32_t>& GateVersions() {
  static const std::vector<uint32_t> v = {1,   42,  43,  109, 110, 157, 158, 159, 161, 162, 196,
                                          197, 210, 211, 212, 213, 635, 636, 670, 671, 675, 676,
                                          761, 762, 763, 764, 765, 766, 767, 790, 791};
  return v;
}

}  // namespace layout
