#include "data/Cmd.h"

#include "base/Log.h"

void cCmd::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Enabled);
  AddString(&m_Label);
}

int cCmd::GetCmdCount(const cVector<cCmd>& list) {
  int count = 0;
  for (const auto& cmd : list)
    if (cmd.m_Enabled != 0) ++count;
  return count;
}

int cCmd::GetCmdNum(int row, const cVector<cCmd>& list) {
  int shown = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].m_Enabled == 0) continue;
    if (shown == row) return static_cast<int>(i);
    ++shown;
  }
  // "cCmd::GetCmdNum 番号が不正です！"
  DebugErrorBox("%s", "\x63\x43\x6D\x64\x3A\x3A\x47\x65\x74\x43\x6D\x64\x4E\x75\x6D\x20\x94\xD4\x8D\x86\x82\xAA\x95\x73\x90\xB3"
                      "\x82\xC5\x82\xB7\x81\x49");
  return 0;
}
