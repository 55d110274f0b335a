#include <new>

#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuScenes.h"

// Stand-in until the scene is built.
cScene* NewOptionScene() { return new (std::nothrow) cStandInScene(kModeOption); }
