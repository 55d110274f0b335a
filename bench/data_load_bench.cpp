// Loading large generated data: a stage for play, a side x side map with
// every cell holding a placed block (1000 x 1000: a million blocks), with the
// load time, the CPU time, the peak resident memory of the load and the
// resident memory the loaded stage holds per block; the same stage read from
// its image in memory (no file, no reader thread); and a crafted database list
// of 500,000 empty animation sets, with the resident memory it holds against
// the file's size.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/SerialRecord.h"
#include "data/BlockDef.h"
#include "data/CharaDef.h"
#include "data/Anime.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "platform/FileSystem.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes BlockBytes(int16_t col, int16_t row) {
  cBlockDef b;
  b.m_GfxIndex = 1;
  b.m_Col = col;
  b.m_Row = row;
  cRecordWriter w;
  b.Write(w, DefaultReadContext());
  return w.Bytes();
}

Bytes U32(uint32_t v) {
  Bytes b(4);
  std::memcpy(b.data(), &v, 4);
  return b;
}

// The file is written once with one placed block; its list is then widened
// to every cell, each block with its own column and row.
Bytes LargeStage(int side) {
  cStage s;
  s.m_Width = side;
  s.m_Height = side;
  s.m_PlacedBlocks.resize(1);
  s.m_PlacedBlocks[0].m_GfxIndex = 1;
  s.m_PlacedCharas.resize(1);
  s.m_PlacedCharas[0].m_GfxIndex = 1;
  s.m_PlacedCharas[0].m_Control = 0;  // the hero
  cRecordWriter w;
  w.Bytes().reserve(1 << 16);
  w.WriteU32(dwDataVersion);
  s.Write(w);
  const Bytes file = w.Bytes();
  // Where the block's column and row sit: the bytes that differ between two blocks.
  const Bytes a = BlockBytes(0, 0), b = BlockBytes(0x1234, 0x5678);
  size_t colAt = 0, rowAt = 0;
  for (size_t i = 0; i + 1 < a.size(); ++i) {
    if (b[i] == 0x34 && b[i + 1] == 0x12 && a[i] == 0 && a[i + 1] == 0) colAt = i;
    if (b[i] == 0x78 && b[i + 1] == 0x56 && a[i] == 0 && a[i + 1] == 0) rowAt = i;
  }
  Bytes needle = U32(1), zero = U32(0);
  needle.insert(needle.end(), zero.begin(), zero.end());
  needle.insert(needle.end(), a.begin(), a.end());
  auto at = std::search(file.begin(), file.end(), needle.begin(), needle.end());
  if (at == file.end() || colAt == rowAt) return {};
  Bytes out(file.begin(), at);
  const Bytes count = U32(uint32_t(side) * uint32_t(side));
  out.insert(out.end(), count.begin(), count.end());
  out.reserve(out.size() + size_t(side) * side * (4 + a.size()) + size_t(file.end() - at));
  Bytes block = a;
  for (int row = 0; row < side; ++row)
    for (int col = 0; col < side; ++col) {
      out.insert(out.end(), zero.begin(), zero.end());
      const int16_t c = int16_t(col), r = int16_t(row);
      std::memcpy(block.data() + colAt, &c, 2);
      std::memcpy(block.data() + rowAt, &r, 2);
      out.insert(out.end(), block.begin(), block.end());
    }
  out.insert(out.end(), at + ptrdiff_t(needle.size()), file.end());
  return out;
}

long ResidentBytes() {
  std::ifstream status("/proc/self/statm");
  long pages = 0, resident = 0;
  status >> pages >> resident;
  return resident * 4096L;
}

// The peak resident size since the last ResetPeak (Linux keeps it per process).
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
double PeakMB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;  // kB
  return 0;
}

// CPU time of every thread of the process (the stage is read on a thread of its own).
double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_LoadLargeStage(benchmark::State& state) {
  const int side = int(state.range(0));
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "brindle-stage-bench";
  std::filesystem::create_directories(dir / "data" / "stg4");
  {
    const Bytes file = LargeStage(side);
    if (file.empty()) {
      state.SkipWithError("could not generate the stage");
      return;
    }
    std::ofstream(dir / "data" / "stg4" / "Large.stg4_001", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    state.counters["file_MB"] = double(file.size()) / 1e6;
  }
  const std::string root = platform::GetProjectRoot();
  platform::SetProjectRoot(dir.string());
  cCommonPalette common;
  cReadContext context;
  context.commonPalette = &common;
  double perBlock = 0, peak = 0, cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const long before = ResidentBytes();
    ResetPeak();
    const double cpuBefore = CpuSeconds();
    {
      cStage stage;
      state.ResumeTiming();
      const bool ok = LoadStageForPlay(stage, "data\\stg4\\Large.stg4_001", 0, nullptr, &context);
      state.PauseTiming();
      cpu = CpuSeconds() - cpuBefore;
      peak = PeakMB();
      if (!ok || stage.m_PlacedBlocks.size() != size_t(side) * side) {
        state.SkipWithError("the stage did not load");
        break;
      }
      perBlock = double(ResidentBytes() - before) / (double(side) * side);
    }
    state.ResumeTiming();
  }
  state.counters["bytes_per_block"] = perBlock;
  state.counters["peak_MB"] = peak;
  state.counters["cpu_ms"] = cpu * 1e3;
  platform::SetProjectRoot(root);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadLargeStage)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The stage's parse alone, from its image in memory.
void BM_ReadLargeStageImage(benchmark::State& state) {
  const int side = int(state.range(0));
  const Bytes file = LargeStage(side);
  if (file.empty()) {
    state.SkipWithError("could not generate the stage");
    return;
  }
  cCommonPalette common;
  cReadContext context;
  context.commonPalette = &common;
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Bytes copy = file;
    ResetPeak();
    {
      cStage stage;
      cRecordReader r;
      state.ResumeTiming();
      const bool ok = OpenRecordBytes(std::move(copy), r) && (r.SetContext(&context), stage.Read(r)) && r.Ok();
      state.PauseTiming();
      peak = PeakMB();
      if (!ok || stage.m_PlacedBlocks.size() != size_t(side) * side) {
        state.SkipWithError("the stage did not read");
        break;
      }
    }
    state.ResumeTiming();
  }
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_ReadLargeStageImage)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LoadCraftedDatabase(benchmark::State& state) {
  const uint32_t count = uint32_t(state.range(0));
  Bytes file = U32(dwDataVersion);
  const Bytes n = U32(count);
  file.insert(file.end(), n.begin(), n.end());
  // An empty set in 12 bytes: no field entries, no strings, no animations.
  Bytes body = U32(0);
  body.insert(body.end(), {0, 0, 0, 0, 0, 0, 0, 0});
  for (uint32_t i = 0; i < count; ++i) file.insert(file.end(), body.begin(), body.end());
  state.counters["file_MB"] = double(file.size()) / 1e6;
  double ratio = 0, peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const long before = ResidentBytes();
    Bytes copy = file;
    ResetPeak();
    const double peakBefore = PeakMB();
    {
      cDatabase db;
      state.ResumeTiming();
      const bool ok = db.LoadListFromBytes(DbList::AnimeSet, std::move(copy));
      state.PauseTiming();
      // Growth of the peak over the resident size before the load (the image included).
      peak = (PeakMB() - peakBefore) * 1024 * 1024 / double(file.size());
      if (!ok || db.m_AnimeSets.size() != count) {
        state.SkipWithError("the list did not load");
        break;
      }
      // The image handed over is gone by now: what stays is the list.
      ratio = double(ResidentBytes() - before) / double(file.size());
    }
    state.ResumeTiming();
  }
  state.counters["memory_per_file_byte"] = ratio;
  state.counters["peak_per_file_byte"] = peak;
}
BENCHMARK(BM_LoadCraftedDatabase)->Arg(50000)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every database list from a 6 MB file of its smallest bodies (all counts
// zero): what the loaded list keeps in memory against the file's size.
void BM_LoadCraftedDatabaseList(benchmark::State& state) {
  const auto list = DbList(state.range(0));
  const bool withList = list == DbList::AnimeSet || list == DbList::Anime || list == DbList::SwordType ||
                        list == DbList::Effect;
  const size_t bodySize = withList ? 12 : 8;
  const uint32_t count = uint32_t(6'000'000 / bodySize);
  Bytes file = U32(dwDataVersion);
  const Bytes n = U32(count);
  file.insert(file.end(), n.begin(), n.end());
  file.resize(file.size() + size_t(count) * bodySize, 0);
  state.SetLabel(DbFilePath(list));
  double ratio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const long before = ResidentBytes();
    Bytes copy = file;
    {
      cDatabase db;
      state.ResumeTiming();
      const bool ok = db.LoadListFromBytes(list, std::move(copy));
      state.PauseTiming();
      if (!ok || db.Count(list) != int(count)) {
        state.SkipWithError("the list did not load");
        break;
      }
      ratio = double(ResidentBytes() - before) / double(file.size());
    }
    state.ResumeTiming();
  }
  state.counters["memory_per_file_byte"] = ratio;
}
BENCHMARK(BM_LoadCraftedDatabaseList)->DenseRange(0, int(DbList::Count) - 1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
