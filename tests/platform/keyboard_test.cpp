// ctest-label: input
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <thread>

#include "platform/Keyboard.h"

namespace {

using namespace platform;

// The keymap needs SDL's video layer (the dummy driver in tests).
class KeyboardMap : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
  static void TearDownTestSuite() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

TEST_F(KeyboardMap, SdlKeysToVirtualKeys) {
  struct {
    SDL_Keycode key;
    SDL_Scancode scan;
    int vk;
  } const cases[] = {
      {SDLK_z, SDL_SCANCODE_Z, 'Z'},
      {SDLK_a, SDL_SCANCODE_Q, 'A'},  // a layout that types 'a' on the Q key: the letter decides
      {SDLK_0, SDL_SCANCODE_0, '0'},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},
      {SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},
      {SDLK_F1, SDL_SCANCODE_F1, VK_F1},
      {SDLK_F3, SDL_SCANCODE_F3, VK_F3},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
      {SDLK_KP_5, SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5},
      {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_RSHIFT},
      {',', SDL_SCANCODE_COMMA, VK_OEM_COMMA},
      {'@', SDL_SCANCODE_LEFTBRACKET, VK_OEM_3},
      {0xE9, SDL_SCANCODE_2, '2'},  // 'é' typed on the 2 key: by position
      {0x2C6, SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},  // a dead key: by position
      {SDLK_UNKNOWN, SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102},
      {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scan), c.vk) << SDL_GetKeyName(c.key);
}

TEST_F(KeyboardMap, EveryKeyCodeMapsToAnSdlKeyAndBack) {
  // Every code a key configuration can name for a key of a keyboard.
  std::vector<int> codes;
  for (int vk = 'A'; vk <= 'Z'; ++vk) codes.push_back(vk);
  for (int vk = '0'; vk <= '9'; ++vk) codes.push_back(vk);
  for (int vk = VK_F1; vk <= VK_F24; ++vk) codes.push_back(vk);
  for (int vk = VK_NUMPAD0; vk <= VK_DIVIDE; ++vk) codes.push_back(vk);
  for (int vk : {VK_BACK, VK_TAB, VK_RETURN, VK_PAUSE, VK_CAPITAL, VK_ESCAPE, VK_SPACE, VK_PRIOR, VK_NEXT, VK_END,
                 VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_SNAPSHOT, VK_INSERT, VK_DELETE, VK_LWIN, VK_RWIN,
                 VK_APPS, VK_NUMLOCK, VK_SCROLL, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU,
                 VK_OEM_1, VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_MINUS, VK_OEM_PERIOD, VK_OEM_2, VK_OEM_3, VK_OEM_4,
                 VK_OEM_5, VK_OEM_6, VK_OEM_7})
    codes.push_back(vk);
  for (int vk : codes) {
    SDL_Keycode key = SdlKeycodeFromVirtualKey(vk);
    ASSERT_NE(key, SDLK_UNKNOWN) << "code " << vk;
    EXPECT_EQ(VirtualKeyFromSdl(key, SDL_GetScancodeFromKey(key)), vk) << "code " << vk << " " << SDL_GetKeyName(key);
  }
  // The side-less modifiers name their left key.
  EXPECT_EQ(SdlKeycodeFromVirtualKey(VK_SHIFT), SDLK_LSHIFT);
  EXPECT_EQ(SdlKeycodeFromVirtualKey(0xFF), SDLK_UNKNOWN);
}

TEST(KeyboardState, Bit15WhileDownAndSidelessModifiers) {
  ResetKeyboardState();
  EXPECT_EQ(GetAsyncKeyState('Z'), 0);
  SetKeyDown('Z', true);
  EXPECT_NE(GetAsyncKeyState('Z') & 0x8000, 0);
  EXPECT_TRUE(GetAsyncKeyState('Z') < 0);

  SetKeyDown(VK_LSHIFT, true);
  SetKeyDown(VK_RSHIFT, true);
  SetKeyDown(VK_LSHIFT, false);
  EXPECT_TRUE(IsKeyDown(VK_SHIFT)) << "right shift still down";
  SetKeyDown(VK_RSHIFT, false);
  EXPECT_FALSE(IsKeyDown(VK_SHIFT));

  for (int bad : {-1, 0, 256, 100000}) {
    SetKeyDown(bad, true);
    EXPECT_EQ(GetAsyncKeyState(bad), 0);
  }
  ResetKeyboardState();
  EXPECT_FALSE(IsKeyDown('Z'));
}

TEST(KeyboardState, ReadWhileWrittenFromAnotherThread) {
  // Run under the thread sanitizer this shows the state needs no lock.
  ResetKeyboardState();
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    long seen = 0;
    while (!stop.load()) seen += IsKeyDown(VK_SPACE);
    (void)seen;
  });
  for (int i = 0; i < 10000; ++i) SetKeyDown(VK_SPACE, i % 2 == 0);
  stop = true;
  reader.join();
  EXPECT_FALSE(IsKeyDown(VK_SPACE));
}

}  // namespace
