#pragma once
// Program entry, start-up and exit: WinMain on the main thread, InitApp and
// ExitApp, the game loop of thGame, and the decisions start-up takes (screen
// mode, start file), kept as plain functions so they can be tested.
// What start-up decides lives in the director's cStartupState
// (app/frame/StartupState.h).
#include <cstdint>
#include <string>

// How the program was started (the command line, parsed by main).
struct sLaunch {
  std::string stageFile;  // code-page-932 internal path, or empty
  int showState = 1;      // 5: started by the editor
};

// The process's exit code: the WM_QUIT's wParam after a run, 0 on every early exit.
int WinMain(const sLaunch& launch);
// One start-up on the window thread; false ends the program. The window exists.
bool InitApp(const char* commandLine, int showState);
// Safe after a start-up that failed at any step.
void ExitApp();
// thGame's procedure; always 1.
int GameLoop();

// ---- Screen mode (start-up steps 14 to 16) ----
struct sScreenInputs {
  int32_t direct3D = 0, windowMode = 0, bpp = 0, vsync = 0;
  int desktopBpp = 32;
  bool osAtLeast60 = true;  // Windows 6.0 or later: we always are
  int32_t depthD3D = 0;     // the system data's Direct3D depth code
  int32_t depthDD = 0;      // the system data's DirectDraw depth code
  bool fullColour = false;  // a full-colour project (else 256 colours)
};
struct sScreenMode {
  int32_t windowed = 0;
  int32_t vsync = 0;
  int32_t bpp = 0;
  bool accepted = false;
  // The refused mode's text: 1 the window-mode text, 2 the general one.
  int message = 0;
  bool thickFrame = false;
};
sScreenMode DecideScreenMode(const sScreenInputs& in);
extern const char* const kModeTextWindow;
extern const char* const kModeTextGeneral;

// ---- Start file (step 37, first part) ----
// The newest numbered stage file of the name ("%s_%d%d%d" from 999 down), or
// the name itself when none exists.
std::string ResolveStartFile(const std::string& freeStage);
// The command line's start file: quotes around it removed; empty when it is
// empty or longer than 259 bytes.
std::string StartFileFromCommandLine(const std::string& commandLine);

// The single-instance guard: a lock file named after the mutex "ゲーム" in
// the user's runtime folder. Returns false when this copy must end.
bool AcquireInstanceGuard();
void ReleaseInstanceGuard();
// The lock file's path (tests).
std::string InstanceLockPath();
