// ctest-label: play
// A character's picture on small surfaces: which cell of which sheet it
// takes, its overlay chip, its highlight, and its defeat animation up to the
// moment the play field lets it go.
#include "app/play/CharaBody.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/frame/PaletteVariants.h"
#include "app/play/PlayDrawScene.h"
#include "data/Database.h"
#include "data/Effect.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/objects/Chara.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Hero.h"
#include "tests/app/play/draw_recorder.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

namespace {

// Sheet pixels name their sheet (blue) and cell; black stays the colour key.
uint32_t CellPixel(int tag, int cx, int cy) { return uint32_t(cx + 1) << 16 | uint32_t(cy + 1) << 8 | uint32_t(tag); }

void FillSheet(int entry, int tag, int w = 320, int h = 480) {
  DDSURFACEDATA* sd = &SurfaceTable[entry];
  DDCreateSurface(sd, w, h, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) sd->Pixels()->SetPixel(x, y, CellPixel(tag, x / 32, y / 32));
}

// {sheet tag, column, row} of the pixel, or {0, -1, -1} where nothing was drawn.
std::tuple<int, int, int> At(DDSURFACEDATA* sd, int x, int y) {
  const uint32_t p = sd->Pixels()->GetPixel(x, y) & 0xFFFFFFu;
  if (p == 0x000001u) return {0, -1, -1};
  return {int(p & 0xFF), int(p >> 16) - 1, int((p >> 8) & 0xFF) - 1};
}

class Target {
 public:
  Target(int w, int h) {
    DDCreateSurface(&sd_, w, h, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    Clear();
  }
  ~Target() { DDReleaseSurface(&sd_); }
  void Clear() {
    for (int y = 0; y < sd_.nHeight; ++y)
      for (int x = 0; x < sd_.nWidth; ++x) sd_.Pixels()->SetPixel(x, y, 0x000001u);
  }
  DDSURFACEDATA* sd() { return &sd_; }
  bool Blank() {
    for (int y = 0; y < sd_.nHeight; ++y)
      for (int x = 0; x < sd_.nWidth; ++x)
        if ((sd_.Pixels()->GetPixel(x, y) & 0xFFFFFFu) != 1u) return false;
    return true;
  }

 private:
  DDSURFACEDATA sd_;
};

// Character sheet 1 (entries 4/5, second copies 22/23) and the overlay sheet.
constexpr int kLeftTag = 7, kRightTag = 9, kOverlayTag = 11;

class CharaBody : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.ok());
    SelectChipSheets();  // DirectDraw without video stretching: the second copies
    // The first copies give the sheet's size; the second copies are drawn.
    FillSheet(4, 1);
    FillSheet(5, 1);
    FillSheet(22, kLeftTag);
    FillSheet(23, kRightTag);
    FillSheet(43, kOverlayTag);
    FillSheet(44, kOverlayTag);
    savedSets = Database.m_AnimeSets;
    Database.m_AnimeSets.assign(2, cAnimeSet());
    cAnimeSet& set = Database.m_AnimeSets[1];
    set.m_PatternOffset1 = 4;    // invincible
    set.m_PatternOffset2 = 2;    // block character
    set.m_FlyPatternOffset = 1;  // flying
    chara.m_Def.m_GfxKind = 1;
    chara.m_Def.m_GfxIndex = 3;  // sheet 1, row 3
    chara.m_Def.m_AnimeSet = 1;
    chara.m_nPicW = chara.m_nPicH = chara.m_nBasePicW = chara.m_nBasePicH = 32;
    chara.m_dX = 20;
    chara.m_dY = 40;
  }
  void TearDown() override {
    for (int e : {4, 5, 22, 23, 43, 44}) DDReleaseSurface(&SurfaceTable[e]);
    Database.m_AnimeSets = savedSets;
  }
  void StartEffect(int kind, double value, double step, int end) {
    def.m_EffectKind = kind;
    cCharaEffectPlayer& fx = chara.m_CharaEffect;
    fx = cCharaEffectPlayer{};
    fx.m_nIndex = 2;
    fx.m_pDef = &def;
    fx.m_dValue = value;
    fx.m_dStep = step;
    fx.m_nStart = 0;
    fx.m_nEnd = end;
  }

  gfxtest::Library lib{0, 32, 1};
  cVector<cAnimeSet> savedSets;
  cChara chara;
  cCharaEffect def;
  Target target{120, 120};
  const cCharaDrawEnv env = ProgramCharaDrawEnv();
};

TEST_F(CharaBody, ColumnComesFromTheBaseNumberTheStatusOffsetsAndTheFacing) {
  struct Case {
    int base, fly, block, invincible, faceRight;
    int tag, column;
  } const cases[] = {
      {0, 0, 0, 0, 0, kLeftTag, 0},  {3, 0, 0, 0, 0, kLeftTag, 3},  {3, 1, 0, 0, 0, kLeftTag, 4},
      {3, 0, 1, 0, 0, kLeftTag, 5},  {3, 0, 0, 2, 0, kLeftTag, 7},  {0, 1, 1, 1, 0, kLeftTag, 7},
      {2, 0, 0, 0, 1, kRightTag, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base * 10000 + c.fly * 1000 + c.block * 100 + c.invincible * 10 + c.faceRight);
    chara.m_Def.m_GfxPattern = static_cast<int16_t>(c.base);
    chara.m_Def.m_Fly = static_cast<int8_t>(c.fly);
    chara.m_Def.m_BlockChara = static_cast<int8_t>(c.block);
    chara.m_Def.m_Invincible = static_cast<int8_t>(c.invincible);
    chara.m_bFaceRight = c.faceRight;
    target.Clear();
    DrawChara(target.sd(), chara, 1, env);
    EXPECT_EQ(At(target.sd(), 20, 40), std::make_tuple(c.tag, c.column, 3));
    EXPECT_EQ(At(target.sd(), 51, 71), std::make_tuple(c.tag, c.column, 3));
    EXPECT_EQ(At(target.sd(), 52, 40), std::make_tuple(0, -1, -1));
    EXPECT_EQ(At(target.sd(), 19, 40), std::make_tuple(0, -1, -1));
  }
}

TEST_F(CharaBody, OverlayChipAndScaledBox) {
  chara.m_Def.m_EmblemSwitch = 1;
  chara.m_Def.m_Emblem = 17;  // overlay column 1, row 2
  DrawChara(target.sd(), chara, 1, env);
  EXPECT_EQ(At(target.sd(), 20, 40), std::make_tuple(kOverlayTag, 1, 2));
  // Scale 2: the cell stretched over a 64-pixel box, the overlay too.
  chara.m_Def.m_EmblemSwitch = 0;
  chara.m_Def.m_Size = 2;
  chara.m_nPicW = chara.m_nPicH = 64;
  target.Clear();
  DrawChara(target.sd(), chara, 1, env);
  EXPECT_EQ(At(target.sd(), 20, 40), std::make_tuple(kLeftTag, 0, 3));
  EXPECT_EQ(At(target.sd(), 83, 103), std::make_tuple(kLeftTag, 0, 3));
  EXPECT_EQ(At(target.sd(), 84, 103), std::make_tuple(0, -1, -1));
  chara.m_Def.m_EmblemSwitch = 1;
  target.Clear();
  DrawChara(target.sd(), chara, 1, env);
  EXPECT_EQ(At(target.sd(), 83, 103), std::make_tuple(kOverlayTag, 1, 2));
}

TEST_F(CharaBody, InvisibleAndVanishedCharactersOnlyAdvanceTheirEffect) {
  StartEffect(1, 0, 1, 100);  // burst
  chara.m_Def.m_Transparent = 1;
  DrawChara(target.sd(), chara, 0, env);
  chara.m_Def.m_Transparent = 0;
  chara.m_bVanished = 1;
  DrawChara(target.sd(), chara, 0, env);
  EXPECT_TRUE(target.Blank());
  EXPECT_DOUBLE_EQ(chara.m_CharaEffect.m_dValue, 2.0);
  DrawChara(target.sd(), chara, 1, env);  // frozen: no step
  EXPECT_DOUBLE_EQ(chara.m_CharaEffect.m_dValue, 2.0);
}

TEST_F(CharaBody, ScreenAnchorHoldsTheBox) {
  chara.m_bScreenAnchorX = 1;
  chara.m_nScreenAnchorX = 70;
  DrawChara(target.sd(), chara, 1, env);
  EXPECT_EQ(At(target.sd(), 70, 40), std::make_tuple(kLeftTag, 0, 3));
  EXPECT_EQ(At(target.sd(), 20, 40), std::make_tuple(0, -1, -1));
  EXPECT_EQ(chara.m_nScrRight, 101);
}

TEST_F(CharaBody, HighlightColourOnlyUnderDirect3DWithTheSwitch) {
  drawtest::Recorder rec;
  const int savedSwitch = SystemData.m_Switch287;
  SystemData.m_Switch287 = 1;
  BlinkColors[3] = cBlinkColor{0xFF102030u, 7};
  chara.m_Def.m_Invincible = 1;
  chara.m_Def.m_DrawSwitch = 3;
  cCharaDrawEnv d3d = env;
  d3d.bD3D = 1;
  struct Case {
    const cCharaDrawEnv* e;
    int sw, highlight;
    const char* call;
  } const cases[] = {
      {&d3d, 1, 3, "bltex"}, {&env, 1, 3, "blt"}, {&d3d, 0, 3, "blt"}, {&d3d, 1, 0, "blt"},
      {&d3d, 1, 200, "blt"},  // past the colour table: no highlight, no read beyond it
  };
  for (const Case& c : cases) {
    SystemData.m_Switch287 = c.sw;
    chara.m_Def.m_DrawSwitch = static_cast<uint8_t>(c.highlight);
    drawtest::Calls().clear();
    DrawChara(target.sd(), chara, 1, *c.e);
    ASSERT_EQ(drawtest::Calls().size(), 1u);
    EXPECT_EQ(drawtest::Calls()[0].substr(0, drawtest::Calls()[0].find(' ')), c.call) << c.sw << " " << c.highlight;
  }
  int column = 0;
  DDBLTCOLOR colour{};
  SystemData.m_Switch287 = 1;
  chara.m_Def.m_DrawSwitch = 3;
  EXPECT_EQ(CharaDrawPattern(chara, 1, &column, &colour), 1);
  EXPECT_EQ(colour.dwColor, 0xFF102030u);
  EXPECT_EQ(colour.dwColorOp, 7u);
  EXPECT_EQ(column, 4);
  SystemData.m_Switch287 = savedSwitch;
  BlinkColors[3] = cBlinkColor{};
}

TEST_F(CharaBody, StageCharacterDefeatDrawsItsEffectUntilItEnds) {
  // No defeat effect: finished at once, nothing drawn.
  EXPECT_EQ(DrawCharaDeath(target.sd(), chara, 0, 0, 60, env), 1);
  EXPECT_TRUE(target.Blank());
  // Plain draw mode with an end: drawn every frame, finished when it ends.
  StartEffect(0, 0, 1, 3);
  def.m_EffectKind = 6;  // blink, toggled on
  chara.m_CharaEffect.m_nSpare2 = 1;
  def.m_EffectParam[1] = 1000;
  chara.m_nScrLeft = 8;
  chara.m_nScrTop = 8;
  int frames = 0, result = 0;
  while ((result = DrawCharaDeath(target.sd(), chara, 0, 0, 60, env)) == 0 && frames < 100) {
    ++frames;
    EXPECT_EQ(At(target.sd(), 8, 8), std::make_tuple(kLeftTag, 0, 3));
  }
  EXPECT_EQ(result, 1);
  EXPECT_EQ(frames, 3);  // three steps to the end value; the fourth reports the end
  EXPECT_EQ(chara.m_CharaEffect.m_nIndex, 0);
  // Frozen frames draw but never finish.
  StartEffect(6, 0, 1, 1);
  chara.m_CharaEffect.m_nSpare2 = 1;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(DrawCharaDeath(target.sd(), chara, 0, 1, 60, env), 0);
}

TEST_F(CharaBody, HeroWaitsAFrameRateOfAdvancingFramesAfterItsEffect) {
  cHero hero;
  hero.m_Def = chara.m_Def;
  hero.m_nPicW = hero.m_nPicH = hero.m_nBasePicW = hero.m_nBasePicH = 32;
  hero.m_CharaEffect.m_nIndex = 2;
  hero.m_CharaEffect.m_pDef = &def;
  def.m_EffectKind = 1;
  hero.m_CharaEffect.m_dStep = 1;
  hero.m_CharaEffect.m_nEnd = 2;
  int frames = 0;
  while (DrawCharaDeath(target.sd(), hero, 1, 0, 5, env) == 0 && frames < 100) {
    ++frames;
    if (frames % 2 == 0) {
      EXPECT_EQ(DrawCharaDeath(target.sd(), hero, 1, 1, 5, env), 0);  // frozen: not counted
    }
  }
  // Three frames of effect (the third reports its end), then the count
  // reaches 6, past the frame rate 5, on the sixth frame after it.
  EXPECT_EQ(frames, 8);
  EXPECT_EQ(hero.m_CharaEffect.m_nIndex, 0);
}

TEST_F(CharaBody, PlayFieldRemovesADefeatedCharacterWhenItsEffectEndsAndReportsTheHerosEnd) {
  cPlayWorld world;
  cScenePlayFieldDraw draw(world, target.sd(), 2);
  CharaList.clear();
  CharaList.push_back(chara);
  cChara& dying = CharaList.back();
  dying.m_bDead = 1;
  dying.m_CharaEffect.m_nIndex = 2;
  dying.m_CharaEffect.m_pDef = &def;
  dying.m_CharaEffect.m_dStep = 1;
  dying.m_CharaEffect.m_nEnd = 1;
  def.m_EffectKind = 1;
  world.m_FactionCharas[0].push_back(&dying);
  Player.assign(1, cHero());
  Player[0].m_bDead = 1;
  draw.DrawCharas(-1, 0);
  EXPECT_EQ(CharaList.size(), 1u);
  draw.DrawCharas(-1, 1);  // frozen
  EXPECT_EQ(CharaList.size(), 1u);
  draw.DrawCharas(-1, 0);
  EXPECT_TRUE(CharaList.empty());
  EXPECT_TRUE(world.m_FactionCharas[0].empty());
  for (int i = 0; i < 2; ++i) draw.DrawPlayer(-1, 0);
  EXPECT_EQ(draw.HeroDefeatOver(), 0);
  draw.DrawPlayer(-1, 0);
  EXPECT_EQ(draw.HeroDefeatOver(), 1);
  Player.clear();
}

}  // namespace

namespace {

TEST(DistanceRange, LinesAtTheSpanLimitsInTheConditionsColour) {
  drawtest::Recorder rec;
  DDSURFACEDATA back;
  back.strName = "back";
  cChara c;
  c.m_bActive = 1;
  c.m_bFaceRight = 1;
  c.m_nScrLeft = 100, c.m_nScrTop = 200, c.m_nPicW = c.m_nPicH = 32;
  cCond cond;
  cond.m_Kind = 7;
  cond.m_LeftSource = 1;  // always shown
  cond.m_LeftScope = 2;   // colour group 2: palette 216..219
  cond.m_Value = 2;       // half blocks
  cond.m_RightIndex = 4;  // extra pixels: reach 36
  struct Case {
    int shape, faceRight;
    std::vector<std::string> calls;
  } const cases[] = {
      {0, 1, {"fill back 64 0 1 480 c218", "fill back 168 0 1 480 c218"}},
      {1, 1, {"fill back 116 0 1 480 c218", "fill back 168 0 1 480 c218"}},
      {1, 0, {"fill back 64 0 1 480 c218", "fill back 116 0 1 480 c218"}},
      {2, 1, {"fill back 64 0 1 480 c218", "fill back 116 0 1 480 c218"}},
      {3, 1, {"fill back 0 164 640 1 c218", "fill back 0 268 640 1 c218"}},
      {5, 1, {"fill back 0 164 640 1 c218", "fill back 0 216 640 1 c218"}},
  };
  for (const Case& k : cases) {
    cond.m_Shape = static_cast<int8_t>(k.shape);
    c.m_bFaceRight = k.faceRight;
    drawtest::Calls().clear();
    DrawDistanceRange(c, &back, cond, 17, 0, 0);
    EXPECT_EQ(drawtest::Calls(), k.calls) << "shape " << k.shape << " facing " << k.faceRight;
  }
  // With palette cycling the palette moves the shades instead of the counter.
  cond.m_Shape = 0;
  drawtest::Calls().clear();
  DrawDistanceRange(c, &back, cond, 17, 0, 1);
  EXPECT_EQ(drawtest::Calls()[0], "fill back 64 0 1 480 c216");
}

TEST(DistanceRange, HiddenByItsShowSettings) {
  drawtest::Recorder rec;
  DDSURFACEDATA back;
  cChara c;
  c.m_bActive = 1;
  c.m_nPicW = c.m_nPicH = 32;
  cCond cond;
  cond.m_Kind = 7;
  cond.m_Value = 1;
  struct Case {
    int mode, active, transparent, showInactive, showInvisible;
    bool drawn;
  } const cases[] = {
      {0, 1, 0, 1, 1, false},  // off
      {2, 1, 0, 1, 1, false},  // only when started by the editor
      {1, 1, 0, 0, 0, true},  {1, 0, 0, 0, 0, false}, {1, 0, 0, 1, 0, true},
      {1, 1, 1, 0, 0, false}, {1, 1, 1, 0, 1, true},
  };
  for (const Case& k : cases) {
    cond.m_LeftSource = static_cast<int8_t>(k.mode);
    c.m_bActive = k.active;
    c.m_Def.m_Transparent = static_cast<int8_t>(k.transparent);
    cond.m_RightSource = static_cast<int8_t>(k.showInactive);
    cond.m_RightTarget = static_cast<int8_t>(k.showInvisible);
    drawtest::Calls().clear();
    DrawDistanceRange(c, &back, cond, 0, 0, 0);
    EXPECT_EQ(!drawtest::Calls().empty(), k.drawn) << k.mode << k.active << k.transparent << k.showInactive
                                                   << k.showInvisible;
  }
}

}  // namespace
