#include "engine/rules/ScrollAxis.h"

#include "data/Stage.h"

void cScrollAxis::Layout(int axis, int mapChips, int extentValue) {
  m_nAxis = axis;
  m_nView = axis == 0 ? 640 : 480;
  m_nMargin = 10;
  m_nCells = mapChips + 2 * m_nMargin;
  m_nOrigin = m_nMargin * 32;
  m_nDefaultUpper = (mapChips + m_nMargin) * 32;
  if (m_nDefaultUpper < 0) m_nDefaultUpper = 0;
  m_nExtent = extentValue + 640;
  if (axis == 0) {
    // The number of halvings of (mapChips + 19) that reach 0.
    int shift = 0;
    for (unsigned v = static_cast<unsigned>(mapChips + 19 > 0 ? mapChips + 19 : 0); v; v >>= 1) ++shift;
    m_nShift = shift;
    m_nPitch = 1 << shift;
  } else {
    m_nShift = 0;
    m_nPitch = m_nCells;
  }
}

void cScrollAxis::Clamp(int) {
  if (m_nLower > m_dPos) {
    m_dPos = m_nLower;
    m_bAtLimit = 1;
  } else if (m_dPos + m_nView < m_nUpper) {
    m_bAtLimit = 0;
  } else {
    m_dPos = m_nUpper - m_nView;
    if (m_dPos < m_nLower) m_dPos = m_nLower;
    m_bAtLimit = 1;
  }
}

void cScrollAxis::Update() {
  m_dPos += m_dAutoSpeed;
  Clamp();
}

int cScrollAxis::SetAutoSpeed(int flag, int speed) {
  if (!flag) {
    m_dAutoSpeed = 0;
    m_bAuto = 0;
    return 0;
  }
  m_bAuto = 1;
  // A stage without its sub-step count set counts as one sub-step.
  double n = Stage.m_SubStepsF > 0 ? Stage.m_SubStepsF : 1.0;
  m_dAutoSpeed = speed * 0.1 / n;
  return 0;
}

void cScrollAxis::SetBounds(int a, int b, int lowerOn, int upperOn) {
  m_nLower = lowerOn ? m_nOrigin + a * 32 : m_nOrigin;
  if (upperOn) {
    m_nUpper = m_nOrigin + (b + 1) * 32;
    if (m_nUpper < m_nLower) m_nUpper = m_nLower;
  } else {
    m_nUpper = m_nDefaultUpper;
  }
}
