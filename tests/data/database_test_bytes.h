#pragma once
// Builds database file images by hand, in the layouts of older versions.
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Log.h"
#include "base/SerialRecord.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "tests/support/TestSupport.h"

namespace dbtest {

class FileBytes {
 public:
  explicit FileBytes(uint32_t version) { U32(version); }
  FileBytes& U32(uint32_t v) { return Raw(&v, 4); }
  FileBytes& I32(int32_t v) { return Raw(&v, 4); }
  FileBytes& I16(int16_t v) { return Raw(&v, 2); }
  FileBytes& I8(int8_t v) { return Raw(&v, 1); }
  // A field block of one-int entries.
  FileBytes& Ints(std::initializer_list<int32_t> values) {
    I32(static_cast<int32_t>(values.size()));
    for (int32_t v : values) I32(v);
    return *this;
  }
  // A string block.
  FileBytes& Strings(std::initializer_list<std::string> strings) {
    I32(static_cast<int32_t>(strings.size()));
    for (const auto& s : strings) {
      I32(static_cast<int32_t>(s.size() + 1));
      if (!s.empty()) {
        Raw(s.data(), s.size());
        I8(0);
      }
    }
    return *this;
  }
  FileBytes& Raw(const void* p, size_t n) {
    const auto* c = static_cast<const unsigned char*>(p);
    bytes.insert(bytes.end(), c, c + n);
    return *this;
  }
  std::vector<unsigned char> bytes;
};

// A temporary project folder with data\database\, the main log captured and
// error boxes recorded instead of shown.
class Project {
 public:
  Project() : previousRoot_(platform::GetProjectRoot()) {
    bNewerFile = 0;
    platform::SetProjectRoot(dir_.str());
    platform::CreateFolder("data");
    platform::CreateFolder("data\\database");
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
      boxes.push_back(text);
      return platform::IDOK;
    });
  }
  ~Project() {
    platform::SetMessageBoxHandler(nullptr);
    platform::SetProjectRoot(previousRoot_);
  }
  void Write(const std::string& internalPath, const std::vector<unsigned char>& bytes) {
    Require(platform::WriteWholeFileAtomic(internalPath, bytes.data(), bytes.size()));
  }
  std::vector<unsigned char> Read(const std::string& internalPath) {
    std::vector<unsigned char> bytes;
    platform::ReadWholeFile(internalPath, bytes);
    return bytes;
  }

  std::vector<std::string> boxes;
  testsupport::LogCapture log;

 private:
  static void Require(bool ok) {
    if (!ok) throw std::runtime_error("test project write failed");
  }
  testsupport::TempDir dir_;
  std::string previousRoot_;
};

}  // namespace dbtest
