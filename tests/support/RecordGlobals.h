#pragma once
// Keeps the record framework's globals of one test from leaking into the
// next: saves dwDataVersion, dwFileVersion, bNewerFile and bStripCR, and
// puts them back when the scope ends.
#include <cstdint>

#include "base/SerialRecord.h"

namespace testsupport {

class RecordGlobalsScope {
 public:
  RecordGlobalsScope()
      : dataVersion_(dwDataVersion), fileVersion_(dwFileVersion), newer_(bNewerFile), stripCR_(bStripCR) {}
  // Also sets the data version the writers use for the scope.
  explicit RecordGlobalsScope(uint32_t dataVersion) : RecordGlobalsScope() { dwDataVersion = dataVersion; }
  ~RecordGlobalsScope() {
    dwDataVersion = dataVersion_;
    dwFileVersion = fileVersion_;
    bNewerFile = newer_;
    bStripCR = stripCR_;
  }
  RecordGlobalsScope(const RecordGlobalsScope&) = delete;
  RecordGlobalsScope& operator=(const RecordGlobalsScope&) = delete;

 private:
  uint32_t dataVersion_;
  uint32_t fileVersion_;
  int newer_;
  int stripCR_;
};

}  // namespace testsupport
