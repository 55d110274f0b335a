#pragma once
// Helpers shared by the unit tests.
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// Makes `folder` the project root for the scope; the previous root comes
// back at the end. Folder listings cached for either root are forgotten.
class ProjectRootScope {
 public:
  explicit ProjectRootScope(const std::filesystem::path& folder);
  ~ProjectRootScope();
  ProjectRootScope(const ProjectRootScope&) = delete;
  ProjectRootScope& operator=(const ProjectRootScope&) = delete;

 private:
  std::string previous_;
};

// A fresh temporary project folder, with the given subfolders ("data/stg4"),
// that is the project root for the scope and is removed at its end. It notes
// the current folder at the start, for tests that check nothing changes it.
class ProjectFolder {
 public:
  explicit ProjectFolder(std::initializer_list<const char*> subfolders = {});
  const std::filesystem::path& path() const { return dir_.path(); }
  std::string str() const { return dir_.str(); }
  // The native path of a file or folder inside the project.
  std::filesystem::path Native(const std::string& relative) const { return dir_.path() / relative; }
  const std::filesystem::path& startFolder() const { return startFolder_; }

 private:
  TempDir dir_;
  ProjectRootScope root_;
  std::filesystem::path startFolder_;
};

// Points the main log at a file in its own temporary folder for the scope,
// so a test can read what was logged.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::vector<std::string> Lines() const;
  std::string Text() const;

 private:
  TempDir dir_;
  std::string previous_;
};

std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

// Root of the unpacked Debian media packages, or empty when they are absent.
std::string TestMediaDir();

}  // namespace testsupport
