#include "app/scenes/MenuSceneFrame.h"

#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuCursor.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"

cInput* MenuInput(uint16_t triggerMask) {
  if (PlayerInput.empty()) return nullptr;
  cInput& in = PlayerInput[0];
  in.ApplyRepeat();
  in.Trigger(triggerMask);
  return &in;
}

bool LoadMenuPictures(const int* entries, int count) {
  if (DDLoadBitmaps(SurfaceTable, entries, count)) return true;
  WindowRequests().RequestClose();
  return false;
}

void ReleaseMenuPictures(const int* entries, int count, bool workSurface) {
  for (int i = 0; i < count; ++i) DDReleaseSurface(&SurfaceTable[entries[i]]);
  if (workSurface) {
    DDReleaseSurfaces(SceneSurfaces);
    SceneSurfaces.clear();
    SceneBitmaps.clear();
  }
}

bool HasPicture(const DDSURFACEDATA& sd) { return sd.lpDD != nullptr || sd.lpDT != nullptr; }

DDSURFACEDATA* MakeWorkSurface(int w, int h, int transparent) {
  DDReleaseSurfaces(SceneSurfaces);
  SceneSurfaces.clear();
  SceneBitmaps.clear();
  if (!DDAddSurface(SceneSurfaces, SceneBitmaps, w, h, transparent, 1, DTMEMORYTYPE_VIDEO_RT, 0)) {
    WindowRequests().RequestClose();
    return nullptr;
  }
  return WorkSurface();
}

DDSURFACEDATA* WorkSurface() { return SceneSurfaces.empty() ? nullptr : &SceneSurfaces[0]; }

bool MenuFadeIn() { return DDFadeIn(PalWork, 0, 255, 0, 0, 0, SceneDirector.m_nFadeSpeed, PalTable, 0); }

bool MenuFadeOut(int32_t ownMode, bool resetCursor) {
  if (!DDFadeOut(PalWork, 0, 255, 0, 0, 0, SceneDirector.m_nFadeSpeed, PalTable, 0)) return false;
  if (HasPicture(BackBuffer)) DDFillSurface(&BackBuffer, 16);
  if (resetCursor) MenuCursor.Reset();
  SceneDirector.m_nPrevMode = ownMode;
  SceneDirector.m_nMode = SceneDirector.m_nNextMode;
  return true;
}

void DrawAccessoryCell(DDSURFACEDATA* dst, int x, int y, int sx, int sy, int w, int h) {
  DDSURFACEDATA& sheet = SurfaceTable[kPicAccessory];
  if (!dst || !HasPicture(*dst) || !HasPicture(sheet)) return;
  DDBlt(dst, x, y, w, h, &sheet, sx, sy, 1);
}

void DrawLargeCursor(int x, int y) { DrawAccessoryCell(&BackBuffer, x, y, 0, 0, 32, 32); }

void DrawParkedCursor(int x, int y) { DrawAccessoryCell(&BackBuffer, x, y, 80, 0, 16, 16); }
