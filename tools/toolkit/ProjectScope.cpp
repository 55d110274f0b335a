#include "tools/toolkit/ProjectScope.h"

#include <filesystem>

#include "platform/FileSystem.h"

namespace tools {

cRootScope::cRootScope(const std::string& nativeRoot) : old_(platform::GetProjectRoot()) {
  platform::SetProjectRoot(nativeRoot);
  platform::ForgetFolderListings();
}

cRootScope::~cRootScope() {
  platform::SetProjectRoot(old_);
  platform::ForgetFolderListings();
}

std::string FindProjectRootOf(const std::string& internalPath) {
  namespace fs = std::filesystem;
  std::string native;
  if (!platform::ToNativePath(internalPath, native)) return {};
  std::error_code ec;
  fs::path dir = fs::absolute(fs::path(native), ec).parent_path();
  for (; !dir.empty(); dir = dir.parent_path()) {
    if (fs::is_directory(dir / "data" / "database", ec)) return dir.string();
    if (dir == dir.parent_path()) break;
  }
  return {};
}

cProjectScope::cProjectScope(const std::string& root) {
  if (root.empty()) return;
  active_ = true;
  savedPalette_ = CommonPalette;
  savedContext_ = DefaultReadContext();
  savedSaveContext_ = SaveContext();
  cRootScope scope(root);
  const uint32_t newer = static_cast<uint32_t>(bNewerFile);
  const uint32_t version = dwFileVersion;
  for (int i = 0; i < static_cast<int>(DbList::Count); ++i)
    database_.LoadList(static_cast<DbList>(i), DbFilePath(static_cast<DbList>(i)));
  database_.FixAfterLoad();
  FillReadContext(database_, DefaultReadContext());
  cCommonPalette palette;
  if (palette.Load("data\\CommonPalette.cplt4")) CommonPalette = palette;
  system_.Load("data\\System.dat", &DefaultReadContext());
  FillReadContext(system_, DefaultReadContext());
  worldMap_.Load("data\\WorldMap.dat");
  SaveContext().system = &system_;
  SaveContext().worldMap = &worldMap_;
  bNewerFile = static_cast<int>(newer);
  dwFileVersion = version;
}

cProjectScope::~cProjectScope() {
  if (!active_) return;
  CommonPalette = savedPalette_;
  DefaultReadContext() = savedContext_;
  SaveContext() = savedSaveContext_;
}

}  // namespace tools
