// Feeds arbitrary bytes to the reader of one kind of data file, named by the
// environment variable BRINDLE_FUZZ_KIND (see data_fuzz_kinds.cpp; the names
// are brindle-data's). Start it on the corpus folder data_fuzz_seeds wrote
// for that kind.
#include <cstdio>
#include <cstdlib>

#include "base/SerialRecord.h"
#include "fuzz/data_fuzz_kinds.h"

namespace {
const fuzzdata::Kind* g_kind = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* name = std::getenv("BRINDLE_FUZZ_KIND");
  g_kind = name ? fuzzdata::FindKind(name) : nullptr;
  if (!g_kind) {
    std::fprintf(stderr, "BRINDLE_FUZZ_KIND must name a kind:");
    for (const auto& k : fuzzdata::Kinds()) std::fprintf(stderr, " %s", k.name);
    std::fprintf(stderr, "\n");
    std::exit(2);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dwDataVersion = kDataVersion;
  bStripCR = 1;
  g_kind->check(fuzzdata::Bytes(data, data + size));
  return 0;
}
