// The play scene's modal sub-loops: the wait of a message, a wait command, a
// blocking effect or picture or the extra-life notice on thPause, and the
// ranking panel on thRanking. The game thread waits meanwhile.
#include <cstdint>

#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/play/ReplayRequests.h"
#include "app/scenes/RankingDraw.h"
#include "data/Ranking.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

namespace {

void CloseWindow() { platform::PostMessage(hMainWnd.load(), platform::WM_CLOSE, 0, 0); }

// One message from the thread's queue: 1 WM_QUIT, 2 another message, 0 none.
int Peek() {
  platform::MSG msg{};
  if (!platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) return 0;
  return msg.message == platform::WM_QUIT ? 1 : 2;
}

}  // namespace

unsigned cPlayScene::MessageLoop(void* arg) {
  cPlayScene& scene = *static_cast<cPlayScene*>(arg);
  if (scene.m_bQuit) return 0;
  // A private copy of the input records: the game's stay as they were.
  cVector<cInput> inputs = PlayerInput;
  if (inputs.empty()) inputs.emplace_back();
  cInput& in = inputs[0];
  in.ClearHistory();
  in.ResetCommandHistory();
  in.ClearDirection();
  in.ClearButtons();
  uint64_t quitSince = 0;
  bool quitNoted = false;
  ModalWait& wait = scene.m_ModalWait;
  for (;;) {
    const int m = Peek();
    if (m == 1) break;
    if (m == 2) continue;
    if (!bAppActive.load()) {
      ThreadSleep(1);
      continue;
    }
    if (scene.m_bQuit) {
      // Closing: stop drawing and end the loop ourselves if the quit is lost.
      if (!quitNoted) {
        quitNoted = true;
        quitSince = platform::GetTickCount64();
      }
      if (platform::GetTickCount64() - quitSince >= 2000)
        platform::PostThreadMessage(platform::GetCurrentThreadId(), platform::WM_QUIT, 0, 0);
      ThreadSleep(1);
      continue;
    }
    SceneDirector.WaitFrame();
    if (!SceneDirector.RestoreLostSurfaces()) CloseWindow();
    SceneDirector.PollInput(inputs);
    in.UpdateHistory();
    in.Trigger(0);
    if (RequestSaveReplay()) continue;
    if (wait.nKeyDelay > 0) {
      --wait.nKeyDelay;
    } else if (wait.bWaitKey) {
      const bool wasDown = (in.GetHistory(1, 1) & 1) != 0;
      if (!wasDown && (in.m_wButton & 1)) {
        PlaySE(wait.nKind == 1 ? 12 : 1);
        scene.m_bHoldButtons = 1;
        break;
      }
    } else if (--wait.nFrames < 0) {
      break;
    }
    scene.DrawFrame(0, 1, 0, 1);
    SceneDirector.Present();
  }
  return 1;
}

unsigned cPlayScene::RankingLoop(void* arg) {
  cPlayScene& scene = *static_cast<cPlayScene*>(arg);
  const int gameType = SceneDirector.m_nGameType;
  MoveSystemMenuCursor(SaveData, gameType, 0);
  for (;;) {
    const int m = Peek();
    if (m == 1) return 1;
    if (m == 2) continue;
    if (!bAppActive.load()) {
      ThreadSleep(1);
      continue;
    }
    SceneDirector.WaitFrame();
    if (!SceneDirector.RestoreLostSurfaces()) CloseWindow();
    SceneDirector.PollInput(PlayerInput);
    if (PlayerInput.empty()) continue;
    cInput& in = PlayerInput[0];
    in.Trigger(0);
    in.ApplyRepeat();
    if (in.m_wButton & 1) break;
    if ((in.m_wButton & 8) && SystemData.GetMenuItemCount(gameType) > 1) {
      PlaySE(6);
      MoveSystemMenuCursor(SaveData, gameType, 1);
    }
    const int category = nm::save::RankingCategory(SaveData);
    scene.DrawFrame(0, 1, 0, 1);
    const int highlight = static_cast<size_t>(category) < scene.m_RankPlaces.size() ? scene.m_RankPlaces[category] : -1;
    DrawRanking(Ranking, &BackBuffer, RankingPanelPos.x, RankingPanelPos.y, category, highlight);
    SceneDirector.Present();
  }
  PlaySE(1);
  return 1;
}

namespace {

// The engine's modal seam: the loop runs on thPause while the game thread waits.
class PlayModalLoop : public IModalLoop {
 public:
  void RunModalWait() override {
    cPlayScene* scene = dynamic_cast<cPlayScene*>(SceneDirector.m_pPlay);
    if (!scene) return;
    if (!thPause.Start(&cPlayScene::MessageLoop, scene)) return;
    thPause.Wait();
  }
};
PlayModalLoop g_modal;

}  // namespace

IModalLoop& PlaySceneModalLoop() { return g_modal; }
