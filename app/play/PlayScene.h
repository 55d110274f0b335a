#pragma once
// The play scene (director mode 4): one stage from its start picture to its
// end, with the pause menu, the continue choice and the game-over picture.
// It is the engine's play world (PlayScene points at it while it lives).
#include <cstdint>
#include <functional>
#include <string>

#include "app/frame/Scene.h"
#include "base/Containers.h"
#include "data/Cmd.h"
#include "engine/World.h"

class cSaveData;

class cPlayScene : public cScene, public cPlayWorld {
 public:
  enum State : int32_t {
    kFadeIn = 0, kReady, kPlay, kPause, kStageEnd, kContinue, kGameOver, kFadeOut
  };

  // The scene's state is cScene's (the world keeps none of its own here).
  using cScene::m_nState;
  using cScene::m_nSubState;

  cPlayScene();
  ~cPlayScene() override;

  int Step() override;
  void Enter() override;
  void FadeIn() override;
  void FadeOut() override;

  int SceneState() const override { return m_nState; }
  int SceneSubState() const override { return m_nSubState; }
  void SetSceneState(int state, int subState) override {
    m_nState = state;
    m_nSubState = subState;
  }

  int StFadeIn();
  int Ready();
  int Play();
  int Pause();
  int StageEnd();
  int Continue();
  int GameOver();
  int StFadeOut();

  void ResetTotals();
  static int LoseLife(cSaveData& save);
  // The hero's defeat animation has finished (called by the hero's drawing).
  void HeroDeathEnd();
  void DrawFrame(int bPlay, int bFreeze, int bTick, int bSysText);

  // Stage transitions.
  int BuildNextStagePath(std::string& out, int part);
  int IsFinalStage(int part);
  int LoadNextStage();
  void RegisterRanking();

  // Modal sub-loops (thread procedures taking the scene).
  static unsigned MessageLoop(void* scene);
  static unsigned RankingLoop(void* scene);

  cVector<cCmd> m_PauseItems = cVector<cCmd>(4);
  // What the rules of the last Play-state frame reported (a PlayFrameResult;
  // headless runs read it).
  int32_t m_nLastFrameResult = 0;
};

// The program-wide screen positions of the pause and continue menus and the
// ranking panel (x replaced by the centred box's left edge at run time).
struct ScreenPos {
  int32_t x, y;
};
extern ScreenPos PauseMenuPos, ContinueMenuPos, RankingPanelPos;

// ---- decisions kept apart so they can be tested ----

// What the Ready state shows this frame; counts the picture frames.
enum ReadyShow { kReadyReplayLabel, kReadyStageLabel, kReadySecondPicture, kReadyStart };
ReadyShow DecideReady(bool editorStartFile, bool replay, bool showStageNumber, bool showSecondStart,
                      int32_t& stateFrames, int32_t& stateFrames2);

struct PauseRules {
  int gameType = 0;
  bool retryInStory = false, leaveInStory = false, stageCleared = false;
  bool retryInChallenge = false, challengeFlag = false;
};
// The four pause items, labels from `labels` 19..22, enabled by the rules.
void BuildPauseItems(cVector<cCmd>& items, const cVector<std::string>& labels, const PauseRules& rules);

// After the hero's defeat animation.
enum DeathOutcome { kDeathReplayRestart, kDeathGameOver, kDeathContinueMenu, kDeathRetry };
DeathOutcome DecideDeathOutcome(bool replay, int loseLifeResult, bool story, bool continueSwitch);

// The play scene's factory entry and the replay dialog hooks of the main
// window. The factory makes the play scene for mode 4 and leaves the other
// modes to `others` (the stand-in scene when empty).
void InstallPlayScene(std::function<cScene*(int32_t mode)> others = {});
// The replay save hooks InstallPlayScene gives the main window: the save
// chooser and the writing of the current (0) or previous (1) attempt.
struct sWindowRequestHooks;
sWindowRequestHooks PlaySceneWindowHooks();
// The engine's modal seam: MessageLoop on thPause for the play scene's
// m_ModalWait, the caller waiting.
class IModalLoop;
IModalLoop& PlaySceneModalLoop();
