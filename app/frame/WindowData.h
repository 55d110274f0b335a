#pragma once
// "user_data\Window.dat": where the window was and whether it was maximised.
// A plain record file (version word, five int fields, an empty string block).
// Only window mode reads and writes it.
#include <cstdint>

#include "base/SerialRecord.h"
#include "platform/Window.h"

class cWindowData : public cSerialRecord {
 public:
  int32_t m_nX = 0;
  int32_t m_nY = 0;
  int32_t m_nWidth = 0;   // outer width (right - left)
  int32_t m_nHeight = 0;  // outer height (bottom - top)
  int32_t m_bMaximised = 0;

  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&m_nX, 1, "m_nX");
    AddInt(&m_nY, 1, "m_nY");
    AddInt(&m_nWidth, 1, "m_nWidth");
    AddInt(&m_nHeight, 1, "m_nHeight");
    AddInt(&m_bMaximised, 1, "m_bMaximised");
  }
  // The plain read, then the position is clamped to the work area.
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cWindowData)

  void Set(int x, int y, int width, int height, int maximised);
  // Keeps the whole window on the work area where it fits and its top-left
  // corner on it otherwise; a size of 0 or less counts as the 640x480 client
  // area's window, so a file from another desktop cannot put the window
  // out of reach.
  void ClampTo(const platform::RECT& workArea);
};

constexpr const char kWindowDataPath[] = "user_data\\Window.dat";

extern cWindowData WindowData;
