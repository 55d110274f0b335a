// Writes the fuzzer's starting corpus into the folder given as argument.
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/SerialRecord.h"
#include "tests/base/record_test_types.h"

using namespace recordtest;

static bool WriteSeed(const std::filesystem::path& dir, const char* name, const Bytes& bytes) {
  FILE* f = std::fopen((dir / name).c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);

  Pair pair;
  pair.a = 5;
  pair.b = 7;
  pair.s1 = "ab";
  ByteBuilder old;  // a Doc written before the version-700 members existed
  old.U32(600).I32(3).I32(8).I16(1).I16(2).I16(3).F64(-1.0).I32(1).Str("old\r\n").U32(1);
  old.I32(1).I32(4).I32(1).Str("x").U32(1).I32(1).Raw({1, 2}).I32(1).Str("y");

  bool ok = WriteSeed(dir, "doc", MakeDocBytes()) && WriteSeed(dir, "doc-600", old.bytes()) &&
            WriteSeed(dir, "pair", pair.SaveToBytes());
  return ok ? 0 : 1;
}
