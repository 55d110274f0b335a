// stage_fuzz_seeds DIR [COUNT]: writes COUNT (default 24) generated-stage
// inputs for the stage fuzzer into DIR: "GEN!" and a seed, nothing after it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: stage_fuzz_seeds DIR [COUNT]\n");
    return 2;
  }
  const long count = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 24;
  if (count <= 0 || count > 100000) {
    std::fprintf(stderr, "stage_fuzz_seeds: COUNT must be 1..100000\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  for (long i = 1; i <= count; ++i) {
    const unsigned long seed = static_cast<unsigned long>(i);
    const unsigned char bytes[8] = {'G', 'E', 'N', '!', static_cast<unsigned char>(seed), static_cast<unsigned char>(seed >> 8),
                                    static_cast<unsigned char>(seed >> 16), static_cast<unsigned char>(seed >> 24)};
    const std::filesystem::path file = std::filesystem::path(argv[1]) / ("gen-" + std::to_string(i));
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    if (!out) {
      std::fprintf(stderr, "stage_fuzz_seeds: cannot write %s\n", file.string().c_str());
      return 1;
    }
  }
  return 0;
}
