#pragma once
// Data records as JSON: every registered field and string by its name, in
// table order, then the record's nested vectors and optional records.
#include <string>

#include "base/SerialRecord.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Flow.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "tools/toolkit/Json.h"

namespace tools {

// The registered fields and strings of the record at the current data
// version, written as keys of the object being written.
void DumpFieldTable(cJsonWriter& j, cSerialRecord& record);

// What a record holds beyond its tables; nothing for plain records.
inline void DumpExtras(cJsonWriter&, cSerialRecord&) {}
void DumpExtras(cJsonWriter& j, cAnime& r);
void DumpExtras(cJsonWriter& j, cAnimeSet& r);
void DumpExtras(cJsonWriter& j, cSwordType& r);
void DumpExtras(cJsonWriter& j, cEffect& r);
void DumpExtras(cJsonWriter& j, cCondList& r);
void DumpExtras(cJsonWriter& j, cKeyCond& r);
void DumpExtras(cJsonWriter& j, cFlow& r);
void DumpExtras(cJsonWriter& j, cFlowCmd& r);
void DumpExtras(cJsonWriter& j, cBlockDef& r);
void DumpExtras(cJsonWriter& j, cCharaDef& r);
void DumpExtras(cJsonWriter& j, cItemDef& r);
void DumpExtras(cJsonWriter& j, cCommonPalette& r);
void DumpExtras(cJsonWriter& j, cStage& r);
void DumpExtras(cJsonWriter& j, cMenuSetting& r);
void DumpExtras(cJsonWriter& j, cSystem& r);
void DumpExtras(cJsonWriter& j, cWorldPoint& r);
void DumpExtras(cJsonWriter& j, cWorldMap& r);
void DumpExtras(cJsonWriter& j, cCarryStatus& r);
void DumpExtras(cJsonWriter& j, cSaveData& r);
void DumpExtras(cJsonWriter& j, cReplay& r);
void DumpExtras(cJsonWriter& j, cRankTable& r);
void DumpExtras(cJsonWriter& j, cRanking& r);

// One record as an object.
template <class T>
void DumpRecord(cJsonWriter& j, T& record) {
  j.BeginObject();
  DumpFieldTable(j, record);
  DumpExtras(j, record);
  j.EndObject();
}

template <class T>
void DumpVector(cJsonWriter& j, const char* key, cVector<T>& v) {
  j.Key(key);
  j.BeginArray();
  for (T& e : v) DumpRecord(j, e);
  j.EndArray();
}

template <class P>
void DumpOptional(cJsonWriter& j, const char* key, P& pointer) {
  j.Key(key);
  if (pointer)
    DumpRecord(j, *pointer);
  else
    j.String("none");
}

}  // namespace tools
