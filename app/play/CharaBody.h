#pragma once
// A running character's picture: its current chip through the draw mode of
// its character effect, its overlay chip, and its defeat animation.
#include <cstdint>

#include "app/play/CharaDraw.h"
#include "engine/objects/CharaBase.h"

// The chip column of the character's pattern set: the graphic base number
// plus the base animation set's flying, block-character and invincible
// offsets. An invincible character with a highlight number gets that
// highlight colour in `colour` (Direct3D with the highlight switch only);
// returns whether it did.
int CharaDrawPattern(const cCharaBase& chara, int d3d, int* column, DDBLTCOLOR* colour);

// The draw information of the character's current cell: animation column
// `pattern`, the column from CharaDrawPattern, the character's screen box.
void CharaDrawInfoOf(const cCharaBase& chara, int column, int pattern, const DDBLTCOLOR* colour,
                     cCharaDrawInfo& info);

// Draws the character (its effects advance unless frozen). Invisible and
// vanished characters only advance their draw mode.
void DrawChara(DDSURFACEDATA* target, cCharaBase& chara, int bFreeze, const cCharaDrawEnv& env);

// One frame of a defeated character; 1 when its defeat is finished. A stage
// character without a defeat effect is finished at once; the hero, once its
// effect is over, waits `frameRate` frames that advance.
int DrawCharaDeath(DDSURFACEDATA* target, cCharaBase& chara, int isHero, int bFreeze, int frameRate,
                   const cCharaDrawEnv& env);

// The running program's work surfaces, palette and blend table.
cCharaDrawEnv ProgramCharaDrawEnv();
