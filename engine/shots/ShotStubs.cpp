// Placeholder bodies of the shot's class operations, so that shots can be
// built and linked before their own source exists. The shot source replaces
// this file.
#include "engine/shots/Shot.h"

void cShot::ScaleHitBox(int) {}
void cShot::KeepFootOnScale(int, int) {}
void cShot::UpdateBoxX() {}
void cShot::UpdateBoxY() {}
