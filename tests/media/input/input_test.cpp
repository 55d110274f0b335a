// ctest-label: input
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "media/input/Input.h"
#include "platform/FileSystem.h"
#include "platform/Joystick.h"
#include "platform/Keyboard.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::JoyState;

// A fake keyboard and joystick 0 for the length of a test.
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetKeyboardState();
    SetDefaultKeyConfig(KeyConfig);
    platform::SetJoystickReader([this](unsigned index, JoyState& s) {
      ++reads;
      if (index >= joys.size() || !joys[index].present) return false;
      s = joys[index].state;
      return true;
    });
    input.InitButtonMasks();
    input.SetRepeat(18, 6);
  }
  void TearDown() override {
    platform::SetJoystickReader(nullptr);
    platform::ResetKeyboardState();
    SetDefaultKeyConfig(KeyConfig);
  }
  void Keys(std::initializer_list<int> down) {
    platform::ResetKeyboardState();
    for (int vk : down) platform::SetKeyDown(vk, true);
  }
  void Joy(uint32_t x, uint32_t y, uint32_t buttons = 0, unsigned index = 0) {
    if (joys.size() <= index) joys.resize(index + 1);
    joys[index] = {true, {x, y, buttons}};
  }

  struct Fake {
    bool present = false;
    JoyState state;
  };
  std::vector<Fake> joys;
  int reads = 0;
  cInput input;
};

struct FixedCase {
  const char* name;
  bool joystick;
  uint32_t x, y, joyButtons;
  std::initializer_list<int> keys;
  uint16_t dir;
  int code;
  uint16_t buttons;
};

TEST_F(InputTest, FixedMappingTable) {
  using namespace platform;
  const FixedCase cases[] = {
      {"keyboard left+right", false, 0, 0, 0, {VK_LEFT, VK_RIGHT}, 3, 5, 0},
      {"keyboard up+left", false, 0, 0, 0, {VK_UP, VK_LEFT}, 5, 1, 0},
      {"keyboard up+down+right", false, 0, 0, 0, {VK_UP, VK_DOWN, VK_RIGHT}, 14, 6, 0},
      {"X 10000 is left", true, 10000, 32768, 0, {}, 1, 4, 0},
      {"X 10001 is neutral", true, 10001, 32768, 0, {}, 0, 5, 0},
      {"X 55534 is neutral", true, 55534, 32768, 0, {}, 0, 5, 0},
      {"X 55535 is right", true, 55535, 32768, 0, {}, 2, 6, 0},
      {"Y 10000 is up", true, 32768, 10000, 0, {}, 4, 2, 0},
      {"Y 55535 is down", true, 32768, 55535, 0, {}, 8, 8, 0},
      {"joystick down-left", true, 0, 65535, 0, {}, 9, 7, 0},
      {"joystick owns the direction", true, 0, 32768, 0, {VK_RIGHT, VK_DOWN}, 1, 4, 0},
      {"neutral joystick leaves it to the keys", true, 32768, 32768, 0, {VK_RIGHT}, 2, 6, 0},
      {"keyboard buttons Z..F", false, 0, 0, 0, {'Z', 'C', 'F'}, 0, 5, 1 | 4 | 128},
      {"joystick owns the buttons", true, 32768, 32768, 2 | 8, {'Z'}, 0, 5, 2 | 8},
      {"joystick buttons 8+ are not mapped", true, 32768, 32768, 0x100, {'X'}, 0, 5, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    joys.clear();
    if (c.joystick) Joy(c.x, c.y, c.joyButtons);
    Keys(c.keys);
    cInput in;
    in.InitButtonMasks();
    ASSERT_EQ(in.Poll(0, 3, 60), 1);
    EXPECT_EQ(in.m_wDir, c.dir);
    EXPECT_EQ(in.m_nDirCode, c.code);
    EXPECT_EQ(in.m_wButton, c.buttons);
  }
}

TEST_F(InputTest, ConfiguredMappingLeftAndUpWinAndJoystickEntriesCount) {
  using namespace platform;
  KeyConfig.bUse = 1;
  EXPECT_EQ(input.Poll(0, 3, 60), 0) << "the fixed mapping steps aside";

  Keys({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN});
  ASSERT_EQ(input.PollKeyConfig(1, 60), 1);
  EXPECT_EQ(input.m_wDir, 1 | 4);
  EXPECT_EQ(input.m_nDirCode, 1);

  Keys({VK_LEFT, VK_RIGHT});
  input.PollKeyConfig(1, 60);
  EXPECT_EQ(input.m_wDir, 1);
  EXPECT_EQ(input.m_nDirCode, 4);

  // Right on joystick 1's axis, button 2 on its button 5, button 3 on key 'Q'.
  KeyConfig.nJoysticks = 2;
  KeyConfig.Keys[1] = {1, kJoyAxisRight, {}};
  KeyConfig.Keys[5] = {1, 1 << 5, {}};
  KeyConfig.Keys[6] = {kKeyDeviceKeyboard, 'Q', {}};
  KeyConfig.nEntries = 7;
  Joy(32768, 32768, 0, 0);
  Joy(55535, 32768, 1 << 5, 1);
  Keys({'Q', 'A'});  // 'A' is button 5, beyond the entry count
  input.m_nJoyRetry = 0;  // joystick 0 failed above, while it was unplugged
  input.PollKeyConfig(1, 60);
  EXPECT_EQ(input.m_wDir, 2);
  EXPECT_EQ(input.m_nDirCode, 6);
  EXPECT_EQ(input.m_wButton, 2 | 4);

  KeyConfig.bUse = 0;
  EXPECT_EQ(input.PollKeyConfig(1, 60), 0);
}

TEST_F(InputTest, JoystickAxisCodes) {
  struct {
    uint32_t x, y;
    int code, expected;
  } const cases[] = {
      {10000, 32768, kJoyAxisLeft, 1},  {10001, 32768, kJoyAxisLeft, 0},   {55534, 32768, kJoyAxisRight, 0},
      {55535, 32768, kJoyAxisRight, 1}, {32768, 10000, kJoyAxisUp, 1},     {32768, 55535, kJoyAxisDown, 1},
      {32768, 55534, kJoyAxisDown, 0},  {0, 0, kJoyAxisLeft | kJoyAxisUp, 0}, {0, 0, 1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(cInput::TestJoyAxis({c.x, c.y, 0}, c.code), c.expected) << c.x << "," << c.y;
  // SDL's range maps onto 0..65535 exactly.
  EXPECT_EQ(platform::JoyAxisFromSdl(-32768), 0u);
  EXPECT_EQ(platform::JoyAxisFromSdl(0), 32768u);
  EXPECT_EQ(platform::JoyAxisFromSdl(32767), 65535u);
}

TEST_F(InputTest, FailedJoystickIsPolledAgainOnThe121stCallAfter) {
  // No joystick: the first call fails and the keyboard decides.
  Keys({platform::VK_RIGHT});
  input.Poll(0, 3, 60);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(input.m_wDir, 2);
  Joy(0, 32768);
  for (int after = 1; after <= 120; ++after) input.Poll(0, 3, 60);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(input.m_wDir, 2) << "the keyboard takes over while the joystick rests";
  input.Poll(0, 3, 60);
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(input.m_wDir, 1);
  input.Poll(0, 3, 60);
  EXPECT_EQ(reads, 3) << "a good joystick is polled every call";
}

TEST_F(InputTest, CommandHistoryRuns) {
  input.ResetCommandHistory();
  input.m_wButton = 1;
  for (int i = 0; i < 40; ++i) input.UpdateCommandHistory();
  const auto& b1 = input.m_ButtonHistory.At(1);
  ASSERT_EQ(b1.size(), 32u);
  EXPECT_EQ(b1[0], (cInput::sCmdRun{1, 40}));
  EXPECT_EQ(b1[1], (cInput::sCmdRun{0, 0}));
  EXPECT_EQ(input.m_ButtonHistory.At(0)[0], (cInput::sCmdRun{0, 40})) << "no-button history did not hold";

  input.m_wButton = 0;
  input.UpdateCommandHistory();
  EXPECT_EQ(b1[0], (cInput::sCmdRun{0, 1}));
  EXPECT_EQ(b1[1], (cInput::sCmdRun{1, 40}));
  EXPECT_EQ(input.m_ButtonHistory.At(0)[0], (cInput::sCmdRun{1, 1}));

  // Direction histories: exact words, and history 9 for any direction.
  input.ResetCommandHistory();
  input.m_wDir = 1 | 4;
  input.UpdateCommandHistory();
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(input.m_DirHistory.At(i)[0].nState, (i == 5 || i == 9) ? 1 : 0) << "direction history " << i;

  // Thirty-three toggles keep exactly 32 runs; frame counts saturate.
  for (int i = 0; i < 33; ++i) cInput::PushCommandHistory(input.m_ButtonHistory.At(2), i % 2 ? 0 : 2, 2, 1);
  EXPECT_EQ(input.m_ButtonHistory.At(2).size(), 32u);
  cInput::cHistory h(32, {1, INT_MAX - 1});
  cInput::PushCommandHistory(h, 1, 1, 1);
  cInput::PushCommandHistory(h, 1, 1, 1);
  EXPECT_EQ(h[0].nFrames, INT_MAX);
}

TEST_F(InputTest, RawRingsAndGetHistory) {
  input.ClearHistory();
  // Direction 0 for 3 calls, 2 for 2 calls, 8 for 1 call.
  for (uint16_t w : {0, 0, 0, 2, 2, 8}) {
    input.m_wDir = w;
    input.UpdateHistory();
  }
  const uint16_t expected[] = {8, 2, 2, 0, 0, 0};
  for (int n = 0; n < 6; ++n) EXPECT_EQ(input.GetHistory(0, n), expected[n]) << n;

  // Further back than all runs hold: the walk wraps to the newest run.
  EXPECT_EQ(input.GetHistory(0, 1000), 8);

  // After clearing with a button held, one call back is the held word.
  input.m_wButton = 4;
  input.ClearHistory();
  input.UpdateHistory();
  EXPECT_EQ(input.GetHistory(1, 0), 4);
  EXPECT_EQ(input.GetHistory(1, 1), 4);

  // 40 changes overwrite the oldest runs of the 32-run ring.
  input.ClearHistory();
  for (int i = 1; i <= 40; ++i) {
    input.m_wButton = static_cast<uint16_t>(i);
    input.UpdateHistory();
  }
  EXPECT_EQ(input.GetHistory(1, 0), 40);
  EXPECT_EQ(input.GetHistory(1, 31), 9);
  EXPECT_EQ(input.m_nRingPos[1], 40 % 32);

  input.m_Rings[0][input.m_nRingPos[0]].nFrames = INT_MAX;
  input.UpdateHistory();
  EXPECT_EQ(input.m_Rings[0][input.m_nRingPos[0]].nFrames, INT_MAX);
}

TEST_F(InputTest, ApplyRepeatPassesOnDelayThenEveryInterval) {
  std::vector<int> passed;
  for (int call = 0; call < 40; ++call) {
    input.m_wDir = cInput::DIR_RIGHT | cInput::DIR_UP;
    input.ApplyRepeat();
    if (input.m_wDir & cInput::DIR_RIGHT) passed.push_back(call);
    EXPECT_EQ(input.m_wDir & cInput::DIR_RIGHT ? 1 : 0, input.m_wDir & cInput::DIR_UP ? 1 : 0);
  }
  EXPECT_EQ(passed, (std::vector<int>{0, 18, 24, 30, 36}));

  // A change of direction passes at once.
  input.m_wDir = cInput::DIR_LEFT;
  input.ApplyRepeat();
  EXPECT_EQ(input.m_wDir, cInput::DIR_LEFT);

  // A zero interval repeats every call after the delay instead of dividing by zero.
  cInput in;
  in.SetRepeat(2, 0);
  int count = 0;
  for (int call = 0; call < 5; ++call) {
    in.m_wDir = cInput::DIR_DOWN;
    in.ApplyRepeat();
    count += in.m_wDir != 0;
  }
  EXPECT_EQ(count, 4);  // calls 0, 2, 3, 4
}

TEST_F(InputTest, TriggerReportsOncePerPress) {
  auto step = [&](uint16_t held, uint16_t mask) {
    input.m_wButton = held;
    input.Trigger(mask);
    return input.m_wButton;
  };
  EXPECT_EQ(step(1, 3), 1);
  EXPECT_EQ(step(1, 3), 0);
  EXPECT_EQ(step(1, 3), 0);
  EXPECT_EQ(step(1 | 2, 3), 0) << "button 2 joins while 1 is held";
  EXPECT_EQ(step(2, 3), 0);
  EXPECT_EQ(step(0, 3), 0);
  EXPECT_EQ(step(2, 3), 2) << "reported again after all were up for one call";
  EXPECT_EQ(step(0, 3), 0);
  // The first report carries every button down; unmasked buttons pass through.
  EXPECT_EQ(step(1 | 4, 0), 1 | 4);
  EXPECT_EQ(step(0, 0), 0);
  EXPECT_EQ(step(4, 3), 4);
  EXPECT_EQ(step(4, 3), 4);
}

std::vector<unsigned char> DefaultKeyConfigBytes() {
  std::vector<unsigned char> b;
  for (int code : {37, 39, 38, 40, 90, 88, 67, 86, 65, 83, 68, 70}) {
    b.insert(b.end(), {8, 0, 0, 0, static_cast<unsigned char>(code), 0, 0, 0});
  }
  b.insert(b.end(), {12, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

class KeyConfigFile : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
  }
  void TearDown() override {
    InputTest::TearDown();
  }
  void Write(const std::vector<unsigned char>& bytes) {
    testsupport::WriteFileBytes(dir.path() / "user_data" / "KeyConfig.dat", bytes);
  }
  testsupport::ProjectFolder dir{"user_data"};
};

TEST_F(KeyConfigFile, DefaultsAreThe108ByteFile) {
  KEYCONFIG k{};
  SetDefaultKeyConfig(k);
  std::vector<unsigned char> bytes(sizeof k);
  std::memcpy(bytes.data(), &k, sizeof k);
  EXPECT_EQ(bytes, DefaultKeyConfigBytes());

  Write(DefaultKeyConfigBytes());
  KEYCONFIG loaded{};
  ASSERT_EQ(LoadKeyConfig("user_data\\KeyConfig.dat", loaded), 1);
  EXPECT_EQ(std::memcmp(&loaded, &k, sizeof k), 0);
}

TEST_F(KeyConfigFile, MissingFileLeavesTheRecordForTheDefaults) {
  KEYCONFIG k{};
  k.nEntries = 99;
  EXPECT_EQ(LoadKeyConfig("user_data\\KeyConfig.dat", k), 0);
  EXPECT_EQ(k.nEntries, 99);
}

TEST_F(KeyConfigFile, ShortFileFillsItsLengthOnly) {
  auto bytes = DefaultKeyConfigBytes();
  bytes[0] = 0;  // left on joystick 0
  bytes.resize(10);
  Write(bytes);
  KEYCONFIG k{};
  SetDefaultKeyConfig(k);
  k.bUse = 1;
  ASSERT_EQ(LoadKeyConfig("user_data\\KeyConfig.dat", k), 1);
  EXPECT_EQ(k.Keys[0].nDevice, 0);
  EXPECT_EQ(k.Keys[1].wCode, 39);
  EXPECT_EQ(k.bUse, 1);
}

TEST_F(KeyConfigFile, HostileCountsAndDevicesAreHarmless) {
  struct {
    int32_t entries, joysticks, wantEntries, wantJoysticks;
    int32_t device;
  } const cases[] = {
      {INT_MAX, INT_MAX, 12, 16, INT_MAX}, {INT_MIN, INT_MIN, 4, 0, INT_MIN}, {-1, -1, 4, 0, -1},
      {13, 17, 12, 16, 16},                {3, 0, 4, 0, 0},                   {12, 2, 12, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entries);
    auto bytes = DefaultKeyConfigBytes();
    for (int i = 0; i < 12; ++i) std::memcpy(&bytes[static_cast<size_t>(i) * 8], &c.device, 4);
    std::memcpy(&bytes[96], &c.entries, 4);
    std::memcpy(&bytes[100], &c.joysticks, 4);
    const int32_t use = 1;
    std::memcpy(&bytes[104], &use, 4);
    Write(bytes);
    ASSERT_EQ(LoadKeyConfig("user_data\\KeyConfig.dat", KeyConfig), 1);
    EXPECT_EQ(KeyConfig.nEntries, c.wantEntries);
    EXPECT_EQ(KeyConfig.nJoysticks, c.wantJoysticks);
    // Every key and joystick down: nothing on an unknown device counts.
    joys.assign(16, {true, {0, 0, 0xFFFFFFFFu}});
    for (int vk = 1; vk < 256; ++vk) platform::SetKeyDown(vk, true);
    cInput in;
    in.InitButtonMasks();
    ASSERT_EQ(in.PollKeyConfig(1, 60), 1);
    EXPECT_EQ(in.m_wDir, 0);
    EXPECT_EQ(in.m_nDirCode, 5);
    EXPECT_EQ(in.m_wButton, 0);
  }
}

}  // namespace
