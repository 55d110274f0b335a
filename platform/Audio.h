#pragma once
// The audio device and our own mixer. One SDL device, stereo at the system's
// rate; every voice and stream is resampled into it. All mixer state sits
// under one lock, which the device callback takes too, so any thread may
// start, stop or change a voice.
//
// Without a device the mixer still exists and accepts everything; it is
// simply never pulled, so the program runs silently.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Starts the audio system (reference counted). True when a device is open;
// false when there is none (see AudioError) -- the mixer works all the same.
bool AudioStart();
// Ends one AudioStart; the last one closes the device and drops every voice.
void AudioStop();
bool AudioIsStarted();
bool AudioHasDevice();
// Why the device could not be opened (empty when it could).
std::string AudioError();
// Output rate of the mixer in frames per second.
int AudioSampleRate();

// Tests and benchmarks: the next AudioStart opens no device and mixes at
// `rate`; frames are pulled with AudioRender. 0 switches back to the device.
void AudioSetHeadless(int rate);
bool AudioIsHeadless();
// Mixes `frames` stereo frames (interleaved, floats in -1..1 before clipping)
// exactly as the device callback does.
void AudioRender(float* out, int frames);

// The mixer's lock, for callers that must change several things at once
// (for example a sequencer's state read by its Mix).
std::unique_lock<std::recursive_mutex> AudioLock();

// Gain of a volume in hundredths of a decibel (DirectSound's scale):
// 10^(v/2000), with -10000 and below exactly silent, 0 and above 1.
float VolumeToGain(int hundredthsDb);

// ---- Voices: in-memory PCM played from the start, optionally looping. ----

// Samples already converted to floats, frames interleaved (1 or 2 channels).
struct PcmData {
  int rate = 0;
  int channels = 1;
  std::vector<float> samples;
  size_t Frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

using VoiceId = uint32_t;  // 0 = none
// Invalid data (no frames, bad rate or channel count) gives 0.
VoiceId CreateVoice(std::shared_ptr<const PcmData> data);
// A second voice over the same samples with the same volume and pan.
VoiceId DuplicateVoice(VoiceId source);
void DestroyVoice(VoiceId voice);
// Plays from the first frame (a playing voice restarts).
void VoicePlay(VoiceId voice, bool loop = false);
void VoiceStop(VoiceId voice);
bool VoiceIsPlaying(VoiceId voice);
// Play position in source frames.
size_t VoicePosition(VoiceId voice);
// Volume and pan in hundredths of a decibel: volume -10000..0; pan -10000
// (left only) .. 10000 (right only), attenuating the other side.
void VoiceSetVolume(VoiceId voice, int hundredthsDb);
int VoiceGetVolume(VoiceId voice);
void VoiceSetPan(VoiceId voice, int pan);
size_t VoiceCount();

// ---- Streams: anything else that renders into the mix. ----

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Adds `frames` stereo frames into `out` at AudioSampleRate(). Called with
  // the mixer lock held, on the device thread or from AudioRender.
  virtual void Mix(float* out, int frames) = 0;
};
// The source must stay alive until RemoveSource returns; after that the
// mixer no longer calls it.
void AddSource(AudioSource* source);
void RemoveSource(AudioSource* source);

}  // namespace platform
