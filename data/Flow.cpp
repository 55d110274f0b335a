#include "data/Flow.h"

#include <algorithm>

namespace {
int8_t Renumber(int8_t trigger, int by) { return static_cast<int8_t>(trigger + by); }
}  // namespace

// --- key conditions ---

void cKeyCond::RegisterFields(uint32_t) {
  ResetFields();
  AddChar(&m_MirrorKeys);
  AddShort(&m_HoldMin);
  AddShort(&m_HoldMax);
  AddChar(&m_AnyHold);
  AddChar(&m_KeyMode);
}

void cKeyCond::Clear() {
  cSerialRecord::Clear();
  m_KeyStates.resize(kKeys, 0);
}

bool cKeyCond::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  // Any number of states may be stored; they are kept as stored.
  uint32_t n = 0;
  if (!r.ReadCount(n, 1)) return false;
  m_KeyStates.resize(n, 0);
  if (n && !r.ReadBytes(m_KeyStates.data(), n)) return false;
  return r.Ok();
}

bool cKeyCond::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  w.WriteU32(static_cast<uint32_t>(m_KeyStates.size()));
  if (!m_KeyStates.empty()) w.WriteBytes(m_KeyStates.data(), m_KeyStates.size());
  return true;
}

// A key condition holds its field and string counts and the state count.
bool ReadKeyCondVector(cVector<cKeyCond>& v, cRecordReader& r) { return ReadRecordVector(r, v, 12); }

// --- flows ---

void cFlow::RegisterFields(uint32_t v) {
  ResetFields();
  if (v >= 676) AddString(&m_FlowName);
  AddChar(&m_FlowId);
  AddChar(&m_ExclusiveId);
  AddChar(&m_TestPlayOnly);
  AddChar(&m_CondMode);
  AddChar(&m_CondLatch);
  AddChar(&m_Trigger);
  if (v >= 762) AddChar(&m_PartnerToTarget);
  if (v >= 767) AddChar(&m_PartnerSlot);
  AddChar(&m_KeyTolerance);
  AddChar(&m_KeyRepeat);
}

void cFlow::SetDefaults() {
  Clear();
  m_KeyTolerance = 3;
}

bool cFlow::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!ReadCondVector(m_Conds, r)) return false;
  if (!ReadKeyCondVector(m_KeyConds, r)) return false;
  if (!ReadCmdVector(m_Cmds, r)) return false;

  // Trigger kinds were inserted over time; each step sees the one before.
  const uint32_t v = r.Version();
  if (v < 791) {
    if (v <= 131 && m_Trigger >= 11) m_Trigger = Renumber(m_Trigger, 1);
    if (v < 163 && m_Trigger != 0) m_ExclusiveId = 0;
    if (v < 164 && m_Trigger >= 5) m_Trigger = Renumber(m_Trigger, 2);
    if (v < 762 && m_Trigger >= 18) m_Trigger = Renumber(m_Trigger, 3);
  }
  // The player never holds flow names.
  m_FlowName.clear();
  Validate(ContextOf(r));
  return r.Ok();
}

bool cFlow::Write(cRecordWriter& w) {
  Validate(DefaultReadContext());
  cSerialRecord::Write(w);
  WriteCondVector(m_Conds, w);
  WriteRecordVector(w, m_KeyConds);
  WriteCmdVector(m_Cmds, w);
  return true;
}

void cFlow::Validate(const cReadContext& context) {
  for (cFlowCmd& cmd : m_Cmds) cmd.Validate(context);
}

void cFlow::CheckPaletteRefs(const cFlowCmd::PaletteCounts& common, const cFlowCmd::PaletteCounts& stage) {
  for (cFlowCmd& cmd : m_Cmds) cmd.CheckPaletteRefs(common, stage);
}

// A flow holds its field and string counts and three vector counts.
bool ReadFlowVector(cVector<cFlow>& v, cRecordReader& r) { return ReadRecordVector(r, v, 20); }

void WriteFlowVector(cVector<cFlow>& v, cRecordWriter& w) { WriteRecordVector(w, v); }

void RemoveTestPlayFlows(cVector<cFlow>& flows) {
  std::erase_if(flows, [](const cFlow& f) { return f.m_TestPlayOnly != 0; });
}

void RemoveTestPlayFlows(cVector<cFlow>& flows, const cReadContext& context) {
  if (!context.KeepTestPlayFlows()) RemoveTestPlayFlows(flows);
}
