// MIDI playback cost on the real MIDI files of the Debian test media
// (BRINDLE_TEST_MEDIA): each file is played through the program's
// synthesiser inside the mixer for 30 seconds of audio at 48 kHz (looping
// where it is shorter). "core_percent" is the share of one core the whole mix
// takes while it plays (processor time / audio time); the goal is at most 3.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/sound/MidiStream.h"
#include "platform/Audio.h"
#include "platform/AudioSynth.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kRate = 48000;
constexpr int kSeconds = 30;
constexpr int kBlock = 1024;  // frames per mixer call, as the audio device asks

std::vector<std::filesystem::path> MidiFiles() {
  std::vector<std::filesystem::path> out;
  const char* media = std::getenv("BRINDLE_TEST_MEDIA");
  if (!media || !*media || !std::filesystem::is_directory(media)) return out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(media)) {
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (e.is_regular_file() && ext == ".mid") out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

void PlayFile(benchmark::State& state, const std::filesystem::path& file) {
  platform::AudioSetHeadless(kRate);
  platform::AudioStart();
  const std::string root = platform::GetProjectRoot();
  platform::SetProjectRoot(file.parent_path().string());
  std::vector<float> out(size_t(kBlock) * 2);
  {
    // Only paths ending in "mid" are taken: the file name as it is.
    cMidiStream midi(file.filename().string());
    if (!midi.IsOpen()) {
      state.SkipWithError("MIDI file not opened");
    } else {
      midi.Restart(1);
      // The SoundFont loads beside the caller: wait for it outside the timing.
      platform::WaitMidiSynthLoad();
      platform::AudioRender(out.data(), kBlock);
      const std::clock_t start = std::clock();
      for (auto _ : state) {
        for (int done = 0; done < kRate * kSeconds; done += kBlock) {
          platform::AudioRender(out.data(), kBlock);
          benchmark::DoNotOptimize(out.data());
        }
      }
      const double cpu = double(std::clock() - start) / CLOCKS_PER_SEC;
      state.counters["core_percent"] = 100.0 * cpu / (double(state.iterations()) * kSeconds);
    }
  }
  platform::SetProjectRoot(root);
  platform::AudioStop();
  platform::AudioSetHeadless(0);
}

const bool kRegistered = [] {
  const auto files = MidiFiles();
  if (files.empty()) {
    benchmark::RegisterBenchmark("BM_MidiFile/none", [](benchmark::State& state) {
      state.SkipWithError("no MIDI files: set BRINDLE_TEST_MEDIA to the unpacked Debian media");
    });
  }
  for (const auto& f : files)
    benchmark::RegisterBenchmark(("BM_MidiFile/" + f.stem().string()).c_str(),
                                 [f](benchmark::State& state) { PlayFile(state, f); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  return true;
}();

}  // namespace
