#include "app/frame/EngineSeams.h"

#include <algorithm>

#include "app/frame/MainWnd.h"
#include "app/frame/PaletteVariants.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/scenes/MenuScenes.h"
#include "app/scenes/TitleScene.h"
#include "base/Log.h"
#include "engine/EngineTables.h"
#include "engine/Services.h"
#include "media/graphics/DDCore.h"
#include "platform/Keyboard.h"
#include "platform/MessageBox.h"

namespace {

class AppWindowRequests : public IWindowRequests {
 public:
  void PlaySound(int slot) override {
    SendWindowRequest(kWmPlaySound, static_cast<platform::WPARAM>(slot), 0, nullptr);
  }
  void PlayMusic(int kind, int number) override {
    SendWindowRequest(kWmPlayMusic, static_cast<platform::WPARAM>(kind), number, nullptr);
  }
  void RequestClose() override { platform::PostMessage(hMainWnd.load(), platform::WM_CLOSE, 0, 0); }
};

class AppSceneValues : public ISceneValues {
 public:
  int GameType() const override { return SceneDirector.m_nGameType; }
  int FrameRate() const override { return SceneDirector.m_nFrameRate; }
  bool StartedByEditor() const override { return bStartedByEditor.load() != 0; }
  bool StartFilePlay() const override { return SceneDirector.m_Startup.m_bStartFilePlay.load() != 0; }
  void SetSceneMusic(int index) override { SceneDirector.m_nSceneBgm = index; }
  bool RankingsOn() const override { return SceneDirector.m_bRankings != 0; }
  bool IsFinalStage(int part) const override {
    auto* scene = dynamic_cast<cPlayScene*>(PlayScene);
    return !scene || scene->IsFinalStage(part) != 0;
  }
  void SetFrameRate(int fps) override { SceneDirector.m_nFrameRate = fps; }
  void RestorePalette() override {
    if (DDSettings.nBpp != 8) return;
    std::copy(PalTable, PalTable + 256, PalWork);
    if (lpDDPalette) lpDDPalette->SetEntries(0, 256, PalWork);
  }
};

class AppErrors : public IErrorReporter {
 public:
  void ErrorBox(const std::string& text, const std::string& caption) override {
    MessageBoxSafe(text, caption, platform::MB_OK | platform::MB_ICONERROR);
  }
};

class AppKeys : public IKeyState {
 public:
  bool IsDown(Key key) override {
    int vk = platform::VK_SPACE;
    switch (key) {
      case kF1: vk = platform::VK_F1; break;
      case kF2: vk = platform::VK_F2; break;
      case kF3: vk = platform::VK_F3; break;
      case kSpace: vk = platform::VK_SPACE; break;
    }
    return (platform::GetAsyncKeyState(vk) & 0x8000) != 0;
  }
};

AppWindowRequests g_window;
AppSceneValues g_scene;
AppErrors g_errors;
AppKeys g_keys;

}  // namespace

void InstallEngineServices() {
  cEngineServices s;
  s.window = &g_window;
  s.scene = &g_scene;
  s.errors = &g_errors;
  s.keys = &g_keys;
  s.modal = &PlaySceneModalLoop();
  SetEngineServices(s);
  InstallPlayScene(NewMenuScene);
  // The engine's tables, filled by start-up's steps 3 and 7 (the runtime
  // tables need the database), and the 8-bit palette of step 31.
  sStartupHooks hooks;
  hooks.BuildParamTable = InstallEngineTables;
  hooks.BuildRuntimeTables = BuildEngineRuntimeTables;
  hooks.LoadHbtPalette = [](int palette) { return LoadHbtPalette(palette) != 0; };
  SceneDirector.m_Startup.SetHooks(hooks);
  // After the tables: the title adds its free-play start to the same hooks.
  InstallTitleScene();
}

void RemoveEngineServices() { SetEngineServices(cEngineServices()); }
