#pragma once
// The bodies of the warp, target, status-switch, vanish, get-item, graphic,
// animation, effect, picture, screen-colour, background, sound, music and
// code commands. Each takes the executing character and the command alone,
// so that the character-command and the item-command tables share them.
#include "engine/flow/Commands.h"

class cCharaBase;
class cFlowCmd;

// Registers the executors of this group in CommandTable and ItemCommandTable
// (called by InstallCommandExecutors).
void RegisterMiscCommands();
void RegisterWarpCommands();
void RegisterGraphicCommands();
void RegisterSoundCommands();
void RegisterItemCommands();

// The warp's direction code for a direction kind seen from `who` (diagonal:
// 8..11 allowed); the movement commands install theirs.
extern int (*WarpResolveDirection)(cCharaBase* who, int kind, int diagonal);

void DoWarp(cCharaBase* chara, cFlowCmd* cmd);
void DoSetTarget(cCharaBase* chara, cFlowCmd* cmd);
void DoStatusOperation2(cCharaBase* chara, cFlowCmd* cmd);
void DoVanish(cCharaBase* chara, cFlowCmd* cmd);
// The item's commands run on the hero; the result goes to m_nClearResult.
void DoGetItem(cCharaBase* chara, cFlowCmd* cmd);

void VanishCharacter(cCharaBase* chara);
void VanishDescendantTree(cCharaBase* chara, int depth, int withShots);
void VanishShotsOf(cCharaBase* chara);

void DoChangeGraphic(cCharaBase* chara, cFlowCmd* cmd);
void DoChangeBaseAnimSet(cCharaBase* chara, cFlowCmd* cmd);
void DoPlayAnime(cCharaBase* chara, cFlowCmd* cmd);
void DoRunEffect(cCharaBase* chara, cFlowCmd* cmd);
void DoRunCharaEffect(cCharaBase* chara, cFlowCmd* cmd);
void DoRunScrEffect(cCharaBase* chara, cFlowCmd* cmd);
void DoShowPicture(cCharaBase* chara, cFlowCmd* cmd);
void DoChangeScreenColor(cCharaBase* chara, cFlowCmd* cmd);
void DoChangeBackground(cCharaBase* chara, cFlowCmd* cmd);
// Stage position of the top-left corner of a w x h object placed by
// `placement` (0 screen centre, 1 the character's centre, 2 the hero's
// centre, 3 screen blocks, 4 stage blocks).
void CalcPlacePos(int* x, int* y, int w, int h, cCharaBase* chara, int placement, int blockX, int blockY, int ofsX,
                  int ofsY);

void DoPlaySound(cCharaBase* chara, cFlowCmd* cmd);
void DoPlayBgm(cCharaBase* chara, cFlowCmd* cmd);
void DoRunCode(cCharaBase* chara, cFlowCmd* cmd);
