#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/Audio.h"
#include "platform/AudioSynth.h"

namespace platform {
namespace {

constexpr int kFallbackRate = 48000;
constexpr int kMaxRate = 384000;
constexpr int kBlockFrames = 1024;

struct Voice {
  std::shared_ptr<const PcmData> data;
  uint64_t pos = 0;   // source frames, 32.32 fixed point
  uint64_t step = 0;  // source frames per output frame, 32.32
  int volume = 0;
  int pan = 0;
  float gainL = 1.0f;
  float gainR = 1.0f;
  bool playing = false;
  bool loop = false;
};

struct Mixer {
  std::recursive_mutex lock;
  int starts = 0;
  bool device = false;
  SDL_AudioDeviceID deviceId = 0;
  bool subsystem = false;  // SDL's audio is up, with or without a device
  std::string error;
  int rate = kFallbackRate;
  int headlessRate = 0;
  uint32_t nextId = 1;
  std::map<VoiceId, Voice> voices;  // ordered: the mix order never depends on addresses
  std::vector<AudioSource*> sources;
  std::vector<float> scratch;
};

Mixer& M() {
  static Mixer* mixer = new Mixer;  // outlives static destructors that may still stop sounds
  return *mixer;
}

uint64_t StepFor(int sourceRate, int outRate) {
  return (static_cast<uint64_t>(sourceRate) << 32) / static_cast<uint64_t>(outRate);
}

void UpdateGains(Voice& v) {
  float g = VolumeToGain(v.volume);
  v.gainL = g * (v.pan > 0 ? VolumeToGain(-v.pan) : 1.0f);
  v.gainR = g * (v.pan < 0 ? VolumeToGain(v.pan) : 1.0f);
}

// Linear interpolation between neighbouring source frames; equal rates copy exactly.
void MixVoice(Voice& v, float* out, int frames) {
  const PcmData& d = *v.data;
  const float* s = d.samples.data();
  const uint64_t n = d.Frames();
  const bool stereo = d.channels == 2;
  for (int i = 0; i < frames; ++i) {
    uint64_t idx = v.pos >> 32;
    if (idx >= n) {
      if (!v.loop) {
        v.playing = false;
        return;
      }
      v.pos -= n << 32;
      idx = v.pos >> 32;
    }
    float frac = static_cast<float>(v.pos & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
    uint64_t nx = idx + 1 < n ? idx + 1 : (v.loop ? 0 : idx);
    float l, r;
    if (stereo) {
      l = s[idx * 2] + (s[nx * 2] - s[idx * 2]) * frac;
      r = s[idx * 2 + 1] + (s[nx * 2 + 1] - s[idx * 2 + 1]) * frac;
    } else {
      l = r = s[idx] + (s[nx] - s[idx]) * frac;
    }
    out[i * 2] += l * v.gainL;
    out[i * 2 + 1] += r * v.gainR;
    v.pos += v.step;
  }
}

void MixLocked(Mixer& m, float* out, int frames) {
  std::fill(out, out + frames * 2, 0.0f);
  for (auto& [id, v] : m.voices)
    if (v.playing) MixVoice(v, out, frames);
  for (AudioSource* src : m.sources) src->Mix(out, frames);
}

void SDLCALL DeviceCallback(void*, Uint8* stream, int len) {
  Mixer& m = M();
  auto* out = reinterpret_cast<int16_t*>(stream);
  int total = len / static_cast<int>(sizeof(int16_t) * 2);
  std::lock_guard<std::recursive_mutex> guard(m.lock);
  m.scratch.resize(static_cast<size_t>(kBlockFrames) * 2);
  while (total > 0) {
    int n = std::min(total, kBlockFrames);
    MixLocked(m, m.scratch.data(), n);
    for (int i = 0; i < n * 2; ++i) {
      float x = std::clamp(m.scratch[static_cast<size_t>(i)], -1.0f, 1.0f);
      out[i] = static_cast<int16_t>(std::lrint(x * 32767.0f));
    }
    out += n * 2;
    total -= n;
  }
}

int SystemRate() {
#if SDL_VERSION_ATLEAST(2, 24, 0)
  SDL_AudioSpec spec{};
  if (SDL_GetDefaultAudioInfo(nullptr, &spec, 0) == 0 && spec.freq > 0 && spec.freq <= kMaxRate) return spec.freq;
#endif
  return kFallbackRate;
}

// Called with the lock held.
bool OpenDevice(Mixer& m) {
  if (!m.subsystem) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      m.error = SDL_GetError();
      return false;
    }
    m.subsystem = true;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = SystemRate();
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = DeviceCallback;
  m.deviceId = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (m.deviceId == 0 || have.freq <= 0 || have.freq > kMaxRate) {
    m.error = SDL_GetError();
    if (m.deviceId) SDL_CloseAudioDevice(m.deviceId);
    m.deviceId = 0;
    // SDL's audio stays up until the last stop: quitting it now would wait
    // for the driver's device-watching thread (up to a tenth of a second),
    // and start-up with it.
    return false;
  }
  m.rate = have.freq;
  return true;
}

Voice* Find(Mixer& m, VoiceId id) {
  auto it = m.voices.find(id);
  return it == m.voices.end() ? nullptr : &it->second;
}

}  // namespace

float VolumeToGain(int hundredthsDb) {
  if (hundredthsDb <= -10000) return 0.0f;
  if (hundredthsDb >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

std::unique_lock<std::recursive_mutex> AudioLock() { return std::unique_lock<std::recursive_mutex>(M().lock); }

bool AudioStart() {
  Mixer& m = M();
  std::unique_lock<std::recursive_mutex> guard(m.lock);
  if (m.starts++ > 0) return m.device;
  m.error.clear();
  m.device = false;
  if (m.headlessRate > 0) {
    m.rate = m.headlessRate;
    return false;
  }
  m.rate = kFallbackRate;
  m.device = OpenDevice(m);
  if (!m.device) return false;
  SDL_AudioDeviceID id = m.deviceId;
  guard.unlock();  // the first callback may run at once
  SDL_PauseAudioDevice(id, 0);
  return true;
}

void AudioStop() {
  Mixer& m = M();
  SDL_AudioDeviceID id = 0;
  bool subsystem = false;
  {
    std::lock_guard<std::recursive_mutex> guard(m.lock);
    if (m.starts == 0) return;
    if (--m.starts > 0) return;
    id = m.deviceId;
    m.deviceId = 0;
    m.device = false;
    subsystem = m.subsystem;
    m.subsystem = false;
  }
  WaitMidiSynthLoad();  // nothing keeps building after the last user is gone
  // Voices and sources belong to their owners, who release them.
  if (id) SDL_CloseAudioDevice(id);  // waits for a running callback, so never under our lock
  if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioIsStarted() {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  return M().starts > 0;
}

bool AudioHasDevice() {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  return M().device;
}

std::string AudioError() {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  return M().error;
}

int AudioSampleRate() {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  return M().rate;
}

void AudioSetHeadless(int rate) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  M().headlessRate = rate > 0 && rate <= kMaxRate ? rate : 0;
}

bool AudioIsHeadless() {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  return M().headlessRate > 0;
}

void AudioRender(float* out, int frames) {
  Mixer& m = M();
  std::lock_guard<std::recursive_mutex> guard(m.lock);
  while (frames > 0) {
    int n = std::min(frames, kBlockFrames);
    MixLocked(m, out, n);
    out += n * 2;
    frames -= n;
  }
}

VoiceId CreateVoice(std::shared_ptr<const PcmData> data) {
  if (!data || data->rate <= 0 || data->rate > kMaxRate || (data->channels != 1 && data->channels != 2) ||
      data->Frames() == 0)
    return 0;
  Mixer& m = M();
  std::lock_guard<std::recursive_mutex> guard(m.lock);
  VoiceId id = m.nextId++;
  Voice& v = m.voices[id];
  v.step = StepFor(data->rate, m.rate);
  v.data = std::move(data);
  return id;
}

VoiceId DuplicateVoice(VoiceId source) {
  Mixer& m = M();
  std::lock_guard<std::recursive_mutex> guard(m.lock);
  Voice* src = Find(m, source);
  if (!src) return 0;
  Voice copy = *src;
  copy.pos = 0;
  copy.playing = false;
  copy.loop = false;
  VoiceId id = m.nextId++;
  m.voices[id] = std::move(copy);
  return id;
}

void DestroyVoice(VoiceId voice) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  M().voices.erase(voice);
}

void VoicePlay(VoiceId voice, bool loop) {
  Mixer& m = M();
  std::lock_guard<std::recursive_mutex> guard(m.lock);
  if (Voice* v = Find(m, voice)) {
    v->step = StepFor(v->data->rate, m.rate);  // the device rate may differ from the one at creation
    v->pos = 0;
    v->loop = loop;
    v->playing = true;
  }
}

void VoiceStop(VoiceId voice) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  if (Voice* v = Find(M(), voice)) v->playing = false;
}

bool VoiceIsPlaying(VoiceId voice) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  Voice* v = Find(M(), voice);
  return v && v->playing;
}

size_t VoicePosition(VoiceId voice) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  Voice* v = Find(M(), voice);
  return v ? static_cast<size_t>(v->pos >> 32) : 0;
}

void VoiceSetVolume(VoiceId voice, int hundredthsDb) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  if (Voice* v = Find(M(), voice)) {
    v->volume = std::clamp(hundredthsDb, -10000, 0);
    UpdateGains(*v);
  }
}

int VoiceGetVolume(VoiceId voice) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  Voice* v = Find(M(), voice);
  return v ? v->volume : 0;
}

void VoiceSetPan(VoiceId voice, int pan) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  if (Voice* v = Find(M(), voice)) {
    v->pan = std::clamp(pan, -10000, 10000);
    UpdateGains(*v);
  }
}

size_t VoiceCount() {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  return M().voices.size();
}

void AddSource(AudioSource* source) {
  if (!source) return;
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  auto& s = M().sources;
  if (std::find(s.begin(), s.end(), source) == s.end()) s.push_back(source);
}

void RemoveSource(AudioSource* source) {
  std::lock_guard<std::recursive_mutex> guard(M().lock);
  auto& s = M().sources;
  s.erase(std::remove(s.begin(), s.end(), source), s.end());
}

}  // namespace platform
