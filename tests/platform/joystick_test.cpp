// ctest-label: input
// Joysticks plugged in and out while the main thread pumps, with SDL's
// virtual joystick standing in for a device.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <functional>

#include "platform/Joystick.h"
#include "platform/Window.h"

namespace {

using namespace platform;

bool PumpUntil(const std::function<bool()>& done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < until) {
    WaitWindowMessage(10);
    MSG m;
    while (PeekWindowMessage(&m)) DispatchMessage(&m);
    if (done()) return true;
  }
  return false;
}

TEST(Joystick, HotPlugAxesShiftedAndButtons) {
  ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
  JoyState s;
  EXPECT_FALSE(ReadJoystick(0, s)) << "nothing plugged in";
  EXPECT_FALSE(ReadJoystick(99, s));

  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 40, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  ASSERT_TRUE(PumpUntil([&] { return ReadJoystick(0, s); })) << "the plug-in was not seen";
  SDL_Joystick* handle = SDL_JoystickOpen(device);  // a second handle to drive it
  ASSERT_NE(handle, nullptr);

  struct {
    Sint16 x, y;
    uint32_t wantX, wantY;
  } const cases[] = {{-32768, 32767, 0, 65535}, {0, -1, 32768, 32767}, {-22768, 22767, 10000, 55535}};
  for (const auto& c : cases) {
    SDL_JoystickSetVirtualAxis(handle, 0, c.x);
    SDL_JoystickSetVirtualAxis(handle, 1, c.y);
    SDL_JoystickSetVirtualButton(handle, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(handle, 31, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(handle, 35, SDL_PRESSED);  // beyond the 32 buttons of the word
    EXPECT_TRUE(PumpUntil([&] { return ReadJoystick(0, s) && s.x == c.wantX && s.y == c.wantY; }))
        << c.x << "," << c.y << " read as " << s.x << "," << s.y;
    EXPECT_EQ(s.buttons, 0x80000001u);
  }

  SDL_JoystickClose(handle);
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
  EXPECT_TRUE(PumpUntil([&] { return !ReadJoystick(0, s); })) << "the unplug was not seen";
  ShutdownWindowSystem();
}

}  // namespace
