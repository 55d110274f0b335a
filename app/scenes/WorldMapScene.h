#pragma once
// The world-map scene (director mode 1): the story's map, on which the hero
// walks cell by cell, finds stage points and starts their stages after a
// confirmation box. Which node a point offers is decided anew every time from
// the save data's switches, variables and total score. The hero's cell is the
// menu cursor's current level (column, row); he is always drawn at (288, 224).
#include <cstdint>

#include "app/frame/Scene.h"
#include "app/play/PlayScene.h"
#include "app/scenes/MenuCursor.h"

class cInput;
class cWorldNode;
class cWorldPoint;
struct DDSURFACEDATA;

class cWorldMapScene : public cScene {
 public:
  enum State : int32_t { kFadeIn = 0, kMain, kConfirmBox, kFadeOut };

  cWorldMapScene();
  ~cWorldMapScene() override;

  int Step() override;
  void Enter() override;
  void FadeIn() override;
  void FadeOut() override;

  int StFadeIn();
  int Main();
  int ConfirmBox();
  int StFadeOut();

  // The first node of the point that passes its switch, variable and total
  // score tests against SaveData; null without a point or without one.
  static cWorldNode* SelectNode(cWorldPoint* point);
  static bool IsCleared(const cWorldNode* node);
  static bool IsPassable(const cWorldNode* node);
  // Whether the hero may not enter cell (col, row) holding `node`.
  static bool IsBlocked(int col, int row, const cWorldNode* node);
  void MoveOnMap(const cInput& input);
  void OnNodeChanged();
  void StartNodeStage();
  void DrawScreen(int withInfo);
  void DrawMapSurface(DDSURFACEDATA* surface);
  void DrawHero();
  void BuildRankingPanel();
  void DrawRankingPanel();

  int32_t m_nViewX = 0, m_nViewY = 0;
  cWorldPoint* m_pPoint = nullptr;
  cWorldNode* m_pNode = nullptr;
  int32_t m_nFacing = 0;  // 0 down, 1 up, 2 left, 3 right
  MenuLevel m_SavedLevel;
  MenuLevel m_NodeLevel;
  int32_t m_nNodeBest = 0;

 private:
  // Points m_pPoint and m_pNode at the hero's cell.
  void FindHereNode();
  bool OnStageNode() const;
  void SetHeroCell(int col, int row);
  void OpenConfirmBox();
  void CloseConfirmBox();
  void RankingButtons(uint16_t buttons);
  void RedrawMapSurface();
};

// The confirmation box (x recomputed when it opens) and the ranking panel.
extern ScreenPos WorldConfirmPos, WorldRankingPos;
// The hero's walking counter (0..79).
extern int32_t HeroAnimCount;
// The stage of the confirmation box was loaded.
extern int32_t bNodeStageLoaded;
// The view origin the map surface was last drawn for; (-1, -1) at start.
extern ScreenPos LastViewOrigin;

// The node whose stage was started from the map, as indices into WorldMap's
// points and their node lists (-1: none). Indices rather than a pointer, so a
// reloaded map never leaves a dangling reference.
struct sStageNodeRef {
  int32_t point = -1;
  int32_t node = -1;
};
extern sStageNodeRef CurrentStageNode;
// The clear action of the current node (1 next round, 2 title, 0 back to the
// map); 0 without a current node or when the save data no longer marks one.
int CurrentNodeClearAction();
// Lives at the start of a story stage from the map: with lives carried over
// 999999 when infinite, else the current lives + 1 (the stage start takes
// one); without, the lives of the story game type.
int32_t StoryStageStartLives(bool carry, bool infinite, int32_t lives, int32_t storyLives);
