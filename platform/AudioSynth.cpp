#include "platform/AudioSynth.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/Audio.h"
#include "platform/FileSystem.h"

namespace platform {
namespace {

// FluidSynth and the many libraries it brings in (sound servers, GLib,
// OpenMP...) are opened when a synthesiser is first built, on the loading
// thread: a process that maps them at start-up spends tens of milliseconds
// before its first frame, and a game without MIDI never needs them.
#define BRINDLE_FLUID_FUNCTIONS(X)                                                                            \
  X(new_fluid_settings) X(delete_fluid_settings) X(fluid_settings_setnum) X(fluid_settings_setint)             \
  X(fluid_settings_dupstr) X(fluid_free) X(new_fluid_synth) X(delete_fluid_synth) X(fluid_synth_sfload)        \
  X(fluid_synth_noteoff) X(fluid_synth_noteon) X(fluid_synth_key_pressure) X(fluid_synth_cc)                   \
  X(fluid_synth_program_change) X(fluid_synth_channel_pressure) X(fluid_synth_pitch_bend) X(fluid_synth_sysex) \
  X(fluid_synth_all_sounds_off) X(fluid_synth_write_float) X(fluid_set_log_function)

struct FluidApi {
  bool ok = false;
  std::string error;  // why it is not ok
  void (*omp_set_num_threads)(int) = nullptr;  // present when FluidSynth was built with OpenMP
#define BRINDLE_FLUID_POINTER(name) decltype(&::name) name = nullptr;
  BRINDLE_FLUID_FUNCTIONS(BRINDLE_FLUID_POINTER)
#undef BRINDLE_FLUID_POINTER
};

const FluidApi& Fluid() {
  static const FluidApi* const api = [] {
    auto* a = new FluidApi;  // lives to the end, as the library does
    void* lib = nullptr;
    for (const char* name : {"libfluidsynth.so.3", "libfluidsynth.so"})
      if ((lib = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr) break;
    if (!lib) {
      const char* why = dlerror();
      a->error = std::string("FluidSynth cannot be opened: ") + (why ? why : "not found");
      return a;
    }
    bool all = true;
#define BRINDLE_FLUID_LOAD(name)                                                \
  a->name = reinterpret_cast<decltype(a->name)>(dlsym(lib, #name));             \
  if (!a->name && all) a->error = "FluidSynth lacks the function " #name;       \
  all = all && a->name != nullptr;
    BRINDLE_FLUID_FUNCTIONS(BRINDLE_FLUID_LOAD)
#undef BRINDLE_FLUID_LOAD
    // The handle finds the symbols of the libraries FluidSynth itself needs.
    a->omp_set_num_threads = reinterpret_cast<void (*)(int)>(dlsym(lib, "omp_set_num_threads"));
    a->ok = all;
    return a;
  }();
  return *api;
}

// FluidSynth runs its effects and its sample loading in OpenMP parallel
// regions. Inside the audio callback one thread is enough and keeps the
// timing steady.
void SingleThreadedEffects() {
  static thread_local bool done = false;
  if (done) return;
  done = true;
  if (auto set = Fluid().omp_set_num_threads) set(1);  // per thread: each rendering thread asks once
}

const char* const kDebianSoundFonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",  // fluid-soundfont-gm
    "/usr/share/sounds/sf2/TimGM6mb.sf2",    // timgm6mb-soundfont
};

bool IsFile(const std::string& native) {
  std::error_code ec;
  return !native.empty() && std::filesystem::is_regular_file(native, ec);
}

bool EndsWithSf2(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".sf2";
}

class FluidSynth final : public MidiSynth {
 public:
  ~FluidSynth() override {
    if (synth_) Fluid().delete_fluid_synth(synth_);
    if (settings_) Fluid().delete_fluid_settings(settings_);
  }

  bool Create(int rate, std::string* error) {
    if (!Fluid().ok) return Fail(error, Fluid().error.c_str());
    SingleThreadedEffects();  // the SoundFont's samples are loaded in parallel regions too
    rate_ = rate;
    settings_ = Fluid().new_fluid_settings();
    if (!settings_) return Fail(error, "fluid settings");
    Fluid().fluid_settings_setnum(settings_, "synth.sample-rate", rate);
    // Explicit levels: FluidSynth's own defaults (gain 0.2) are too quiet next to the effects.
    Fluid().fluid_settings_setnum(settings_, "synth.gain", 0.5);
    Fluid().fluid_settings_setint(settings_, "synth.reverb.active", 1);
    Fluid().fluid_settings_setnum(settings_, "synth.reverb.room-size", 0.2);
    Fluid().fluid_settings_setnum(settings_, "synth.reverb.damp", 0.0);
    Fluid().fluid_settings_setnum(settings_, "synth.reverb.width", 0.5);
    Fluid().fluid_settings_setnum(settings_, "synth.reverb.level", 0.5);
    Fluid().fluid_settings_setint(settings_, "synth.chorus.active", 1);
    Fluid().fluid_settings_setint(settings_, "synth.chorus.nr", 3);
    Fluid().fluid_settings_setnum(settings_, "synth.chorus.level", 1.0);
    Fluid().fluid_settings_setnum(settings_, "synth.chorus.speed", 0.3);
    Fluid().fluid_settings_setnum(settings_, "synth.chorus.depth", 8.0);
    // 64 voices: the densest Debian test tunes peak at 87 voices, and past 64 the
    // quietest release tails are taken first; a tune may then cost no more than
    // 64 voices (256 let a busy tune take a seventh of a core). Interpolation
    // stays at FluidSynth's fourth order: linear saves a tenth of the cost but
    // dulls and aliases transposed samples.
    Fluid().fluid_settings_setint(settings_, "synth.polyphony", 64);
    // Rendering runs inside the mixer: no threads of its own, no locked memory.
    Fluid().fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    Fluid().fluid_settings_setint(settings_, "synth.lock-memory", 0);
    synth_ = Fluid().new_fluid_synth(settings_);
    if (!synth_) return Fail(error, "fluid synth");
    for (const std::string& path : SoundFontCandidates()) {
      if (Fluid().fluid_synth_sfload(synth_, path.c_str(), 1) != FLUID_FAILED) {
        soundFont_ = path;
        return true;
      }
    }
    return Fail(error, "no SoundFont could be loaded");
  }

  void ShortMessage(uint8_t status, uint8_t d1, uint8_t d2) override {
    int ch = status & 0x0F;
    switch (status & 0xF0) {
      case 0x80: Fluid().fluid_synth_noteoff(synth_, ch, d1); break;
      case 0x90: Fluid().fluid_synth_noteon(synth_, ch, d1, d2); break;
      case 0xA0: Fluid().fluid_synth_key_pressure(synth_, ch, d1, d2); break;
      case 0xB0: Fluid().fluid_synth_cc(synth_, ch, d1, d2); break;
      case 0xC0: Fluid().fluid_synth_program_change(synth_, ch, d1); break;
      case 0xD0: Fluid().fluid_synth_channel_pressure(synth_, ch, d1); break;
      case 0xE0: Fluid().fluid_synth_pitch_bend(synth_, ch, (d2 << 7) | d1); break;
      default: break;  // system messages carry nothing for the synthesiser
    }
  }

  void SysEx(const uint8_t* data, size_t size) override {
    if (size == 0 || size > 65536) return;
    Fluid().fluid_synth_sysex(synth_, reinterpret_cast<const char*>(data), static_cast<int>(size), nullptr, nullptr, nullptr, 0);
  }

  void SoundOff() override {
    for (int ch = 0; ch < 16; ++ch) {
      Fluid().fluid_synth_all_sounds_off(synth_, ch);
      Fluid().fluid_synth_cc(synth_, ch, 121, 0);  // reset controllers
    }
  }

  void Render(float* out, int frames) override {
    if (frames <= 0) return;
    SingleThreadedEffects();
    if (left_.size() < static_cast<size_t>(frames)) {
      left_.resize(static_cast<size_t>(frames));
      right_.resize(static_cast<size_t>(frames));
    }
    Fluid().fluid_synth_write_float(synth_, frames, left_.data(), 0, 1, right_.data(), 0, 1);
    for (int i = 0; i < frames; ++i) {
      out[i * 2] += left_[static_cast<size_t>(i)];
      out[i * 2 + 1] += right_[static_cast<size_t>(i)];
    }
  }

  int SampleRate() const override { return rate_; }
  std::string SoundFontPath() const override { return soundFont_; }

 private:
  static bool Fail(std::string* error, const char* what) {
    if (error) *error = what;
    return false;
  }

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  int rate_ = 0;
  std::string soundFont_;
  std::vector<float> left_, right_;
};

std::unique_ptr<FluidSynth>& Current() {
  static auto* synth = new std::unique_ptr<FluidSynth>;  // lives to the end, as the device may
  return *synth;
}

void QuietFluidLog() {
  static std::once_flag once;  // the loading thread and the window thread both come here
  std::call_once(once, [] {
    if (!Fluid().ok) return;
    Fluid().fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    Fluid().fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    Fluid().fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  });
}

}  // namespace

std::vector<std::string> SoundFontCandidates() {
  std::vector<std::string> out;
  auto add = [&](const std::string& native) {
    if (IsFile(native) && std::find(out.begin(), out.end(), native) == out.end()) out.push_back(native);
  };
  std::vector<std::string> names = ListFolder("bgm");
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string native;
    if (EndsWithSf2(name) && ToNativePath("bgm\\" + name, native) && IsFile(native)) {
      add(native);
      break;
    }
  }
  if (fluid_settings_t* s = Fluid().ok ? Fluid().new_fluid_settings() : nullptr) {
    char* def = nullptr;
    if (Fluid().fluid_settings_dupstr(s, "synth.default-soundfont", &def) == FLUID_OK && def) {
      add(def);
      Fluid().fluid_free(def);
    }
    Fluid().delete_fluid_settings(s);
  }
  for (const char* p : kDebianSoundFonts) add(p);
  return out;
}

namespace {

// The background build: one at a time, its callers told when it ends. The
// state is read by the mixer, hence atomic; the rest is under `mutex`.
struct Loader {
  std::mutex mutex;
  std::condition_variable ended;
  std::thread thread;
  bool running = false;
  std::vector<std::function<void(const std::string&)>> waiting;
  std::atomic<int> state{static_cast<int>(SynthLoad::kIdle)};
};

Loader& L() {
  static auto* loader = new Loader;  // lives to the end, as Current() does
  return *loader;
}

// Builds at `rate` and installs the result unless one at that rate exists.
bool BuildAndInstall(int rate, std::string* error) {
  QuietFluidLog();
  auto synth = std::make_unique<FluidSynth>();
  if (!synth->Create(rate, error)) return false;
  std::unique_ptr<FluidSynth> old;
  auto lock = AudioLock();
  if (Current() && Current()->SampleRate() == rate) return true;  // built meanwhile
  old = std::move(Current());
  Current() = std::move(synth);
  return true;
}

bool ReadyAt(int rate) {
  auto lock = AudioLock();
  return Current() && Current()->SampleRate() == rate;
}

void LoadThread(int rate) {
  std::string error;
  const bool ok = BuildAndInstall(rate, &error);
  Loader& l = L();
  std::vector<std::function<void(const std::string&)>> waiting;
  {
    std::lock_guard<std::mutex> guard(l.mutex);
    waiting.swap(l.waiting);
    l.state.store(static_cast<int>(ok ? SynthLoad::kReady : SynthLoad::kFailed));
    l.running = false;
  }
  l.ended.notify_all();
  for (auto& done : waiting)
    if (done) done(ok ? std::string() : error);
}

}  // namespace

void StartMidiSynthLoad(std::function<void(const std::string& error)> done) {
  const int rate = AudioSampleRate();
  Loader& l = L();
  std::unique_lock<std::mutex> guard(l.mutex);
  if (l.running) {
    l.waiting.push_back(std::move(done));
    return;
  }
  if (ReadyAt(rate)) {
    l.state.store(static_cast<int>(SynthLoad::kReady));
    guard.unlock();
    if (done) done(std::string());
    return;
  }
  if (l.thread.joinable()) l.thread.join();  // ended: it cleared `running` last
  l.running = true;
  l.state.store(static_cast<int>(SynthLoad::kLoading));
  l.waiting.push_back(std::move(done));
  try {
    l.thread = std::thread(LoadThread, rate);
  } catch (const std::system_error&) {
    // No thread to spare: build here, as a plain first use would.
    l.running = false;
    guard.unlock();
    LoadThread(rate);
  }
}

SynthLoad MidiSynthLoadState() { return static_cast<SynthLoad>(L().state.load()); }

void WaitMidiSynthLoad() {
  Loader& l = L();
  std::thread ending;
  {
    std::unique_lock<std::mutex> guard(l.mutex);
    // The build cannot be interrupted; it reads one file and ends.
    l.ended.wait(guard, [&] { return !l.running; });
    ending = std::move(l.thread);
  }
  if (ending.joinable()) ending.join();
}

MidiSynth* AcquireMidiSynth(std::string* error) {
  WaitMidiSynthLoad();
  const int rate = AudioSampleRate();
  Loader& l = L();
  std::lock_guard<std::mutex> guard(l.mutex);  // no background build starts meanwhile
  if (!ReadyAt(rate) && !BuildAndInstall(rate, error)) {
    l.state.store(static_cast<int>(SynthLoad::kFailed));
    return nullptr;
  }
  l.state.store(static_cast<int>(SynthLoad::kReady));
  return CurrentMidiSynth();
}

MidiSynth* CurrentMidiSynth() {
  auto lock = AudioLock();
  return Current().get();
}

}  // namespace platform
