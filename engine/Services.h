#pragma once
// What the engine asks of the application. The engine never reaches the
// window, the audio device or the dialogs itself: it calls these seams,
// which the application installs at start-up (SetEngineServices). Until
// then (and in tests that install nothing) a silent default answers.
#include <string>

// Requests a game thread hands to the window thread; each returns once the
// request has been handled.
class IWindowRequests {
 public:
  virtual ~IWindowRequests() = default;
  // Plays sound slot `slot` (system sounds 0..16, database sound n at n + 16).
  virtual void PlaySound(int slot) = 0;
  // Music kind 0..3 (scene music) or 4 (database music `number`; 0 stops).
  virtual void PlayMusic(int kind, int number) = 0;
  // Asks the main window to close (the program ends in order).
  virtual void RequestClose() = 0;
};

// The play scene's modal sub-loop: runs it on its own thread for the
// request in the play world's m_ModalWait and returns when it has ended.
class IModalLoop {
 public:
  virtual ~IModalLoop() = default;
  virtual void RunModalWait() = 0;
};

// Values of the scene director and program-wide flags the engine reads.
class ISceneValues {
 public:
  virtual ~ISceneValues() = default;
  virtual int GameType() const = 0;  // 0 story, 1 challenge, 2 free play, 3 replay
  virtual int FrameRate() const = 0;
  virtual bool StartedByEditor() const = 0;
  virtual bool StartFilePlay() const = 0;
  virtual void SetSceneMusic(int index) = 0;
  // The director's switch: rankings are recorded for the current game.
  virtual bool RankingsOn() const { return false; }
  // True when no stage file follows for the given part number.
  virtual bool IsFinalStage(int /*part*/) const { return true; }
  // The two display settings a stage start sets.
  virtual void SetFrameRate(int /*fps*/) {}
  virtual void RestorePalette() {}  // 8-bit screens: the working palette back to the base one
};

// Error boxes (shown on the window thread) for faults in the game's data.
class IErrorReporter {
 public:
  virtual ~IErrorReporter() = default;
  virtual void ErrorBox(const std::string& text, const std::string& caption) = 0;
};

// The fixed keys read directly during play (F1, F2, F3, Space).
class IKeyState {
 public:
  virtual ~IKeyState() = default;
  enum Key { kF1, kF2, kF3, kSpace };
  virtual bool IsDown(Key key) = 0;
};

struct cEngineServices {
  IWindowRequests* window = nullptr;
  IModalLoop* modal = nullptr;
  ISceneValues* scene = nullptr;
  IErrorReporter* errors = nullptr;
  IKeyState* keys = nullptr;
};

// Installs the seams; a null member selects the silent default.
void SetEngineServices(const cEngineServices& services);
// The installed seams, never null.
IWindowRequests& WindowRequests();
IModalLoop& ModalLoop();
ISceneValues& SceneValues();
IErrorReporter& ErrorReporter();
IKeyState& KeyState();

// The engine's sound and music requests.
void PlaySE(int slot);            // system sound slot
void PlayStageSE(int n);          // database sound n (16-bit; 0 plays nothing)
void RequestStageBgm(int n, int value);  // stores value as the music extra value
