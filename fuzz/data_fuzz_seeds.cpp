// Writes the data fuzzer's starting corpora: for every kind, the files of a
// game project (the generated sample) or records written with the project's
// writers, into CORPUS/KIND/.
//   data_fuzz_seeds PROJECT_FOLDER CORPUS_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzz/data_fuzz_kinds.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PROJECT_FOLDER CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  platform::SetProjectRoot(fs::absolute(argv[1]).lexically_normal().string());
  const fs::path corpus = argv[2];
  int failures = 0;
  for (const fuzzdata::Kind& kind : fuzzdata::Kinds()) {
    fs::create_directories(corpus / kind.name);
    int n = 0;
    for (const fuzzdata::Bytes& seed : kind.seeds()) {
      if (seed.empty()) continue;
      std::ofstream out(corpus / kind.name / ("seed" + std::to_string(n++)), std::ios::binary);
      out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
    }
    if (n == 0) {
      std::fprintf(stderr, "no seed for %s\n", kind.name);
      ++failures;
    }
  }
  return failures ? 1 : 0;
}
