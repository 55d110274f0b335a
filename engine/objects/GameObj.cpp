#include "engine/objects/GameObj.h"

void cGameObj::CopyFrom(const cGameObj& other) { cGameObj::operator=(other); }

void cGameObj::SetScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_nW = nNew * m_nBaseW;
  m_nH = nNew * m_nBaseH;
  m_nPicOfsX = nNew * m_nBasePicOfsX;
  m_nPicOfsY = nNew * m_nBasePicOfsY;
  m_nPicW = nNew * m_nBasePicW;
  m_nPicH = nNew * m_nBasePicH;
  KeepFoot(nNew, nOld);
  ScaleHitBox(nNew);
}
