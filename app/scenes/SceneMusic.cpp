#include "app/scenes/SceneMusic.h"

#include "app/frame/SceneDirector.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"

bool SceneMusicDue(int32_t tune, int32_t& sceneBgm) {
  if (tune != 0 && tune == sceneBgm) return false;
  sceneBgm = tune;
  return true;
}

int32_t SceneTune(const cVector<int32_t>& sceneBgm, int kind) {
  if (kind < 0 || static_cast<size_t>(kind) >= sceneBgm.size()) return 0;
  return sceneBgm[static_cast<size_t>(kind)];
}

void RequestSceneMusic(int kind) {
  const int32_t tune = SceneTune(nm::sys::SceneBgm(SystemData), kind);
  if (SceneMusicDue(tune, SceneDirector.m_nSceneBgm)) WindowRequests().PlayMusic(kind, 0);
}
