#pragma once
// Parameters of the commands that create objects: shots, a sword swing and
// the block, character and item summons. A command fires m_Volleys + 1
// volleys; per-volley values are value + n × step for volley n.
#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "base/SerialRecord.h"

struct cReadContext;

class cEdShot : public cSerialRecord {
 public:
  int8_t m_ShotCount = 0;
  uint8_t m_Formation = 0;
  int16_t m_FormationParam[3] = {0, 0, 0};
  uint8_t m_FormationCentre = 0;
  uint8_t m_ShotDirection = 0;
  uint8_t m_AltPlacement = 0;
  uint8_t m_FormationTarget = 0;
  int16_t m_ShotAngle = 0;
  int16_t m_ShotAngleStep = 0;
  uint8_t m_MirrorShotAngle = 1;
  int16_t m_AngleJitter = 0;
  uint8_t m_PlacementOption = 0;
  int8_t m_Volleys = 0;
  int16_t m_ShotOffsetX = 0;
  int16_t m_ShotOffsetXStep = 0;
  int16_t m_ShotOffsetY = 0;
  int16_t m_ShotOffsetYStep = 0;
  uint8_t m_MirrorOffsetX = 1;
  uint8_t m_MirrorOffsetY = 0;
  int16_t m_Graphic = 0;
  uint8_t m_OptionA = 0;
  uint8_t m_ShotHidden = 0;
  uint8_t m_OptionB = 1;
  uint8_t m_ShotFaction = 0;
  uint8_t m_OptionC = 0;
  int8_t m_ShotSize = 1;
  uint8_t m_OptionD = 0;
  uint8_t m_ShotMove = 0;  // for ソード: the sword type
  int16_t m_MoveParam[3] = {0, 0, 0};
  uint8_t m_MoveTarget = 0;
  uint8_t m_HomingOption = 0;
  int16_t m_ShotSpeed = 0;
  int16_t m_ShotSpeedStep = 0;
  uint8_t m_ExtraFlag = 0;
  int16_t m_ExtraValue1 = 0;
  int16_t m_ExtraValue2 = 0;
  uint8_t m_MoveTimeLimited = 0;
  int16_t m_MoveTime = 0;
  int16_t m_MoveTimeStep = 0;
  uint8_t m_StopAtMoveEnd = 0;
  uint8_t m_LifeLimited = 0;
  int16_t m_LifeTime = 0;
  int16_t m_LifeTimeStep = 0;
  uint8_t m_OptionE = 0;
  uint8_t m_PierceChara = 0;
  uint8_t m_PierceBlockChara = 0;
  uint8_t m_HitsShots = 0;
  uint8_t m_ShotStrength = 0;
  int32_t m_Attack = 0;
  int16_t m_HitValue = 0;
  uint8_t m_Impact = 0;
  int16_t m_HitEffect = 0;
  uint8_t m_DropItemPalette = 0;  // 0 none, 1 common, 2 stage
  int16_t m_DropItemIndex = 0;
  uint8_t m_BlockSummonMode = 0;
  uint8_t m_SummonPalette = 0;  // 0 common, 1 stage
  int16_t m_SummonIndex = 0;
  uint8_t m_SummonFaction = 0;
  uint8_t m_OptionH = 0;
  uint8_t m_OptionHBlock = 0;
  uint8_t m_OptionF = 0;
  uint8_t m_SummonReverse = 0;
  uint8_t m_OptionI = 0;
  uint8_t m_OptionJ = 0;

  cEdShot() { SetDefaults(); }

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;

  void SetDefaults();
  // Size at least 1; a hit effect outside the database's effect list is none.
  void Validate(const cReadContext& context);

  // Start offsets of volley n; facing 1 is right.
  double CalcX(int n, int facing) const;
  double CalcY(int n, int facing) const;

  static void Reset(boost::shared_ptr<cEdShot>& p);
  static void Assign(boost::shared_ptr<cEdShot>& dst, const boost::shared_ptr<cEdShot>& src);
};
