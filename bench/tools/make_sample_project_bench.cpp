// Writing the whole sample project; the target is well under a second. The
// 24 blend tables inside it: well under 0.1 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tools/toolkit/SampleArt.h"
#include "tools/toolkit/SampleProject.h"

static void BM_MakeSampleProject(benchmark::State& state) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("brindle-sample-bench-" + std::to_string(getpid()));
  std::string error;
  for (auto _ : state) {
    if (!tools::MakeSampleProject(dir.string(), &error)) state.SkipWithError(error.c_str());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_MakeSampleProject)->Unit(benchmark::kMillisecond);

static void BM_SampleBlendTables(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(tools::SampleBlendTables());
}
BENCHMARK(BM_SampleBlendTables)->Unit(benchmark::kMillisecond);
