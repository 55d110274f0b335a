#pragma once
// Sample records and a byte builder shared by the record-framework tests.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/SerialRecord.h"
#include "tests/support/ByteBuilder.h"

namespace recordtest {

using Bytes = std::vector<unsigned char>;

using testsupport::ByteBuilder;

// The record of the container example: a 4-byte field, a 2-byte field and two
// strings. It has no clone, so Load reads it in place.
struct Pair : cSerialRecord {
  int32_t a = 0;
  int16_t b = 0;
  std::string s1, s2;
  int32_t notRegistered = 0;
  Pair() { Clear(); }
  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&a);
    AddShort(&b);
    AddString(&s1);
    AddString(&s2);
  }
};

struct Leaf : cSerialRecord {
  int8_t k[2] = {};
  std::string t;
  Leaf() { Clear(); }
  void RegisterFields(uint32_t) override {
    ResetFields();
    AddChar(k, 2);
    AddString(&t);
  }
};

struct Item : cSerialRecord {
  int32_t x = 0;
  std::string name;
  cVector<Leaf> leaves;
  Item() {
    Clear();
    x = -1;
  }
  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&x);
    AddString(&name);
  }
  bool Read(cRecordReader& r) override {
    if (!cSerialRecord::Read(r)) return false;
    if (!ReadRecordVector(r, leaves)) return false;
    return r.Ok();
  }
  bool Write(cRecordWriter& w) override {
    cSerialRecord::Write(w);
    WriteRecordVector(w, leaves);
    return true;
  }
};

// A record with version-gated members (introduced by version 700), an array
// entry, an 8-byte field and nested vectors of records as extra data.
struct Doc : cSerialRecord {
  static constexpr uint32_t kLateVersion = 700;
  int32_t id = 0;
  int16_t arr[3] = {};
  double q = 0;
  int32_t late = 0;
  std::string title, lateText;
  cVector<Item> items;
  Doc() {
    Clear();
    id = 1;
    late = 77;
  }
  void RegisterFields(uint32_t version) override {
    ResetFields();
    AddInt(&id);
    AddShort(arr, 3);
    AddQuad(&q);
    if (version >= kLateVersion) AddInt(&late);
    AddString(&title);
    if (version >= kLateVersion) AddString(&lateText);
  }
  bool Read(cRecordReader& r) override {
    if (!cSerialRecord::Read(r)) return false;
    if (!ReadRecordVector(r, items)) return false;
    return r.Ok();
  }
  bool Write(cRecordWriter& w) override {
    cSerialRecord::Write(w);
    WriteRecordVector(w, items);
    return true;
  }
  SERIAL_RECORD_COPYABLE(Doc)
};

// A filled Doc: two items, the second with two leaves.
inline Doc MakeDoc() {
  Doc d;
  d.id = 0x01020304;
  d.arr[0] = 1;
  d.arr[1] = -2;
  d.arr[2] = 300;
  d.q = 2.5;
  d.late = 9;
  d.title = "\x83\x47\x83\x89\x81\x5B";  // エラー
  d.lateText = "zz";
  d.items.resize(2);
  d.items[0].x = 10;
  d.items[0].name = "first";
  d.items[1].x = 20;
  d.items[1].leaves.resize(2);
  d.items[1].leaves[0].k[0] = 'p';
  d.items[1].leaves[0].k[1] = -1;
  d.items[1].leaves[0].t = "leaf";
  d.items[1].leaves[1].k[0] = 3;
  return d;
}

// The same Doc built by hand: version word, body, then the nested vectors.
inline Bytes MakeDocBytes() {
  ByteBuilder b;
  b.U32(791);
  b.I32(4).I32(0x01020304).I16(1).I16(-2).I16(300).F64(2.5).I32(9);
  b.I32(2).Str("\x83\x47\x83\x89\x81\x5B").Str("zz");
  b.U32(2);
  b.I32(1).I32(10).I32(1).Str("first").U32(0);
  b.I32(1).I32(20).I32(1).Str("").U32(2);
  b.I32(1).I8('p').I8(-1).I32(1).Str("leaf");
  b.I32(1).I8(3).I8(0).I32(1).Str("");
  return b.bytes();
}

}  // namespace recordtest
