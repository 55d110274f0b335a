#pragma once
// Joysticks through SDL, read as the game data expects them: X and Y from 0
// to 65535 with the centre near 32768, and a word of buttons 0..31.
// The main thread opens them as they are plugged in and polls them; any
// thread reads the last polled state.
#include <cstdint>
#include <functional>

namespace platform {

constexpr int kMaxJoysticks = 16;

struct JoyState {
  uint32_t x = 32768;
  uint32_t y = 32768;
  uint32_t buttons = 0;
};

// SDL's signed axis value shifted into the unsigned range 0..65535.
constexpr uint32_t JoyAxisFromSdl(int16_t v) { return static_cast<uint32_t>(static_cast<int32_t>(v) + 32768); }

// False when there is no joystick with that number (as a failed poll was).
bool ReadJoystick(unsigned index, JoyState& state);

// Tests put a fake joystick here; an empty function restores the devices.
using JoystickReader = std::function<bool(unsigned index, JoyState& state)>;
void SetJoystickReader(JoystickReader reader);

// Main thread only: hot-plug and polling, called by the window pump.
void OpenJoystickDevice(int sdlDeviceIndex);
void CloseJoystickInstance(int32_t sdlInstanceId);
void PollJoysticks();
void CloseAllJoysticks();

}  // namespace platform
