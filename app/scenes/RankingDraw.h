#pragma once
// Drawing of the rankings: the panel of one category, the results box of a
// finished stage, the clear-time format and the choice of the category shown.
#include <cstdint>
#include <string>

#include "base/Containers.h"

class cRanking;
class cRankTable;
class cSaveData;
struct DDSURFACEDATA;

// "mm:ss.hh" from hundredths of a second (minutes widen past 99).
void FormatRankTime(std::string& out, int32_t hundredths);
std::string FormatRankTime(int32_t hundredths);
int CountValue(const cVector<int32_t>& values, int32_t value);
// Moves a category 0..4 over the switched-on categories: n > 0 steps forward
// n times, n < 0 back, n = 0 keeps an enabled category or takes the next one.
int StepCategory(int category, const uint8_t switches[5], int n);
void MoveSystemMenuCursor(cSaveData& save, int gameType, int n);

void DrawRanking(const cRanking& ranking, DDSURFACEDATA* surface, int x, int y, int category, int highlight);
void DrawRankingBox(const cRankTable& table, DDSURFACEDATA* surface, int x, int y, int category, int highlight);
void DrawResultsBox(DDSURFACEDATA* surface, int x, int y, const cVector<int32_t>& ranks);
// The ranking marker (16x16 from the accessory sheet).
void DrawRankMarker(DDSURFACEDATA* surface, int x, int y);
