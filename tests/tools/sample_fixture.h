#pragma once
// The generated sample project, made once per test program, and helpers to
// work on copies of it.
#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"
#include "tools/toolkit/SampleProject.h"

namespace sampletest {

// The pristine sample; tests must not change it (they copy it first).
inline const std::filesystem::path& SampleDir() {
  static testsupport::TempDir dir;
  static const std::filesystem::path path = [] {
    std::filesystem::path p = dir.path() / "sample";
    std::string error;
    if (!tools::MakeSampleProject(p.string(), &error)) throw std::runtime_error(error);
    return p;
  }();
  return path;
}

// Points the project root at a folder for the scope.
using ProjectRoot = testsupport::ProjectRootScope;

// The native form of a project path inside `dir`.
inline std::filesystem::path Native(const std::filesystem::path& dir, std::string projectPath) {
  for (char& c : projectPath)
    if (c == '\\') c = '/';
  return dir / projectPath;
}

}  // namespace sampletest
