#include "app/frame/IniSettings.h"

#include <climits>
#include <vector>

#include "data/System.h"
#include "platform/FileSystem.h"


namespace {

int32_t* IntField(sIniSettings& s, int k) {
  switch (k) {
    case 0: return &s.Direct3D;
    case 1: return &s.WindowMode;
    case 2: return &s.Bpp;
    case 3: return &s.VSync;
    case 4: return &s.D3D_FontCache;
    case 5: return &s.DD_FontCache;
    case 6: return &s.DD_VideoStretch;
    case 7: return &s.ShowFps;
    case 9: return &s.English;
    default: return nullptr;
  }
}

void Append(std::string& text, unsigned char c) {
  if (text.size() < ini::kMaxText) text.push_back(static_cast<char>(c));
}

void Apply(sIniSettings& s, const cVector<cIniKey>& keys, const std::string& key, const std::string& value) {
  const int count = static_cast<int>(keys.size());
  for (int k = 0; k < count && k < ini::kKeys; ++k) {
    if (keys[k].m_Key != key) continue;
    if (k == 8) {
      if (value.size() >= 2 && value.size() < ini::kMaxPath) s.FreeStage = value;
    } else {
      *IntField(s, k) = IniAtoi(value);
    }
    return;
  }
}

}  // namespace

int32_t IniAtoi(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<int64_t>(INT_MAX) + 1) v = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int32_t>(v);
}

void LoadSystemIniDefaults(sIniSettings& s, const cVector<cIniKey>& keys) {
  const int count = static_cast<int>(keys.size());
  for (int k = 0; k < 8; ++k) *IntField(s, k) = k < count ? keys[k].m_Default : 0;
  s.FreeStage.clear();
  if (count > 8 && keys[8].m_DefaultText.size() < ini::kMaxPath) s.FreeStage = keys[8].m_DefaultText;
  s.English = 0;
}

int32_t ParseSystemIni(const unsigned char* data, size_t size, sIniSettings& s, const cVector<cIniKey>& keys) {
  size_t pos = 0;
  std::string key, value;
  for (int line = 0; line < ini::kMaxLines; ++line) {
    key.clear();
    bool hasValue = false;
    for (;;) {
      if (pos >= size) return 0;
      const unsigned char c = data[pos++];
      if (c == '=') {
        hasValue = true;
        break;
      }
      if (c == '\r' || c == ' ' || c == '\t') continue;
      if (c == 0) return 1;
      if (c == '\n') {
        if (key == "Exit") return 1;
        break;
      }
      Append(key, c);
    }
    if (!hasValue) continue;
    value.clear();
    while (pos < size) {
      const unsigned char c = data[pos++];
      if (c == ' ' || c == '\t' || c == '/' || c == '\n' || c == 0) break;
      Append(value, c);
    }
    Apply(s, keys, key, value);
  }
  return 1;
}

int32_t LoadSystemIni(const std::string& path, sIniSettings& s, const cVector<cIniKey>& keys) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes)) return 0;
  return ParseSystemIni(bytes.data(), bytes.size(), s, keys);
}
