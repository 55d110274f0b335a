#pragma once
// The music request of a menu scene. Each menu scene has a music kind: 0
// title, 1 world map and map menu, 2 challenge select, 3 options. A tune
// already playing for the scenes is not asked for again, so passing from the
// world map to the map menu and back keeps the music running.
#include <cstdint>

#include "base/Containers.h"

enum eSceneMusicKind : int { kMusicTitle = 0, kMusicWorldMap = 1, kMusicChallenge = 2, kMusicOption = 3 };

// Whether the scene's tune (its entry of the system data's scene-music list,
// 0 = none) must be requested; when it must, sceneBgm becomes the tune. A
// tune of 0 is always requested: it stops whatever plays.
bool SceneMusicDue(int32_t tune, int32_t& sceneBgm);
// Entry `kind` of a scene-music list; 0 for a kind outside the list.
int32_t SceneTune(const cVector<int32_t>& sceneBgm, int kind);
// The request itself: the system data's tune for `kind` against the
// director's scene music, then the music request (kind, 0) to the window.
void RequestSceneMusic(int kind);
