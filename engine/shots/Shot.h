#pragma once
// A shot or sword in play.
#include <cstdint>

#include "base/Containers.h"
#include "base/Text.h"
#include "data/EdShot.h"
#include "engine/objects/GameObj.h"
#include "engine/objects/RectD.h"

class cCharaBase;
class cPlayWorld;
struct DDSURFACEDATA;

// What the firing code fills for each object it creates.
struct ShotLaunch {
  int32_t nClone = 0;
  double dSpeed = 0;  // pixels per frame
  int32_t nAngle = 0;
  int32_t nRange = 0;  // half-blocks
  int32_t nLife = 0;   // tenths of a second
  double dVX = 0, dVY = 0;
  int32_t nX = 0, nY = 0;
  int32_t nBaseX = 0, nBaseY = 0;
  int32_t nStepX = 0, nStepY = 0;
  int32_t nRowStepX = 0, nRowStepY = 0;
  int32_t nW = 0, nH = 0;
  int32_t nOfsX = 0, nOfsY = 0;
  int32_t nDir = 0;
};

// Final: no kind of shot changes its box rules, so its own calls need no
// virtual dispatch.
class cShot final : public cGameObj {
 public:
  int32_t m_nOwnerId = 0;
  int32_t m_bShot = 1;  // 1 shot, 0 sword
  int32_t m_nRangeLeft = 0;
  int32_t m_nLifeLeft = 0;
  int32_t m_nCount = 0;
  int32_t m_nSwordFrame = 0;
  double m_dAccel = 0;
  double m_dSpeed = 0;
  double m_dFlyVX = 0, m_dFlyVY = 0;
  int32_t m_bAccel = 0;
  int32_t m_nTurnStart = 0;
  int32_t m_nTurnEnd = 0;
  int32_t m_bTurnDone = 0;
  double m_dWavePhase = 0, m_dWaveSin = 0, m_dWaveCos = 0;
  cRectD m_HitRect;
  int32_t m_nHitX = 0, m_nHitY = 0, m_nHitW = 0, m_nHitH = 0;
  int32_t m_nBaseHitX = 0, m_nBaseHitY = 0, m_nBaseHitW = 0, m_nBaseHitH = 0;
  cList<cCharaBase*> m_HitList;
  cEdShot m_ShotDef;
  cCharaBase* m_lpTarget = nullptr;
  cCharaBase* m_lpOwner = nullptr;
  int32_t m_bNoHit = 0;
  int32_t m_bHitEvent = 0;
  int8_t m_byHitEventArg = 0;

  cShot() = default;
  cShot(const cShot&) = default;
  cShot& operator=(const cShot&) = default;
  ~cShot() override = default;

  void ScaleHitBox(int nScale) override;
  void KeepFootOnScale(int nNew, int nOld) override;
  void UpdateBoxX() override { SetBoxXAt(TruncToInt(m_dX)); }
  // The box's sides from the truncated left edge.
  void SetBoxXAt(int left) {
    const int boxLeft = left + m_nHitX;
    m_HitRect.left = boxLeft;
    // Whole numbers below 2^53: the sum in 64 bits is what the double sum
    // of left, width and -1 gives.
    m_HitRect.right = static_cast<double>(static_cast<int64_t>(boxLeft) + m_nHitW - 1);
  }
  void UpdateBoxY() override;

  // Removes the back links from the target and the owner; nulls both.
  void Unlink();
  // Command kind 12 makes a sword, any other a shot.
  void Setup(int id, cCharaBase* owner, int cmdKind, const cEdShot* def, const ShotLaunch& launch);
  void SplitSpeed(double* outX, double* outY, double vx, double vy);
  int ClampX();
  // ClampX with the world's width given (a whole number: the double holds it
  // exactly, and the compare converted it anyway).
  int ClampXIn(double extent) {
    int result = 0;
    if (m_dX < 0) {
      m_dX = 0;
      result = 3;
    } else if (m_dX + m_nW - 1 >= extent) {
      m_dX = extent - m_nW;
      result = 3;
    }
    m_dRight = m_dX + m_nW - 1.0;
    const int left = TruncToInt(m_dX);
    SetBoxXAt(left);
    m_nCol = left >> 5;
    m_nRightCol = TruncToInt(m_dRight) >> 5;
    return result;
  }
  int MoveX();
  int MoveY();
  int Step();
  int HitsMap();
  void Draw(DDSURFACEDATA* surface, int frozen);
  // A sword's sub-step: 1 when it ends.
  int FollowOwner();
};

// One sub-step of every shot of the world, in list order: Step, gravity,
// MoveY, MoveX, on the first sub-step the removal area (while a range is
// left), then the map; a shot that ends there is removed at once.
void StepShots(cPlayWorld& w);

// A copy of the shot into the list, and a pointer to it into its faction list.
cShot* AddShot(cList<cShot>& list, const cShot& shot);
cList<cShot>::iterator RemoveShot(cList<cShot>& list, cList<cShot>::iterator node);
// 1 when an equal {shot, kind} link is in the vector.
struct ShotLink;
int HasLink(const cVector<ShotLink>& links, const ShotLink& link);
// The sword type of that number when it exists and has frames, else null.
class cSwordType;
const cSwordType* SwordTypeOf(int type);
class cCmdRun;
void FireShot(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def);
void SummonBlock(cCharaBase* chara, cCmdRun* run, const cEdShot* def);
void SummonChara(cCharaBase* chara, cCmdRun* run, const cEdShot* def);
void SummonItem(cCharaBase* chara, cCmdRun* run, const cEdShot* def);
