#pragma once
// "user_data\Boot.dat": the launch dialog's answer. A plain record file
// (version word, two int fields, an empty string block).
#include <cstdint>

#include "base/SerialRecord.h"

class cBootData : public cSerialRecord {
 public:
  int32_t m_nDrawMode = 1;  // 1 Direct3D, 0 DirectDraw
  int32_t m_bDoNotAsk = 0;  // 1: the launch dialog is not shown again

  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&m_nDrawMode, 1, "m_nDrawMode");
    AddInt(&m_bDoNotAsk, 1, "m_bDoNotAsk");
  }
  SERIAL_RECORD_COPYABLE(cBootData)
};

constexpr const char kBootDataPath[] = "user_data\\Boot.dat";

extern cBootData BootData;
