#pragma once
// An Ogg Vorbis player that plays through the mixer. The whole file is read
// into memory at load; decoding happens in the mixer, resampled to its rate.
#include <memory>
#include <string>

namespace platform {

class OggPlayer {
 public:
  // Loop count meaning "for ever".
  static constexpr int kEndless = 2147483647;

  OggPlayer();
  ~OggPlayer();
  OggPlayer(const OggPlayer&) = delete;
  OggPlayer& operator=(const OggPlayer&) = delete;

  // Internal (code-page-932) path. Stops and drops what was loaded first.
  // False, with nothing loaded, when the file is missing or not Ogg Vorbis;
  // then `reason` (when given) says why.
  bool Load(const std::string& path, std::string* reason = nullptr);
  // Whether Load would take the file, without touching any player; `reason`
  // says why not.
  static bool Check(const std::string& path, std::string& reason);
  void Unload();
  // Repeats after the first pass: 0 plays once, kEndless for ever.
  void SetLoop(int count);
  // From the start, also when playing already.
  void Play();
  void Stop();
  bool IsPlaying() const;
  bool IsLoaded() const;
  // Length of one pass in seconds (0 when nothing is loaded).
  double Length() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
