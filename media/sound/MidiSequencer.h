#pragma once
// Plays a converted MIDI image with sample accuracy: called from the mixer
// for each block, it renders the synthesiser up to the frame where the next
// event is due, sends the event, and goes on. Not thread-safe by itself; the
// stream calls it under the mixer lock.
#include <cstddef>
#include <cstdint>

#include "media/sound/MidiFile.h"

// Where the events go and where the sound comes from.
class cMidiSink {
 public:
  virtual ~cMidiSink() = default;
  virtual void ShortMsg(uint8_t status, uint8_t data1, uint8_t data2) = 0;
  // A system-exclusive event as stored: F0 or F7, then its message bytes.
  virtual void LongMsg(const uint8_t* data, size_t size) = 0;
  // Silences everything at once (a stop, a pause, the end of the tune).
  virtual void SoundOff() = 0;
  // Adds `frames` stereo frames into `out`.
  virtual void Render(float* out, int frames) = 0;
};

class cMidiSequencer {
 public:
  enum { kStopped = 0, kPlaying = 1, kPaused = 2 };
  // The longest system-exclusive event a 24,000-byte stream buffer could take
  // (12-byte header, data padded to 4); longer ones are skipped.
  static constexpr size_t kMaxLongEvent = 24000 - 12;

  // The image is not owned and must outlive the sequencer's use of it.
  void SetImage(const MidiImage* image, int sampleRate);
  // Stop (mode 0 rewinds, other modes pause a playing tune) and Restart
  // (start, or resume after a pause) as the stream does them.
  void Stop(int mode, cMidiSink* sink);
  void Restart(bool loop);
  void Render(float* out, int frames, cMidiSink* sink);

  int State() const { return m_nState; }
  bool Loop() const { return m_bLoop; }
  size_t Position() const { return m_nPos; }
  // Frames played since the tune last started from its beginning.
  uint64_t FramesPlayed() const { return m_Frame; }

 private:
  void Rewind();
  bool ReadNext();
  uint64_t DueFrame(uint64_t tick) const;

  const MidiImage* m_lpImage = nullptr;
  int m_nRate = 48000;
  int m_nDivision = 96;
  size_t m_nPos = cMidiFile::kImageHeader;  // next event (its delta) in the image
  int m_nState = kStopped;
  bool m_bLoop = false;

  // Timing: the tick of the last event, the tempo and where it started.
  uint64_t m_Tick = 0;
  uint32_t m_Tempo = 500000;
  uint64_t m_TempoTick = 0;
  double m_TempoFrame = 0;
  uint64_t m_Frame = 0;

  // The next event, read ahead of its time.
  bool m_bHaveNext = false;
  uint64_t m_NextTick = 0;
  size_t m_NextBody = 0;  // its status byte
  size_t m_NextEnd = 0;   // after its last byte
};
