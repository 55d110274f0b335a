#include "data/FlowCmd.h"

#include <algorithm>

#include "data/CommandTables.h"
#include "data/Flow.h"
#include "data/FlowCmdMigrations.h"

namespace {
// Commands carry flows that carry commands. Authored files nest a few
// levels; a hostile file could nest deep enough to exhaust the stack.
constexpr int kMaxSubFlowDepth = 32;
thread_local int tSubFlowDepth = 0;

struct DepthScope {
  DepthScope() { ++tSubFlowDepth; }
  ~DepthScope() { --tSubFlowDepth; }
  bool TooDeep() const { return tSubFlowDepth > kMaxSubFlowDepth; }
};

// Indexes compare unsigned with list sizes, so a negative index is out of
// range. An unknown size (-1) repairs nothing.
bool OutOfRange(int32_t index, int count) {
  return count >= 0 && static_cast<uint32_t>(index) >= static_cast<uint32_t>(count);
}

// The minimum bytes of one command body: field and string counts, the move
// and shot flags, the sub-flow and parameter counts.
constexpr size_t kMinCmdBytes = 24;

template <class T>
bool ReadOptionalRecord(cRecordReader& r, boost::shared_ptr<T>& p) {
  uint32_t present = 0;
  if (!r.ReadU32(present)) return false;
  if (!present) {
    p.reset();
    return true;
  }
  T::Reset(p);
  return p->Read(r);
}

template <class T>
void WriteOptionalRecord(cRecordWriter& w, const boost::shared_ptr<T>& p) {
  w.WriteU32(p ? 1u : 0u);
  if (p) p->Write(w);
}
}  // namespace

cFlowCmd::cFlowCmd() { Clear(); }

cFlowCmd::cFlowCmd(const cFlowCmd& other)
    : cSerialRecord(other),
      m_CmdSet(other.m_CmdSet),
      m_CmdKind(other.m_CmdKind),
      m_Params(other.m_Params),
      m_Text(other.m_Text),
      m_Time(other.m_Time),
      m_TimeStep(other.m_TimeStep),
      m_WithNext(other.m_WithNext),
      m_CmdSound(other.m_CmdSound),
      m_CmdOption(other.m_CmdOption),
      m_Anime(other.m_Anime),
      m_SubFlows(other.m_SubFlows) {
  cEdMove::Assign(m_pMove, other.m_pMove);
  cEdShot::Assign(m_pShot, other.m_pShot);
  cCondList::Assign(m_pCondList, other.m_pCondList);
}

cFlowCmd& cFlowCmd::operator=(const cFlowCmd& other) {
  if (this == &other) return *this;
  cSerialRecord::operator=(other);
  m_CmdSet = other.m_CmdSet;
  m_CmdKind = other.m_CmdKind;
  m_Params = other.m_Params;
  m_Text = other.m_Text;
  cEdMove::Assign(m_pMove, other.m_pMove);
  cEdShot::Assign(m_pShot, other.m_pShot);
  m_Time = other.m_Time;
  m_TimeStep = other.m_TimeStep;
  m_WithNext = other.m_WithNext;
  m_CmdSound = other.m_CmdSound;
  m_CmdOption = other.m_CmdOption;
  m_Anime = other.m_Anime;
  cCondList::Assign(m_pCondList, other.m_pCondList);
  m_SubFlows = other.m_SubFlows;
  return *this;
}

cFlowCmd::~cFlowCmd() = default;

void cFlowCmd::RegisterFields(uint32_t) {
  ResetFields();
  AddChar(&m_CmdSet, 1, "m_CmdSet");
  AddChar(&m_CmdKind, 1, "m_CmdKind");
  AddString(&m_Text, "m_Text");
  AddShort(&m_Time, 1, "m_Time");
  AddShort(&m_TimeStep, 1, "m_TimeStep");
  AddChar(&m_WithNext, 1, "m_WithNext");
  AddShort(&m_CmdSound, 1, "m_CmdSound");
  AddChar(&m_CmdOption, 1, "m_CmdOption");
  AddShort(&m_Anime, 1, "m_Anime");
}

void cFlowCmd::Clear() {
  cSerialRecord::Clear();
  m_pMove.reset();
  m_pShot.reset();
  m_pCondList.reset();
  m_CmdOption = 1;
}

bool cFlowCmd::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  const uint32_t v = r.Version();
  const cReadContext& context = ContextOf(r);

  if (!ReadOptionalRecord(r, m_pMove)) return false;
  if (!ReadOptionalRecord(r, m_pShot)) return false;
  // Condition lists came with 764; older commands keep what they had.
  if (v > 763 && !ReadOptionalRecord(r, m_pCondList)) return false;

  {
    DepthScope depth;
    if (depth.TooDeep()) return r.Fail("flows nested too deep");
    if (!ReadFlowVector(m_SubFlows, r)) return false;
  }

  uint32_t n = 0;
  if (!r.ReadCount(n, sizeof(int32_t))) return false;
  m_Params.assign(n, 0);
  if (n && !r.ReadBytes(m_Params.data(), n * sizeof(int32_t))) return false;

  if (v < 791) MigrateFlowCmd(*this, v);
  RemoveTestPlayFlows(m_SubFlows, context);
  Validate(context);
  return r.Ok();
}

bool cFlowCmd::Write(cRecordWriter& w) {
  Validate(DefaultReadContext());
  cSerialRecord::Write(w);
  WriteOptionalRecord(w, m_pMove);
  WriteOptionalRecord(w, m_pShot);
  WriteOptionalRecord(w, m_pCondList);
  WriteFlowVector(m_SubFlows, w);
  w.WriteU32(static_cast<uint32_t>(m_Params.size()));
  if (!m_Params.empty()) w.WriteBytes(m_Params.data(), m_Params.size() * sizeof(int32_t));
  return true;
}

int16_t SwordTime(const std::vector<int>& durations) {
  // The original summed in 16 bits, which wraps negative past 32767 before
  // the cap is seen; the sum is kept wide and capped after each addition.
  int64_t sum = 0;
  for (int d : durations) {
    sum += d;
    sum = std::clamp<int64_t>(sum, INT16_MIN, 9999);
  }
  return static_cast<int16_t>(sum);
}

void cFlowCmd::Validate(const cReadContext& context) {
  if (OutOfRange(m_Anime, context.DbCount(DbList::Anime))) m_Anime = 0;
  if (OutOfRange(m_CmdSound, context.DbCount(DbList::Sound))) m_CmdSound = 0;

  m_Params.resize(static_cast<size_t>(CmdParamCount(m_CmdSet, m_CmdKind)), 0);

  auto repairToZero = [&](DbList list) {
    if (!m_Params.empty() && OutOfRange(m_Params[0], context.DbCount(list))) m_Params[0] = 0;
  };
  // Repaired to 1 (the first entry after "none"); a list too short to hold
  // entry 1 gets 0 instead.
  auto repairToOne = [&](DbList list) {
    const int count = context.DbCount(list);
    if (!m_Params.empty() && OutOfRange(m_Params[0], count)) m_Params[0] = count >= 2 ? 1 : 0;
  };

  if (!IsItemCmd()) {
    switch (m_CmdKind) {
      case 12: {  // ソード: the time is the sword type's length
        if (!m_pShot) break;
        const int types = context.DbCount(DbList::SwordType);
        if (OutOfRange(m_pShot->m_ShotMove, types)) m_pShot->m_ShotMove = 0;
        if (types == 0)
          m_Time = 0;
        else if (context.swordFrameDurations)
          m_Time = SwordTime(context.swordFrameDurations(m_pShot->m_ShotMove));
        break;
      }
      case 27: repairToZero(DbList::AnimeSet); break;
      case 28: repairToOne(DbList::Anime); break;
      case 29: repairToOne(DbList::Effect); break;
      case 30: repairToOne(DbList::CharaEffect); break;
      case 31: repairToOne(DbList::ScrEffect); break;
      case 32: repairToOne(DbList::Picture); break;
      case 35: repairToOne(DbList::Sound); break;
      case 36: repairToOne(DbList::Bgm); break;
      default: break;
    }
  } else {
    switch (m_CmdKind) {
      case 12: repairToZero(DbList::AnimeSet); break;
      case 13: repairToOne(DbList::Anime); break;
      case 14: repairToOne(DbList::Effect); break;
      case 15: repairToOne(DbList::CharaEffect); break;
      case 16: repairToOne(DbList::ScrEffect); break;
      case 17: repairToOne(DbList::Picture); break;
      case 20: repairToOne(DbList::Sound); break;
      case 21: repairToOne(DbList::Bgm); break;
      default: break;
    }
  }

  for (cFlow& flow : m_SubFlows) flow.Validate(context);
}

void cFlowCmd::CheckPaletteRefs(const PaletteCounts& common, const PaletteCounts& stage) {
  // Palette numbers 0 common / 1 stage, as commands and summons use them.
  auto palette = [&](int which) -> const PaletteCounts* {
    return which == 0 ? &common : which == 1 ? &stage : nullptr;
  };
  auto checkTakeItem = [&] {
    if (m_Params.size() < 2) return;
    const PaletteCounts* p = palette(m_Params[0]);
    if (p && OutOfRange(m_Params[1], p->items)) m_Params[1] = 1;
  };

  if (!IsItemCmd()) {
    switch (m_CmdKind) {
      case 11:
      case 12:
        if (m_pShot) {
          // A dropped item counts its palette 1 common, 2 stage (0 none).
          const PaletteCounts* p = palette(m_pShot->m_DropItemPalette - 1);
          if (p && OutOfRange(m_pShot->m_DropItemIndex, p->items)) {
            m_pShot->m_DropItemPalette = 0;
            m_pShot->m_DropItemIndex = 0;
          }
        }
        break;
      case 13:
      case 14:
      case 15:
        if (m_pShot) {
          const PaletteCounts* p = palette(m_pShot->m_SummonPalette);
          if (p) {
            const int count = m_CmdKind == 13 ? p->blocks : m_CmdKind == 14 ? p->charas : p->items;
            if (OutOfRange(m_pShot->m_SummonIndex, count)) m_pShot->m_SummonIndex = 1;
          }
        }
        break;
      case 25: checkTakeItem(); break;
      default: break;
    }
  } else if (m_CmdKind == 10) {
    checkTakeItem();
  }

  for (cFlow& flow : m_SubFlows) flow.CheckPaletteRefs(common, stage);
}

bool ReadCmdVector(cVector<cFlowCmd>& v, cRecordReader& r) { return ReadRecordVector(r, v, kMinCmdBytes); }

void WriteCmdVector(cVector<cFlowCmd>& v, cRecordWriter& w) { WriteRecordVector(w, v); }
