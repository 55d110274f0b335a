#pragma once
// The project-wide records that readers and writers of nested definitions
// consult (the database's counts, the common palette). A file dumped or
// resaved on its own is read against its project's records, as the player
// reads it; the scope loads them and makes them the program-wide ones until
// it ends.
#include <optional>
#include <string>

#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/ReadContext.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "data/WorldMap.h"

namespace tools {

// Makes a native folder the project root while it lives.
class cRootScope {
 public:
  explicit cRootScope(const std::string& nativeRoot);
  ~cRootScope();
  cRootScope(const cRootScope&) = delete;
  cRootScope& operator=(const cRootScope&) = delete;

 private:
  std::string old_;
};

// The project folder a data file (internal path) belongs to: the nearest
// folder above it that holds data\database\. Empty when there is none.
std::string FindProjectRootOf(const std::string& internalPath);

class cProjectScope {
 public:
  // Loads the database, the common palette, the system data and the world
  // map of the project at the native folder `root` (what is missing or
  // broken keeps its defaults) and puts them in place of the program-wide
  // ones and of the save data's context. An empty root changes nothing.
  explicit cProjectScope(const std::string& root);
  ~cProjectScope();
  cProjectScope(const cProjectScope&) = delete;
  cProjectScope& operator=(const cProjectScope&) = delete;

  const cDatabase& Database() const { return database_; }

 private:
  bool active_ = false;
  cDatabase database_;
  cSystem system_;
  cWorldMap worldMap_;
  cCommonPalette savedPalette_;
  cReadContext savedContext_;
  cSaveContext savedSaveContext_;
};

}  // namespace tools
