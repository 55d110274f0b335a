#pragma once
// The story's world map, data\WorldMap.dat: a grid of map cells showing map
// chips, and the points placed on it whose nodes are stages, paths and walls.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

// One kind of map chip.
class cWorldChip : public cSerialRecord {
 public:
  int32_t m_Spare = 0;    // kept for the authoring tool
  int32_t m_Blocked = 0;  // the cursor may not enter a cell of this chip
  int32_t m_Picture = 0;  // cell (m_Picture % 5, m_Picture / 5) of 32x32 in the chip bitmap
  std::string m_SpareText;  // kept for the authoring tool
  std::string m_Name;

  cWorldChip() = default;
  void RegisterFields(uint32_t version) override;
  SERIAL_RECORD_COPYABLE(cWorldChip)
};

// One alternative of a point; the scene uses the first whose conditions hold.
class cWorldNode : public cSerialRecord {
 public:
  int32_t m_NodeKind = 0;  // 0 a stage, 2 a wall; others let the cursor pass
  int32_t m_Picture = 0;
  int32_t m_ClearSwitch = 0;
  int32_t m_Open = 0;
  int32_t m_Reenter = 0;
  int32_t m_AfterClear = 0;  // 0 nothing, 1 the story's next lap, 2 back to the title
  int32_t m_NeedSwitch = 0;
  int32_t m_CondVar = 0;
  int32_t m_CondValue = 0;
  int32_t m_CondOp = 0;
  int32_t m_MinTotal = 0;  // files from 209 on
  int32_t m_HasPlace = 0;  // files from 758 on, with the two places
  int32_t m_PlaceA = 1;
  int32_t m_PlaceB = 0;
  std::string m_NodeName;
  std::string m_StageFile;

  cWorldNode() = default;
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cWorldNode)
};

class cWorldPoint : public cSerialRecord {
 public:
  int32_t m_X = 0;
  int32_t m_Y = 0;
  std::string m_Label;
  cVector<cWorldNode> m_Nodes = cVector<cWorldNode>(1);

  cWorldPoint() = default;
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cWorldPoint)
};

class cWorldMap : public cSerialRecord {
 public:
  // Most cells a map may hold (height x pitch); a file asking for more is
  // refused rather than allocated.
  static constexpr int64_t kMaxCells = int64_t{1} << 24;

  int32_t m_Width = 0;
  int32_t m_Height = 0;
  int32_t m_Pitch = 0;
  int32_t m_PitchShift = 0;
  int32_t m_StartX = 0;
  int32_t m_StartY = 0;
  int32_t m_BackColour = 0;
  int32_t m_BackPicture = 0;
  std::string m_Name;
  std::string m_BackPictureFile;
  cVector<cWorldChip> m_Chips;
  // m_Height rows of m_Pitch cells; cell (x, y) is (y << m_PitchShift) + x.
  cVector<int32_t> m_Cells;
  cVector<cWorldPoint> m_Points;
  cVector<cWorldPoint> m_ExtraPoints;  // kept for the authoring tool

  cWorldMap() { SetDefaults(); }
  void SetDefaults();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cWorldMap)

  // Pulls the start cell into the map and drops the points outside it.
  void Validate();
  // New size; cells inside both the old and the new size keep their value,
  // the others are 0. 0 (and nothing changed) for a width or height below 1
  // or a map larger than kMaxCells; 1 otherwise.
  int SetSize(int width, int height);
  // The first point standing on cell (x, y), or nullptr.
  cWorldPoint* FindPoint(int x, int y);
  // Whether a stage node of this map owns the stage records stored under
  // `stageKey` (see StageKey): without `usePlace` a node without places,
  // with it a node with exactly these places.
  bool FindStageNode(const std::string& stageKey, bool usePlace, int placeA, int placeB) const;
};

// The program-wide record (defined in data/ProgramData.cpp).
extern cWorldMap WorldMap;
