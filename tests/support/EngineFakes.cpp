#include "tests/support/EngineFakes.h"

#include <algorithm>

#include "engine/World.h"

namespace testsupport {

FakeEngineServices::FakeEngineServices() {
  cEngineServices s;
  s.window = this;
  s.modal = this;
  s.scene = this;
  s.errors = this;
  s.keys = this;
  SetEngineServices(s);
}

FakeEngineServices::~FakeEngineServices() { SetEngineServices(cEngineServices{}); }

void FakeEngineServices::PlaySound(int slot) { calls_.push_back("sound " + std::to_string(slot)); }

void FakeEngineServices::PlayMusic(int kind, int number) {
  calls_.push_back("music " + std::to_string(kind) + " " + std::to_string(number));
}

void FakeEngineServices::RequestClose() { calls_.push_back("close"); }

void FakeEngineServices::RunModalWait() {
  std::string line = "modal";
  if (PlayScene) {
    const ModalWait& w = PlayScene->m_ModalWait;
    for (int32_t v : {w.nKind, w.bWaitKey, w.nFrames}) {
      line += ' ';
      line += std::to_string(v);
    }
  }
  calls_.push_back(line);
  if (onModalWait) onModalWait();
}

bool FakeEngineServices::IsFinalStage(int part) const {
  return std::find(partsWithAFile.begin(), partsWithAFile.end(), part) == partsWithAFile.end();
}

void FakeEngineServices::SetSceneMusic(int index) { calls_.push_back("scene music " + std::to_string(index)); }

void FakeEngineServices::ErrorBox(const std::string& text, const std::string& caption) {
  calls_.push_back("error " + caption + "|" + text);
}

bool FakeEngineServices::IsDown(Key key) {
  auto it = keysDown.find(key);
  return it != keysDown.end() && it->second;
}

void ReleaseRunningWorld() {
  PlayScene = nullptr;
  Player.clear();
  CharaList.clear();
  ItemList.clear();
  BlockMap.clear();
  PlayerInput.clear();
}

}  // namespace testsupport
