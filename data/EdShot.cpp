#include "data/EdShot.h"

#include <boost/make_shared.hpp>

#include "data/ReadContext.h"

void cEdShot::RegisterFields(uint32_t v) {
  ResetFields();
  AddChar(&m_ShotCount, 1, "m_ShotCount");
  AddChar(&m_Formation, 1, "m_Formation");
  AddShort(m_FormationParam, 3, "m_FormationParam");
  if (v >= 671) AddChar(&m_FormationCentre, 1, "m_FormationCentre");
  AddChar(&m_ShotDirection, 1, "m_ShotDirection");
  AddChar(&m_AltPlacement, 1, "m_AltPlacement");
  if (v >= 767) AddChar(&m_FormationTarget, 1, "m_FormationTarget");
  AddShort(&m_ShotAngle, 1, "m_ShotAngle");
  AddShort(&m_ShotAngleStep, 1, "m_ShotAngleStep");
  if (v >= 158) AddChar(&m_MirrorShotAngle, 1, "m_MirrorShotAngle");
  AddShort(&m_AngleJitter, 1, "m_AngleJitter");
  AddChar(&m_PlacementOption, 1, "m_PlacementOption");
  AddChar(&m_Volleys, 1, "m_Volleys");
  AddShort(&m_ShotOffsetX, 1, "m_ShotOffsetX");
  AddShort(&m_ShotOffsetXStep, 1, "m_ShotOffsetXStep");
  AddShort(&m_ShotOffsetY, 1, "m_ShotOffsetY");
  AddShort(&m_ShotOffsetYStep, 1, "m_ShotOffsetYStep");
  AddChar(&m_MirrorOffsetX, 1, "m_MirrorOffsetX");
  AddChar(&m_MirrorOffsetY, 1, "m_MirrorOffsetY");
  AddShort(&m_Graphic, 1, "m_Graphic");
  AddChar(&m_OptionA, 1, "m_OptionA");
  AddChar(&m_ShotHidden, 1, "m_ShotHidden");
  AddChar(&m_OptionB, 1, "m_OptionB");
  AddChar(&m_ShotFaction, 1, "m_ShotFaction");
  AddChar(&m_OptionC, 1, "m_OptionC");
  AddChar(&m_ShotSize, 1, "m_ShotSize");
  AddChar(&m_OptionD, 1, "m_OptionD");
  AddChar(&m_ShotMove, 1, "m_ShotMove");
  AddShort(m_MoveParam, 3, "m_MoveParam");
  if (v >= 767) AddChar(&m_MoveTarget, 1, "m_MoveTarget");
  if (v >= 211) AddChar(&m_HomingOption, 1, "m_HomingOption");
  AddShort(&m_ShotSpeed, 1, "m_ShotSpeed");
  AddShort(&m_ShotSpeedStep, 1, "m_ShotSpeedStep");
  if (v >= 213) {
    AddChar(&m_ExtraFlag, 1, "m_ExtraFlag");
    AddShort(&m_ExtraValue1, 1, "m_ExtraValue1");
    AddShort(&m_ExtraValue2, 1, "m_ExtraValue2");
  }
  // The file holds the time before its flag.
  AddShort(&m_MoveTime, 1, "m_MoveTime");
  AddChar(&m_MoveTimeLimited, 1, "m_MoveTimeLimited");
  AddShort(&m_MoveTimeStep, 1, "m_MoveTimeStep");
  AddChar(&m_StopAtMoveEnd, 1, "m_StopAtMoveEnd");
  AddChar(&m_LifeLimited, 1, "m_LifeLimited");
  AddShort(&m_LifeTime, 1, "m_LifeTime");
  AddShort(&m_LifeTimeStep, 1, "m_LifeTimeStep");
  AddChar(&m_OptionE, 1, "m_OptionE");
  AddChar(&m_PierceChara, 1, "m_PierceChara");
  if (v >= 636) AddChar(&m_PierceBlockChara, 1, "m_PierceBlockChara");
  AddChar(&m_HitsShots, 1, "m_HitsShots");
  AddChar(&m_ShotStrength, 1, "m_ShotStrength");
  AddInt(&m_Attack, 1, "m_Attack");
  AddShort(&m_HitValue, 1, "m_HitValue");
  AddChar(&m_Impact, 1, "m_Impact");
  AddShort(&m_HitEffect, 1, "m_HitEffect");
  AddChar(&m_DropItemPalette, 1, "m_DropItemPalette");
  AddShort(&m_DropItemIndex, 1, "m_DropItemIndex");
  AddChar(&m_BlockSummonMode, 1, "m_BlockSummonMode");
  AddChar(&m_OptionH, 1, "m_OptionH");
  if (v >= 197) AddChar(&m_OptionHBlock, 1, "m_OptionHBlock");
  AddChar(&m_SummonPalette, 1, "m_SummonPalette");
  AddShort(&m_SummonIndex, 1, "m_SummonIndex");
  AddChar(&m_SummonFaction, 1, "m_SummonFaction");
  AddChar(&m_OptionF, 1, "m_OptionF");
  AddChar(&m_SummonReverse, 1, "m_SummonReverse");
  if (v >= 762) {
    AddChar(&m_OptionI, 1, "m_OptionI");
    AddChar(&m_OptionJ, 1, "m_OptionJ");
  }
}

void cEdShot::SetDefaults() {
  Clear();
  m_MirrorShotAngle = 1;
  m_MirrorOffsetX = 1;
  m_OptionB = 1;
  m_ShotSize = 1;
}

bool cEdShot::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  const uint32_t v = r.Version();
  if (v <= 790) {
    if (v < 158) m_MirrorShotAngle = 0;
    if (v < 197) m_OptionHBlock = m_OptionH;
    // A file of 211 holds the option, but it is overwritten as well.
    if (v < 212) m_HomingOption = (m_ShotMove >= 4 && m_ShotMove <= 7) ? 1 : 0;
    if (v < 213) {
      m_ExtraFlag = 0;
      m_ExtraValue1 = 0;
      m_ExtraValue2 = 0;
    }
    if (v < 636) m_PierceBlockChara = m_PierceChara;
    if (v < 671) m_FormationCentre = 0;
  }
  Validate(ContextOf(r));
  return r.Ok();
}

bool cEdShot::Write(cRecordWriter& w) {
  Validate(DefaultReadContext());
  return cSerialRecord::Write(w);
}

void cEdShot::Validate(const cReadContext& context) {
  if (m_ShotSize <= 0) m_ShotSize = 1;
  const int effects = context.DbCount(DbList::Effect);
  if (effects >= 0 && static_cast<uint32_t>(static_cast<int32_t>(m_HitEffect)) >= static_cast<uint32_t>(effects))
    m_HitEffect = 0;
}

double cEdShot::CalcX(int n, int facing) const {
  const double value = static_cast<double>(n) * m_ShotOffsetXStep + m_ShotOffsetX;
  return (facing == 1 && m_MirrorOffsetX) ? -value : value;
}

double cEdShot::CalcY(int n, int facing) const {
  const double value = static_cast<double>(n) * m_ShotOffsetYStep + m_ShotOffsetY;
  return (facing == 1 && m_MirrorOffsetY) ? -value : value;
}

void cEdShot::Reset(boost::shared_ptr<cEdShot>& p) { p = boost::make_shared<cEdShot>(); }

void cEdShot::Assign(boost::shared_ptr<cEdShot>& dst, const boost::shared_ptr<cEdShot>& src) {
  const boost::shared_ptr<cEdShot> from = src;  // src may be dst itself
  dst.reset();
  if (!from) return;
  Reset(dst);
  *dst = *from;
}
