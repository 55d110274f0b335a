#pragma once
// Stage files and definition bodies built byte by byte from the file layout,
// for any data-format version, without the program's record classes: the
// tests check the readers and writers against the layout, not against
// themselves.
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/support/ByteBuilder.h"

namespace stagetest {

// Little-endian bytes built by hand.
using Bytes = testsupport::ByteBuilder;

// One field entry: its name, width in bytes (8: a double) and the first
// file version that stores it.
struct Field {
  const char* name;
  int width;
  uint32_t from;
};
using Values = std::map<std::string, double>;

inline double ValueOf(const Values& v, const char* name) {
  auto it = v.find(name);
  return it == v.end() ? 0 : it->second;
}

// Count of the entries the version stores, then each one.
inline void FieldBlock(Bytes& b, const std::vector<Field>& table, uint32_t version, const Values& values) {
  int32_t n = 0;
  for (const Field& f : table) n += version >= f.from;
  b.I32(n);
  for (const Field& f : table) {
    if (version < f.from) continue;
    double v = ValueOf(values, f.name);
    switch (f.width) {
      case 1: b.I8(static_cast<int8_t>(static_cast<int>(v))); break;
      case 2: b.I16(static_cast<int16_t>(v)); break;
      case 4: b.I32(static_cast<int32_t>(v)); break;
      default: b.F64(v); break;
    }
  }
}

inline const std::vector<Field>& BlockFields() {
  static const std::vector<Field> t = {
      {"PalKind", 1, 0}, {"PalIndex", 2, 0}, {"CondMode", 1, 0}, {"CondLatch", 1, 0}, {"GfxIndex", 2, 0},
      {"GfxKind", 1, 0}, {"GfxPattern", 2, 0}, {"Front", 1, 0}, {"Hidden", 1, 0}, {"Overlay", 1, 0},
      {"OverlayChip", 2, 0}, {"Hit", 1, 0}, {"HitException", 1, 0}, {"Effect", 1, 0}, {"EffectValue", 4, 0},
      {"ItemKind", 1, 0}, {"ItemIndex", 2, 0}, {"Fixed", 1, 0}};
  return t;
}

inline const std::vector<Field>& CharaFields() {
  static const std::vector<Field> t = {
      {"PalKind", 1, 0}, {"PalIndex", 2, 0}, {"CondMode", 1, 0}, {"CondLatch", 1, 0}, {"Facing", 1, 0},
      {"CopyCount", 1, 0}, {"CopyOriginX", 2, 0}, {"CopyStepX", 2, 0}, {"CopyOriginY", 2, 0}, {"CopyStepY", 2, 0},
      {"CopyMirrorX", 1, 0}, {"CopyMirrorY", 1, 0}, {"GfxIndex", 2, 0}, {"GfxKind", 1, 0}, {"GfxPattern", 2, 0},
      {"AnimeSet", 2, 0}, {"Z", 1, 0}, {"Transparent", 1, 0}, {"CharaEffect", 2, 0}, {"CharaEffectArg1", 1, 196},
      {"CharaEffectArg2", 1, 0}, {"CharaEffect2", 2, 0}, {"CharaEffect2Arg", 1, 196}, {"EmblemSwitch", 1, 0},
      {"Emblem", 2, 0}, {"Control", 1, 0}, {"PlayerNo", 1, 0}, {"Faction", 1, 0}, {"CharaId", 1, 0}, {"Fly", 1, 0},
      {"FixedFacing", 1, 0}, {"Invincible", 1, 0}, {"DrawSwitch", 1, 285}, {"BlockChara", 1, 0}, {"Size", 1, 0},
      {"ScrollSync", 1, 210}, {"ViewShape", 1, 0}, {"ViewRange", 1, 0}, {"MaxHp", 4, 0}, {"MaxSp", 4, 0},
      {"StopEase", 2, 0}, {"HitBox", 1, 201}, {"BodyPower", 4, 0}, {"BodyImpact", 1, 0}, {"EffectNo", 2, 0},
      {"Defence", 4, 168}, {"ImpactResist", 1, 0}, {"Score", 4, 0}, {"Switch", 1, 0}, {"InGroup", 1, 0},
      {"GroupNo", 2, 0}, {"ActiveRange", 1, 0}, {"ActiveMode", 1, 0}};
  return t;
}

inline const std::vector<Field>& ItemFields() {
  static const std::vector<Field> t = {
      {"PalKind", 1, 0}, {"PalIndex", 2, 0}, {"CondMode", 1, 0}, {"CondLatch", 1, 0}, {"ItemValue1", 2, 0},
      {"ItemValue2", 2, 0}, {"GfxIndex", 2, 0}, {"GfxKind", 1, 0}, {"GfxPattern", 2, 0}, {"ItemByte", 1, 0},
      {"Hidden", 1, 0}, {"Overlay", 1, 0}, {"OverlayChip", 2, 0}, {"ShowOnTake", 1, 0}, {"PickUp", 1, 0},
      {"Size", 1, 0}, {"Sound", 2, 0}};
  return t;
}

// The stage's field table in file order.
inline const std::vector<Field>& StageFields() {
  static const std::vector<Field> t = {
      {"Width", 4, 0}, {"EditorValue1", 4, 0}, {"EditorValue2", 4, 0}, {"Height", 4, 0}, {"LimitLeft", 4, 0},
      {"LimitRight", 4, 0}, {"LimitTop", 4, 0}, {"LimitBottom", 4, 0}, {"LimitLeftCol", 4, 0},
      {"LimitRightCol", 4, 0}, {"LimitTopRow", 4, 0}, {"LimitBottomRow", 4, 0}, {"FrameRate", 4, 0},
      {"TimeLimitOn", 4, 0}, {"TimeLimit", 4, 0}, {"TimeWarning", 4, 0}, {"AutoScrollX", 4, 0},
      {"AutoScrollY", 4, 0}, {"AutoSpeedX", 4, 0}, {"AutoSpeedY", 4, 0}, {"Gravity", 8, 0}, {"HitLevel", 4, 0},
      {"ObjectHitLevel", 4, 0}, {"Bgm", 4, 0}, {"BgmLoop", 4, 166}, {"BgmKeep", 4, 199}, {"DrawLayers", 4, 0},
      {"TakeStatus", 4, 0}, {"GiveStatus", 4, 0}, {"ShowStatusWindow", 4, 183}, {"AutoEnd", 4, 184},
      {"ShowStageNumber", 4, 0}, {"ShowStartCaption", 4, 225}, {"ShowClearCaption", 4, 0},
      {"ShowGameOverCaption", 4, 0}, {"HeroSizeW", 4, 200}, {"HeroSizeH", 4, 200}, {"HeroFlySizeW", 4, 200},
      {"HeroFlySizeH", 4, 200}, {"HeroHitW", 4, 0}, {"HeroHitH", 4, 0}, {"HeroFlyHitW", 4, 155},
      {"HeroFlyHitH", 4, 155}, {"HeroShotHitW", 4, 0}, {"HeroShotHitH", 4, 0}, {"HeroBox4W", 4, 0},
      {"HeroBox4H", 4, 0}, {"HeroSizeAlign", 4, 200}, {"HeroFlySizeAlign", 4, 200}, {"HeroHitAlign", 4, 155},
      {"HeroFlyHitAlign", 4, 155}, {"SizeBoxView", 4, 200}, {"HitBoxView", 4, 0}, {"ShotHitBoxView", 4, 0},
      {"Box4View", 4, 0}, {"SizeBoxColour", 4, 200}, {"HitBoxColour", 4, 0}, {"ShotHitBoxColour", 4, 0},
      {"Box4Colour", 4, 0}, {"CharaSizeW", 4, 200}, {"CharaSizeH", 4, 200}, {"CharaFlySizeW", 4, 200},
      {"CharaFlySizeH", 4, 200}, {"CharaHitW", 4, 0}, {"CharaHitH", 4, 0}, {"CharaFlyHitW", 4, 155},
      {"CharaFlyHitH", 4, 155}, {"CharaShotHitW", 4, 0}, {"CharaShotHitH", 4, 0}, {"CharaSizeAlign", 4, 200},
      {"CharaFlySizeAlign", 4, 200}, {"CharaHitAlign", 4, 155}, {"CharaFlyHitAlign", 4, 155}, {"ItemHitW", 4, 0},
      {"ItemHitH", 4, 0}, {"ShotHitW", 4, 0}, {"ShotHitH", 4, 0}, {"ShotSpareW", 4, 0}, {"ShotSpareH", 4, 0},
      {"Shot2HitW", 4, 0}, {"Shot2HitH", 4, 0}, {"Shot2SpareW", 4, 0}, {"Shot2SpareH", 4, 0},
      {"SpareFlag", 4, 0}, {"ScrollExtraX", 4, 0}, {"ScrollExtraY", 4, 0}, {"SubSteps", 4, 0},
      {"SubStepsF", 8, 0}, {"SubStepsSq", 8, 0}, {"SpeedCap", 8, 0}, {"GravityStep", 8, 0}, {"StepCap", 8, 0},
      {"FallStepLimit", 4, 0}, {"OnScreenHitsOnly", 4, 0}, {"HeroImmuneFrames", 4, 0},
      {"HeroInvincibleFrames", 4, 0}, {"CharaImmuneFrames", 4, 0}, {"CharaInvincibleFrames", 4, 0}};
  return t;
}

inline Values BlockValues() { return {{"Hit", 1}, {"HitException", 255}, {"GfxIndex", 1}}; }
inline Values CharaValues() {
  return {{"GfxKind", 1}, {"Z", 3}, {"CharaEffectArg2", 1}, {"Control", 1}, {"Faction", 1}, {"FixedFacing", 1},
          {"Size", 1}, {"MaxHp", 10}, {"StopEase", 10}, {"Switch", 1}};
}
inline Values ItemValues() { return {{"GfxKind", 2}, {"ItemByte", 6}, {"ShowOnTake", 1}, {"Size", 1}}; }
// A 20x15 stage at hit level 10 with the derived values stored.
inline Values StageValues() {
  return {{"Width", 20},          {"Height", 15},          {"FrameRate", 60},       {"TimeLimit", 200},
          {"TimeWarning", 20},    {"Gravity", 0.4},        {"HitLevel", 10},        {"DrawLayers", 1},
          {"ShowStatusWindow", 1}, {"ShowStartCaption", 1}, {"ShowClearCaption", 1}, {"ShowGameOverCaption", 1},
          {"SpareFlag", 1},       {"SubSteps", 10},        {"SubStepsF", 10},       {"SubStepsSq", 100},
          {"SpeedCap", 60},       {"GravityStep", 0.4 / 100}, {"StepCap", 6},       {"FallStepLimit", 80},
          {"OnScreenHitsOnly", 1}, {"HeroImmuneFrames", 30}, {"CharaImmuneFrames", 30}};
}

inline Bytes Flags(size_t n, std::vector<int> set = {}) {
  Bytes b;
  b.U32(static_cast<uint32_t>(n));
  std::vector<int8_t> f(n, 0);
  for (int i : set) f[static_cast<size_t>(i)] = 1;
  for (int8_t v : f) b.I8(v);
  return b;
}

// Definition bodies with no conditions, flows or commands.
inline Bytes BlockBody(uint32_t version, const Values& v, const std::string& name = "", int16_t col = 0,
                       int16_t row = 0, const Bytes& flags = Flags(11)) {
  Bytes b;
  FieldBlock(b, BlockFields(), version, v);
  b.I32(1).Str(name).I16(col).I16(row).Raw(flags).U32(0);
  return b;
}
inline Bytes CharaBody(uint32_t version, const Values& v, const std::string& name = "", int16_t col = 0,
                       int16_t row = 0, const Bytes& flags = Flags(37)) {
  Bytes b;
  FieldBlock(b, CharaFields(), version, v);
  b.I32(1).Str(name).I16(col).I16(row).I32(0).Raw(flags).U32(0).U32(0);
  return b;
}
inline Bytes ItemBody(uint32_t version, const Values& v, const std::string& name = "", int16_t col = 0,
                      int16_t row = 0, const Bytes& flags = Flags(13)) {
  Bytes b;
  FieldBlock(b, ItemFields(), version, v);
  b.I32(1).Str(name).I16(col).I16(row).Raw(flags).U32(0).U32(0);
  return b;
}

inline Values With(Values base, const Values& over) {
  for (const auto& [k, v] : over) base[k] = v;
  return base;
}

// A player character with a picture.
inline Bytes HeroBody(uint32_t version = 791) {
  return CharaBody(version, With(CharaValues(), {{"Control", 0}, {"GfxIndex", 1}}), "hero", 2, 13);
}

struct StageSpec {
  uint32_t version = 791;
  Values fields = StageValues();
  std::string name = "stage";
  std::vector<int32_t> rankFlags = {1, 1, 1, 1, 1};
  // Each area: four edge flags, four distances.
  std::array<std::array<int32_t, 8>, 5> areas = {{{0, 0, 0, 0, 0, 0, 0, 0},
                                                  {0, 0, 0, 0, 0, 0, 0, 0},
                                                  {0, 0, 0, 0, 0, 0, 0, 0},
                                                  {1, 1, 1, 1, 0, 0, 0, 0},
                                                  {1, 1, 1, 1, 10, 10, 10, 10}}};
  std::vector<Bytes> paletteBlocks, paletteCharas, paletteItems;
  std::vector<Bytes> placedBlocks, placedCharas, placedItems;
  std::vector<std::string> backLayerFiles = {"back.bmp"};
  std::vector<std::string> varNames = std::vector<std::string>(1000);
  bool trailer = true;
  uint32_t trailerWord = 123456789;
};

// Background layers of files from 62 on.
inline Bytes StageFile(const StageSpec& s) {
  Bytes b;
  b.U32(s.version);
  FieldBlock(b, StageFields(), s.version, s.fields);
  b.I32(1).Str(s.name);
  b.U32(static_cast<uint32_t>(s.rankFlags.size()));
  for (int32_t f : s.rankFlags) b.I32(f);
  for (const auto& a : s.areas) {
    if (s.version >= 125) {
      b.I32(8);
      for (int32_t v : a) b.I32(v);
    } else {
      b.I32(5).I32(a[0]).I32(a[4]).I32(a[5]).I32(a[6]).I32(a[7]);
    }
    b.I32(0);
  }
  auto list = [&](const std::vector<Bytes>& bodies, bool placed) {
    b.U32(static_cast<uint32_t>(bodies.size()));
    for (const Bytes& body : bodies) {
      if (placed) b.U32(0);
      b.Raw(body);
    }
  };
  list(s.paletteBlocks, false);
  list(s.paletteCharas, false);
  list(s.paletteItems, false);
  list(s.placedBlocks, true);
  list(s.placedCharas, true);
  list(s.placedItems, true);
  b.U32(static_cast<uint32_t>(s.backLayerFiles.size()));
  for (const std::string& file : s.backLayerFiles)
    b.I32(10).I32(1).I32(0).I32(16).I32(0).F64(0.1).F64(0.1).I32(0).I32(0).F64(0).F64(0).I32(1).Str(file);
  b.U32(static_cast<uint32_t>(s.varNames.size()));
  for (const std::string& n : s.varNames) b.I32(0).I32(1).Str(n);
  if (s.trailer) b.U32(s.trailerWord);
  return b;
}

// A playable stage: a floor block, a hero and an item.
inline StageSpec PlayableStage(uint32_t version = 791) {
  StageSpec s;
  s.version = version;
  s.placedBlocks.push_back(BlockBody(version, BlockValues(), "floor", 0, 14));
  s.placedCharas.push_back(HeroBody(version));
  s.placedItems.push_back(ItemBody(version, With(ItemValues(), {{"GfxIndex", 3}}), "coin", 10, 12));
  return s;
}

}  // namespace stagetest
