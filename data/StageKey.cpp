#include "data/StageKey.h"

std::string StageKey(const std::string& stageFile) {
  std::string key = stageFile;
  if (size_t dot = key.rfind('.'); dot != std::string::npos) key.resize(dot);
  if (size_t part = key.rfind("-1"); part != std::string::npos) {
    key.resize(part);
  }
  key += '.';
  return key;
}
