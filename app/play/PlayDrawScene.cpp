#include "app/play/PlayDrawScene.h"

#include "app/frame/SceneDirector.h"
#include "app/play/CharaBody.h"
#include "app/play/PlayDraw.h"
#include "app/play/PlayScene.h"
#include "app/play/PlayTransitions.h"
#include "data/System.h"
#include "engine/Names.h"
#include "media/graphics/DDCore.h"

int RangeBlink = 0;

namespace {
constexpr int kShotSheet = 63, kShotSheetMirror = 64;
}  // namespace

cScenePlayFieldDraw::cScenePlayFieldDraw(cPlayWorld& world, DDSURFACEDATA* target, int frameRate)
    : cPlayFieldDraw(world, target), m_Env(ProgramCharaDrawEnv()), m_nFrameRate(frameRate) {}

void cScenePlayFieldDraw::RebuildLostChipSheets() {
  DDSURFACEDATA& a = SurfaceTable[kShotSheet];
  DDSURFACEDATA& b = SurfaceTable[kShotSheetMirror];
  if (!a.bLost && !b.bLost) return;
  BuildChipSheets();
  a.bLost = b.bLost = 0;
}

void cScenePlayFieldDraw::UpdateCharaEffectsOf(cCharaBase& chara) { UpdateCharaEffects(&chara, 0); }

void cScenePlayFieldDraw::DrawCharaBody(cCharaBase& chara, int bFreeze) { DrawChara(m_pTarget, chara, bFreeze, m_Env); }

int cScenePlayFieldDraw::DrawCharaDeath(cCharaBase& chara, int isHero, int bFreeze) {
  return ::DrawCharaDeath(m_pTarget, chara, isHero, bFreeze, m_nFrameRate, m_Env);
}

void cScenePlayFieldDraw::DrawCharaOverlays() {
  // On an 8-bit screen with palette cycling the palette does the blinking.
  if (!m_Env.bD3D && m_Env.nBpp == 8 && nm::sys::ColourCycling(SystemData) != 0) return;
  RangeBlink = (RangeBlink + 1) & 31;
}

void DrawPlayFrame(cPlayScene& scene, int bPlay, int bFreeze, int bTick, int bSysText) {
  cScenePlayFieldDraw draw(scene, &BackBuffer, SceneDirector.m_nFrameRate);
  draw.DrawFrame(bPlay, bFreeze, bTick, bSysText);
  // The stage restarts (or the play goes on elsewhere) only once the frame
  // is complete, so no layer draws a world half rebuilt.
  if (draw.HeroDefeatOver()) scene.HeroDeathEnd();
}
