#pragma once
// Where a character status lives, its storage width and the range an
// assignment clamps into. Shared by the expression language (status words)
// and the status conditions and operations (status codes 0..14).
#include <cstdint>

#include "engine/script/ScriptWorld.h"

enum StatusCode {
  kStatusVar = 0,  // character variable n
  kStatusHp,
  kStatusSp,
  kStatusMaxHp,
  kStatusMaxSp,
  kStatusCharaId,
  kStatusZ,
  kStatusMark,
  kStatusSight,
  kStatusPower,
  kStatusImpact,
  kStatusDefence,
  kStatusImpactResist,
  kStatusStopEase,
  kStatusScore,
  kStatusCount
};

enum SystemCode { kSystemTime = 0, kSystemScrollX, kSystemScrollY, kSystemScore, kSystemLives, kSystemCount };

struct cStatusRef {
  void* m_pTarget = nullptr;  // null when the status cannot be reached
  int m_nWidth = 4;           // 1, 2 or 4 bytes, signed
  int m_nMin = -999999;
  int m_nMax = 999999;
  explicit operator bool() const { return m_pTarget != nullptr; }
};

// The storage of status `code` of a character (for kStatusVar, entry varIndex
// of its variables). The ranges are those of the status operations; HP and SP
// range 0..the current maximum. An empty result for a missing character, a
// variable index outside the list or an unknown code.
cStatusRef CharaStatusRef(const cScriptChara& chara, int code, int varIndex);
// The storage of system value `code`, with its range; empty for unknown codes.
cStatusRef SystemRef(cScriptWorld& world, int code);

// Reads with sign extension from the width; writes cut to the width.
int32_t ReadStatus(const cStatusRef& ref);
void WriteStatus(const cStatusRef& ref, int32_t value);
