#include "media/input/Input.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/Keyboard.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "KeyConfig.dat is read as raw little-endian bytes");

KEYCONFIG KeyConfig{};

namespace {

bool KeyDown(int vk) { return platform::IsKeyDown(vk); }

constexpr int kFixedButtonKeys[8] = {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};

int32_t AddFrame(int32_t frames) { return frames == INT32_MAX ? frames : frames + 1; }

}  // namespace

void SetDefaultKeyConfig(KEYCONFIG& config) {
  static constexpr uint16_t kCodes[12] = {37, 39, 38, 40, 90, 88, 67, 86, 65, 83, 68, 70};
  for (int i = 0; i < 12; ++i) {
    config.Keys[i].nDevice = kKeyDeviceKeyboard;
    config.Keys[i].wCode = kCodes[i];
  }
  config.nEntries = 12;
  config.nJoysticks = 1;
  config.bUse = 0;
}

void ClampKeyConfig(KEYCONFIG& config) {
  // The file is not checked by whoever wrote it: the button loop indexes the
  // twelve entries by this count, and the joystick loop a table of 16.
  config.nEntries = std::clamp<int32_t>(config.nEntries, 4, 12);
  config.nJoysticks = std::clamp<int32_t>(config.nJoysticks, 0, platform::kMaxJoysticks);
}

int LoadKeyConfig(const std::string& path, KEYCONFIG& config) {
  FILE* f = platform::OpenFile(path, "rb");
  if (!f) return 0;
  unsigned char bytes[sizeof(KEYCONFIG)];
  size_t n = std::fread(bytes, 1, sizeof bytes, f);
  std::fclose(f);
  // A short file fills only its own length, as before.
  std::memcpy(&config, bytes, n);
  ClampKeyConfig(config);
  return 1;
}

cInput::cInput() {
  ClearHistory();
  m_DirHistory.resize(kDirHistories);
  m_ButtonHistory.resize(kButtonHistories);
  ResetCommandHistory();
}

void cInput::InitButtonMasks() {
  for (int i = 0; i < 8; ++i) m_wButtonMask[i] = static_cast<uint16_t>(1u << i);
}

void cInput::SetRepeat(uint32_t delay, uint32_t interval) {
  m_nRepeatDelay = delay;
  m_nRepeatInterval = interval;
}

bool cInput::JoystickDue() {
  if (!m_bJoyOK && m_nJoyRetry > 0) {
    --m_nJoyRetry;
    return false;
  }
  return true;
}

void cInput::JoystickFailed(int retry) {
  m_bJoyOK = 0;
  m_nJoyRetry = 2 * retry;
}

int cInput::Poll(int joystick, int flags, int retry) {
  if (KeyConfig.bUse) return 0;
  bool joyOwnsDir = false;
  bool joyOwnsButtons = false;
  if (JoystickDue()) {
    platform::JoyState joy;
    if (joystick < 0 || !platform::ReadJoystick(static_cast<unsigned>(joystick), joy)) {
      JoystickFailed(retry);
    } else {
      m_bJoyOK = 1;
      if (flags & 1) {
        int code = 5;
        uint16_t bits = 0;
        if (joy.x <= 10000) {
          bits = DIR_LEFT;
          code = 4;
        } else if (joy.x > 55534) {
          bits = DIR_RIGHT;
          code = 6;
        }
        if (joy.y <= 10000) {
          bits |= DIR_UP;
          code -= 3;
        } else if (joy.y > 55534) {
          bits |= DIR_DOWN;
          code += 3;
        }
        m_wDir = bits;
        m_nDirCode = code;
        joyOwnsDir = code != 5;
        uint16_t buttons = 0;
        for (int i = 0; i < 8; ++i)
          if (joy.buttons & m_wButtonMask[i]) buttons |= static_cast<uint16_t>(1u << i);
        m_wButton = buttons;
        joyOwnsButtons = buttons != 0;
      }
    }
  }
  if (flags & 2) {
    if (!joyOwnsDir) {
      int code = 5;
      uint16_t bits = 0;
      if (KeyDown(platform::VK_LEFT)) bits |= DIR_LEFT, code -= 1;
      if (KeyDown(platform::VK_RIGHT)) bits |= DIR_RIGHT, code += 1;
      if (KeyDown(platform::VK_UP)) bits |= DIR_UP, code -= 3;
      if (KeyDown(platform::VK_DOWN)) bits |= DIR_DOWN, code += 3;
      m_wDir = bits;
      m_nDirCode = code;
    }
    if (!joyOwnsButtons) {
      uint16_t buttons = 0;
      for (int i = 0; i < 8; ++i)
        if (KeyDown(kFixedButtonKeys[i])) buttons |= static_cast<uint16_t>(1u << i);
      m_wButton = buttons;
    }
  }
  return 1;
}

int cInput::PollKeyConfig(int count, int retry) {
  if (!KeyConfig.bUse) return 0;
  KEYCONFIG config = KeyConfig;
  ClampKeyConfig(config);
  platform::JoyState joy[platform::kMaxJoysticks];
  bool joyOK[platform::kMaxJoysticks] = {};
  for (int j = 0; j < config.nJoysticks; ++j) {
    if (!JoystickDue()) continue;
    if (platform::ReadJoystick(static_cast<unsigned>(j), joy[j])) {
      m_bJoyOK = 1;
      joyOK[j] = true;
    } else {
      JoystickFailed(retry);
    }
  }
  auto down = [&](const KEYASSIGN& k) {
    if (k.nDevice == kKeyDeviceKeyboard) return KeyDown(k.wCode);
    // A device that is neither the keyboard nor a polled joystick is never pressed.
    if (k.nDevice < 0 || k.nDevice >= config.nJoysticks || !joyOK[k.nDevice]) return false;
    const platform::JoyState& s = joy[k.nDevice];
    return TestJoyAxis(s, k.wCode) != 0 || (k.wCode & s.buttons) != 0;
  };
  // The count of configuration records is always 1; more records do not exist.
  (void)count;
  int code = 5;
  uint16_t bits = 0;
  if (down(config.Keys[0])) bits |= DIR_LEFT, code -= 1;
  else if (down(config.Keys[1])) bits |= DIR_RIGHT, code += 1;
  if (down(config.Keys[2])) bits |= DIR_UP, code -= 3;
  else if (down(config.Keys[3])) bits |= DIR_DOWN, code += 3;
  uint16_t buttons = 0;
  for (int i = 4; i < config.nEntries; ++i)
    if (down(config.Keys[i])) buttons |= static_cast<uint16_t>(1u << (i - 4));
  m_wDir = bits;
  m_nDirCode = code;
  m_wButton = buttons;
  return 1;
}

int cInput::TestJoyAxis(const platform::JoyState& joy, int code) {
  switch (code) {
    case kJoyAxisLeft: return joy.x <= 10000;
    case kJoyAxisRight: return joy.x > 55534;
    case kJoyAxisUp: return joy.y <= 10000;
    case kJoyAxisDown: return joy.y > 55534;
    default: return 0;
  }
}

int cInput::GetDirection(uint16_t bits) {
  int code = (bits & DIR_LEFT) ? 4 : (bits & DIR_RIGHT) ? 6 : 5;
  if (bits & DIR_UP) code -= 3;
  else if (bits & DIR_DOWN) code += 3;
  return code;
}

void cInput::ClearDirection() {
  m_wDir = 0;
  m_nDirCode = 5;
}

void cInput::ClearButtons() { m_wButton = 0; }

void cInput::ClearHistory() {
  std::memset(m_Rings, 0, sizeof m_Rings);
  m_nRingPos[0] = m_nRingPos[1] = 0;
}

void cInput::UpdateHistory() {
  const uint16_t words[2] = {m_wDir, m_wButton};
  for (int r = 0; r < 2; ++r) {
    sRingRun& newest = m_Rings[r][m_nRingPos[r]];
    if (newest.wState == words[r]) {
      newest.nFrames = AddFrame(newest.nFrames);
    } else {
      m_nRingPos[r] = (m_nRingPos[r] + 1) % kRingSize;
      m_Rings[r][m_nRingPos[r]] = {words[r], 1};
    }
  }
}

uint16_t cInput::GetHistory(int ring, int framesAgo) const {
  if (ring < 0 || ring > 1) return 0;
  int pos = m_nRingPos[ring];
  int64_t remainder = int64_t{framesAgo} + 1;
  // Steps back run by run; after 32 steps without finding the frame it is
  // back at the newest run.
  for (int i = 0; i < kRingSize; ++i) {
    const sRingRun& run = m_Rings[ring][pos];
    if (remainder > run.nFrames) {
      remainder -= run.nFrames;
      pos = (pos + kRingSize - 1) % kRingSize;
    }
  }
  return m_Rings[ring][pos].wState;
}

void cInput::ResetCommandHistory() {
  for (cHistory& h : m_DirHistory) h.assign(kHistoryRuns, sCmdRun{0, 0});
  for (cHistory& h : m_ButtonHistory) h.assign(kHistoryRuns, sCmdRun{0, 0});
}

void cInput::PushCommandHistory(cHistory& history, uint16_t word, uint16_t value, int masked) {
  if (history.size() != kHistoryRuns) history.resize(kHistoryRuns, sCmdRun{0, 0});
  const bool holds = masked == 1 ? (word & value) != 0 : word == value;
  sCmdRun& newest = history.front();
  if (newest.nState == 0 && holds) {
    history.pop_back();
    history.insert(history.begin(), sCmdRun{1, 1});
  } else if (newest.nState == 1 && !holds) {
    history.pop_back();
    history.insert(history.begin(), sCmdRun{0, 1});
  } else {
    newest.nFrames = AddFrame(newest.nFrames);
  }
}

void cInput::UpdateCommandHistory() {
  static constexpr uint16_t kDirValues[9] = {0, 1, 2, 4, 8, 5, 9, 6, 10};
  for (int i = 0; i < 9; ++i) PushCommandHistory(m_DirHistory.At(i), m_wDir, kDirValues[i], 0);
  PushCommandHistory(m_DirHistory.At(9), m_wDir, 15, 1);
  PushCommandHistory(m_ButtonHistory.At(0), m_wButton, 0, 0);
  for (int i = 1; i <= 8; ++i)
    PushCommandHistory(m_ButtonHistory.At(i), m_wButton, static_cast<uint16_t>(1u << (i - 1)), 1);
}

void cInput::ApplyRepeat() {
  m_wDirTrail = static_cast<uint16_t>((m_wDirTrail << 4) | m_wDir);
  // An interval of 0 would divide by zero; it repeats on every call instead.
  const uint32_t interval = m_nRepeatInterval ? m_nRepeatInterval : 1;
  auto axis = [&](uint16_t mask, uint32_t& counter) {
    if (((m_wDirTrail >> 4) & mask) == (m_wDirTrail & mask)) {
      ++counter;
      if (!(counter >= m_nRepeatDelay && counter % interval == 0)) m_wDir &= static_cast<uint16_t>(~mask);
    } else {
      counter = 0;
    }
  };
  axis(DIR_LEFT | DIR_RIGHT, m_nRepeatH);
  axis(DIR_UP | DIR_DOWN, m_nRepeatV);
}

void cInput::Trigger(uint16_t mask) {
  if (mask == 0) mask = 0xFF;
  const bool anyDownOnEntry = (m_wButton & mask) != 0;
  for (int n = 0; n < 8; ++n) {
    const uint16_t bit = static_cast<uint16_t>(1u << n);
    if (!(mask & bit)) continue;
    const bool latchAtStart = m_bTriggerLatch != 0;
    if (latchAtStart && (m_wButton & bit)) m_wButton &= static_cast<uint16_t>(~bit);
    if ((m_wButton & bit) && !latchAtStart) {
      m_bTriggerLatch = 1;
      return;
    }
  }
  if (anyDownOnEntry) m_wButton &= static_cast<uint16_t>(~mask);
  else m_bTriggerLatch = 0;
}
