#pragma once
// Ogg players behind the small contract the music manager was written
// against: a factory makes players; a player loads a file, plays it on its
// own, stops, repeats a number of times and is destroyed.
#include <string>

#include "base/Containers.h"

class cVoxPlayer {
 public:
  static constexpr int kEndless = 2147483647;

  // False when the file cannot be played.
  virtual bool Load(const char* path) = 0;
  // Starts the loaded file and returns at once.
  virtual void Play() = 0;
  virtual void Stop() = 0;
  // Called before every load.
  virtual void Reset() = 0;
  // Repeats after the first pass: 0 once, kEndless for ever.
  virtual void SetLoop(int count) = 0;
  // Ends the player; it is not used again.
  virtual void Destroy() = 0;

 protected:
  virtual ~cVoxPlayer() = default;
};

// Whether our Ogg player takes the file; when not, logs the file and the
// reason, as a failed tune load does.
bool CheckOggTune(const std::string& path);

using CREATEVOX = cVoxPlayer* (*)();
// Our Ogg Vorbis player; null when it cannot be made.
cVoxPlayer* CreateVox();
// The factory cVox::Init finds; null stands for a missing library. Tests
// install fakes here.
void SetVoxFactory(CREATEVOX factory);
CREATEVOX GetVoxFactory();

class cVox {
 public:
  ~cVox() { Release(); }
  bool Init();
  // One player per channel; a player that cannot be made is the out-of-memory exit.
  bool Create(int count);
  // Stops what plays, loads and plays `path` on the channel. 0 for an empty
  // path or a file that does not load.
  bool Play(int channel, const char* path, int loop);
  void Stop();
  void Release();

  cVector<cVoxPlayer*> m_lpPlayers;
  int m_nPlayers = 0;
  int m_nCurrent = -1;
  bool m_hModule = false;
  CREATEVOX m_lpfnCreateVox = nullptr;
};
