#pragma once
// Builders for condition, flow and command bodies as files of older versions
// hold them, and a reader that checks a body was consumed exactly.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/SerialRecord.h"
#include "data/Flow.h"
#include "data/FlowCmd.h"
#include "data/ReadContext.h"
#include "tests/support/ByteBuilder.h"
#include "tests/support/RecordGlobals.h"

namespace flowfix {

using Bytes = std::vector<unsigned char>;

using testsupport::ByteBuilder;

// Makes the writers use an older layout for the scope.
class VersionScope : public testsupport::RecordGlobalsScope {
 public:
  explicit VersionScope(uint32_t v) : RecordGlobalsScope(v) {}
};

// The body a file of version v holds for a record whose Write is just its
// field and string blocks (conditions, movement and shot records, flows
// without commands).
template <class T>
Bytes BodyAt(T record, uint32_t v) {
  VersionScope scope(v);
  cRecordWriter w;
  record.Write(w);
  return w.Bytes();
}

template <class T>
Bytes BodyNow(T& record) {
  cRecordWriter w;
  record.Write(w);
  return w.Bytes();
}

// Reads one body as a file of version v; true only when the read succeeded
// and used every byte.
template <class T>
bool ReadBody(T& record, const Bytes& bytes, uint32_t v, cReadContext* context = nullptr) {
  cRecordReader r(bytes);
  r.SetVersion(v);
  r.SetContext(context);
  const bool ok = record.Read(r) && r.Ok();
  return ok && r.AtEnd();
}

// A command as an older file holds it.
struct OldCmd {
  uint8_t set = 0;
  int8_t kind = 0;
  std::vector<int32_t> params;
  std::string text;
  int16_t time = 0;
  boost::shared_ptr<cEdMove> move;
  boost::shared_ptr<cEdShot> shot;
  boost::shared_ptr<cCondList> condList;
  Bytes subFlows = {0, 0, 0, 0};  // count and bodies
};

inline Bytes CmdBytes(const OldCmd& c, uint32_t v) {
  ByteBuilder b;
  b.I32(8).U8(c.set).U8(c.kind).I16(c.time).I16(0).U8(0).I16(0).U8(1).I16(0);
  b.I32(1).Str(c.text);
  b.U32(c.move ? 1 : 0);
  if (c.move) b.Raw(BodyAt(*c.move, v));
  b.U32(c.shot ? 1 : 0);
  if (c.shot) b.Raw(BodyAt(*c.shot, v));
  if (v > 763) {
    b.U32(c.condList ? 1 : 0);
    if (c.condList) {
      Bytes list = BodyAt(*c.condList, v);
      if (v < 766) list.resize(list.size() - 4);  // lists of 764 and 765 hold no conditions
      b.Raw(list);
    }
  }
  b.Raw(c.subFlows);
  b.U32(static_cast<uint32_t>(c.params.size()));
  for (int32_t p : c.params) b.I32(p);
  return b.bytes();
}

// A flow body at version v (>= 767) holding the given command bodies.
inline Bytes FlowBytes(uint32_t v, uint8_t testPlayOnly, int8_t flowId, const std::vector<Bytes>& cmds) {
  cFlow f;
  f.m_TestPlayOnly = testPlayOnly;
  f.m_FlowId = flowId;
  Bytes body = BodyAt(f, v);
  // Replace the trailing empty command vector with the given commands.
  body.resize(body.size() - 4);
  ByteBuilder b;
  b.Raw(body).U32(static_cast<uint32_t>(cmds.size()));
  for (const Bytes& c : cmds) b.Raw(c);
  return b.bytes();
}

inline std::vector<int32_t> Params(const cFlowCmd& c) { return {c.m_Params.begin(), c.m_Params.end()}; }

}  // namespace flowfix
