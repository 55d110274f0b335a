#pragma once
// Flows: small programs of a character definition (or carried by a command)
// that run their commands when the trigger fires and the conditions and key
// conditions hold. cKeyCond is one step of a flow's key-input sequence.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"
#include "data/Cond.h"
#include "data/FlowCmd.h"
#include "data/ReadContext.h"

class cKeyCond : public cSerialRecord {
 public:
  // Keys: 0 no direction, 1 left, 2 right, 3 up, 4 down, 5 left-up,
  // 6 left-down, 7 right-up, 8 right-down, 9 any direction, 10 no button,
  // 11..18 buttons 1..8.
  static constexpr int kKeys = 19;

  cVector<int8_t> m_KeyStates;  // 0 not tested, 1 held, 2 released
  uint8_t m_MirrorKeys = 0;
  int16_t m_HoldMin = 0;
  int16_t m_HoldMax = 0;
  uint8_t m_AnyHold = 0;
  int8_t m_KeyMode = 0;  // 0 every tested key, 1 at least one, 2 exactly one

  cKeyCond() { Clear(); }

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  // Clears the fields and gives the record exactly 19 key states (existing
  // states keep their values).
  void Clear();

  // A file may hold fewer states than there are keys; a key the record does
  // not hold is not tested.
  int KeyState(int key) const {
    return key >= 0 && static_cast<size_t>(key) < m_KeyStates.size() ? m_KeyStates[static_cast<size_t>(key)] : 0;
  }
};

bool ReadKeyCondVector(cVector<cKeyCond>& v, cRecordReader& r);

class cFlow : public cSerialRecord {
 public:
  std::string m_FlowName;    // emptied after reading
  int8_t m_FlowId = 0;       // 0 none, 1..26 "A".."Z"
  int8_t m_ExclusiveId = 0;  // 0 none, 1..26 "a".."z", trigger-0 flows only
  uint8_t m_TestPlayOnly = 0;
  cVector<cCond> m_Conds;
  int8_t m_CondMode = 0;
  int8_t m_CondLatch = 0;
  int8_t m_Trigger = 0;  // 0..22
  uint8_t m_PartnerToTarget = 0;
  int8_t m_PartnerSlot = 0;  // 0..3
  int8_t m_KeyTolerance = 3;
  uint8_t m_KeyRepeat = 0;
  cVector<cKeyCond> m_KeyConds;
  cVector<cFlowCmd> m_Cmds;

  cFlow() { SetDefaults(); }

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;

  // Clear, then the key tolerance of a new flow.
  void SetDefaults();
  void Validate(const cReadContext& context = DefaultReadContext());
  void CheckPaletteRefs(const cFlowCmd::PaletteCounts& common, const cFlowCmd::PaletteCounts& stage);
  void CheckPaletteRefs(const cReadContext& context = DefaultReadContext()) {
    CheckPaletteRefs(context.commonPaletteCounts, context.stagePaletteCounts);
  }
};

// A flow vector: u32 count, then each flow's body.
bool ReadFlowVector(cVector<cFlow>& v, cRecordReader& r);
void WriteFlowVector(cVector<cFlow>& v, cRecordWriter& w);

// Drops the flows made for test play only; the others keep their order.
void RemoveTestPlayFlows(cVector<cFlow>& flows);
// The same, unless the context keeps them (editor start or the system switch).
void RemoveTestPlayFlows(cVector<cFlow>& flows, const cReadContext& context);
