#include "platform/Joystick.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <mutex>

#include <cstdio>

namespace platform {
namespace {

// One slot per joystick number. The state is packed into one word so that a
// reader on another thread never sees X of one poll with Y of another.
struct Slot {
  SDL_Joystick* device = nullptr;  // main thread only
  std::atomic<bool> present{false};
  std::atomic<uint64_t> packed{0};
};
std::array<Slot, kMaxJoysticks> g_slots;

std::mutex g_readerMutex;
JoystickReader g_reader;

uint64_t Pack(const JoyState& s) {
  return (uint64_t{s.buttons} << 32) | (uint64_t{s.y & 0xFFFFu} << 16) | (s.x & 0xFFFFu);
}

JoyState Unpack(uint64_t v) {
  JoyState s;
  s.x = static_cast<uint32_t>(v & 0xFFFF);
  s.y = static_cast<uint32_t>((v >> 16) & 0xFFFF);
  s.buttons = static_cast<uint32_t>(v >> 32);
  return s;
}

JoyState ReadDevice(SDL_Joystick* j) {
  JoyState s;
  if (SDL_JoystickNumAxes(j) > 0) s.x = JoyAxisFromSdl(SDL_JoystickGetAxis(j, 0));
  if (SDL_JoystickNumAxes(j) > 1) s.y = JoyAxisFromSdl(SDL_JoystickGetAxis(j, 1));
  int n = SDL_JoystickNumButtons(j);
  if (n > 32) n = 32;
  for (int i = 0; i < n; ++i)
    if (SDL_JoystickGetButton(j, i)) s.buttons |= 1u << i;
  return s;
}

}  // namespace

bool ReadJoystick(unsigned index, JoyState& state) {
  {
    std::lock_guard<std::mutex> lock(g_readerMutex);
    if (g_reader) return g_reader(index, state);
  }
  if (index >= static_cast<unsigned>(kMaxJoysticks)) return false;
  const Slot& slot = g_slots[index];
  if (!slot.present.load(std::memory_order_acquire)) return false;
  state = Unpack(slot.packed.load(std::memory_order_relaxed));
  return true;
}

void SetJoystickReader(JoystickReader reader) {
  std::lock_guard<std::mutex> lock(g_readerMutex);
  g_reader = std::move(reader);
}

void OpenJoystickDevice(int sdlDeviceIndex) {
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(sdlDeviceIndex);
  for (const Slot& s : g_slots)
    if (s.device && SDL_JoystickInstanceID(s.device) == id) return;  // already open
  for (Slot& s : g_slots) {
    if (s.device) continue;
    s.device = SDL_JoystickOpen(sdlDeviceIndex);
    if (!s.device) {
      std::fprintf(stderr, "Joystick : %s\n", SDL_GetError());
      return;
    }
    s.packed.store(Pack(ReadDevice(s.device)), std::memory_order_relaxed);
    s.present.store(true, std::memory_order_release);
    return;
  }
}

void CloseJoystickInstance(int32_t sdlInstanceId) {
  for (Slot& s : g_slots) {
    if (s.device && SDL_JoystickInstanceID(s.device) == sdlInstanceId) {
      s.present.store(false, std::memory_order_release);
      SDL_JoystickClose(s.device);
      s.device = nullptr;
    }
  }
}

void PollJoysticks() {
  for (Slot& s : g_slots) {
    if (!s.device) continue;
    if (!SDL_JoystickGetAttached(s.device)) {
      s.present.store(false, std::memory_order_release);
      continue;
    }
    s.packed.store(Pack(ReadDevice(s.device)), std::memory_order_relaxed);
    s.present.store(true, std::memory_order_release);
  }
}

void CloseAllJoysticks() {
  for (Slot& s : g_slots) {
    s.present.store(false, std::memory_order_release);
    if (s.device) SDL_JoystickClose(s.device);
    s.device = nullptr;
  }
}

}  // namespace platform
