#include "engine/Services.h"

#include <cstdint>

#include "data/SaveData.h"
#include "engine/Names.h"

namespace {
// Silent defaults: no window, no sound, a modal wait that ends at once.
class SilentWindow : public IWindowRequests {
 public:
  void PlaySound(int) override {}
  void PlayMusic(int, int) override {}
  void RequestClose() override {}
};
class SilentModal : public IModalLoop {
 public:
  void RunModalWait() override {}
};
class DefaultScene : public ISceneValues {
 public:
  int GameType() const override { return 0; }
  int FrameRate() const override { return 60; }
  bool StartedByEditor() const override { return false; }
  bool StartFilePlay() const override { return false; }
  void SetSceneMusic(int) override {}
};
class SilentErrors : public IErrorReporter {
 public:
  void ErrorBox(const std::string&, const std::string&) override {}
};
class NoKeys : public IKeyState {
 public:
  bool IsDown(Key) override { return false; }
};

SilentWindow silentWindow;
SilentModal silentModal;
DefaultScene defaultScene;
SilentErrors silentErrors;
NoKeys noKeys;
cEngineServices installed;
}  // namespace

void SetEngineServices(const cEngineServices& services) { installed = services; }
IWindowRequests& WindowRequests() { return installed.window ? *installed.window : silentWindow; }
IModalLoop& ModalLoop() { return installed.modal ? *installed.modal : silentModal; }
ISceneValues& SceneValues() { return installed.scene ? *installed.scene : defaultScene; }
IErrorReporter& ErrorReporter() { return installed.errors ? *installed.errors : silentErrors; }
IKeyState& KeyState() { return installed.keys ? *installed.keys : noKeys; }

void PlaySE(int slot) { WindowRequests().PlaySound(slot); }

void PlayStageSE(int n) {
  int16_t number = static_cast<int16_t>(n);
  if (number == 0) return;
  WindowRequests().PlaySound(number + 16);
}

void RequestStageBgm(int n, int value) {
  nm::save::MusicExtra(SaveData) = value;
  WindowRequests().PlayMusic(4, n);
}
