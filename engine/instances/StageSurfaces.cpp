// The per-stage surface collections of custom character images, effect
// images, message windows and pictures, their release at a stage's set-up,
// and the darkness overlay of the hero's sight.
#include "base/Log.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/rules/Rules.h"
#include "media/graphics/Effect.h"

cVector<DDSURFACEDATA> StageBmpSurfaces;
cVector<DDBITMAPDATA> StageBmpBitmaps;
cVector<DDSURFACEDATA> EffectSurfaces;
cVector<DDBITMAPDATA> EffectBitmaps;
cList<DDSURFACEDATA> Off_Msg;
cList<DDBITMAPDATA> MessageBitmaps;
cList<DDSURFACEDATA> PictureSurfaces;
cList<DDBITMAPDATA> PictureBitmaps;
DDSURFACEDATA SightCircleSD;

void ClearStagePictures(cPlayWorld* world) {
  DDReleaseSurfaceList(PictureSurfaces);
  PictureSurfaces.clear();
  PictureBitmaps.clear();
  if (world) world->m_Pictures.clear();
}

void ClearMessageSurfaces() {
  DDReleaseSurfaceList(Off_Msg);
  Off_Msg.clear();
  MessageBitmaps.clear();
}

namespace {

// A failed creation ends the program in order, like any lack of memory.
bool CreateOrExit(DDSURFACEDATA* sd, int w, int h, int transparent) {
  if (DDCreateSurface(sd, w, h, transparent, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0)) return true;
  OutOfMemoryExit();
  WindowRequests().RequestClose();
  return false;
}

}  // namespace

void CreateSightSurfaces(DDSURFACEDATA* dark, DDSURFACEDATA* circle) {
  DDReleaseSurface(dark);
  DDReleaseSurface(circle);
  // Without a display (a headless run) there is nothing to draw into.
  if (!bDDInitDone || Player.empty()) return;
  const cHero& hero = Player[0];
  // The radius comes from data (a signed byte of half-blocks); a negative
  // one opens no window.
  const int r = hero.m_nSight < 0 ? 0 : hero.m_nSight;
  const int w = 1280 + 2 * r, h = 960 + 2 * r;
  if (!CreateOrExit(dark, w, h, 1)) return;
  DDFillSurface(dark, 16);
  if (r == 0) return;
  const int mode = nm::chara::SightMode(hero.m_Def);
  if (mode != 1 && mode != 2) {
    DDFillRect(dark, (w >> 1) - r, (h >> 1) - r, 2 * r, 2 * r, 0);
    return;
  }
  if (!CreateOrExit(circle, 2 * r, 2 * r, 0)) return;
  if (nm::sys::Translucency(SystemData))
    DDFillSurfaceARGB(circle, lpDTCon ? lpDTCon->argbTransparent : 0);
  else
    DDFillSurface(circle, 0);
  DDBltCircle(dark, w >> 1, h >> 1, r, r, r, 1, circle, r, r, 0);
}

void RebuildHeroSight() {
  if (!Player.empty() && nm::chara::SightMode(Player[0].m_Def) != 0) CreateSightSurfaces(&SightDarkSD, &SightCircleSD);
}
