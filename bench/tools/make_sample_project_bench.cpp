// Writing the whole sample project; the target is well under a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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
