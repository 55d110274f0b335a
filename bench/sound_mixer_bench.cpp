// The mixer's cost: processor time per second of audio at 48 kHz, with 16
// effect voices, an Ogg tune and a MIDI tune playing. One iteration mixes one
// second, so the reported CPU time is the time per second of audio.
// The Ogg part needs BRINDLE_TEST_MEDIA (the unpacked Debian media).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "media/sound/MidiStream.h"
#include "platform/Audio.h"
#include "platform/AudioOgg.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kRate = 48000;

enum Parts { kVoices = 1, kOgg = 2, kMidi = 4 };

// A busy two-bar loop: four-note chords on eight channels, a note every eighth.
std::vector<uint8_t> BusyMidi() {
  std::vector<uint8_t> t;
  auto ev = [&](std::initializer_list<uint8_t> b) { t.insert(t.end(), b); };
  for (uint8_t ch = 0; ch < 8; ++ch) ev({0x00, static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(ch * 8)});
  for (int step = 0; step < 16; ++step) {
    for (uint8_t ch = 0; ch < 8; ++ch)
      for (uint8_t k = 0; k < 4; ++k)
        ev({0x00, static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(48 + ch * 3 + k * 4 + step % 5), 0x60});
    ev({0x30});  // an eighth at 96 ticks a quarter
    t.push_back(0x80);
    t.insert(t.end(), {48, 0});
    for (uint8_t ch = 0; ch < 8; ++ch)
      for (uint8_t k = 0; k < 4; ++k)
        ev({0x00, static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(48 + ch * 3 + k * 4 + step % 5), 0x00});
  }
  ev({0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  uint32_t n = static_cast<uint32_t>(t.size());
  f.insert(f.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                     static_cast<uint8_t>(n)});
  f.insert(f.end(), t.begin(), t.end());
  return f;
}

void BM_MixOneSecond(benchmark::State& state) {
  const int parts = static_cast<int>(state.range(0));
  platform::AudioSetHeadless(kRate);
  platform::AudioStart();
  std::string root = platform::GetProjectRoot();

  std::vector<platform::VoiceId> voices;
  if (parts & kVoices) {
    // 16 effects at 22050 Hz, 8-bit material converted to floats, looping.
    auto pcm = std::make_shared<platform::PcmData>();
    pcm->rate = 22050;
    pcm->channels = 1;
    pcm->samples.resize(22050 * 2);
    uint32_t x = 1;
    for (float& s : pcm->samples) s = static_cast<float>(((x = x * 214013u + 2531011u) >> 16) & 0xFF) / 128.0f - 1.0f;
    for (int i = 0; i < 16; ++i) {
      auto v = platform::CreateVoice(pcm);
      platform::VoiceSetVolume(v, -600);
      platform::VoiceSetPan(v, (i - 8) * 500);
      platform::VoicePlay(v, true);
      voices.push_back(v);
    }
  }

  std::unique_ptr<platform::OggPlayer> ogg;
  if (parts & kOgg) {
    const char* media = std::getenv("BRINDLE_TEST_MEDIA");
    if (!media || !*media) {
      state.SkipWithError("BRINDLE_TEST_MEDIA not set");
      platform::AudioStop();
      return;
    }
    platform::SetProjectRoot(std::string(media) + "/sound-theme-freedesktop/usr/share/sounds/freedesktop/stereo");
    ogg = std::make_unique<platform::OggPlayer>();
    if (!ogg->Load("alarm-clock-elapsed.oga")) {
      state.SkipWithError("Ogg file missing");
      platform::AudioStop();
      return;
    }
    ogg->SetLoop(platform::OggPlayer::kEndless);
    ogg->Play();
  }

  std::unique_ptr<cMidiStream> midi;
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "brindle-sound-bench";
  if (parts & kMidi) {
    std::filesystem::create_directories(dir);
    auto bytes = BusyMidi();
    std::ofstream(dir / "busy.mid", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                            static_cast<std::streamsize>(bytes.size()));
    platform::SetProjectRoot(dir.string());
    midi = std::make_unique<cMidiStream>("busy.mid");
    midi->Restart(1);
  }

  std::vector<float> out(kRate * 2);
  for (auto _ : state) {
    platform::AudioRender(out.data(), kRate);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(parts == 7 ? "16 voices + Ogg + MIDI" : parts == 1 ? "16 voices" : parts == 2 ? "Ogg" : "MIDI");

  midi.reset();
  ogg.reset();
  for (auto v : voices) platform::DestroyVoice(v);
  platform::SetProjectRoot(root);
  std::filesystem::remove_all(dir);
  platform::AudioStop();
  platform::AudioSetHeadless(0);
}

BENCHMARK(BM_MixOneSecond)->Arg(kVoices)->Arg(kOgg)->Arg(kMidi)->Arg(kVoices | kOgg | kMidi)->Unit(benchmark::kMillisecond);

}  // namespace
