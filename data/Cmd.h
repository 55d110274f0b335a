#pragma once
// One entry of a menu: shown or hidden, and its label. A menu shows only its
// enabled entries, in list order; the entry's position in the full list is
// the action it stands for.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

class cCmd : public cSerialRecord {
 public:
  int32_t m_Enabled = 1;
  std::string m_Label;

  cCmd() = default;
  cCmd(int32_t enabled, std::string label) : m_Enabled(enabled), m_Label(std::move(label)) {}
  void RegisterFields(uint32_t version) override;
  SERIAL_RECORD_COPYABLE(cCmd)

  // Number of enabled entries.
  static int GetCmdCount(const cVector<cCmd>& list);
  // The list index of the enabled entry shown on `row` (counting from 0).
  // A row with no such entry is reported on the debug box and gives 0.
  static int GetCmdNum(int row, const cVector<cCmd>& list);
};
