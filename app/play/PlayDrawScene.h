#pragma once
// The play scene's field drawing: the layers of cPlayFieldDraw with the
// parts that live in the application, the chip sheets' rebuild, the
// characters' pictures and defeat animations, the range display, and the
// hero's defeat end.
#include "app/play/CharaDraw.h"
#include "app/play/PlayDrawFrame.h"
#include "data/Cond.h"

class cPlayScene;

class cScenePlayFieldDraw : public cPlayFieldDraw {
 public:
  // `world` is the scene's world; `frameRate` the frames the hero waits
  // after its defeat effect.
  cScenePlayFieldDraw(cPlayWorld& world, DDSURFACEDATA* target, int frameRate);

  void RebuildLostChipSheets() override;
  void UpdateCharaEffectsOf(cCharaBase& chara) override;
  void DrawCharaBody(cCharaBase& chara, int bFreeze) override;
  int DrawCharaDeath(cCharaBase& chara, int isHero, int bFreeze) override;
  void HeroDefeatEnded() override { m_bHeroDefeatOver = 1; }
  void DrawCharaOverlays() override;

  // Set when the hero's defeat finished in this frame; the scene acts on it
  // once the frame is drawn.
  int HeroDefeatOver() const { return m_bHeroDefeatOver; }

 private:
  cCharaDrawEnv m_Env;
  int m_nFrameRate;
  int m_bHeroDefeatOver = 0;
};

// The blink counter of the range display, 0..31 (program-wide).
extern int RangeBlink;

// The reach of one distance condition of a character, in its colour:
// two lines at the limits of the span (shapes 0..5) or a circle (shape 6).
// `cycling` is set on an 8-bit screen whose palette cycles the colours.
void DrawDistanceRange(cCharaBase& chara, DDSURFACEDATA* target, const cCond& cond, int counter, int d3d,
                       int cycling);
