#pragma once
// What the operating system tells about itself, the processor, memory and
// disks, for the system report at the top of the main log.
#include <cstdint>
#include <string>

namespace platform {

struct OsFacts {
  std::string name = "Linux";  // PRETTY_NAME of /etc/os-release when there is one
  std::string kernel;          // the kernel release, e.g. "6.1.0-18-amd64"; empty when unknown
  int major = 5;               // the kernel release's first two numbers
  int minor = 1;
};
OsFacts QueryOs();

struct CpuFacts {
  std::string vendor;  // empty when unknown
  std::string brand;
  double clockHz = 0;
};
// The first processor of /proc/cpuinfo.
CpuFacts QueryCpu();

// Bytes; "free" counts buffers as free, "virtual" adds the swap space.
struct MemoryFacts {
  double total = 0;
  double free = 0;
  double virtualTotal = 0;
  double virtualFree = 0;
};
MemoryFacts QueryMemory();

// Bytes free to this user on the file system holding the folder; false when
// the folder cannot be asked.
bool QueryDiskFree(const std::string& nativeFolder, uint64_t& bytes);

}  // namespace platform
