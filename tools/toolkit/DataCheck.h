#pragma once
// Loads every data file of a project folder the way start-up does and
// collects what went wrong, each with the message the player shows or logs.
#include <string>
#include <vector>

namespace tools {

struct cCheckFailure {
  std::string file;     // project path, UTF-8 (backslashes as in the data)
  std::string message;  // UTF-8; several lines joined with "\n"
  std::string reason;   // why the read failed and where (UTF-8), when a record reader failed
};

// False when `dir` is not a folder. The messages are taken from the error
// boxes the loaders show and the lines they write to the main log, when a
// main log is open (see InitLog); otherwise only from the boxes.
bool CheckProject(const std::string& dir, std::vector<cCheckFailure>& failures);

}  // namespace tools
