#pragma once
// A MIDI file played as a stream: the converted image is sequenced inside
// the mixer (no thread of its own) and sent to the synthesiser.
#include <memory>
#include <string>

#include "base/Containers.h"
#include "media/sound/MidiFile.h"
#include "media/sound/MidiSequencer.h"
#include "platform/Audio.h"

class cMidiStream : public cMidiFile, private platform::AudioSource {
 public:
  // Reads the file and, when that worked, opens the stream. Without `sink`
  // the program's synthesiser is used; tests give a fake one.
  explicit cMidiStream(const std::string& path, cMidiSink* sink = nullptr);
  ~cMidiStream() override;

  // Sets the loop flag and starts or resumes playing.
  void Restart(int loop);
  // Mode 0 stops and rewinds to the first event; other modes pause a playing stream.
  void Stop(int mode);

  int State() const;
  bool Loop() const;
  size_t Position() const;
  bool IsOpen() const { return m_bOpen; }

  // The mixer's call; public so tests can drive the sequencer.
  void Mix(float* out, int frames) override;

 private:
  bool Open();

  cMidiSequencer m_Seq;
  cMidiSink* m_lpSink = nullptr;
  std::unique_ptr<cMidiSink> m_OwnSink;
  bool m_bOpen = false;
};

// One stream per music channel.
class cMidiPlayer {
 public:
  ~cMidiPlayer();
  // Pauses and deletes every stream, then plays the file on the channel.
  // Only paths whose extension is exactly "mid" are taken.
  bool Play(int channel, const std::string& path, int loop);
  void Stop(int mode);
  // Deletes every stream and empties the table.
  void Clear();
  void Resize(int channels);

  cVector<cMidiStream*> m_Streams;
};
