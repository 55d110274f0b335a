#pragma once
// Stage set-up, spawning and the stage-level rules of each frame. They work
// on the play world (PlayScene) and the program-wide lists.
#include <cstdint>

#include "base/Containers.h"
#include "engine/objects/Chara.h"

class cBlockCell;
class cCharaBase;
class cChara;
class cCharaDef;
class cEdShot;
class cFlowRun;
class cGameObj;
class cHero;
class cItem;
class cItemDef;
class cBlockDef;
class cPlayWorld;
struct cRectD;
struct DDSURFACEDATA;

// Builds the running world for a start or restart of the stage.
void SetStage(cPlayWorld* world, int bLoadStage, int bRequestMusic);

// Releases the shown pictures' surfaces and empties their lists and the
// world's m_Pictures (null: the lists only).
void ClearStagePictures(cPlayWorld* world);
// Releases the message windows' surfaces and empties Off_Msg and MessageBitmaps.
void ClearMessageSurfaces();
// Builds the darkness overlay of the hero's sight (Player[0]) into `dark`,
// with `circle` as the round opening's source. Nothing without a display.
void CreateSightSurfaces(DDSURFACEDATA* dark, DDSURFACEDATA* circle);
// The same into SightDarkSD and SightCircleSD when the hero's sight is limited.
void RebuildHeroSight();

// Removes one character: its links, its faction-list entry, its node.
// Returns the node that followed.
cList<cChara>::iterator RemoveCharaNode(cList<cChara>& list, cList<cChara>::iterator node);
// Which sub-steps of a frame test shots against characters: k checks per
// frame spread over n sub-steps (k = 0: every sub-step).
void BuildShotHitMask(cVector<int32_t>& mask, int k, int n);

// Spawning.
void PlaceCharaAtCell(cList<cChara>& list, int col, int row, int32_t* idCounter, const cCharaDef* def,
                      const cItem* heldItem);
void PlaceItemAtCell(cList<cItem>& list, int col, int row, int32_t* idCounter, const cItemDef* def);
void SpawnChara(cList<cChara>& list, double x, double y, int faction, int facing, int unused, const cEdShot* params,
                const cCharaDef* def, int32_t* idCounter, cCharaBase* summoner);
void SpawnItem(cList<cItem>& list, double x, double y, int unused, const cEdShot* params, const cItemDef* def,
               int32_t* idCounter);
void SpawnBlock(double x, double y, int unused, const cEdShot* params, const cBlockDef* def);
int BlockSpawnBlocked(int cell, int col, int row, const cEdShot* params);

// Per-frame rules.
int CheckPauseKey();
int UpdateActiveObjects();
int TickTimeCounter(int delta);
void CountPlayTime();
int CheckBlockCondition(cBlockCell* cell);
int CheckCharaCondition(cCharaBase* chara);
int CheckItemCondition(cItem* item);
int CheckFlowCondition(cFlowRun* run, cCharaBase* chara);
int ApplyFootBlockAction(cHero* hero);
int ApplyFootBlockItem(cHero* hero);
int RideBlockChara(cCharaBase* rider, cList<cChara>& list);
int OverlapsBlockChara(cGameObj* obj, cList<cChara>& list);
int BlockCharaInPath(cGameObj* obj, const cRectD& box);
int PickUpItems(cHero* hero);
int ApplyItem(cItem* item, cCharaBase* chara);
int DefeatAndCheckEnd(cCharaBase* chara, cList<cChara>& list);
void EndStage();
void AddStageTotals();
