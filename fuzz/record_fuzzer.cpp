// Feeds arbitrary bytes to the record reader: a record with nested vectors
// (read into a scratch copy) and a plain one (read in place). A refused file
// must leave the record as it was; an accepted one must save to an image
// that reads back to itself.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/SerialRecord.h"
#include "tests/base/record_test_types.h"

using namespace recordtest;

namespace {
template <class R>
void Check(R& rec, const uint8_t* data, size_t size) {
  Bytes before = rec.SaveToBytes();
  if (!rec.LoadFromBytes(Bytes(data, data + size))) {
    if (rec.SaveToBytes() != before) __builtin_trap();
    return;
  }
  Bytes saved = rec.SaveToBytes();
  R again;
  if (!again.LoadFromBytes(saved) || again.SaveToBytes() != saved) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dwDataVersion = kDataVersion;
  bStripCR = 1;
  Doc doc = MakeDoc();
  Check(doc, data, size);
  Pair pair;
  pair.a = 12;
  pair.s1 = "kept";
  Check(pair, data, size);
  return 0;
}
