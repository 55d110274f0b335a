#pragma once
// The play engine's shared world.
//
// Layout of engine/:
//   World.h       the play world below, the program-wide running lists and
//                 tables, and the pointer through which the engine reaches
//                 the play scene;
//   Names.h       the engine's names for data-record members;
//   Services.h    what the engine asks of the application (window-thread
//                 requests, the modal sub-loop, the scene director's values,
//                 error boxes, keys), with silent defaults;
//   objects/      the running objects: the object base, characters, hero,
//                 block map and map collision, motion and searches, hits,
//                 status and damage, chip rectangles, state conditions;
//   rules/        stage set-up, spawning, the per-frame stage rules, the
//                 scroll axes and the modal-wait request;
//   flow/         flow triggers, the flow runtime, the command table and
//                 its executors, the parameter table, item commands and the
//                 condition dispatch;
//   shots/        shots, firing and formations, shot movement;
//   script/       the expression language, status conditions and operations;
//   instances/    the animation player, items, message windows, effect and
//                 picture instances and their runtime tables.
//
// The engine never includes a windowing, audio or font library header: it
// runs headless. The play scene of the application derives from cPlayWorld
// and sets PlayScene to itself while it lives.
#include <atomic>
#include <cstdint>
#include <string>

#include "base/Containers.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/instances/Item.h"
#include "engine/instances/MessageWnd.h"
#include "engine/instances/ScreenColor.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"
#include "engine/objects/ObjLists.h"
#include "engine/rules/ModalWait.h"
#include "engine/rules/ScrollAxis.h"
#include "engine/shots/Shot.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Font.h"
#include "media/input/Input.h"

class cFlowRun;
class cCmdRun;

constexpr int kFactions = 8;
constexpr int kStageVars = 1000;
constexpr int kActivityGroups = 60;
constexpr int kRankCategories = 5;
constexpr int kSurfaceTableSize = 71;
constexpr int kFontCount = 3;

// The engine-side state of the play scene: every list and working value the
// engine reads and writes during a stage.
class cPlayWorld {
 public:
  int32_t m_nSavedState = 0, m_nSavedSubState = 0;
  int32_t m_nClearResult = 0;  // 0 nothing, 1 cleared, 2 the hero must die
  cScrollAxis m_ScrollX, m_ScrollY;
  cList<cShot> m_Shots;
  cVector<CharaPtrList> m_FactionCharas = cVector<CharaPtrList>(kFactions);
  cVector<ShotPtrList> m_FactionShots = cVector<ShotPtrList>(kFactions);
  cList<cMessageWnd> m_Messages;
  cList<cEffectInst> m_Effects;
  cList<cPictureInst> m_Pictures;
  cScrEffectPlayer m_ScrEffect;
  cScreenColor m_ScreenColor;
  ModalWait m_ModalWait;
  std::atomic<int32_t> m_bQuit{0};  // set by the window thread while the modal sub-loop runs
  cCharaBase* m_pCurChara = nullptr;
  cFlowRun* m_pCurFlowRun = nullptr;
  cCmdRun* m_pCurCmdRun = nullptr;
  int32_t m_nHeroes = 1;
  int32_t m_nSubStep = 0;
  int32_t m_nSubStepTotal = 0;
  cVector<int32_t> m_ShotHitMask;
  int32_t m_nTime = 0;
  int32_t m_bNoTimeLimit = 0;
  int32_t m_nFrameCount = 0, m_nPlayTime = 0;
  int32_t m_nStateFrames = 0;
  int32_t m_nStateFrames2 = 0;
  uint32_t m_dwSeed = 0;
  int32_t m_bHoldButtons = 0;
  int32_t m_bCheckDeaths = 0;
  int32_t m_bItemMessage = 0;  // an item message opened in the current item-command list
  int32_t m_bHitTesting = 0;
  // Shots marked no-hit since the hit test last took such shots out; while
  // it is 0 no shot in m_Shots is marked and the hit test skips that walk.
  int32_t m_nNoHitMarks = 0;
  cVector<int32_t> m_StageVars = cVector<int32_t>(kStageVars, 0);
  cVector<int8_t> m_GroupActive = cVector<int8_t>(kActivityGroups, 0);
  int32_t m_nNextCharaId = 0, m_nNextItemId = 0, m_nNextShotId = 0;
  int32_t m_bRemoveCharas = 0, m_bRemoveBlockCharas = 0, m_bRemoveItems = 0;
  cVector<int32_t> m_SwitchedCells;
  int32_t m_nPlayFrames = 0;
  int32_t m_nClearDest = 0;
  std::string m_NextStageName;
  int32_t m_bNewRank = 0;
  cVector<int32_t> m_RankPlaces = cVector<int32_t>(kRankCategories, -1);
  cVector<int32_t> m_RankValues = cVector<int32_t>(kRankCategories, 0);
  int32_t m_bRankDone = 0;
  std::string m_RankName;
  int32_t m_nStatusStyle = 0;

  cPlayWorld() = default;
  cPlayWorld(const cPlayWorld&) = delete;
  cPlayWorld& operator=(const cPlayWorld&) = delete;
  // Unlinks the shots it owns, so that the program-wide character lists
  // never keep links into freed shots.
  virtual ~cPlayWorld();

  // The scene state and sub-state (the play scene keeps them in its scene
  // part; this default keeps them here).
  virtual int SceneState() const { return m_nState; }
  virtual int SceneSubState() const { return m_nSubState; }
  virtual void SetSceneState(int state, int subState) {
    m_nState = state;
    m_nSubState = subState;
  }

 private:
  int32_t m_nState = 0, m_nSubState = 0;
};

// The play scene while it lives, else null.
extern cPlayWorld* PlayScene;
// The play scene, or an empty world (all zero) while there is none, so that
// an engine operation called outside a stage reads zeros instead of crashing.
// Inline: the sub-steps ask for it in every map sample.
cPlayWorld& EmptyWorld();
inline cPlayWorld& CurrentWorld() { return PlayScene ? *PlayScene : EmptyWorld(); }

// Program-wide running objects and tables.
extern cVector<cHero> Player;  // element 0 is the hero
extern cList<cChara> CharaList;
extern cList<cItem> ItemList;
extern cVector<cInput> PlayerInput;  // element 0 = player 1
extern DDSURFACEDATA SurfaceTable[kSurfaceTableSize];
// The darkness overlay of the hero's sight, with the opening at its centre.
extern DDSURFACEDATA SightDarkSD;
// The source of the overlay's round opening.
extern DDSURFACEDATA SightCircleSD;
extern Font Fonts[kFontCount];
// Surface collections loaded per stage: the custom character images (four
// surfaces per image), the effect images (two per effect) and the message
// windows' surfaces, each with its bitmap descriptors.
extern cVector<DDSURFACEDATA> StageBmpSurfaces;
extern cVector<DDBITMAPDATA> StageBmpBitmaps;
extern cVector<DDSURFACEDATA> EffectSurfaces;
extern cVector<DDBITMAPDATA> EffectBitmaps;
// The sword images: per sword type its first and second image in video
// memory, then the same two in system memory (entries 4t .. 4t + 3).
extern cVector<DDSURFACEDATA> SwordSurfaces;
extern cVector<DDBITMAPDATA> SwordBitmaps;
// The shown pictures' surfaces and bitmap descriptors, at the positions of
// the play world's m_Pictures.
extern cList<DDSURFACEDATA> PictureSurfaces;
extern cList<DDBITMAPDATA> PictureBitmaps;
extern cList<DDSURFACEDATA> Off_Msg;
extern cList<DDBITMAPDATA> MessageBitmaps;

// Last: its inline map readers need the world above.
#include "engine/objects/BlockMap.h"
