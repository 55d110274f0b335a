#pragma once
// The base of every running object (hero, stage characters, items, shots and
// swords): identity, facing, kind and faction, box, picture rectangle,
// velocity, flight mode and the common operations on them. The virtual
// operations are declared in a fixed order; derived classes override them.
#include <cstdint>

#include "base/Text.h"
#include "engine/instances/AnimPlayer.h"
#include "engine/objects/RectD.h"

class cCmdRun;
class cRemoveArea;

// The camera as UpdateScreenPos reads it, taken once by a pass that places
// many objects while nothing moves the camera.
struct cScreenCamera {
  double x = 0, y = 0;
  int ix = 0, iy = 0;                 // TruncToInt of x and y
  double dix = 0, diy = 0;            // ix and iy as doubles (exact), converted once
  bool autoX = false, autoY = false;  // the auto-scroll moves the camera on that axis
};
cScreenCamera CurrentScreenCamera();

class cGameObj {
 public:
  int32_t m_nID = 0;
  int32_t m_nLife = 0;  // sub-steps; 2147483647 = unlimited
  int32_t m_bFaceRight = 0;
  int16_t m_wSpawnTag = 0;  // clone index given by the creator
  int32_t m_nChip = 0;
  cAnimPlayer m_Anim;
  int32_t m_nScrLeft = 0, m_nScrTop = 0, m_nScrRight = 0, m_nScrBottom = 0;  // inclusive
  int32_t m_nPicOfsX = 0, m_nPicOfsY = 0, m_nPicW = 0, m_nPicH = 0;
  int32_t m_nBasePicOfsX = 0, m_nBasePicOfsY = 0, m_nBasePicW = 0, m_nBasePicH = 0;
  int32_t m_nObjKind = 0;    // 0 hero (and items), 1 stage character
  int32_t m_nFaction = 0;
  int32_t m_nBlockSide = 0;  // faction number: block exceptions, faction lists
  double m_dX = 0, m_dY = 0;
  double m_dRight = 0, m_dBottom = 0;  // m_dX + m_nW - 1, m_dY + m_nH - 1
  int32_t m_nCol = 0, m_nRow = 0, m_nRightCol = 0, m_nBottomRow = 0;
  double m_dVX = 0, m_dVY = 0;
  double m_dVX2 = 0, m_dVY2 = 0;  // command velocity (characters), acceleration (shots)
  double m_dDecel = 0;
  int32_t m_bFrictionX = 0, m_bFrictionY = 0;
  int32_t m_bScrollSync = 0;
  int32_t m_nW = 0, m_nH = 0;
  int32_t m_nBaseW = 0, m_nBaseH = 0;
  int32_t m_bFly = 0;
  int8_t m_byFlyHit = 1;  // 0 passes blocks, 1 stopped by blocks, 2 dies on blocks
  int32_t m_bActive = 0;
  int32_t m_bOnScreen = 0;
  int8_t m_byCondLatch = 0;

  cGameObj() = default;
  cGameObj(const cGameObj&) = default;
  cGameObj& operator=(const cGameObj&) = default;

  // --- virtual slots 0..12 ---
  virtual ~cGameObj() = default;
  virtual void CopyFrom(const cGameObj& other);
  virtual void SetScale(int nNew, int nOld);
  virtual void ScaleHitBox(int nScale) {}
  virtual void KeepFootOnScale(int nNew, int nOld) {}
  virtual void UpdateBoxX() {}
  virtual void UpdateBoxY() {}
  virtual void SetCenter(int x, int y) {}
  virtual void SetCenterAndStop(int x, int y, cCmdRun* run) {}
  virtual void SetCenterX(int x) {}
  virtual void SetCenterXAndStop(int x, cCmdRun* run) {}
  virtual void SetCenterY(int y) {}
  virtual void SetCenterYAndStop(int y, cCmdRun* run) {}

  // --- set-up ---
  void Setup(int nID, int nKind, int nFaction, int nBlockSide, int nChip, AnimSource patterns, int nAnim,
             int nPicOfsX, int nPicOfsY, int nBaseW, int nBaseH, int nBasePicW, int nBasePicH, int bFaceRight,
             int nFlyMode, int16_t wSpawnTag, const void* definition);
  // Modes 0..3 (walking; flying through, stopped by, killed by blocks);
  // any other mode changes nothing.
  void SetFlyMode(int nMode);
  void KeepFoot(int nNew, int nOld);
  void KeepCenterX(int nNew, int nOld);

  // --- clamps: 0 nothing; X: 1 past the scroll area, 2 past the map area,
  // 3 clamped at the world; Y: 1..3 at the top, 4..6 at the bottom ---
  int ClampStageX(int nMode);
  int ClampStageY(int nMode);

  // --- screen position and range tests ---
  void UpdateScreenPos();
  void UpdateScreenPosWith(const cScreenCamera& c) {
    if (!m_bFly || (c.autoX && !m_bScrollSync))
      m_nScrLeft = TruncToInt((m_dX - m_nPicOfsX) - c.dix);
    else if (c.autoX)
      m_nScrLeft = TruncToInt(m_dX - c.x) - m_nPicOfsX;
    else
      m_nScrLeft = TruncToInt(m_dX) - c.ix - m_nPicOfsX;
    m_nScrRight = m_nScrLeft + m_nPicW - 1;
    if (!m_bFly)
      m_nScrTop = TruncToInt((m_dY - m_nPicOfsY) - c.diy);
    else if (c.autoY)
      m_nScrTop = TruncToInt(m_dY - c.y) - m_nPicOfsY + 1;
    else
      m_nScrTop = TruncToInt(m_dY) - c.iy - m_nPicOfsY;
    m_nScrBottom = m_nScrTop + m_nPicH - 1;
  }
  int IsOnScreen() const;
  // IsOnScreen with the camera's top-left (cx, cy) given: for the hot loops,
  // which read the camera themselves.
  int IsOnScreenAt(double cx, double cy) const {
    return m_dRight >= cx && cx + 640 > m_dX && m_dBottom >= cy && cy + 480 > m_dY ? 1 : 0;
  }
  int IsOnScreenAxis(int bSkipX, int bSkipY) const;
  int IsOnScreenAxisAt(int bSkipX, int bSkipY, double cx, double cy) const {
    if (!bSkipX && !(m_dRight >= cx && cx + 640 > m_dX)) return 0;
    if (!bSkipY && !(m_dBottom >= cy && cy + 480 > m_dY)) return 0;
    return 1;
  }
  int IsInStage(int bWorld) const;
  int IsOutOfRange(const cRemoveArea& area) const;
  int FacingSign() const { return m_bFaceRight ? 1 : -1; }
  // The screen centre: (m_nScrLeft + (m_nPicW >> 1), m_nScrTop + (m_nPicH >> 1)).
  int ScreenCenterX() const { return m_nScrLeft + (m_nPicW >> 1); }
  int ScreenCenterY() const { return m_nScrTop + (m_nPicH >> 1); }

  // --- map (block-map collision helpers) ---
  // 1 when one of the four corner cells is there for this object.
  int CornerOnBlock() const;
  int CornerOnBlock(int) const { return CornerOnBlock(); }

  // --- motion ---
  // Speed-capped step and the clamp of that mode; returns its report.
  int StepX(int nMode);
  int StepY(int nMode);
  void ApplyGravity();
  void ApplyFriction(double* v, int bOn);
  // Splits a knock-back power into two velocities along (dx, dy).
  void SplitSpeed(double* vx, double* vy, int8_t nPower, double dx, double dy);
  // Moves the run's velocity towards a screen point; 1 when arrived. On
  // arrival, when the run's move parameters stop at the target, the mover is
  // centred on the point and the run's velocity stopped (the screen
  // positions of mover and target are refreshed first unless bKeepScreen).
  int ApproachPoint2D(cCmdRun* run, cGameObj* target, double tx, double ty, int bFlag, int bArrive,
                      int bKeepScreen = 0);
  int ApproachPointX(cCmdRun* run, cGameObj* target, double tx, int bFlag, int bArrive, int bKeepScreen = 0);
  int ApproachPointY(cCmdRun* run, cGameObj* target, double ty, int bFlag, int bArrive, int bKeepScreen = 0);
  // A relative target of the run made into a screen point: each axis whose
  // absolute flag is clear becomes the run's offset plus the screen centre.
  void MoveToPoint(double* tx, double* ty, cCmdRun* run, int bAbsX = 0, int bAbsY = 0);
};
