#pragma once
// The screen-colour state of the play field (set by the screen-colour
// command, drawn by the play-field drawing).
#include <cstdint>

class cScreenColor {
 public:
  int32_t m_bFinished = 0;
  uint8_t m_byRed = 0, m_byGreen = 0, m_byBlue = 0;
  int32_t m_nStrength = 0;  // percent
  int32_t m_bRestore = 0;
  int32_t m_nDuration = 0;  // frames
  int32_t m_bFlash = 0;
  int32_t m_nRepeat = 0;
  int32_t m_bActive = 0;
  int32_t m_nFrame = 0;
  int32_t m_nRepeatCount = 0;
  int32_t m_nAlpha = 0;  // 0..255
  uint8_t m_byPrevRed = 0, m_byPrevGreen = 0, m_byPrevBlue = 0;
  int32_t m_nPrevStrength = 0;
  int32_t m_nPrevAlpha = 255;

  // The eight parameters of the screen-colour command.
  void Set(const int32_t* p);
  // Zeroed whole, the previous alpha back to 255.
  void Reset() { *this = cScreenColor{}; }
};
