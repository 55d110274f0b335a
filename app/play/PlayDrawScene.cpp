#include "app/play/PlayDrawScene.h"

#include "app/frame/MainWnd.h"
#include "app/frame/SceneDirector.h"
#include "app/play/CharaBody.h"
#include "app/play/DrawKernels.h"
#include "app/play/PlayDraw.h"
#include "app/play/PlayScene.h"
#include "app/play/PlayTransitions.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Motion.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Shape.h"

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
  const int cycling = !m_Env.bD3D && m_Env.nBpp == 8 && nm::sys::ColourCycling(SystemData) != 0 ? 1 : 0;
  if (!cycling) RangeBlink = (RangeBlink + 1) & 31;
  const auto shown = [](const cCharaBase& c) { return c.m_bDead == 0 && c.m_bOnScreen; };
  DDBeginFillBatch();
  for (CharaPtrList& list : m_World.m_FactionCharas)
    for (cCharaBase* c : list) {
      if (!c || !shown(*c) || (c->m_Def.m_CondLatch && c->m_byCondLatch)) continue;
      for (const cCond& cond : c->m_Def.m_Conds)
        if (cond.m_Kind == 7) DrawDistanceRange(*c, m_pTarget, cond, RangeBlink, m_Env.bD3D, cycling);
    }
  DDEndFillBatch();
  DDBeginFillBatch();
  for (CharaPtrList& list : m_World.m_FactionCharas)
    for (cCharaBase* c : list) {
      if (!c || !shown(*c)) continue;
      for (const cFlowRun& run : c->m_FlowRuns) {
        if (!run.lpFlow || (run.lpFlow->m_CondLatch && run.bCondLatched)) continue;
        for (const cCond& cond : run.lpFlow->m_Conds)
          if (cond.m_Kind == 7) DrawDistanceRange(*c, m_pTarget, cond, RangeBlink, m_Env.bD3D, cycling);
      }
    }
  DDEndFillBatch();
}

void DrawDistanceRange(cCharaBase& c, DDSURFACEDATA* target, const cCond& cond, int counter, int d3d, int cycling) {
  const int mode = cond.m_LeftSource;
  if (mode == 0 || (mode == 2 && !bStartedByEditor.load())) return;
  if (!c.m_bActive) {
    if (!cond.m_RightSource) return;
    c.UpdateScreenPos();
  }
  if ((nm::chara::Transparent(c.m_Def) || c.m_bVanished) && !cond.m_RightTarget) return;
  // The colour groups of the cycling palette, four shades each.
  uint32_t colour = static_cast<uint32_t>(208 + 4 * (cond.m_LeftScope & 7));
  if (!cycling) colour += static_cast<uint32_t>(counter / 8);
  const int r = cond.m_RightIndex + 16 * cond.m_Value;
  const bool right = c.m_bFaceRight == 1;
  int lo = 0, hi = 0;
  switch (cond.m_Shape) {
    case 0: CalcSpan(&lo, &hi, c.m_nScrLeft, c.m_nPicW, r, r, 1); break;
    case 1: CalcSpan(&lo, &hi, c.m_nScrLeft, c.m_nPicW, right ? 0 : r, right ? r : 0, 0); break;
    case 2: CalcSpan(&lo, &hi, c.m_nScrLeft, c.m_nPicW, right ? r : 0, right ? 0 : r, 0); break;
    case 3: CalcSpan(&lo, &hi, c.m_nScrTop, c.m_nPicH, r, r, 1); break;
    case 4: CalcSpan(&lo, &hi, c.m_nScrTop, c.m_nPicH, right ? 0 : r, right ? r : 0, 0); break;
    case 5: CalcSpan(&lo, &hi, c.m_nScrTop, c.m_nPicH, right ? r : 0, right ? 0 : r, 0); break;
    case 6: break;
    default: return;
  }
  if (cond.m_Shape <= 2) {
    DrawKernels.FillRect(target, lo, 0, 1, 480, colour);
    DrawKernels.FillRect(target, hi, 0, 1, 480, colour);
  } else if (cond.m_Shape <= 5) {
    DrawKernels.FillRect(target, 0, lo, 640, 1, colour);
    DrawKernels.FillRect(target, 0, hi, 640, 1, colour);
  } else if (r > 0) {
    const int cx = c.ScreenCenterX(), cy = c.ScreenCenterY();
    DDSURFACEDATA* work = &SurfaceTable[68];
    if (!d3d && r >= 65 && (work->lpDD || work->lpDT)) {
      // Large circles are drawn small and stretched.
      DrawKernels.FillRect(work, 0, 0, 129, 129, 0);
      DDCircle(work, 64, 64, 64, colour);
      DrawKernels.BltStretch(target, cx - r, cy - r, 2 * r, 2 * r, work, 0, 0, 129, 129, 1);
    } else {
      DDCircle(target, cx, cy, r, colour);
    }
  }
}

void DrawPlayFrame(cPlayScene& scene, int bPlay, int bFreeze, int bTick, int bSysText) {
  cScenePlayFieldDraw draw(scene, &BackBuffer, SceneDirector.m_nFrameRate);
  draw.DrawFrame(bPlay, bFreeze, bTick, bSysText);
  // The stage restarts (or the play goes on elsewhere) only once the frame
  // is complete, so no layer draws a world half rebuilt.
  if (draw.HeroDefeatOver()) scene.HeroDeathEnd();
}
