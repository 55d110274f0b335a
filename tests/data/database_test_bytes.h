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
#include "tests/support/ByteBuilder.h"
#include "tests/support/TestSupport.h"

namespace dbtest {

// A file image: the version word, then what the test adds.
class FileBytes : public testsupport::ByteBuilder {
 public:
  explicit FileBytes(uint32_t version) { U32(version); }
};

// A temporary project folder with data\database\, the main log captured and
// error boxes recorded instead of shown.
class Project {
 public:
  Project() {
    bNewerFile = 0;
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
      boxes.push_back(text);
      return platform::IDOK;
    });
  }
  ~Project() {
    platform::SetMessageBoxHandler(nullptr);
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
  testsupport::ProjectFolder dir_{"data/database"};
};

}  // namespace dbtest
