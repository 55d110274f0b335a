#include "app/scenes/MenuScenes.h"

#include <new>

#include "app/frame/SceneDirector.h"

cScene* NewMenuScene(int32_t mode) {
  switch (mode) {
    case kModeTitle: return NewTitleScene();
    case kModeWorldMap: return NewWorldMapScene();
    case kModeMapMenu: return NewMapMenuScene();
    case kModeChallenge: return NewChallengeScene();
    case kModeOption: return NewOptionScene();
    default: return new (std::nothrow) cStandInScene(mode);
  }
}
