// The chara-effect and screen-effect motions (value ramps precomputed from the
// database definitions) and their players.
#include <cstdlib>
#include <utility>

#include "base/Text.h"
#include "data/Database.h"
#include "engine/Names.h"
#include "engine/instances/EffectPlayers.h"

namespace {

// Step of a ramp from a to b over d tenths of a second (d * 6 frames). A
// duration of 0 or less ends the ramp on its first step (the step passes the
// end) instead of dividing by zero.
double RampStep(int a, int b, int d) {
  const int64_t span = std::llabs(static_cast<int64_t>(b) - a);
  if (d <= 0) return static_cast<double>(span + 1);
  return static_cast<double>(span) / (static_cast<double>(d) * 6.0);
}

constexpr double kFrameStep = 1.0 / 6.0;

}  // namespace

// ------------------------------------------------------------ chara-effect motions

void cCharaEffectPlayer::Init(int index, int reversed) {
  m_nIndex = static_cast<int16_t>(index);
  cCharaEffect& def = reversed ? CharaEffectDefsRev.At(index) : nm::db::CharaEffect(Database).At(index);
  m_pDef = &def;
  const int k = nm::db::EffectKind(def);
  const int d = nm::db::EffectParam(def, 0);
  switch (k) {
    case 1: case 2: case 3: case 4: case 5: case 7: case 8: case 9: case 10: case 11: case 12: case 13: case 15:
    case 16:
      if (reversed) std::swap(nm::db::EffectParam(def, 1), nm::db::EffectParam(def, 2));
      m_nStart = nm::db::EffectParam(def, 1);
      m_nEnd = nm::db::EffectParam(def, 2);
      m_dValue = m_nStart;
      m_dStep = RampStep(m_nStart, m_nEnd, d);
      m_nDuration = d;
      if (k == 4 || k == 5) m_nSpare1 = 0;
      break;
    case 6:
    case 14:  // time-based: d * 6 frames
      m_nStart = 0;
      m_nEnd = d;
      m_dValue = 0;
      m_dStep = kFrameStep;
      m_nDuration = d;
      m_nSpare1 = 0;
      m_nSpare2 = 0;
      break;
    default:
      break;
  }
  if (k != 0 && m_nStart == m_nEnd) {
    m_dStep = kFrameStep;
    m_dTime = 0;
  }
}

void cCharaEffectPlayer::Clear() {
  m_nIndex = 0;
  m_pDef = nullptr;
  m_bRepeat = 0;
  m_nDirection = 0;
}

void cCharaEffectPlayer::CopyFrom(const cCharaEffectPlayer& motion) {
  m_pDef = motion.m_pDef;
  m_nStart = motion.m_nStart;
  m_nEnd = motion.m_nEnd;
  m_dValue = motion.m_dValue;
  m_dStep = motion.m_dStep;
  m_dTime = motion.m_dTime;
  m_nDuration = motion.m_nDuration;
  m_nSpare1 = motion.m_nSpare1;
  m_nSpare2 = motion.m_nSpare2;
}

void cCharaEffectPlayer::Start(int index, int mode, int repeat) {
  m_nDirection = mode == 1 ? 1 : 0;
  CopyFrom(m_nDirection ? CharaEffectMotionsRev.At(index) : CharaEffectMotions.At(index));
  m_nIndex = static_cast<int16_t>(index);
  m_nMode = mode;
  m_bRepeat = repeat;
  m_nFrame = 0;
}

void cCharaEffectPlayer::Restart() {
  if (m_nMode == 2) m_nDirection = m_nDirection ? 0 : 1;
  CopyFrom(m_nDirection ? CharaEffectMotionsRev.At(m_nIndex) : CharaEffectMotions.At(m_nIndex));
  m_nFrame = 0;
}

int cCharaEffectPlayer::Step() {
  bool ended;
  if (m_nStart == m_nEnd) {
    m_dTime += m_dStep;
    ended = m_dTime > m_nDuration;
  } else if (m_nStart < m_nEnd) {
    m_dValue += m_dStep;
    ended = m_dValue > m_nEnd;
  } else {
    m_dValue -= m_dStep;
    ended = m_dValue < m_nEnd;
  }
  if (!ended) return 0;
  if (m_bRepeat || (m_nMode == 2 && m_nDirection == 0)) {
    Restart();
    return 0;
  }
  return 1;
}

// ------------------------------------------------------------ screen-effect motions

void cScrEffectPlayer::Init(int index, int reversed) {
  m_nIndex = static_cast<int16_t>(index);
  m_bTimeBased = 0;
  cScrEffect& def = reversed ? ScrEffectDefsRev.At(index) : nm::db::ScrEffect(Database).At(index);
  m_pDef = &def;
  const int k = nm::db::EffectKind(def);
  const int d = nm::db::EffectParam(def, 0);
  int32_t* p = def.m_EffectParam;  // the parameters of nm::db::EffectParam: 0 time, 1 A, 2 B, 3 C, 4 D
  switch (k) {
    case 1:
      if (reversed) {
        std::swap(p[1], p[3]);
        std::swap(p[2], p[4]);
      }
      m_dValue = 0;
      m_dStep = kFrameStep;
      m_nValue1 = p[1];
      m_nValue2 = p[2];
      break;
    case 2:
    case 3:
      m_dValue = 0;
      m_dSpare = 0;
      m_dStep = kFrameStep;
      m_nValue1 = 0;
      break;
    case 8:
      m_dValue = 0;
      m_dStep = kFrameStep;
      m_nValue1 = 0;
      m_nValue2 = 0;
      break;
    case 4: case 5: case 6: case 7: case 9: case 10: case 11: case 12: case 13:
      if (reversed) std::swap(p[1], p[2]);
      m_dValue = p[1];
      m_dStep = RampStep(p[1], p[2], d);
      if (k == 6 || k == 7) m_nValue1 = 0;
      if (p[1] == p[2]) {
        m_bTimeBased = 1;
        m_dStep = kFrameStep;
        m_dTime = 0;
        m_nLimit = d;
      }
      break;
    default:
      break;
  }
}

void cScrEffectPlayer::Clear() {
  m_nIndex = 0;
  m_pDef = nullptr;
  m_bRepeat = 0;
  m_nDirection = 0;
  m_bTimeBased = 0;
}

void cScrEffectPlayer::CopyFrom(const cScrEffectPlayer& motion) {
  m_pDef = motion.m_pDef;
  m_dValue = motion.m_dValue;
  m_dSpare = motion.m_dSpare;
  m_dStep = motion.m_dStep;
  m_nValue1 = motion.m_nValue1;
  m_nValue2 = motion.m_nValue2;
  m_bTimeBased = motion.m_bTimeBased;
  m_dTime = motion.m_dTime;
  m_nLimit = motion.m_nLimit;
}

void cScrEffectPlayer::Start(int index, int mode, int repeat) {
  m_nDirection = mode == 1 ? 1 : 0;
  CopyFrom(m_nDirection ? ScrEffectMotionsRev.At(index) : ScrEffectMotions.At(index));
  m_nIndex = static_cast<int16_t>(index);
  m_nMode = mode;
  m_bRepeat = repeat;
  m_nFrame = 0;
}

void cScrEffectPlayer::Restart() {
  if (m_nMode == 2) m_nDirection = m_nDirection ? 0 : 1;
  CopyFrom(m_nDirection ? ScrEffectMotionsRev.At(m_nIndex) : ScrEffectMotions.At(m_nIndex));
  m_nFrame = 0;
}

int cScrEffectPlayer::Step(double start, double end, double step) {
  bool ended;
  if (m_bTimeBased) {
    m_dTime += m_dStep;
    ended = m_dTime > m_nLimit;
  } else if (start <= end) {
    m_dValue += step;
    ended = TruncToInt(m_dValue) > end;
  } else {
    m_dValue -= step;
    ended = TruncToInt(m_dValue) < end;
  }
  if (!ended) return 0;
  if (m_bRepeat || (m_nMode == 2 && m_nDirection == 0)) {
    Restart();
    return 0;
  }
  return 1;
}
