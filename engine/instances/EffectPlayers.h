#pragma once
// Effect and picture instances, the chara-effect and screen-effect motion
// players, and the runtime tables built from the database after it loads.
#include <cstdint>

#include "base/Containers.h"
#include "engine/instances/AnimPlayer.h"

class cCharaEffect;
class cScrEffect;
struct DDSURFACEDATA;
struct cRectD;

// A chara-effect motion; the player and the table entries share the record.
class cCharaEffectPlayer {
 public:
  int16_t m_nIndex = 0;  // definition index, 0 = none
  const cCharaEffect* m_pDef = nullptr;
  int32_t m_nMode = 0;     // 0 normal, 1 reversed, 2 ping-pong
  int32_t m_bRepeat = 0;
  int32_t m_nDirection = 0;  // 1 = playing the reversed motion
  int32_t m_nFrame = 0;
  int32_t m_nStart = 0, m_nEnd = 0;
  double m_dValue = 0;
  double m_dStep = 0;
  double m_dTime = 0;
  int32_t m_nDuration = 0;  // tenths of a second
  int32_t m_nSpare1 = 0, m_nSpare2 = 0;

  void Init(int index, int reversed);
  void Clear();
  void CopyFrom(const cCharaEffectPlayer& motion);
  void Start(int index, int mode, int repeat);
  void Restart();
  int Step();  // 1 when finished
};
using cCharaEffectMotion = cCharaEffectPlayer;

// A screen-effect motion; the play world's m_ScrEffect.
class cScrEffectPlayer {
 public:
  int16_t m_nIndex = 0;  // 1-based definition number, 0 = none
  const cScrEffect* m_pDef = nullptr;
  int32_t m_nMode = 0;
  int32_t m_bRepeat = 0;
  int32_t m_nDirection = 0;
  int32_t m_nFrame = 0;
  double m_dValue = 0;
  double m_dSpare = 0;
  double m_dStep = 0;
  int32_t m_nValue1 = 0, m_nValue2 = 0;  // carried for the handlers
  int32_t m_bTimeBased = 0;
  double m_dTime = 0;
  int32_t m_nLimit = 0;  // tenths of a second

  void Init(int index, int reversed);
  void Clear();
  void CopyFrom(const cScrEffectPlayer& motion);
  void Start(int index, int mode, int repeat);
  void Restart();
  int Step(double start, double end, double step);  // 1 when finished
};
using cScrEffectMotion = cScrEffectPlayer;

class cEffectInst {
 public:
  int16_t m_nEffect = 0;  // negative = invalid
  double m_dX = 0, m_dY = 0;  // world pixels of the top-left corner
  int32_t m_nW = 0, m_nH = 0;
  int32_t m_bStretched = 0;
  cAnimPlayer m_Anim;
  int32_t m_bRunWhileFrozen = 0;

  cEffectInst& Init(int number, double x, double y, int width, int height, int runWhileFrozen);
  cEffectInst& Spawn(int number, const cRectD& a, const cRectD& b, int scale);
  void BuildFrames(int number);
  // 1 when finished (the owner removes it).
  int Draw(DDSURFACEDATA* target, int frozen);
};

class cPictureInst {
 public:
  int16_t m_nPicture = 0;
  double m_dX = 0, m_dY = 0;
  int32_t m_nW = 0, m_nH = 0;
  int32_t m_bStretched = 0;
  int32_t m_nLayer = 0;
  int32_t m_nShowMode = 0;  // 2 = timed
  int32_t m_nTime = 0;      // frames left
  int32_t m_bRunWhileFrozen = 0;
  int32_t m_bScreenFixed = 0;
  int32_t m_bPosStored = 0;
  int32_t m_nStoredX = 0, m_nStoredY = 0;
  int32_t m_nValue1 = 0, m_nValue2 = 0;  // kept from the command

  void Init(int number, double x, double y, int width, int height, int screenFixed, int layer, int percent,
            int showMode, int time, int runWhileFrozen, int value1, int value2);
  // 1 when finished.
  int Draw(DDSURFACEDATA* target, DDSURFACEDATA* surface, int frozen);
};

// Runtime tables (built by BuildEffectTables after the database is loaded).
extern cVector<Animation> AnimeTable;   // one pattern list per database animation
extern cVector<Animation> EffectTable;  // one pattern list per database effect
extern cVector<cCharaEffectMotion> CharaEffectMotions, CharaEffectMotionsRev;
extern cVector<cScrEffectMotion> ScrEffectMotions, ScrEffectMotionsRev;
void BuildAnimeTables(cVector<Animation>& table);
void BuildEffectTables(cVector<Animation>& table);
void BuildCharaEffectTables(cVector<cCharaEffectMotion>& normal, cVector<cCharaEffectMotion>& reversed);
void BuildScrEffectTables(cVector<cScrEffectMotion>& normal, cVector<cScrEffectMotion>& reversed);
// Copies of the two definition lists in which the reversed motions swap their
// values (each builder above takes a fresh copy first).
extern cVector<cCharaEffect> CharaEffectDefsRev;
extern cVector<cScrEffect> ScrEffectDefsRev;
// Builds every table above from the database (start-up, once).
void BuildRuntimeTables();
