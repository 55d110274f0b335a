#pragma once
// The scene director: one frame of the game per call on thGame. It paces the
// frame, recovers lost surfaces, polls player 1, makes sure the scene of the
// current mode exists, steps it, keeps the frame-rate figures and presents.
#include <cstdint>
#include <functional>

#include "app/frame/Scene.h"
#include "app/frame/StartupState.h"
#include "base/Containers.h"

class cInput;

enum eSceneMode : int32_t { kModeTitle = 0, kModeWorldMap, kModeMapMenu, kModeChallenge, kModePlay, kModeOption };
constexpr int kSceneModes = 6;

class cSceneDirector {
 public:
  cSceneDirector() = default;
  ~cSceneDirector() { DeleteAllScenes(); }
  cSceneDirector(const cSceneDirector&) = delete;
  cSceneDirector& operator=(const cSceneDirector&) = delete;

  // 1 normally, 0 when DirectDraw surface recovery failed.
  int Frame();
  void EnsureScene(int32_t mode);
  void DeleteAllScenes();
  void WaitFrame();
  void Present();
  int RestoreLostSurfaces();
  void PollInput(cVector<cInput>& inputs);
  // The scene of a mode, or null.
  cScene* SceneOf(int32_t mode) const;

  cScene* m_pTitle = nullptr;
  cScene* m_pWorldMap = nullptr;
  cScene* m_pMapMenu = nullptr;
  cScene* m_pChallenge = nullptr;
  cScene* m_pOption = nullptr;
  cScene* m_pPlay = nullptr;
  int32_t m_nMode = 0;
  int32_t m_nNextMode = 0;
  int32_t m_nPrevMode = 0;
  int32_t m_nTitleItem = 0;
  int32_t m_nGameType = 0;
  int32_t m_nChallengeCursor = 0;
  int32_t m_nChallengeTop = 0;
  int32_t m_bRankings = 0;
  int32_t m_nFrameRate = 0;
  int32_t m_nFadeSpeed = 0;
  int32_t m_nSceneBgm = 0;
  // What start-up decided; the scenes read it through the director.
  cStartupState m_Startup;

 private:
  cScene*& Slot(int32_t mode);
};

extern cSceneDirector SceneDirector;

// Makes the scene of a mode (0..5); null when it cannot be made. The menu and
// play issues install theirs; until then every mode gets the stand-in scene.
using SceneFactory = std::function<cScene*(int32_t mode)>;
void SetSceneFactory(SceneFactory factory);
// Called with a newly made play scene (the engine's program-wide pointer).
void SetPlaySceneHook(std::function<void(cScene*)> hook);
// Whether the frame rate of the running stage is above 60 (DirectDraw present
// switches to a blit then); installed by the play scene.
void SetFastStageQuery(std::function<bool()> query);

// Frame-rate figures (written only by Frame).
struct sFrameFigures {
  uint32_t fps = 0;
  uint32_t work = 0;
  uint32_t ring[16] = {};
  uint32_t index = 0;
  uint32_t average = 0;
};
extern sFrameFigures FrameFigures;
// Step 8 of the frame: the ring and the "FPS%2d(%2d)" text.
void UpdateFpsDisplay(int showFps, uint32_t fps, uint32_t work);

// The scene every mode gets until the real scenes are installed: it draws
// the game title on a dark screen and leaves only on Esc (WM_CLOSE).
class cStandInScene : public cScene {
 public:
  explicit cStandInScene(int32_t mode) : m_nMode(mode) {}
  int Step() override;
  int32_t m_nMode;
  int32_t m_nFrames = 0;
};
