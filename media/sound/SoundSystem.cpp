#include "media/sound/SoundSystem.h"

#include <atomic>
#include <string>

#include "base/Log.h"
#include "platform/Audio.h"

namespace sound {

bool StartAudio() {
  if (platform::AudioStart()) return true;
  static std::atomic<bool> logged{false};
  if (!platform::AudioIsHeadless() && !logged.exchange(true))
    WriteLog("Sound : no audio device, playing silently (%s)", platform::AudioError().c_str());
  return false;
}

void StopAudio() { platform::AudioStop(); }

bool PathExtension(const std::string& path, std::string& ext) {
  size_t dot = path.rfind('.');  // a trail byte of code page 932 is never '.'
  if (dot == std::string::npos) return false;
  ext = path.substr(dot + 1);
  return true;
}

}  // namespace sound
