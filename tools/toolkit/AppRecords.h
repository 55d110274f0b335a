#pragma once
// The two small record files of user_data\ that the application keeps:
// the launch choices (Boot.dat) and the window placement (Window.dat). Plain
// record files: version word, the field block and an empty string block.
#include <cstdint>

#include "base/SerialRecord.h"

namespace tools {

class cBootRecord : public cSerialRecord {
 public:
  int32_t m_nDrawMode = 1;  // 1 Direct3D, 0 DirectDraw
  int32_t m_bDoNotAsk = 0;

  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&m_nDrawMode, 1, "m_nDrawMode");
    AddInt(&m_bDoNotAsk, 1, "m_bDoNotAsk");
  }
  SERIAL_RECORD_COPYABLE(cBootRecord)
};

class cWindowRecord : public cSerialRecord {
 public:
  int32_t m_nX = 0;
  int32_t m_nY = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_bMaximised = 0;

  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&m_nX, 1, "m_nX");
    AddInt(&m_nY, 1, "m_nY");
    AddInt(&m_nWidth, 1, "m_nWidth");
    AddInt(&m_nHeight, 1, "m_nHeight");
    AddInt(&m_bMaximised, 1, "m_bMaximised");
  }
  SERIAL_RECORD_COPYABLE(cWindowRecord)
};

}  // namespace tools
