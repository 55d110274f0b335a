#pragma once
// The MIDI synthesiser: FluidSynth rendering at the mixer's rate. It takes
// short messages and system-exclusive messages and renders into the mix;
// the sequencer that feeds it lives above the platform layer.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class MidiSynth {
 public:
  virtual ~MidiSynth() = default;
  // Status byte and up to two data bytes.
  virtual void ShortMessage(uint8_t status, uint8_t data1, uint8_t data2) = 0;
  // The bytes between F0 and the closing F7.
  virtual void SysEx(const uint8_t* data, size_t size) = 0;
  // Silences every channel at once (all sound off, controllers reset).
  virtual void SoundOff() = 0;
  // Adds `frames` stereo frames into `out`.
  virtual void Render(float* out, int frames) = 0;
  virtual int SampleRate() const = 0;
  virtual std::string SoundFontPath() const = 0;
};

// SoundFonts to try, in order: the first *.sf2 of the project's "bgm"
// folder, FluidSynth's synth.default-soundfont, then the Debian GM fonts.
// Only files that exist are listed (native paths).
std::vector<std::string> SoundFontCandidates();

// The one synthesiser of the program at the mixer's current rate; the
// SoundFont is loaded once. Built outside the mixer lock on first use (or
// when the rate changed), after waiting for a background build. Null, with a
// reason, when no SoundFont loads.
MidiSynth* AcquireMidiSynth(std::string* error);

// Loading a SoundFont takes a tenth of a second or more, so the synthesiser
// can be built on a thread of its own while the caller goes on. `done` runs
// on that thread when the build ends: an empty text when the synthesiser is
// ready, else the reason. It runs at once when the synthesiser already exists.
enum class SynthLoad { kIdle, kLoading, kReady, kFailed };
void StartMidiSynthLoad(std::function<void(const std::string& error)> done);
// Safe on any thread (the mixer asks whether to hold its MIDI streams).
SynthLoad MidiSynthLoadState();
// Waits for a background build to end (the audio's shutdown; tests).
void WaitMidiSynthLoad();
// The synthesiser built last, or null. For use under AudioLock.
MidiSynth* CurrentMidiSynth();

}  // namespace platform
