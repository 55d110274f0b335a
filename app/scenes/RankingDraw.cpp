#include "app/scenes/RankingDraw.h"

#include <algorithm>
#include <cstdio>

#include "app/frame/AppTexts.h"
#include "app/frame/IniSettings.h"
#include "app/frame/SceneDirector.h"
#include "base/Text.h"
#include "data/Ranking.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"

namespace {

std::string Padded(int64_t v, int width) {
  char buf[32];
  if (v < 0) std::snprintf(buf, sizeof buf, "-%0*lld", width, static_cast<long long>(-v));
  else std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(v));
  return buf;
}

int Digits(int32_t v) {
  int64_t a = v < 0 ? -static_cast<int64_t>(v) : v;
  int d = 1;
  while (a >= 10) {
    a /= 10;
    ++d;
  }
  return d;
}

std::string Label(int k) {
  const cVector<std::string>& labels = nm::sys::Labels(SystemData);
  return k >= 0 && static_cast<size_t>(k) < labels.size() ? labels[k] : std::string();
}

const uint8_t* MenuSwitches(int gameType, uint8_t (&buf)[5]) {
  std::fill(std::begin(buf), std::end(buf), 0);
  const cVector<cMenuSetting>& menus = nm::sys::RankingMenus(SystemData);
  if (gameType >= 0 && static_cast<size_t>(gameType) < menus.size()) {
    const cVector<uint8_t>& c = nm::sys::MenuCategories(menus[gameType]);
    for (size_t k = 0; k < 5 && k < c.size(); ++k) buf[k] = c[k];
  }
  return buf;
}

// Names are drawn with their letters, not the icon pictures.
struct IconLettersOff {
  bool on;
  IconLettersOff() : on(nm::sys::IconLetters(SystemData) != 0) {
    if (on) Fonts[1].m_bIcons = 0;
  }
  ~IconLettersOff() {
    if (on) Fonts[1].m_bIcons = 1;
  }
};

}  // namespace

void FormatRankTime(std::string& out, int32_t t) {
  const int32_t minutes = t / 6000, seconds = (t / 100) % 60, hundredths = t % 100;
  out = Padded(minutes, 2) + ":" + Padded(seconds, 2) + "." + Padded(hundredths, 2);
}

std::string FormatRankTime(int32_t hundredths) {
  std::string s;
  FormatRankTime(s, hundredths);
  return s;
}

int CountValue(const cVector<int32_t>& values, int32_t value) {
  return static_cast<int>(std::count(values.begin(), values.end(), value));
}

int StepCategory(int k, const uint8_t s[5], int n) {
  if (!std::any_of(s, s + 5, [](uint8_t v) { return v != 0; })) return k;
  k = std::clamp(k, 0, 4);
  if (n > 0) {
    for (int i = 0; i < n; ++i) do k = k + 1 > 4 ? 0 : k + 1; while (!s[k]);
  } else if (n == 0) {
    while (!s[k]) k = k + 1 > 4 ? 0 : k + 1;
  } else {
    for (int i = 0; i < -n; ++i) do k = k - 1 < 0 ? 4 : k - 1; while (!s[k]);
  }
  return k;
}

void MoveSystemMenuCursor(cSaveData& save, int gameType, int n) {
  uint8_t buf[5];
  nm::save::SetRankingCategory(save, StepCategory(nm::save::RankingCategory(save), MenuSwitches(gameType, buf), n));
}

void DrawRankMarker(DDSURFACEDATA* surface, int x, int y) {
  DDSURFACEDATA& sheet = SurfaceTable[49];
  if (!surface || (!sheet.lpDD && !sheet.lpDT)) return;
  DDBlt(surface, x, y, 16, 16, &sheet, 16, 48, 1);
}

void DrawRanking(const cRanking& ranking, DDSURFACEDATA* surface, int x, int y, int category, int highlight) {
  const cVector<cRankTable>& tables = nm::rank::Tables(ranking);
  if (category < 0 || static_cast<size_t>(category) >= tables.size()) return;
  DrawRankingBox(tables[category], surface, x, y, category, highlight);
}

void DrawRankingBox(const cRankTable& table, DDSURFACEDATA* surface, int x, int y, int c, int h) {
  if (!surface) return;
  Font& font = Fonts[1];
  font.DrawBox(surface, x + 1, y + 1, 270, 350);
  const std::string heading = Label(5 + c);
  if (IniSettings.English) {
    IconLettersOff off;
    Font::Printf(&font, surface, x, y, "Ranking     %s", heading.c_str());
  } else {
    Font::Printf(&font, surface, x, y, apptext::kRankingHeading, heading.c_str());
  }
  const cVector<cRankEntry>& rows = nm::rank::Rows(table);
  const int w = c == 2 ? 8 : (rows.empty() ? 1 : Digits(nm::rank::Value(rows[0])));
  for (int i = 0; i < 20 && static_cast<size_t>(i) < rows.size(); ++i) {
    const cRankEntry& e = rows[i];
    if (!nm::rank::Used(e)) continue;
    const int yi = y + 16 * (i + 1);
    Font::Printf(&font, surface, x + 16, yi, "%d", i + 1);
    {
      IconLettersOff off;
      Font::Printf(&font, surface, x + 64, yi, "%s", nm::rank::Name(e).c_str());
    }
    const int32_t v = nm::rank::Value(e);
    if (c == 2) Font::Printf(&font, surface, x + 144, yi, "%s", FormatRankTime(v).c_str());
    else Font::Printf(&font, surface, x + 16 * (w - Digits(v) + 9), yi, "%d", static_cast<int>(v));
  }
  if (SystemData.GetMenuItemCount(SceneDirector.m_nGameType) > 1) {
    const std::string hint = Label(25);
    font.DrawText(surface, x + 136 - 8 * CountChars(hint.c_str()), y + 336, hint.c_str());
  }
  if (h != -1) DrawRankMarker(surface, x, y + 16 * (h + 1));
}

void DrawResultsBox(DDSURFACEDATA* surface, int x, int y, const cVector<int32_t>& ranks) {
  if (!surface) return;
  uint8_t menu[5];
  MenuSwitches(SceneDirector.m_nGameType, menu);
  const cVector<int32_t>& stageFlags = nm::stage::RankFlags(Stage);
  bool shown[5];
  int count = 0, l = 1;
  for (int k = 0; k < 5; ++k) {
    const bool stageOn = static_cast<size_t>(k) < stageFlags.size() && stageFlags[k] != 0;
    shown[k] = stageOn && (SceneDirector.m_Startup.m_bStartFilePlay.load() != 0 || menu[k] != 0);
    if (!shown[k]) continue;
    ++count;
    l = std::max(l, CountChars(Label(5 + k).c_str()));
  }
  if (count == 0) return;
  int w = shown[0] ? Digits(nm::save::RankTotal(SaveData, 0)) : 1;
  if (shown[1]) w = std::max(w, Digits(nm::save::RankTotal(SaveData, 1)));
  if (shown[2]) w = std::max(w, 8);
  if (shown[3]) w = std::max(w, Digits(nm::save::RankTotal(SaveData, 3)));
  if (shown[4]) w = std::max(w, Digits(nm::save::RankTotal(SaveData, 4)));
  Font& font = Fonts[1];
  font.DrawBox(surface, x, y, (w + l + 3) * 16, count * 16);
  int row = y;
  for (int k = 0; k < 5; ++k) {
    if (!shown[k]) continue;
    Font::Printf(&font, surface, x + 16, row, "%s", Label(5 + k).c_str());
    const int32_t v = nm::save::RankTotal(SaveData, k);
    if (k == 2) Font::Printf(&font, surface, x + 16 * l + 32, row, "%s", FormatRankTime(v).c_str());
    else Font::Printf(&font, surface, x + 16 * l + 32, row, "%d", static_cast<int>(v));
    row += 16;
  }
  int m = y;
  for (int32_t r : ranks) {
    if (r == -1) continue;
    DrawRankMarker(surface, x, m);
    m += 16;
  }
}
