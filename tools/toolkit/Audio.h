#pragma once
// Generated sounds and music for the sample project: 8-bit mono 22050 Hz
// WAV effects made of short tone sweeps, and standard MIDI files (format 0)
// holding a little tune.
#include <cstdint>
#include <vector>

namespace tools {

// One segment of a sound effect: a square or noise voice sweeping from one
// frequency to another with a linear fade-out.
struct cToneSegment {
  double startHz;
  double endHz;
  double seconds;
  bool noise = false;
  double volume = 0.8;  // 0..1
};

constexpr int kWaveRate = 22050;

// A RIFF WAVE file: PCM, 1 channel, 22050 Hz, 8 bits.
std::vector<unsigned char> MakeWave(const std::vector<cToneSegment>& segments);

struct cNote {
  int key;    // MIDI note number, or -1 for a rest
  int beats;  // in eighth notes
};

// A format-0 standard MIDI file: one track, 96 ticks per quarter note, the
// given tempo and General MIDI program, melody on channel 0 and a bass of
// the melody's root an octave lower on channel 1.
std::vector<unsigned char> MakeMidi(const std::vector<cNote>& melody, int bpm, int program, int bassProgram);

}  // namespace tools
