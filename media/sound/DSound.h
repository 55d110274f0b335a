#pragma once
// Sound effects: WAV files in sound slots, each with a few buffers over the
// same samples that are played in turn so a sound can overlap itself.
// Every function does nothing (and reports success) until DS_Init.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Containers.h"
#include "platform/Audio.h"

// A sound buffer: one mixer voice.
using DSBUFFER = platform::VoiceId;

// One sound slot. All empty before loading.
struct DSDATA {
  std::string name;               // the WAV path
  std::vector<DSBUFFER> buffers;  // [0] made from the file, the rest its duplicates; empty = not loaded
  int32_t count = 0;
  int32_t next = 0;  // the buffer that plays next
};

// A slot's definition, filled by the application.
struct DSSOUNDDEF {
  std::string path;
  int32_t count = 1;   // buffers, at least 1
  int32_t volume = 0;  // hundredths of a decibel
  int32_t flag = 0;    // the application's own; not read here
};

// The first 18 bytes of a "fmt " chunk.
struct WAVEFORMATEX {
  uint16_t wFormatTag = 0;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;
};

struct WAVEDATA {
  WAVEFORMATEX format;
  std::vector<uint8_t> data;  // the samples as stored, whole frames
};

// Window, rate, bits and channels are those of the primary buffer the caller asks for;
// the mixer runs at the device's own rate and resamples every sound.
// True also without an audio device (then everything is silent).
bool DS_Init(void* window, int samplesPerSec, int bitsPerSample, int channels);
bool DS_IsStarted();
// Remembers both tables and loads every entry not loaded yet, with `volume`
// or, when it is 0, the definition's own volume. Returns 1.
int DS_LoadSounds(cVector<DSDATA>& entries, cVector<DSSOUNDDEF>& defs, int volume);
bool DS_CreateSound(DSDATA& entry, const std::string& path, int count, int volume);
bool DS_CreateBuffer(DSBUFFER* buffer, const std::string& path);
bool DS_DuplicateBuffer(DSBUFFER* buffer, DSBUFFER source);
bool DS_LoadWave(const std::string& path, WAVEDATA& wave);
void DS_FreeWave(WAVEDATA& wave);
// Plays the entry's next buffer from its start and moves on, cyclically.
void DS_Play(DSDATA& entry, uint32_t flags);
// Relative 1 adds the buffer's current volume. Clamped to -10000..0; returns
// the value set (0 without sound or buffer).
int DS_SetVolume(DSDATA& entry, int index, int volume, int relative);
int DS_GetVolume(DSDATA& entry, int index);
// Direction bits 1 left, 2 right, 4 up, 8 down. Axes bit 0 horizontal, bit 1
// vertical; each axis that shows movement plays the entry of the remembered table.
void DS_PlayCursor(uint16_t bits, int axes, int index);
// A new effect volume from the options for every buffer of every loaded
// entry, with the load rule: 0 keeps each definition's own volume.
void DS_SetAllVolumes(int volume);
void DS_ReleaseSound(DSDATA& entry);
void DS_End();
