#pragma once
// What start-up decides and the rest of the program consults: the screen
// mode, how frames are presented, whether the start file is played, and the
// seams by which other parts of the program take part in start-up. The scene
// director owns the one instance and hands it to the scenes.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// The parts of start-up that other parts of the program own.
struct sStartupHooks {
  std::function<void()> BuildParamTable;            // step 3
  std::function<void()> BuildRuntimeTables;         // step 7
  std::function<bool(int palette)> LoadHbtPalette;  // step 31 (8-bit screens)
  // Step 37: free play of the start file; false fails start-up.
  std::function<bool(const std::string& path, int fromStartFile)> StartFreeStage;
};

class cStartupState {
 public:
  cStartupState() = default;
  cStartupState(const cStartupState&) = delete;
  cStartupState& operator=(const cStartupState&) = delete;

  void SetHooks(sStartupHooks hooks);
  // The hooks installed so far (to add one without dropping the others).
  sStartupHooks Hooks() const;

  // The program runs in a window (read on several threads).
  std::atomic<int32_t> m_bWindowed{0};
  // DirectDraw presents by a 640x480 blit instead of a flip.
  std::atomic<int32_t> m_bPresentByBlit{0};
  // The start file is being played.
  std::atomic<int32_t> m_bStartFilePlay{0};
  // The colour depth given to the graphics library (8, 16 or 32).
  int32_t m_nScreenBpp = 0;
  // The game title, which the stand-in scene draws (set before thGame starts).
  std::string m_StandInTitle;

 private:
  mutable std::mutex m_HookMutex;
  sStartupHooks m_Hooks;
};
