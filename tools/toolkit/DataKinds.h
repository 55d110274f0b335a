#pragma once
// The kinds of data file the tools know: how to read one, show it as JSON
// and write it back with the project's own readers and writers.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/toolkit/Json.h"

namespace tools {

struct cDataKind {
  const char* name;
  const char* what;
  // Both take internal paths (code page 932, backslashes). On failure they
  // return false and say why in *error.
  std::function<bool(const std::string& path, cJsonWriter& json, std::string* error)> dump;
  std::function<bool(const std::string& path, const std::string& out, std::string* error)> resave;
};

const std::vector<cDataKind>& DataKinds();
const cDataKind* FindDataKind(const std::string& name);

// The data files of the project at the current project root that the kinds
// cover, as (project path, kind name), in start-up order. Files of
// user_data\ are listed only when present.
std::vector<std::pair<std::string, std::string>> ProjectDataFiles();

// Why the last record file could not be read, from the framework's globals.
std::string DescribeReadFailure(const std::string& path);

// A native path (relative to the current folder or absolute) as an
// internal absolute path; false when it has no code-page-932 form.
bool NativeToDataPath(const std::string& native, std::string& internal);

}  // namespace tools
