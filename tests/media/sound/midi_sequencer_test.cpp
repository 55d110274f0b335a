// ctest-label: sound
#include <gtest/gtest.h>

#include "media/sound/MidiSequencer.h"
#include "media/sound/MidiStream.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

using soundtest::MakeSmf;
using Bytes = std::vector<uint8_t>;

// Records what arrives and when, counted in frames rendered so far.
class FakeSynth : public cMidiSink {
 public:
  struct Msg {
    uint64_t frame;
    Bytes bytes;
    bool operator==(const Msg& o) const { return frame == o.frame && bytes == o.bytes; }
  };
  void ShortMsg(uint8_t s, uint8_t a, uint8_t b) override {
    Bytes m = {s, a};
    if ((s & 0xF0) != 0xC0 && (s & 0xF0) != 0xD0) m.push_back(b);
    msgs.push_back({frame, m});
  }
  void LongMsg(const uint8_t* d, size_t n) override { msgs.push_back({frame, Bytes(d, d + n)}); }
  void SoundOff() override { soundOffs.push_back(frame); }
  void Render(float* out, int frames) override {
    for (int i = 0; i < frames * 2; ++i) out[i] += 0.25f;  // something to see in the mix
    frame += static_cast<uint64_t>(frames);
  }
  uint64_t frame = 0;
  std::vector<Msg> msgs;
  std::vector<uint64_t> soundOffs;
};

void PrintTo(const FakeSynth::Msg& m, std::ostream* os) {
  *os << "@" << m.frame << ":";
  for (uint8_t b : m.bytes) *os << " " << std::hex << int(b) << std::dec;
}

std::unique_ptr<MidiImage> ImageOf(const Bytes& track, uint16_t division = 96) {
  cMidiFile f;
  return f.Init(MakeSmf(0, division, {track}));
}

// Runs the sequencer for `frames` in blocks of `block`.
void Play(cMidiSequencer& seq, FakeSynth& synth, int frames, int block) {
  std::vector<float> out(static_cast<size_t>(block) * 2);
  while (frames > 0) {
    int n = std::min(block, frames);
    seq.Render(out.data(), n, &synth);
    frames -= n;
  }
}

// At 48000 frames a second, 96 ticks a quarter and 0.5 s a quarter a tick is 250 frames.
constexpr int kRate = 48000;

TEST(MidiSequencer, EventsFallOnTheirFramesWhateverTheBlockSize) {
  Bytes track = {0x00, 0xC0, 0x05,                    // program at 0
                 0x00, 0x90, 0x3C, 0x64,              // note at 0
                 0x60, 0xFF, 0x06, 0x01, 'A',         // marker at tick 96
                 0x60, 0x80, 0x3C, 0x00,              // note off at tick 192: frame 48000
                 0x07, 0x90, 0x3E, 0x64,              // tick 199: frame 49750
                 0x00, 0xFF, 0x2F, 0x00};
  auto img = ImageOf(track);
  std::vector<FakeSynth::Msg> expected = {
      {0, {0xC0, 0x05}}, {0, {0x90, 0x3C, 0x64}}, {48000, {0x80, 0x3C, 0x00}}, {49750, {0x90, 0x3E, 0x64}}};
  for (int block : {1024, 7, 48000, 100000}) {
    cMidiSequencer seq;
    seq.SetImage(img.get(), kRate);
    FakeSynth synth;
    seq.Restart(false);
    Play(seq, synth, 60000, block);
    EXPECT_EQ(synth.msgs, expected) << "block " << block;
    // The synthesiser renders to the end of the block where the tune stopped, then no more.
    EXPECT_GE(synth.frame, 49750u);
    EXPECT_LE(synth.frame, 49750u + static_cast<uint64_t>(block));
    EXPECT_EQ(seq.State(), cMidiSequencer::kStopped);  // ran to the end and rewound
    EXPECT_EQ(seq.Position(), cMidiFile::kImageHeader);
  }
}

TEST(MidiSequencer, TempoChangesAndSmpteDivision) {
  // Tempo halves at tick 96 (frame 24000): the next 96 ticks take 12000 frames.
  Bytes track = {0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x60, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00};
  auto img = ImageOf(track);
  cMidiSequencer seq;
  seq.SetImage(img.get(), kRate);
  FakeSynth synth;
  seq.Restart(false);
  Play(seq, synth, 40000, 1000);
  ASSERT_EQ(synth.msgs.size(), 1u);
  EXPECT_EQ(synth.msgs[0].frame, 36000u);

  // 25 frames a second, 40 ticks a frame: 1000 ticks a second, tempo ignored.
  Bytes smpte = {0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x83, 0x74, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00};
  auto img2 = ImageOf(smpte, static_cast<uint16_t>((0x100 - 25) << 8 | 40));
  cMidiSequencer seq2;
  seq2.SetImage(img2.get(), kRate);
  FakeSynth synth2;
  seq2.Restart(false);
  Play(seq2, synth2, 30000, 512);
  ASSERT_EQ(synth2.msgs.size(), 1u);
  EXPECT_EQ(synth2.msgs[0].frame, 24000u);  // tick 500 = 0.5 s
}

TEST(MidiSequencer, LoopingRestartsAtTheEndAndStopRewinds) {
  Bytes track = {0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};  // 24000 frames
  auto img = ImageOf(track);
  cMidiSequencer seq;
  seq.SetImage(img.get(), kRate);
  FakeSynth synth;
  seq.Restart(true);
  Play(seq, synth, 60000, 1000);
  std::vector<uint64_t> noteOns;
  for (auto& m : synth.msgs)
    if (m.bytes[0] == 0x90) noteOns.push_back(m.frame);
  EXPECT_EQ(noteOns, (std::vector<uint64_t>{0, 24000, 48000}));
  EXPECT_EQ(synth.soundOffs, (std::vector<uint64_t>{24000, 48000}));
  EXPECT_EQ(seq.State(), cMidiSequencer::kPlaying);

  // Pause keeps the place, silences, and Restart goes on from there.
  seq.Stop(1, &synth);
  EXPECT_EQ(seq.State(), cMidiSequencer::kPaused);
  size_t pos = seq.Position();
  size_t before = synth.msgs.size();
  Play(seq, synth, 30000, 1000);
  EXPECT_EQ(synth.msgs.size(), before);  // nothing while paused
  seq.Restart(true);
  EXPECT_EQ(seq.Position(), pos);
  Play(seq, synth, 13000, 1000);
  // The note off 12000 frames on from where the pause left, then the next pass.
  ASSERT_EQ(synth.msgs.size(), before + 2);
  EXPECT_EQ(synth.msgs[before], (FakeSynth::Msg{72000, {0x80, 0x3C, 0x00}}));
  EXPECT_EQ(synth.msgs[before + 1], (FakeSynth::Msg{72000, {0x90, 0x3C, 0x64}}));

  // Stop 0 rewinds from any state; pausing a stopped stream does nothing.
  seq.Stop(0, &synth);
  EXPECT_EQ(seq.State(), cMidiSequencer::kStopped);
  EXPECT_EQ(seq.Position(), cMidiFile::kImageHeader);
  seq.Stop(1, &synth);
  EXPECT_EQ(seq.State(), cMidiSequencer::kStopped);
}

TEST(MidiSequencer, ATuneWithoutLengthDoesNotSpinWhenLooping) {
  Bytes track = {0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00};
  auto img = ImageOf(track);
  cMidiSequencer seq;
  seq.SetImage(img.get(), kRate);
  FakeSynth synth;
  seq.Restart(true);
  Play(seq, synth, 4800, 480);
  EXPECT_LE(synth.msgs.size(), 2u);
  EXPECT_EQ(seq.State(), cMidiSequencer::kStopped);
}

TEST(MidiSequencer, SystemExclusiveMessagesAndOversizedOnes) {
  Bytes big(24000, 0x11);
  Bytes track = {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};  // GM on
  track.insert(track.end(), {0x60, 0xF0, 0x81, 0xBB, 0x40});       // 24000 bytes at tick 96
  track.insert(track.end(), big.begin(), big.end());
  track.insert(track.end(), {0x60, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00});  // tick 192
  auto img = ImageOf(track);
  ASSERT_TRUE(img);
  cMidiSequencer seq;
  seq.SetImage(img.get(), kRate);
  FakeSynth synth;
  seq.Restart(false);
  Play(seq, synth, 60000, 4096);
  std::vector<FakeSynth::Msg> expected = {{0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}, {48000, {0x90, 0x3C, 0x64}}};
  EXPECT_EQ(synth.msgs, expected);
}

TEST(MidiStream, PlayerTakesOnlyMidExtensionsAndStreamsRenderInTheMixer) {
  soundtest::HeadlessAudio audio(kRate);
  platform::AudioStart();
  Bytes smf = MakeSmf(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
  audio.Write("a.mid", smf);
  audio.Write("b.MID", smf);
  {
    cMidiPlayer player;
    player.Resize(1);
    EXPECT_FALSE(player.Play(0, "b.MID", 1));
    EXPECT_FALSE(player.Play(0, "a.midi", 1));
    EXPECT_FALSE(player.Play(0, "missing.mid", 1));
    ASSERT_TRUE(player.Play(0, "a.mid", 1));
    ASSERT_TRUE(player.m_Streams[0]);
    EXPECT_EQ(player.m_Streams[0]->State(), cMidiSequencer::kPlaying);
    EXPECT_TRUE(player.m_Streams[0]->Loop());

    // A stream with a fake synthesiser, mixed by the mixer like the real one.
    FakeSynth synth;
    {
      cMidiStream stream("a.mid", &synth);
      ASSERT_TRUE(stream.IsOpen());
      player.Stop(1);
      stream.Restart(0);
      auto out = soundtest::HeadlessAudio::Render(30000);
      EXPECT_GE(synth.frame, 24000u);  // rendered while it played ...
      EXPECT_LT(synth.frame, 30000u);  // ... and not after its end
      EXPECT_FLOAT_EQ(out[0], 0.25f);
      EXPECT_EQ(stream.State(), cMidiSequencer::kStopped);
      ASSERT_EQ(synth.msgs.size(), 2u);
      EXPECT_EQ(synth.msgs[1].frame, 24000u);
    }
    // The mixer no longer calls a deleted stream (the sanitizer would see it).
    uint64_t rendered = synth.frame;
    soundtest::HeadlessAudio::Render(1000);
    EXPECT_EQ(synth.frame, rendered);
  }
  platform::AudioStop();
}

}  // namespace
