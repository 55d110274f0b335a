#pragma once
// Movement parameters of the moving flow commands and of ワープ. Pairs of a
// value and a step stand for value + step × the spawn index of the running
// object that executes the command.
#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "base/SerialRecord.h"

class cEdMove : public cSerialRecord {
 public:
  uint8_t m_MoveBy = 0;
  uint8_t m_Direction = 0;
  int16_t m_Angle = 0;
  int16_t m_AngleStep = 0;
  uint8_t m_MirrorAngle = 1;
  uint8_t m_UseX = 1;
  uint8_t m_UseY = 1;
  int16_t m_TargetBlockX = 0;
  int16_t m_TargetBlockY = 0;
  int16_t m_TargetDotX = 0;
  int16_t m_TargetDotY = 0;
  uint8_t m_CoordSystem = 0;
  uint8_t m_EndAtTarget = 1;
  uint8_t m_LockX = 0;
  uint8_t m_LockY = 0;
  uint8_t m_MirrorX = 1;
  uint8_t m_MirrorY = 0;
  uint8_t m_TurnWithChara = 1;
  uint8_t m_NoOvershoot = 0;
  uint8_t m_KeepFacing = 0;
  uint8_t m_SpeedMode = 0;
  int16_t m_Speed = 10;
  int16_t m_SpeedStep = 0;
  int16_t m_Distance = 0;
  int16_t m_DistanceStep = 0;
  uint8_t m_DistanceUnit = 0;
  int16_t m_Extra = 0;
  int16_t m_ExtraStep = 0;
  uint8_t m_Inertia = 0;
  int16_t m_InertiaLimit = 0;
  double m_InertiaRate = 1.0;
  uint8_t m_PlayAnime = 0;
  uint8_t m_TargetSlot = 0;

  cEdMove() { SetDefaults(); }

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;

  // Clear, then the non-zero defaults of a new record.
  void SetDefaults();

  static void Reset(boost::shared_ptr<cEdMove>& p);
  // Deep copy: the destination gets an object of its own (or none).
  static void Assign(boost::shared_ptr<cEdMove>& dst, const boost::shared_ptr<cEdMove>& src);
};
