// One picture of the play field: the sample's first stage after the
// screenshot tests' scripted run (the hero, a walker, five shots, the
// background, the map, the status window) with one screen effect running
// (a horizontal shake or a wave; and without any), composed by the play
// scene's DrawFrame and presented, in each personality (32-bit Direct3D,
// 8-bit DirectDraw). Goal: 1.5 ms per frame.
//
// The sample project is BRINDLE_SAMPLE_PROJECT when set, else one written
// by tools/make-sample-project of the same build into a temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/frame/SceneDirector.h"
#include "tests/app/play/stage_draw_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string& SampleProject() {
  static const std::string dir = []() -> std::string {
    if (const char* given = std::getenv("BRINDLE_SAMPLE_PROJECT")) return given;
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    self[n] = 0;
    const fs::path tool = fs::path(self).parent_path().parent_path() / "tools" / "make-sample-project";
    const fs::path out = fs::temp_directory_path() / ("brindle-bench-sample-" + std::to_string(getpid()));
    fs::remove_all(out);
    std::string cmd = "'";
    cmd += tool.string();
    cmd += "' '";
    cmd += out.string();
    cmd += "' > /dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(fs::temp_directory_path() / ("brindle-bench-sample-" + std::to_string(getpid())), ec);
    });
    return out.string();
  }();
  return dir;
}

// Screen effect `kind`, repeating: 2 a horizontal shake of 8 pixels, 6 a
// horizontal wave of 4 waves, 2 pixels rough, its width running from 0 to
// 24 pixels; each over 5 seconds.
void StartScreenEffect(cPlayScene& scene, int kind) {
  cScrEffect fx;
  fx.m_EffectKind = kind;
  fx.m_EffectParam[0] = 50;
  if (kind == 2) {
    fx.m_EffectParam[1] = 8;
    fx.m_EffectParam[2] = 4;
  } else {
    fx.m_EffectParam[1] = 0;
    fx.m_EffectParam[2] = 24;
    fx.m_EffectParam[3] = 4;
    fx.m_EffectParam[4] = 2;
  }
  Database.m_ScrEffects.push_back(fx);
  BuildRuntimeTables();
  scene.m_ScrEffect.Start(static_cast<int>(Database.m_ScrEffects.size()) - 1, 0, 1);
}

// effect: the screen-effect kind, 0 none. Every frame is presented (no window
// takes it): the Direct3D personality renders what was queued then.
void BM_PlayFieldFrame(benchmark::State& state, playdraw::Personality p, int effect) {
  if (SampleProject().empty()) {
    state.SkipWithError("no sample project");
    return;
  }
  playdraw::StageRun run;
  std::string error;
  if (!run.Open(SampleProject(), p, nullptr, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  run.RunScript();
  if (run.scene().m_nState != cPlayScene::kPlay || run.scene().m_Shots.empty() || CharaList.empty()) {
    state.SkipWithError("the scripted run did not reach the expected picture");
    return;
  }
  if (!BackBuffer.lpDD && !BackBuffer.lpDT) {
    state.SkipWithError("no back buffer");
    return;
  }
  if (effect) StartScreenEffect(run.scene(), effect);
  for (auto _ : state) {
    run.scene().DrawFrame(1, 0, 1, 1);
    SceneDirector.Present();
  }
  state.counters["shots"] = static_cast<double>(run.scene().m_Shots.size());
}

BENCHMARK_CAPTURE(BM_PlayFieldFrame, D3D32_shake, playdraw::kD3D32, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayFieldFrame, D3D32_wave, playdraw::kD3D32, 6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayFieldFrame, D3D32_no_effect, playdraw::kD3D32, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayFieldFrame, DD8_shake, playdraw::kDD8, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayFieldFrame, DD8_wave, playdraw::kDD8, 6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayFieldFrame, DD8_no_effect, playdraw::kDD8, 0)->Unit(benchmark::kMillisecond);

}  // namespace
