#include "data/EdMove.h"

#include <boost/make_shared.hpp>

void cEdMove::RegisterFields(uint32_t v) {
  ResetFields();
  AddChar(&m_MoveBy, 1, "m_MoveBy");
  AddChar(&m_Direction, 1, "m_Direction");
  AddShort(&m_Angle, 1, "m_Angle");
  AddShort(&m_AngleStep, 1, "m_AngleStep");
  if (v >= 158) AddChar(&m_MirrorAngle, 1, "m_MirrorAngle");
  AddChar(&m_UseX, 1, "m_UseX");
  AddChar(&m_UseY, 1, "m_UseY");
  AddShort(&m_TargetBlockX, 1, "m_TargetBlockX");
  AddShort(&m_TargetBlockY, 1, "m_TargetBlockY");
  AddShort(&m_TargetDotX, 1, "m_TargetDotX");
  AddShort(&m_TargetDotY, 1, "m_TargetDotY");
  AddChar(&m_CoordSystem, 1, "m_CoordSystem");
  AddChar(&m_EndAtTarget, 1, "m_EndAtTarget");
  AddChar(&m_LockX, 1, "m_LockX");
  AddChar(&m_LockY, 1, "m_LockY");
  AddChar(&m_MirrorX, 1, "m_MirrorX");
  AddChar(&m_MirrorY, 1, "m_MirrorY");
  AddChar(&m_TurnWithChara, 1, "m_TurnWithChara");
  AddChar(&m_NoOvershoot, 1, "m_NoOvershoot");
  if (v >= 162) AddChar(&m_KeepFacing, 1, "m_KeepFacing");
  AddChar(&m_SpeedMode, 1, "m_SpeedMode");
  AddShort(&m_Speed, 1, "m_Speed");
  AddShort(&m_SpeedStep, 1, "m_SpeedStep");
  AddShort(&m_Distance, 1, "m_Distance");
  AddShort(&m_DistanceStep, 1, "m_DistanceStep");
  if (v >= 159) AddChar(&m_DistanceUnit, 1, "m_DistanceUnit");
  AddShort(&m_Extra, 1, "m_Extra");
  AddShort(&m_ExtraStep, 1, "m_ExtraStep");
  AddChar(&m_Inertia, 1, "m_Inertia");
  AddShort(&m_InertiaLimit, 1, "m_InertiaLimit");
  AddQuad(&m_InertiaRate, 1, "m_InertiaRate");
  if (v >= 162) AddChar(&m_PlayAnime, 1, "m_PlayAnime");
  if (v >= 767) AddChar(&m_TargetSlot, 1, "m_TargetSlot");
}

void cEdMove::SetDefaults() {
  Clear();
  m_MirrorAngle = 1;
  m_UseX = 1;
  m_UseY = 1;
  m_EndAtTarget = 1;
  m_MirrorX = 1;
  m_TurnWithChara = 1;
  m_Speed = 10;
  m_InertiaRate = 1.0;
}

bool cEdMove::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  const uint32_t v = r.Version();
  if (v <= 790) {
    // Older movements behaved as if these were off, whatever a new record holds.
    if (v < 158) m_MirrorAngle = 0;
    if (v < 159) m_DistanceUnit = 0;
    if (v < 162) {
      m_KeepFacing = 0;
      m_PlayAnime = 0;
    }
  }
  VersionHook(dwDataVersion);
  return r.Ok();
}

void cEdMove::Reset(boost::shared_ptr<cEdMove>& p) { p = boost::make_shared<cEdMove>(); }

void cEdMove::Assign(boost::shared_ptr<cEdMove>& dst, const boost::shared_ptr<cEdMove>& src) {
  const boost::shared_ptr<cEdMove> from = src;  // src may be dst itself
  dst.reset();
  if (!from) return;
  Reset(dst);
  *dst = *from;  // members only; the tables stay the new object's own
}
