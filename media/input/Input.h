#pragma once
// One player's input: directions, buttons, direction code, menu auto-repeat,
// press-once latch, the raw run-length rings and the command histories that
// the key conditions read. Polled on the game thread.
#include <cstdint>
#include <string>

#include "base/Containers.h"
#include "platform/Joystick.h"

// One key of the configuration, 8 bytes in user_data\KeyConfig.dat.
struct KEYASSIGN {
  int32_t nDevice;  // 8 = keyboard, 0 .. joystick count - 1 = joystick number
  uint16_t wCode;   // virtual-key code, joystick axis code or joystick button mask
  uint8_t spare[2];
};

// The key configuration, byte for byte the 108-byte file.
struct KEYCONFIG {
  KEYASSIGN Keys[12];  // left, right, up, down, buttons 1 to 8
  int32_t nEntries;    // the buttons used are entries 4 .. nEntries - 1
  int32_t nJoysticks;  // joysticks 0 .. nJoysticks - 1 are polled
  int32_t bUse;        // 0 = fixed mapping, otherwise this configuration
};
static_assert(sizeof(KEYASSIGN) == 8 && sizeof(KEYCONFIG) == 108, "KeyConfig.dat layout");

constexpr int kKeyDeviceKeyboard = 8;
constexpr int kJoyAxisLeft = 256, kJoyAxisRight = 512, kJoyAxisUp = 1024, kJoyAxisDown = 2048;

extern KEYCONFIG KeyConfig;

// 1 when the file could be opened. The counts are clamped after reading.
int LoadKeyConfig(const std::string& path, KEYCONFIG& config);
void SetDefaultKeyConfig(KEYCONFIG& config);
// Brings counts read from a file into the range the poll can use.
void ClampKeyConfig(KEYCONFIG& config);

class cInput {
 public:
  enum : uint16_t { DIR_LEFT = 1, DIR_RIGHT = 2, DIR_UP = 4, DIR_DOWN = 8 };
  static constexpr int kRingSize = 32;
  static constexpr int kHistoryRuns = 32;
  static constexpr int kDirHistories = 10;
  static constexpr int kButtonHistories = 9;

  struct sRingRun {
    uint16_t wState;
    int32_t nFrames;
  };
  struct sCmdRun {
    int32_t nState;  // 0 or 1
    int32_t nFrames;
    bool operator==(const sCmdRun&) const = default;
  };
  using cHistory = cVector<sCmdRun>;

  cInput();

  void InitButtonMasks();
  void SetRepeat(uint32_t delay, uint32_t interval);

  int Poll(int joystick, int flags, int retry);
  int PollKeyConfig(int count, int retry);
  static int TestJoyAxis(const platform::JoyState& joy, int code);
  static int GetDirection(uint16_t bits);

  void ClearDirection();
  void ClearButtons();

  void ClearHistory();
  void UpdateHistory();
  uint16_t GetHistory(int ring, int framesAgo) const;

  void ResetCommandHistory();
  void UpdateCommandHistory();
  static void PushCommandHistory(cHistory& history, uint16_t word, uint16_t value, int masked);

  void ApplyRepeat();
  void Trigger(uint16_t mask);

  uint16_t m_wDir = 0;
  uint16_t m_wButton = 0;
  uint16_t m_wDirTrail = 0;
  sRingRun m_Rings[2][kRingSize];
  int32_t m_nRingPos[2] = {0, 0};
  cVector<cHistory> m_DirHistory;
  cVector<cHistory> m_ButtonHistory;
  int32_t m_nDirCode = 0;
  uint32_t m_nRepeatH = 0, m_nRepeatV = 0;
  uint32_t m_nRepeatDelay = 0, m_nRepeatInterval = 0;
  int32_t m_bTriggerLatch = 0;
  uint16_t m_wButtonMask[8] = {};
  int32_t m_bJoyOK = 0;
  int32_t m_nJoyRetry = 0;

 private:
  bool JoystickDue();
  void JoystickFailed(int retry);
};
