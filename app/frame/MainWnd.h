#pragma once
// The main window: its procedure on the window thread, the close protocol,
// and the requests by which the game threads get work done on the window
// thread (dialogs, sound, music, device restore). Every request is a
// synchronous send to the main window; the sender clears its done flag, sends,
// and reads the flags afterwards.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "app/frame/WindowFlags.h"
#include "base/Containers.h"
#include "base/Wnd.h"

class cBgm;

class cMainWnd : public cWnd {
 public:
  // cWnd initialisation with id 0, no owner and no user data; StaticWndProc
  // becomes the object's procedure.
  void Init();
  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnClose();
  void OnNameEntry();
  void OnOpenStage();
  void OnOpenReplay();
  void OnSaveReplay(WPARAM which);
  void OnPlaySound(WPARAM slot);
  void OnPlayMusic(WPARAM kind, LPARAM number);
};

platform::LRESULT StaticWndProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam);

// Editor notices: no editor program runs beside this player, so they reach
// no window; the calls stay where the notices are due.
void NotifyEditorStarted();
void NotifyEditor(int32_t value);

// Suspend (Resume) thGame, thPause, thRanking and thStageLoad, in that order.
void SuspendAllThreads();
void ResumeAllThreads();

// A request from a game thread: clear the flag, send, wait for the flag.
// Returns bDialogResult (0 for requests without one).
int32_t SendWindowRequest(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                          std::atomic<int32_t>* doneFlag);

// What other parts of the application do for some requests; each is optional.
struct sWindowRequestHooks {
  // Free play of a stage file (fromStartFile 1 at start-up, 0 from the dialog).
  std::function<bool(const std::string& path, int fromStartFile)> StartFreeStage;
  // The replay save dialog proposing the current stage name; false when cancelled.
  std::function<bool(std::string& path)> ChooseReplaySaveFile;
  // Writes the current (which 0) or previous attempt's replay; false on failure.
  std::function<bool(const std::string& path, platform::WPARAM which)> SaveReplay;
  // The ranking name the name-entry dialog edits (null: none). Without a
  // hook: the options' name while the option scene runs, else the play
  // scene's, else none.
  std::function<std::string*()> NameEntryTarget;
  // WM_CLOSE while the modal sub-loop runs. Without a hook: the play
  // scene's quit flag.
  std::function<void()> SetPlaySceneQuit;
};
void SetWindowRequestHooks(sWindowRequestHooks hooks);
// The hooks installed so far (to add one without dropping the others).
sWindowRequestHooks GetWindowRequestHooks();

// The music request decided on the data: what to do with which slot and file.
struct sMusicAction {
  enum Kind { kNone, kStop, kPlay } action = kNone;
  int slot = 0;
  std::string file;  // the slot's new file (kPlay; kind 4 also with kStop)
  int loop = 0;
  bool setSlotFile = false;
  // An index outside a list: reported, and entry 0 used instead.
  bool indexError = false;
  int errIndex = 0, errSize = 0, errElement = 0;
};
sMusicAction DecideMusic(platform::WPARAM kind, platform::LPARAM number, const cVector<int32_t>& sceneBgm,
                         const cVector<uint8_t>& sceneBgmLoop, const cVector<cBgm>& bgms, int32_t stageLoop);
