#include "platform/SystemInfo.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace platform {

OsFacts QueryOs() {
  OsFacts os;
  std::ifstream osRelease("/etc/os-release");
  for (std::string line; std::getline(osRelease, line);) {
    if (line.rfind("PRETTY_NAME=", 0) == 0) {
      os.name = line.substr(12);
      if (os.name.size() >= 2 && os.name.front() == '"' && os.name.back() == '"')
        os.name = os.name.substr(1, os.name.size() - 2);
    }
  }
  utsname u{};
  if (uname(&u) == 0) {
    os.kernel = u.release;
    std::sscanf(u.release, "%d.%d", &os.major, &os.minor);
  }
  return os;
}

CpuFacts QueryCpu() {
  CpuFacts info;
  std::ifstream cpu("/proc/cpuinfo");
  for (std::string line; std::getline(cpu, line);) {
    auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    if (key == "vendor_id" && info.vendor.empty()) info.vendor = value;
    if (key == "model name" && info.brand.empty()) info.brand = value;
    if (key == "cpu MHz" && info.clockHz == 0) info.clockHz = std::atof(value.c_str()) * 1e6;
  }
  return info;
}

MemoryFacts QueryMemory() {
  struct sysinfo si {};
  sysinfo(&si);
  const double unit = si.mem_unit ? si.mem_unit : 1;
  MemoryFacts m;
  m.total = si.totalram * unit;
  m.free = (si.freeram + si.bufferram) * unit;
  m.virtualTotal = (si.totalram + si.totalswap) * unit;
  m.virtualFree = (si.freeram + si.freeswap) * unit;
  return m;
}

bool QueryDiskFree(const std::string& nativeFolder, uint64_t& bytes) {
  struct statvfs st {};
  if (statvfs(nativeFolder.c_str(), &st) != 0) return false;
  bytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
  return true;
}

}  // namespace platform
