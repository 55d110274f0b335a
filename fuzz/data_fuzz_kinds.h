#pragma once
// The kinds of data file the data fuzzer feeds, by the names brindle-data
// uses: how to check one input, and which files of a project seed it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fuzzdata {

using Bytes = std::vector<unsigned char>;

struct Kind {
  const char* name;
  // Reads the bytes as a file of this kind. A refused file must name why
  // it was refused; an accepted one must save to an image that reads back
  // and saves to the same bytes. Traps otherwise.
  std::function<void(const Bytes&)> check;
  // Seed inputs taken from the project whose folder is the project root.
  std::function<std::vector<Bytes>()> seeds;
};

const std::vector<Kind>& Kinds();
const Kind* FindKind(const std::string& name);

}  // namespace fuzzdata
