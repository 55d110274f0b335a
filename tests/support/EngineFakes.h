#pragma once
// A recording stand-in for everything the engine asks of the application.
// Installed for its scope; every request is appended to calls() as a short
// text ("sound 7", "music 4 12", "close", "modal 1 0 30", "error caption|text")
// so a test can compare the whole sequence.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/Services.h"

namespace testsupport {

class FakeEngineServices : public IWindowRequests,
                           public IModalLoop,
                           public ISceneValues,
                           public IErrorReporter,
                           public IKeyState {
 public:
  FakeEngineServices();   // installs itself
  ~FakeEngineServices();  // back to the silent defaults
  FakeEngineServices(const FakeEngineServices&) = delete;
  FakeEngineServices& operator=(const FakeEngineServices&) = delete;

  const std::vector<std::string>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // Values the fake answers with.
  int gameType = 0;
  int frameRate = 60;  // SetFrameRate writes it
  int paletteRestores = 0;  // RestorePalette calls (kept out of calls())
  bool startedByEditor = false;
  bool startFilePlay = false;
  bool rankingsOn = false;
  // Part numbers for which a next stage file exists; every other is final.
  std::vector<int> partsWithAFile;
  std::map<Key, bool> keysDown;
  // Called inside RunModalWait (after it is recorded), e.g. to count frames.
  std::function<void()> onModalWait;

  void PlaySound(int slot) override;
  void PlayMusic(int kind, int number) override;
  void RequestClose() override;
  void RunModalWait() override;
  int GameType() const override { return gameType; }
  int FrameRate() const override { return frameRate; }
  bool StartedByEditor() const override { return startedByEditor; }
  bool StartFilePlay() const override { return startFilePlay; }
  void SetSceneMusic(int index) override;
  bool RankingsOn() const override { return rankingsOn; }
  bool IsFinalStage(int part) const override;
  void SetFrameRate(int fps) override { frameRate = fps; }
  void RestorePalette() override { ++paletteRestores; }
  void ErrorBox(const std::string& text, const std::string& caption) override;
  bool IsDown(Key key) override;

 private:
  std::vector<std::string> calls_;
};

// Lets go of the running world a test built: the play scene pointer, the
// hero, the characters, the items, the block map and the input records.
void ReleaseRunningWorld();

}  // namespace testsupport
