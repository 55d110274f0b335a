#include "app/frame/SceneDirector.h"

#include <mutex>
#include <new>

#include "app/frame/IniSettings.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/WindowFlags.h"
#include "base/FrameTimer.h"
#include "base/Log.h"
#include "base/Thread.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Font.h"
#include "media/input/Input.h"

sFrameFigures FrameFigures;

namespace {
std::mutex g_directorHookMutex;
SceneFactory g_factory;
std::function<void(cScene*)> g_playHook;
std::function<bool()> g_fastStage;

cScene* MakeScene(int32_t mode) {
  SceneFactory f;
  {
    std::lock_guard<std::mutex> lock(g_directorHookMutex);
    f = g_factory;
  }
  if (f) return f(mode);
  return new (std::nothrow) cStandInScene(mode);
}

bool FastStage() {
  std::function<bool()> q;
  {
    std::lock_guard<std::mutex> lock(g_directorHookMutex);
    q = g_fastStage;
  }
  return q && q();
}

// Restores one surface record; false when its reload failed.
bool RestoreSurface(DDSURFACEDATA& sd) {
  if (!sd.lpDD || !sd.lpDD->lpSurface || sd.lpDD->lpSurface->IsLost() != DDERR_SURFACELOST) return true;
  sd.lpDD->lpSurface->Restore();
  if (sd.nDDMemory == 1) return true;  // system memory keeps its content
  sd.bLost = 1;
  if (sd.strFile.empty() || sd.strFile == "E") return true;
  return DDReloadSurface(&sd, DDSettings.nBpp);
}

template <class C>
bool RestoreAll(C& surfaces) {
  for (DDSURFACEDATA& sd : surfaces)
    if (!RestoreSurface(sd)) return false;
  return true;
}

}  // namespace

void SetSceneFactory(SceneFactory factory) {
  std::lock_guard<std::mutex> lock(g_directorHookMutex);
  g_factory = std::move(factory);
}

void SetPlaySceneHook(std::function<void(cScene*)> hook) {
  std::lock_guard<std::mutex> lock(g_directorHookMutex);
  g_playHook = std::move(hook);
}

void SetFastStageQuery(std::function<bool()> query) {
  std::lock_guard<std::mutex> lock(g_directorHookMutex);
  g_fastStage = std::move(query);
}

void cScene::RunEnter() {
  CatchSceneText([this] { Enter(); });
}

bool ReportSceneText(const std::string& text) {
  FatalLog(text);
  return false;
}

cScene*& cSceneDirector::Slot(int32_t mode) {
  static cScene* none = nullptr;
  switch (mode) {
    case kModeTitle: return m_pTitle;
    case kModeWorldMap: return m_pWorldMap;
    case kModeMapMenu: return m_pMapMenu;
    case kModeChallenge: return m_pChallenge;
    case kModePlay: return m_pPlay;
    case kModeOption: return m_pOption;
    default: none = nullptr; return none;
  }
}

cScene* cSceneDirector::SceneOf(int32_t mode) const { return const_cast<cSceneDirector*>(this)->Slot(mode); }

int cSceneDirector::Frame() {
  WaitFrame();
  StartFrameTimer();
  if (!lpDTCon && lpDDCon && !RestoreLostSurfaces()) return 0;
  PollInput(PlayerInput);
  CatchSceneText([this] { EnsureScene(m_nMode); });
  // A scene that could not be made has nothing to step.
  if (cScene* scene = SceneOf(m_nMode)) scene->Step();
  const uint32_t fps = GetFps(true);
  const uint32_t work = GetFrameTime(true);
  UpdateFpsDisplay(IniSettings.ShowFps, fps, work);
  Present();
  return 1;
}

void UpdateFpsDisplay(int showFps, uint32_t fps, uint32_t work) {
  sFrameFigures& f = FrameFigures;
  f.fps = fps;
  f.work = work;
  if (showFps == 0) return;
  f.ring[f.index] = work;
  if (++f.index >= 16) {
    f.index = 0;
    uint32_t sum = 0;
    for (uint32_t w : f.ring) sum += w;
    f.average = sum >> 4;
  }
  if (!BackBuffer.lpDD && !BackBuffer.lpDT) return;
  if (showFps == 2)
    Font::Printf(&Fonts[0], &BackBuffer, 549, 469, "FPS%2d(%2d)", static_cast<int>(fps), static_cast<int>(f.average));
  else
    Font::PrintfBox(&Fonts[1], &BackBuffer, 495, 463, 0, 0, "FPS%2d(%2d)", static_cast<int>(fps),
                    static_cast<int>(f.average));
}

void cSceneDirector::EnsureScene(int32_t mode) {
  struct Owned {
    cScene** slot;
    int32_t mode;
  };
  const Owned order[] = {{&m_pTitle, kModeTitle},         {&m_pMapMenu, kModeMapMenu}, {&m_pWorldMap, kModeWorldMap},
                         {&m_pChallenge, kModeChallenge}, {&m_pPlay, kModePlay},       {&m_pOption, kModeOption}};
  for (const Owned& o : order) {
    if (mode == o.mode || !*o.slot) continue;
    delete *o.slot;
    *o.slot = nullptr;
  }
  if (mode < 0 || mode >= kSceneModes) return;
  cScene*& slot = Slot(mode);
  if (slot) return;
  slot = MakeScene(mode);
  if (!slot) {
    OutOfMemoryExit();
    return;
  }
  static const char* const kNames[kSceneModes] = {"title", "world map", "map menu", "challenge", "play", "option"};
  WriteLog("Scene : %s", kNames[mode]);
  if (mode == kModePlay) {
    std::function<void(cScene*)> hook;
    {
      std::lock_guard<std::mutex> lock(g_directorHookMutex);
      hook = g_playHook;
    }
    if (hook) hook(slot);
  }
}

void cSceneDirector::DeleteAllScenes() {
  for (cScene** s : {&m_pTitle, &m_pWorldMap, &m_pMapMenu, &m_pChallenge, &m_pOption, &m_pPlay}) {
    delete *s;
    *s = nullptr;
  }
}

void cSceneDirector::WaitFrame() {
  if (lpDTCon || !lpDDCon) return;
  while (!IsNextFrameDue(m_nFrameRate)) ThreadSleep(1);
}

void cSceneDirector::Present() {
  if (lpDTCon) {
    if (!DDFlip(m_nFrameRate, 0, nullptr) && m_Startup.m_bWindowed)
      platform::SendMessage(hMainWnd.load(), kWmRestoreDevice, 0, 0);
    return;
  }
  if (!lpDDCon || !PrimarySD.lpDD || !PrimarySD.lpDD->lpSurface || !BackBuffer.lpDD || !BackBuffer.lpDD->lpSurface)
    return;
  cPixelSurface& primary = *PrimarySD.lpDD->lpSurface;
  cPixelSurface* back = BackBuffer.lpDD->lpSurface.get();
  // The clock paces the frames (WaitFrame); the main thread shows the newest.
  if (m_Startup.m_bWindowed || m_Startup.m_bPresentByBlit || FastStage() || !primary.Attached()) {
    DDRECT r{0, 0, 640, 480};
    primary.Blt(&r, back, &r, DDBLT_WAIT, 0);
  } else {
    primary.Flip();
  }
}

int cSceneDirector::RestoreLostSurfaces() {
  if (lpDTCon) return 1;
  if (!PrimarySD.lpDD || !PrimarySD.lpDD->lpSurface || PrimarySD.lpDD->lpSurface->IsLost() != DDERR_SURFACELOST)
    return 1;
  if (!DDRestore()) return 0;
  if (!RestoreAll(StageBmpSurfaces) || !RestoreAll(EffectSurfaces) || !RestoreAll(SwordSurfaces) ||
      !RestoreAll(PictureSurfaces) || !RestoreAll(SceneSurfaces) || !RestoreAll(Off_Msg))
    return 0;
  for (int i = 0; i < kFontCount; ++i) {
    DDSURFACEDATA& sd = DigitSD[i];
    if (!sd.lpDD || !sd.lpDD->lpSurface || sd.lpDD->lpSurface->IsLost() != DDERR_SURFACELOST) continue;
    sd.lpDD->lpSurface->Restore();
    if (sd.nDDMemory != 1) DrawDigits(&sd, &Fonts[i]);
  }
  if (!Off_Msg.empty())
    WriteDebugLog("if ( !RestoreSurface(Off_Msg) ) Off_Msg[0].bLost = %d", static_cast<int>(Off_Msg.front().bLost));
  return 1;
}

void cSceneDirector::PollInput(cVector<cInput>& inputs) {
  if (inputs.empty()) return;
  if (KeyConfig.bUse)
    inputs[0].PollKeyConfig(1, 60);
  else
    inputs[0].Poll(0, 3, 60);
}

int cStandInScene::Step() {
  if (m_nState == -1) {
    RunEnter();
    m_nState = 0;
  }
  ++m_nFrames;
  DDSURFACEDATA* back = &BackBuffer;
  DDRedirectBackBuffer(&back);
  DDFillSurface(back, 16);
  const std::string& title = SceneDirector.m_Startup.m_StandInTitle;
  Font::Printf(&Fonts[2], back, 64, 200, "%s", title.c_str());
  return 0;
}
