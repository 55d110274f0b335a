#pragma once
// The challenge scene (director mode 3): a scrolling list of the project's
// numbered challenge stages with their cleared marks and best scores, the
// total score, and on request the ranking of the stage under the cursor.
// Confirming a stage loads its file and starts it in the play scene.
#include <cstdint>
#include <string>

#include "app/frame/Scene.h"

class cSystem;
class cSaveData;

class cChallengeScene : public cScene {
 public:
  enum State : int32_t { kFadeIn = 0, kMain, kFadeOut };

  cChallengeScene() = default;
  ~cChallengeScene() override;

  int Step() override;
  void Enter() override;
  void FadeIn() override;
  void FadeOut() override;

  int StFadeIn();
  int Main();
  int StFadeOut();

  int32_t m_nTop = 0;
  int32_t m_nCount = 0;
  int32_t m_nRows = 0;

 private:
  void Counts();
  void Preview(int32_t n);
  void DrawSurface();
  void DrawScreen();
  void Start(int32_t row);
};

// The file name of challenge stage n (from 1): "data\stg4\cNN-1.stg4", which
// the loader resolves to its highest-numbered copy.
std::string ChallengeStageName(int32_t n);
// Stages listed: every stage when all are open, else those opened so far.
int32_t ChallengeListCount(const cSystem& system, const cSaveData& save);
// Visible rows below `top`: at most 10, never below 0.
int32_t ChallengeRows(int32_t count, int32_t top);
