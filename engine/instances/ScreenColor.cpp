#include "engine/instances/ScreenColor.h"

#include "media/graphics/DDCore.h"

void cScreenColor::Set(const int32_t* p) {
  // A restore with nothing set before is ignored.
  if (p[4] != 0) {
    if (lpDTCon ? m_bActive == 0 : m_bFinished == 0) return;
  }
  m_byPrevRed = m_byRed;
  m_byPrevGreen = m_byGreen;
  m_byPrevBlue = m_byBlue;
  m_nPrevStrength = m_nStrength;
  m_nPrevAlpha = m_nAlpha;
  m_byRed = static_cast<uint8_t>(p[0]);
  m_byGreen = static_cast<uint8_t>(p[1]);
  m_byBlue = static_cast<uint8_t>(p[2]);
  m_nStrength = p[3];
  m_bRestore = p[4];
  m_nDuration = static_cast<int32_t>(static_cast<int64_t>(p[5]) * 6);
  m_bFlash = p[6];
  m_nRepeat = p[7];
  m_bActive = 1;
  m_nFrame = 0;
  m_nRepeatCount = 0;
  if (!m_bRestore) {
    m_nAlpha = 0;
    m_bFinished = 1;
  } else {
    m_byRed = m_byPrevRed;
    m_byGreen = m_byPrevGreen;
    m_byBlue = m_byPrevBlue;
    m_nStrength = m_nPrevStrength;
    m_nAlpha = m_nPrevAlpha;
  }
}
