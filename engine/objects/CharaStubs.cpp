// Placeholder bodies of the running characters' class operations, so that
// objects of these classes can be built and linked before their own sources
// exist. The sources of the character classes replace this file.
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"

cCharaBase::cCharaBase() = default;
cCharaBase::cCharaBase(const cCharaBase&) = default;
cCharaBase& cCharaBase::operator=(const cCharaBase&) = default;
cCharaBase::~cCharaBase() = default;
void cCharaBase::KeepFootOnScale(int, int) {}
void cCharaBase::SetCenter(int, int) {}
void cCharaBase::SetCenterAndStop(int, int, cCmdRun*) {}
void cCharaBase::SetCenterX(int) {}
void cCharaBase::SetCenterXAndStop(int, cCmdRun*) {}
void cCharaBase::SetCenterY(int) {}
void cCharaBase::SetCenterYAndStop(int, cCmdRun*) {}
void cCharaBase::Assign(const cCharaBase& other) { *this = other; }

void cChara::ScaleHitBox(int) {}
void cChara::UpdateBoxX() {}
void cChara::UpdateBoxY() {}
int cChara::ClampX() { return 0; }
int cChara::ClampY() { return 0; }
int cChara::MoveX() { return 0; }
int cChara::MoveY() { return 0; }
int cChara::UpdateFlows(int) { return 0; }
void cChara::Jump(int) {}

void cHero::ScaleHitBox(int) {}
void cHero::UpdateBoxX() {}
void cHero::UpdateBoxY() {}
int cHero::ClampX() { return 0; }
int cHero::ClampY() { return 0; }
int cHero::MoveX() { return 0; }
int cHero::MoveY() { return 0; }
int cHero::UpdateFlows(int) { return 0; }
void cHero::Jump(int) {}
