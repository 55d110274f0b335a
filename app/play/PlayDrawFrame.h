#pragma once
// One picture of the running stage: the layers of the play field in their
// fixed order, over the engine's world. Every layer is a virtual operation
// so that the play scene can supply what lives outside the engine (the chip
// sheets' rebuild, the character bodies, the hero's defeat end) and tests
// can record the order.
#include <cstdint>

#include "data/System.h"
#include "engine/World.h"

class cPlayFieldDraw {
 public:
  cPlayFieldDraw(cPlayWorld& world, DDSURFACEDATA* target) : m_World(world), m_pTarget(target) {}
  virtual ~cPlayFieldDraw() = default;

  // bPlay: called from the play state; bFreeze: objects do not advance;
  // bTick: the time counter may warn; bSysText: draw the system text line.
  void DrawFrame(int bPlay, int bFreeze, int bTick, int bSysText);

  // Layer -1 stands for every object (one pass without layered drawing).
  virtual void RebuildLostChipSheets() {}
  virtual void SetVirtualBack(int on);
  virtual void ScrollBackgrounds();
  virtual void DrawBackgrounds(int front);
  virtual int FieldHiddenWhilePaused(int bPlay);
  virtual void DrawStagePictures(int layer, int bFreeze);
  virtual void DrawMapChips(int front);
  virtual void DrawPlayer(int layer, int bFreeze);
  virtual void DrawItems(int layer, int bFreeze);
  virtual void DrawCharas(int layer, int bFreeze);
  virtual void DrawShots(int layer, int bFreeze);
  // One character; 1 when it has finished its defeat and must be removed.
  virtual int DrawCharaOf(cCharaBase& chara, int bFreeze);
  // The running character effects of a character that is not drawn
  // (UpdateCharaEffects with frozen 0); the play scene supplies it.
  virtual void UpdateCharaEffectsOf(cCharaBase& chara) { (void)chara; }
  // The character's picture (chip, draw mode, overlay chip).
  virtual void DrawCharaBody(cCharaBase& chara, int bFreeze) { (void)chara, (void)bFreeze; }
  // One frame of a defeated character or hero; 1 when the defeat is over.
  // Here the effect only advances; the play scene draws it.
  virtual int DrawCharaDeath(cCharaBase& chara, int isHero, int bFreeze);
  // The hero's defeat animation has finished.
  virtual void HeroDefeatEnded() {}
  virtual void DrawCharaOverlays() {}
  virtual void DrawHeroBackdrop();
  virtual void DrawEffects(int bFreeze);
  virtual void DrawMessages(int bFreeze);
  virtual void RunScreenEffect(int bFreeze);
  virtual void DrawStatusWindow();
  virtual void DrawTimeCounter(int bTick);
  virtual void DrawSysText();
  virtual void CycleBlinkColors();
  virtual void DrawScreenColor(int bFreeze);

 protected:
  cPlayWorld& m_World;
  DDSURFACEDATA* m_pTarget;
};

// Left edges of the shown status items (index = item, -1 when hidden); the
// widths come from the items' labels, icons and extra widths.
void StatusItemPositions(const cVector<cStatusItem>& items, int x[5]);

// The HP and SP gauges over a character.
void DrawCharaGauges(DDSURFACEDATA* target, cCharaBase& chara);

// The screen colour of one frame. Under 8-bit DirectDraw it blends the
// working palette; under Direct3D it lays a coloured overlay over the frame
// (through surface `work` while a screen effect draws to the virtual back
// buffer); other DirectDraw depths switch it off. Counts its frames unless
// frozen.
void DrawScreenColor(cScreenColor& sc, DDSURFACEDATA* target, DDSURFACEDATA* work, int bFreeze);
