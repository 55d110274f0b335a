#pragma once
// Progress of one challenge stage, kept in the save data.
#include <cstdint>

#include "base/SerialRecord.h"

class cChallengeRecord : public cSerialRecord {
 public:
  int32_t m_Cleared = 0;  // 1 = cleared
  int32_t m_Best = 0;

  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&m_Cleared);
    AddInt(&m_Best);
  }
};
