#include <new>

#include "app/frame/MainWnd.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/play/ReplayRequests.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "engine/Names.h"

sWindowRequestHooks PlaySceneWindowHooks() {
  sWindowRequestHooks hooks;
  hooks.ChooseReplaySaveFile = [](std::string& path) {
    return ChooseReplaySaveFile(path, nm::save::StageBaseName(SaveData)) != 0;
  };
  hooks.SaveReplay = [](const std::string& path, platform::WPARAM which) {
    cReplay& r = which == 0 ? Replay : PrevReplay;
    const cSaveData& save = which == 0 ? ReplaySave : PrevReplaySave;
    return r.SaveFile(path, Stage, StageCopy, save);
  };
  return hooks;
}

void InstallPlayScene(std::function<cScene*(int32_t mode)> others) {
  SetSceneFactory([others](int32_t mode) -> cScene* {
    if (mode == kModePlay) return new (std::nothrow) cPlayScene();
    if (others) return others(mode);
    return new (std::nothrow) cStandInScene(mode);
  });
  SetWindowRequestHooks(PlaySceneWindowHooks());
}
