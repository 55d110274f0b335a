#pragma once
// Background music from a table of numbered tunes, each with an Ogg path and
// a MIDI path; the tune's kind (from its extension) picks the player. One Ogg
// player and one MIDI stream per channel; the game uses one channel.
#include <string>

#include "base/Containers.h"
#include "media/sound/MidiStream.h"
#include "media/sound/Vox.h"

class cBgmManager {
 public:
  enum { kEither = 0, kOgg = 1, kMidi = 2 };

  cBgmManager() = default;
  ~cBgmManager() { Release(); }
  cBgmManager(const cBgmManager&) = delete;
  cBgmManager& operator=(const cBgmManager&) = delete;

  // The tables are the caller's and stay in use (SetBgm writes into them);
  // each holds `count` paths. 0 when the Ogg player cannot be set up.
  int Init(int channels, cVector<std::string>* oggNames, cVector<std::string>* midiNames, int count);
  int SetChannels(int channels);
  // 1 for a ".mid" or ".ogg" file, 0 otherwise.
  int SetBgm(int tune, const std::string& path);
  // 1 when the tune plays (or already played), else 0.
  int Play(int channel, int tune, int loop, int force);
  void Stop();
  void Release();

  int m_bEnabled = 0;
  cVox m_Vox;
  cVector<std::string>* m_lpOggNames = nullptr;
  cMidiPlayer m_Midi;
  cVector<std::string>* m_lpMidiNames = nullptr;
  int m_nCurrentBgm = -1;
  cVector<int> m_BgmKind;
  cVector<int> m_ChannelKind;
};
