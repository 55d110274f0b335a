#include "data/WorldMap.h"

#include <algorithm>
#include <bit>

#include "base/Log.h"
#include "data/StageKey.h"

namespace {
// "ワールド"
constexpr const char* kDefaultWorldName = "\x83\x8F\x81\x5B\x83\x8B\x83\x68";
// "通行不可", "通行可"
constexpr const char* kChipBlocked = "\x92\xCA\x8D\x73\x95\x73\x89\xC2";
constexpr const char* kChipOpen = "\x92\xCA\x8D\x73\x89\xC2";
// "デフォルト"
constexpr const char* kDefaultPointLabel = "\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67";
// "SetSize()で 0 を指定しました！"
constexpr const char* kSetSizeZero =
    "SetSize()\x82\xC5 0 \x82\xF0\x8E\x77\x92\xE8\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49";

// Bits needed to hold width - 1: the pitch is 1 << this.
int PitchShiftFor(int width) { return std::bit_width(static_cast<uint32_t>(width - 1)); }

bool SizeFits(int width, int height) {
  if (width < 1 || height < 1) return false;
  return (int64_t{height} << PitchShiftFor(width)) <= cWorldMap::kMaxCells;
}

bool ReadCells(cRecordReader& r, cVector<int32_t>& cells) {
  uint32_t count = 0;
  if (!r.ReadCount(count, 4)) return false;
  cVector<int32_t> fresh(count);
  if (!r.ReadBytes(fresh.data(), size_t{count} * 4)) return false;
  cells = std::move(fresh);
  return true;
}
}  // namespace

void cWorldChip::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Spare, 1, "m_Spare");
  AddInt(&m_Blocked, 1, "m_Blocked");
  AddInt(&m_Picture, 1, "m_Picture");
  AddString(&m_SpareText, "m_SpareText");
  AddString(&m_Name, "m_Name");
}

void cWorldNode::RegisterFields(uint32_t version) {
  ResetFields();
  AddInt(&m_NodeKind, 1, "m_NodeKind");
  AddInt(&m_Picture, 1, "m_Picture");
  AddInt(&m_ClearSwitch, 1, "m_ClearSwitch");
  AddInt(&m_Open, 1, "m_Open");
  AddInt(&m_Reenter, 1, "m_Reenter");
  AddInt(&m_AfterClear, 1, "m_AfterClear");
  AddInt(&m_NeedSwitch, 1, "m_NeedSwitch");
  AddInt(&m_CondVar, 1, "m_CondVar");
  AddInt(&m_CondValue, 1, "m_CondValue");
  AddInt(&m_CondOp, 1, "m_CondOp");
  if (version >= 209) AddInt(&m_MinTotal, 1, "m_MinTotal");
  if (version >= 758) {
    AddInt(&m_HasPlace, 1, "m_HasPlace");
    AddInt(&m_PlaceA, 1, "m_PlaceA");
    AddInt(&m_PlaceB, 1, "m_PlaceB");
  }
  AddString(&m_NodeName, "m_NodeName");
  AddString(&m_StageFile, "m_StageFile");
}

bool cWorldNode::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (r.Version() <= 208) m_MinTotal = 0;
  return r.Ok();
}

void cWorldPoint::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_X, 1, "m_X");
  AddInt(&m_Y, 1, "m_Y");
  AddString(&m_Label, "m_Label");
}

bool cWorldPoint::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  return ReadRecordVector(r, m_Nodes) && r.Ok();
}

bool cWorldPoint::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteRecordVector(w, m_Nodes);
  return true;
}

void cWorldMap::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Width, 1, "m_Width");
  AddInt(&m_Height, 1, "m_Height");
  AddInt(&m_Pitch, 1, "m_Pitch");
  AddInt(&m_PitchShift, 1, "m_PitchShift");
  AddInt(&m_StartX, 1, "m_StartX");
  AddInt(&m_StartY, 1, "m_StartY");
  AddInt(&m_BackColour, 1, "m_BackColour");
  AddInt(&m_BackPicture, 1, "m_BackPicture");
  AddString(&m_Name, "m_Name");
  AddString(&m_BackPictureFile, "m_BackPictureFile");
}

void cWorldMap::SetDefaults() {
  Clear();
  m_Name = kDefaultWorldName;
  m_StartX = 9;
  m_StartY = 7;
  m_BackColour = 16;
  m_BackPicture = 0;
  m_BackPictureFile.clear();
  m_Chips.assign(10, cWorldChip());
  for (int i = 0; i < 10; ++i) {
    cWorldChip& chip = m_Chips[static_cast<size_t>(i)];
    chip.m_Picture = i;
    chip.m_Blocked = i < 5 ? 1 : 0;
    chip.m_Name = i < 5 ? kChipBlocked : kChipOpen;
  }
  m_Cells.clear();
  SetSize(20, 15);
  m_Points.clear();
  m_ExtraPoints.assign(1, cWorldPoint());
  m_ExtraPoints[0].m_Label = kDefaultPointLabel;
}

bool cWorldMap::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!ReadRecordVector(r, m_Chips)) return false;
  if (!ReadCells(r, m_Cells)) return false;
  if (!ReadRecordVector(r, m_Points)) return false;
  if (!ReadRecordVector(r, m_ExtraPoints)) return false;
  if (!r.Ok()) return false;

  // The scene indexes cells as (y << shift) + x over the whole map, so the
  // layout is rebuilt from the width instead of trusting the stored pitch,
  // and a map without cells, or too large to hold, is refused.
  if (!SizeFits(m_Width, m_Height)) {
    WriteLog("WorldMap: bad map size %d x %d", m_Width, m_Height);
    return r.Fail("map size " + std::to_string(m_Width) + " x " + std::to_string(m_Height));
  }
  m_PitchShift = PitchShiftFor(m_Width);
  m_Pitch = 1 << m_PitchShift;
  m_Cells.resize(static_cast<size_t>(m_Height) << m_PitchShift, 0);
  for (auto& cell : m_Cells)
    if (cell < 0 || static_cast<size_t>(cell) >= m_Chips.size()) cell = 0;
  Validate();
  return true;
}

bool cWorldMap::Write(cRecordWriter& w) {
  Validate();
  cSerialRecord::Write(w);
  WriteRecordVector(w, m_Chips);
  w.WriteU32(static_cast<uint32_t>(m_Cells.size()));
  w.WriteBytes(m_Cells.data(), m_Cells.size() * sizeof(int32_t));
  WriteRecordVector(w, m_Points);
  WriteRecordVector(w, m_ExtraPoints);
  return true;
}

void cWorldMap::Validate() {
  // The original pulled only a start beyond the map back; a negative start
  // would put the new game's cursor outside every cell, so it becomes 0.
  if (m_StartX >= m_Width) m_StartX = m_Width - 1;
  if (m_StartY >= m_Height) m_StartY = m_Height - 1;
  m_StartX = std::max(m_StartX, 0);
  m_StartY = std::max(m_StartY, 0);
  std::erase_if(m_Points, [this](const cWorldPoint& p) { return p.m_X >= m_Width || p.m_Y >= m_Height; });
}

int cWorldMap::SetSize(int width, int height) {
  // The original refused only 0; a negative size would make the cell count
  // meaningless, and one too large cannot be held.
  if (width <= 0 || height <= 0) {
    DebugErrorBox("%s", kSetSizeZero);
    return 0;
  }
  if (!SizeFits(width, height)) return 0;

  const bool keep = !m_Cells.empty();
  cVector<int32_t> old;
  const int oldWidth = m_Width, oldHeight = m_Height, oldShift = m_PitchShift;
  if (keep) {
    DebugErrorBox("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", m_Width, m_Pitch, m_PitchShift);
    old = m_Cells;
  }

  m_Width = width;
  m_Height = height;
  m_PitchShift = PitchShiftFor(width);
  m_Pitch = 1 << m_PitchShift;
  m_Cells.assign(static_cast<size_t>(height) << m_PitchShift, 0);

  if (keep && oldShift >= 0 && oldShift < 31) {
    const int rows = std::min(oldHeight, height), cols = std::min(oldWidth, width);
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < cols; ++x) {
        size_t from = (static_cast<size_t>(y) << oldShift) + static_cast<size_t>(x);
        if (from < old.size()) m_Cells[(static_cast<size_t>(y) << m_PitchShift) + static_cast<size_t>(x)] = old[from];
      }
  }
  return 1;
}

cWorldPoint* cWorldMap::FindPoint(int x, int y) {
  for (auto& p : m_Points)
    if (p.m_X == x && p.m_Y == y) return &p;
  return nullptr;
}

bool cWorldMap::FindStageNode(const std::string& stageKey, bool usePlace, int placeA, int placeB) const {
  for (const auto& point : m_Points)
    for (const auto& node : point.m_Nodes) {
      if (node.m_NodeKind != 0) continue;
      if (StageKey(node.m_StageFile) != stageKey) continue;
      if (!usePlace) {
        if (node.m_HasPlace == 0) return true;
      } else if (node.m_HasPlace != 0 && node.m_PlaceA == placeA && node.m_PlaceB == placeB) {
        return true;
      }
    }
  return false;
}
