#pragma once
// The menu scenes (title, world map, map menu, challenge, options). Each maker
// returns a new scene or null when it cannot be made.
#include <cstdint>

class cScene;

cScene* NewTitleScene();
cScene* NewWorldMapScene();
cScene* NewMapMenuScene();
cScene* NewChallengeScene();
cScene* NewOptionScene();

// The scene of a menu mode; the director's factory calls it for every mode
// but play.
cScene* NewMenuScene(int32_t mode);
