#include "engine/script/StatusRef.h"

#include "data/CharaDef.h"

namespace {
cStatusRef Ref(void* target, int width, int min, int max) {
  cStatusRef r;
  r.m_pTarget = target;
  r.m_nWidth = width;
  r.m_nMin = min;
  r.m_nMax = max;
  return r;
}
}  // namespace

cStatusRef CharaStatusRef(const cScriptChara& chara, int code, int varIndex) {
  if (!chara || !chara.m_pDef) return {};
  cCharaDef& d = *chara.m_pDef;
  switch (code) {
    case kStatusVar:
      if (!chara.m_pVars || varIndex < 0 || varIndex >= chara.m_nVars) return {};
      return Ref(&chara.m_pVars[varIndex], 4, -999999, 999999);
    case kStatusHp: return Ref(chara.m_pHp, 4, 0, d.m_MaxHp);
    case kStatusSp: return Ref(chara.m_pSp, 4, 0, d.m_MaxSp);
    case kStatusMaxHp: return Ref(&d.m_MaxHp, 4, 0, 999999);
    case kStatusMaxSp: return Ref(&d.m_MaxSp, 4, 0, 999999);
    case kStatusCharaId: return Ref(&d.m_CharaId, 1, 0, 99);
    case kStatusZ: return Ref(&d.m_Z, 1, 0, 7);
    case kStatusMark: return Ref(&d.m_Emblem, 2, 0, 119);
    case kStatusSight: return Ref(&d.m_ViewRange, 1, 0, 40);
    case kStatusPower: return Ref(&d.m_BodyPower, 4, -999999, 999999);
    case kStatusImpact: return Ref(&d.m_BodyImpact, 1, -20, 20);
    case kStatusDefence: return Ref(&d.m_Defence, 4, 0, 999999);
    case kStatusImpactResist: return Ref(&d.m_ImpactResist, 1, 0, 20);
    case kStatusStopEase: return Ref(&d.m_StopEase, 2, 0, 200);
    case kStatusScore: return Ref(&d.m_Score, 4, -999999, 999999);
    default: return {};
  }
}

cStatusRef SystemRef(cScriptWorld& world, int code) {
  switch (code) {
    case kSystemTime: return Ref(&world.Time(), 4, 0, 999);
    case kSystemScrollX: return Ref(&world.AutoScrollSpeed(0), 4, -480, 480);
    case kSystemScrollY: return Ref(&world.AutoScrollSpeed(1), 4, -480, 480);
    case kSystemScore: return Ref(&world.Score(), 4, 0, 999999);
    case kSystemLives: return Ref(&world.Lives(), 4, 0, 99);
    default: return {};
  }
}

int32_t ReadStatus(const cStatusRef& ref) {
  if (!ref) return 0;
  switch (ref.m_nWidth) {
    case 1: return *static_cast<int8_t*>(ref.m_pTarget);
    case 2: return *static_cast<int16_t*>(ref.m_pTarget);
    default: return *static_cast<int32_t*>(ref.m_pTarget);
  }
}

void WriteStatus(const cStatusRef& ref, int32_t value) {
  if (!ref) return;
  switch (ref.m_nWidth) {
    case 1: *static_cast<int8_t*>(ref.m_pTarget) = static_cast<int8_t>(value); break;
    case 2: *static_cast<int16_t*>(ref.m_pTarget) = static_cast<int16_t>(value); break;
    default: *static_cast<int32_t*>(ref.m_pTarget) = value; break;
  }
}
