#include "tools/toolkit/RecordDump.h"

#include <cstring>

namespace tools {
namespace {

template <class T>
T Element(const void* base, int i) {
  T v;
  std::memcpy(&v, static_cast<const unsigned char*>(base) + static_cast<size_t>(i) * sizeof(T), sizeof(T));
  return v;
}

void DumpElement(cJsonWriter& j, const cSerialRecord::FieldEntry& f, int i) {
  using Kind = cSerialRecord::ValueKind;
  switch (f.elementSize) {
    case 1:
      if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint8_t>(f.address, i));
      else
        j.Int(Element<int8_t>(f.address, i));
      break;
    case 2:
      if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint16_t>(f.address, i));
      else
        j.Int(Element<int16_t>(f.address, i));
      break;
    case 4:
      if (f.kind == Kind::Float)
        j.Double(Element<float>(f.address, i));
      else if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint32_t>(f.address, i));
      else
        j.Int(Element<int32_t>(f.address, i));
      break;
    case 8:
      if (f.kind == Kind::Float)
        j.Double(Element<double>(f.address, i));
      else if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint64_t>(f.address, i));
      else
        j.Int(Element<int64_t>(f.address, i));
      break;
    default: j.String("?"); break;
  }
}

}  // namespace

void DumpFieldTable(cJsonWriter& j, cSerialRecord& record) {
  record.RegisterFields(dwDataVersion);
  int unnamed = 0;
  for (const auto& f : record.Fields()) {
    std::string key = f.name ? f.name : "field" + std::to_string(unnamed);
    ++unnamed;
    j.Key(key);
    if (f.count == 1) {
      DumpElement(j, f, 0);
    } else {
      j.BeginArray(true);
      for (int i = 0; i < f.count; ++i) DumpElement(j, f, i);
      j.EndArray();
    }
  }
  int strings = 0;
  for (const auto& s : record.Strings()) {
    j.Key(s.name ? std::string(s.name) : "string" + std::to_string(strings));
    ++strings;
    j.Cp932String(*s.string);
  }
}

void DumpExtras(cJsonWriter& j, cAnime& r) { DumpVector(j, "m_Frames", r.m_Frames); }
void DumpExtras(cJsonWriter& j, cAnimeSet& r) { DumpVector(j, "m_Animes", r.m_Animes); }
void DumpExtras(cJsonWriter& j, cSwordType& r) { DumpVector(j, "m_SwordFrames", r.m_SwordFrames); }
void DumpExtras(cJsonWriter& j, cEffect& r) { DumpVector(j, "m_EffectFrames", r.m_EffectFrames); }
void DumpExtras(cJsonWriter& j, cCondList& r) { DumpVector(j, "m_Conds", r.m_Conds); }

void DumpExtras(cJsonWriter& j, cKeyCond& r) {
  j.Key("m_KeyStates");
  j.BeginArray(true);
  for (int8_t s : r.m_KeyStates) j.Int(s);
  j.EndArray();
}

void DumpExtras(cJsonWriter& j, cFlow& r) {
  DumpVector(j, "m_Conds", r.m_Conds);
  DumpVector(j, "m_KeyConds", r.m_KeyConds);
  DumpVector(j, "m_Cmds", r.m_Cmds);
}

void DumpExtras(cJsonWriter& j, cFlowCmd& r) {
  DumpOptional(j, "m_pMove", r.m_pMove);
  DumpOptional(j, "m_pShot", r.m_pShot);
  DumpOptional(j, "m_pCondList", r.m_pCondList);
  DumpVector(j, "m_SubFlows", r.m_SubFlows);
  j.Key("m_Params");
  j.BeginArray(true);
  for (int32_t p : r.m_Params) j.Int(p);
  j.EndArray();
}

}  // namespace tools
