// ctest-label: data
#include <gtest/gtest.h>

#include "data/EdMove.h"
#include "data/EdShot.h"
#include "flow_fixtures.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace move_shot_test {

using namespace flowfix;

namespace {

TEST(EdMove, DefaultBodyByteForByte) {
  cEdMove m;
  const Bytes expected = {
      33, 0, 0, 0,                                     // field entries
      0, 0, 0, 0, 0, 0,                                // move by, direction, angle, angle step
      1, 1, 1,                                         // mirror angle, use x, use y
      0, 0, 0, 0, 0, 0, 0, 0,                          // target block x/y, dot x/y
      0, 1, 0, 0, 1, 0, 1, 0,                          // coord system .. no overshoot
      0, 0,                                            // keep facing, speed mode
      10, 0, 0, 0, 0, 0, 0, 0,                         // speed, steps, distance
      0, 0, 0, 0, 0, 0, 0, 0,                          // distance unit, extra, extra step, inertia, limit
      0, 0, 0, 0, 0, 0, 0xF0, 0x3F,                    // inertia rate 1.0
      0, 0,                                            // play anime, target slot
      0, 0, 0, 0,                                      // no strings
  };
  ASSERT_EQ(expected.size(), 61u);
  EXPECT_EQ(BodyNow(m), expected);
}

TEST(EdMove, FieldsMissingFromOlderFilesReadAsOff) {
  struct Row {
    uint32_t version;
    int mirrorAngle, distanceUnit, keepFacing, playAnime, targetSlot;
  };
  const Row rows[] = {
      {157, 0, 0, 0, 0, 0},
      {160, 1, 1, 0, 0, 0},
      {766, 1, 1, 1, 1, 0},
      {767, 1, 1, 1, 1, 3},
  };
  for (const Row& row : rows) {
    cEdMove src;
    src.m_MirrorAngle = 1;
    src.m_DistanceUnit = 1;
    src.m_KeepFacing = 1;
    src.m_PlayAnime = 1;
    src.m_TargetSlot = 3;
    src.m_Speed = 42;
    src.m_InertiaRate = 0.25;
    cEdMove m;
    ASSERT_TRUE(ReadBody(m, BodyAt(src, row.version), row.version)) << row.version;
    EXPECT_EQ(m.m_MirrorAngle, row.mirrorAngle) << row.version;
    EXPECT_EQ(m.m_DistanceUnit, row.distanceUnit) << row.version;
    EXPECT_EQ(m.m_KeepFacing, row.keepFacing) << row.version;
    EXPECT_EQ(m.m_PlayAnime, row.playAnime) << row.version;
    EXPECT_EQ(m.m_TargetSlot, row.targetSlot) << row.version;
    EXPECT_EQ(m.m_Speed, 42);
    EXPECT_EQ(m.m_InertiaRate, 0.25);
  }
}

TEST(EdShot, DefaultBodyByteForByte) {
  cEdShot s;
  const Bytes expected = {
      64, 0, 0, 0,                 // field entries
      0, 0, 0, 0, 0, 0, 0, 0,      // count, formation, 3 formation params
      0, 0, 0, 0,                  // centre, direction, alt placement, formation target
      0, 0, 0, 0, 1, 0, 0,         // angle, angle step, mirror angle, jitter
      0, 0,                        // placement option, volleys
      0, 0, 0, 0, 0, 0, 0, 0,      // offsets and steps
      1, 0, 0, 0,                  // mirror offset x/y, graphic
      0, 0, 1, 0, 0, 1, 0, 0,      // A, hidden, B, faction, C, size, D, move
      0, 0, 0, 0, 0, 0, 0, 0,      // 3 move params, move target, homing
      0, 0, 0, 0,                  // speed, speed step
      0, 0, 0, 0, 0,               // extra flag and values
      0, 0, 0, 0, 0, 0,            // move time, limited, time step, stop at end
      0, 0, 0, 0, 0, 0, 0,         // life limited, life time, step, E, pierce chara
      0, 0, 0,                     // pierce block chara, hits shots, strength
      0, 0, 0, 0, 0, 0, 0, 0, 0,   // attack, hit value, impact, hit effect
      0, 0, 0, 0,                  // drop palette, drop index, block summon mode
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // H, H block, summon palette, index, faction, F, reverse, I, J
      0, 0, 0, 0,                  // no strings
  };
  ASSERT_EQ(expected.size(), 105u);
  EXPECT_EQ(BodyNow(s), expected);
}

TEST(EdShot, MoveTimeIsStoredBeforeItsFlag) {
  cEdShot s;
  s.m_ExtraValue2 = 0x0102;
  s.m_MoveTime = 0x1234;
  s.m_MoveTimeLimited = 0x56;
  s.m_MoveTimeStep = 0x789A;
  Bytes body = BodyNow(s);
  const Bytes run = {0x02, 0x01, 0x34, 0x12, 0x56, 0x9A, 0x78};
  EXPECT_NE(std::search(body.begin(), body.end(), run.begin(), run.end()), body.end());
}

TEST(EdShot, VersionFixUps) {
  cEdShot src;
  src.m_OptionH = 1;
  src.m_OptionHBlock = 0;
  src.m_HomingOption = 0;
  src.m_PierceChara = 1;
  src.m_PierceBlockChara = 0;
  src.m_FormationCentre = 2;
  src.m_FormationTarget = 3;
  src.m_MoveTarget = 2;
  src.m_MirrorShotAngle = 1;
  src.m_ExtraFlag = 1;
  src.m_ExtraValue1 = 5;

  auto read = [&](uint32_t v, int shotMove) {
    cEdShot in = src;
    in.m_ShotMove = static_cast<uint8_t>(shotMove);
    cEdShot out;
    EXPECT_TRUE(ReadBody(out, BodyAt(in, v), v)) << v;
    return out;
  };

  EXPECT_EQ(read(157, 0).m_MirrorShotAngle, 0);
  EXPECT_EQ(read(196, 0).m_OptionHBlock, 1);
  EXPECT_EQ(read(197, 0).m_OptionHBlock, 0);
  EXPECT_EQ(read(211, 5).m_HomingOption, 1);
  EXPECT_EQ(read(211, 8).m_HomingOption, 0);
  src.m_HomingOption = 1;
  EXPECT_EQ(read(211, 8).m_HomingOption, 0);  // stored, but overwritten
  EXPECT_EQ(read(212, 8).m_HomingOption, 1);
  EXPECT_EQ(read(212, 5).m_ExtraFlag, 0);
  EXPECT_EQ(read(213, 5).m_ExtraValue1, 5);
  EXPECT_EQ(read(635, 0).m_PierceBlockChara, 1);
  EXPECT_EQ(read(636, 0).m_PierceBlockChara, 0);
  EXPECT_EQ(read(670, 0).m_FormationCentre, 0);
  cEdShot mid = read(766, 0);
  EXPECT_EQ(mid.m_FormationCentre, 2);
  EXPECT_EQ(mid.m_FormationTarget, 0);
  EXPECT_EQ(mid.m_MoveTarget, 0);
  cEdShot now = read(767, 0);
  EXPECT_EQ(now.m_FormationTarget, 3);
  EXPECT_EQ(now.m_MoveTarget, 2);
}

TEST(EdShot, ValidateRepairsSizeAndHitEffect) {
  cReadContext ctx;
  ctx.dbCount[static_cast<int>(DbList::Effect)] = 4;
  struct Row {
    int size, effect, wantSize, wantEffect;
  };
  const Row rows[] = {{0, 0, 1, 0}, {-3, 3, 1, 3}, {5, -1, 5, 0}, {1, 4, 1, 0}, {127, 1, 127, 1}};
  for (const Row& row : rows) {
    cEdShot in;
    in.m_HitEffect = static_cast<int16_t>(row.effect);
    Bytes body = BodyNow(in);
    body[42] = static_cast<unsigned char>(row.size);  // m_ShotSize, which Write would repair
    cEdShot s;
    ASSERT_TRUE(ReadBody(s, body, 791, &ctx));
    EXPECT_EQ(s.m_ShotSize, row.wantSize) << row.size;
    EXPECT_EQ(s.m_HitEffect, row.wantEffect) << row.effect;
  }
}

TEST(EdShot, VolleyOffsets) {
  cEdShot s;
  s.m_ShotOffsetX = 10;
  s.m_ShotOffsetXStep = 5;
  s.m_ShotOffsetY = -4;
  s.m_ShotOffsetYStep = 2;
  EXPECT_EQ(s.CalcX(2, 1), -20.0);
  EXPECT_EQ(s.CalcX(2, 0), 20.0);
  EXPECT_EQ(s.CalcY(2, 1), 0.0);
  EXPECT_EQ(s.CalcY(3, 1), 2.0);  // the vertical offset is not mirrored by default
  s.m_MirrorOffsetY = 1;
  EXPECT_EQ(s.CalcY(3, 1), -2.0);
}

TEST(ParamRecords, DeepAssignNeverShares) {
  boost::shared_ptr<cEdMove> src;
  cEdMove::Reset(src);
  src->m_Speed = 33;
  boost::shared_ptr<cEdMove> dst;
  cEdMove::Assign(dst, src);
  ASSERT_TRUE(dst);
  EXPECT_NE(dst.get(), src.get());
  EXPECT_EQ(dst->m_Speed, 33);
  dst->m_Speed = 1;
  EXPECT_EQ(src->m_Speed, 33);
  // The copy's tables describe its own members.
  EXPECT_EQ(BodyNow(*dst)[31], 1);  // m_Speed

  cEdMove::Assign(dst, dst);  // self: stays a valid record
  ASSERT_TRUE(dst);
  EXPECT_EQ(dst->m_Speed, 1);

  cEdMove::Assign(dst, boost::shared_ptr<cEdMove>());
  EXPECT_FALSE(dst);

  boost::shared_ptr<cEdShot> shot;
  cEdShot::Reset(shot);
  shot->m_Attack = 99;
  boost::shared_ptr<cEdShot> shotCopy;
  cEdShot::Assign(shotCopy, shot);
  shotCopy->m_Attack = 1;
  EXPECT_EQ(shot->m_Attack, 99);
}

}  // namespace

}  // namespace move_shot_test
