// ctest-label: records
// The record container: layout, versions, strings, clearing and copying.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "base/SerialRecord.h"
#include "platform/FileSystem.h"
#include "tests/base/record_test_types.h"
#include "tests/support/RecordGlobals.h"
#include "tests/support/TestSupport.h"

using namespace recordtest;

namespace {

// Keeps the framework globals of one test from leaking into the next.
class SerialRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dwDataVersion = 791;
    bStripCR = 1;
  }
  std::string PathOf(const std::string& name) const { return (dir_.path() / name).string(); }
  void WriteFile(const std::string& name, const Bytes& bytes) const {
    testsupport::WriteFileBytes(dir_.path() / name, bytes);
  }
  Bytes FileBytes(const std::string& name) const { return testsupport::ReadFileBytes(dir_.path() / name); }

  testsupport::RecordGlobalsScope globals_;
  testsupport::TempDir dir_;
};

const Bytes kExample29 = {0x17, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x07, 0x00, 0x02,
                          0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x00, 0x01, 0x00, 0x00, 0x00};

TEST_F(SerialRecordTest, ContainerExampleWritesAndReadsBackByteForByte) {
  Pair p;
  p.a = 5;
  p.b = 7;
  p.s1 = "ab";
  ASSERT_TRUE(p.Save(PathOf("example.dat")));
  EXPECT_EQ(FileBytes("example.dat"), kExample29);

  Pair q;
  ASSERT_TRUE(q.Load(PathOf("example.dat")));
  EXPECT_EQ(q.a, 5);
  EXPECT_EQ(q.b, 7);
  EXPECT_EQ(q.s1, "ab");
  EXPECT_EQ(q.s2, "");
  EXPECT_EQ(dwFileVersion, 791u);
  ASSERT_TRUE(q.Save(PathOf("again.dat")));
  EXPECT_EQ(FileBytes("again.dat"), kExample29);
}

TEST_F(SerialRecordTest, NestedVectorsAreCountAndBodies) {
  Doc d = MakeDoc();
  EXPECT_EQ(d.SaveToBytes(), MakeDocBytes());

  Doc e;
  ASSERT_TRUE(e.LoadFromBytes(MakeDocBytes()));
  EXPECT_EQ(e.id, 0x01020304);
  EXPECT_EQ(e.arr[2], 300);
  EXPECT_EQ(e.q, 2.5);
  EXPECT_EQ(e.title, "\x83\x47\x83\x89\x81\x5B");
  ASSERT_EQ(e.items.size(), 2u);
  ASSERT_EQ(e.items[1].leaves.size(), 2u);
  EXPECT_EQ(e.items[1].leaves[0].k[1], -1);
  EXPECT_EQ(e.items[1].leaves[0].t, "leaf");
  EXPECT_EQ(e.SaveToBytes(), MakeDocBytes());
}

// n counts table entries, so the split of the same bytes into entries shows.
TEST_F(SerialRecordTest, FieldCountIsTheNumberOfEntriesNotElements) {
  struct ThreeEntries : cSerialRecord {
    int32_t x = 1, y = 2, z = 3;
    void RegisterFields(uint32_t) override {
      ResetFields();
      AddInt(&x);
      AddInt(&y);
      AddInt(&z);
    }
  } three;
  struct OneEntry : cSerialRecord {
    int32_t v[3] = {1, 2, 3};
    void RegisterFields(uint32_t) override {
      ResetFields();
      AddInt(v, 3);
    }
  } one;
  Bytes body = ByteBuilder().I32(1).I32(2).I32(3).I32(0).bytes();
  Bytes threeBytes = ByteBuilder().U32(791).I32(3).bytes();
  Bytes oneBytes = ByteBuilder().U32(791).I32(1).bytes();
  threeBytes.insert(threeBytes.end(), body.begin(), body.end());
  oneBytes.insert(oneBytes.end(), body.begin(), body.end());
  EXPECT_EQ(three.SaveToBytes(), threeBytes);
  EXPECT_EQ(one.SaveToBytes(), oneBytes);
  // Three entries in a file are surplus for a record of one entry.
  EXPECT_FALSE(one.LoadFromBytes(threeBytes));
  EXPECT_TRUE(three.LoadFromBytes(threeBytes));
}

struct VersionCase {
  uint32_t version;
  bool accepted;
};

TEST_F(SerialRecordTest, FilesNewerThanTheDataVersionAreRefused) {
  const VersionCase cases[] = {{792, false},        {0xFFFFFFFFu, false}, {0x80000000u, false},
                               {791, true},         {700, true},          {0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    Pair p;
    p.a = 42;
    p.s1 = "kept";
    Bytes file = kExample29;
    ByteBuilder v;
    v.U32(c.version);
    std::copy(v.bytes().begin(), v.bytes().end(), file.begin());
    WriteFile("v.dat", file);
    bNewerFile = c.accepted ? 1 : 0;  // the opposite of what the load must leave
    EXPECT_EQ(p.Load(PathOf("v.dat")), c.accepted);
    EXPECT_EQ(bNewerFile, c.accepted ? 0 : 1);
    EXPECT_EQ(dwFileVersion, c.version);
    if (c.accepted) {
      EXPECT_EQ(p.a, 5);
    } else {
      EXPECT_EQ(p.a, 42);
      EXPECT_EQ(p.s1, "kept");
    }
  }
}

TEST_F(SerialRecordTest, MissingFileLeavesTheVersionGlobalsAlone) {
  for (int before : {0, 1}) {
    bNewerFile = before;
    dwFileVersion = 123;
    Pair p;
    p.a = 42;
    EXPECT_FALSE(p.Load(PathOf("missing.dat")));
    EXPECT_EQ(bNewerFile, before);
    EXPECT_EQ(dwFileVersion, 123u);
    EXPECT_EQ(p.a, 42);
  }
}

// A file too short to hold its version word was opened and is not newer: a
// caller must not be told it was refused as newer.
TEST_F(SerialRecordTest, FileShorterThanTheVersionWordIsBrokenNotNewer) {
  WriteFile("short.dat", {0x17, 0x03});
  bNewerFile = 1;
  dwFileVersion = 123;
  Pair p;
  EXPECT_FALSE(p.Load(PathOf("short.dat")));
  EXPECT_EQ(bNewerFile, 0);
  EXPECT_EQ(dwFileVersion, 123u);
}

TEST_F(SerialRecordTest, OlderFileKeepsLaterFieldsAndIsUpgradedOnSave) {
  // Version 600 has neither `late` nor `lateText`.
  ByteBuilder old;
  old.U32(600).I32(3).I32(8).I16(1).I16(2).I16(3).F64(-1.0).I32(1).Str("old").U32(0);
  WriteFile("old.dat", old.bytes());

  Doc d;
  d.late = 4242;
  d.lateText = "prior";
  ASSERT_TRUE(d.Load(PathOf("old.dat")));
  EXPECT_EQ(dwFileVersion, 600u);
  EXPECT_EQ(d.id, 8);
  EXPECT_EQ(d.arr[2], 3);
  EXPECT_EQ(d.q, -1.0);
  EXPECT_EQ(d.title, "old");
  EXPECT_EQ(d.late, 4242);
  EXPECT_EQ(d.lateText, "prior");
  // After the read the tables describe the current layout again.
  EXPECT_EQ(d.Fields().size(), 4u);
  EXPECT_EQ(d.Strings().size(), 2u);

  ASSERT_TRUE(d.Save(PathOf("old.dat")));
  ByteBuilder now;
  now.U32(791).I32(4).I32(8).I16(1).I16(2).I16(3).F64(-1.0).I32(4242).I32(2).Str("old").Str("prior").U32(0);
  EXPECT_EQ(FileBytes("old.dat"), now.bytes());
}

TEST_F(SerialRecordTest, FewerEntriesThanRegisteredReadTheLeadingOnes) {
  Pair p;
  p.b = 99;
  p.s2 = "second";
  ASSERT_TRUE(p.LoadFromBytes(ByteBuilder().U32(791).I32(1).I32(5).I32(1).Str("x").bytes()));
  EXPECT_EQ(p.a, 5);
  EXPECT_EQ(p.b, 99);
  EXPECT_EQ(p.s1, "x");
  EXPECT_EQ(p.s2, "second");
}

struct StringCase {
  std::string text;
  Bytes encoded;
};

TEST_F(SerialRecordTest, StringsAreLengthPlusOneThenTextAndNul) {
  const StringCase cases[] = {
      {"", {0x01, 0x00, 0x00, 0x00}},
      {"abc", {0x04, 0x00, 0x00, 0x00, 'a', 'b', 'c', 0x00}},
      {"\x83\x47", {0x03, 0x00, 0x00, 0x00, 0x83, 0x47, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Pair p;
    p.s1 = c.text;
    Bytes file = p.SaveToBytes();
    Bytes s1(file.begin() + 18, file.begin() + 18 + static_cast<long>(c.encoded.size()));
    EXPECT_EQ(s1, c.encoded);
    Pair q;
    q.s1 = "something";
    ASSERT_TRUE(q.LoadFromBytes(file));
    EXPECT_EQ(q.s1, c.text);
  }
}

TEST_F(SerialRecordTest, StringsLongerThanTheOldBufferRoundTrip) {
  Pair p;
  p.s1.assign(20000, 'x');
  p.s1 += "end";
  Pair q;
  ASSERT_TRUE(q.LoadFromBytes(p.SaveToBytes()));
  EXPECT_EQ(q.s1, p.s1);
}

TEST_F(SerialRecordTest, EmbeddedNulEndsTheStringOnWrite) {
  Pair p;
  p.s1 = std::string("ab\0cd", 5);
  Bytes file = p.SaveToBytes();
  EXPECT_EQ(file.size(), 29u);
  EXPECT_EQ(p.s1, "ab");  // the member itself is cut by the write
}

TEST_F(SerialRecordTest, CarriageReturnsAreStrippedWhenReadingIfEnabled) {
  Bytes file = ByteBuilder().U32(791).I32(0).I32(2).Str("a\r\nb").Str("\r").bytes();
  Pair p;
  ASSERT_TRUE(p.LoadFromBytes(file));
  EXPECT_EQ(p.s1, "a\nb");
  EXPECT_EQ(p.s2, "");

  bStripCR = 0;
  ASSERT_TRUE(p.LoadFromBytes(file));
  EXPECT_EQ(p.s1, "a\r\nb");
  EXPECT_EQ(p.s2, "\r");
}

TEST_F(SerialRecordTest, StripCRWalksTheTablesAsTheyStand) {
  Pair p;
  p.s1 = "x\ry";
  p.s2 = "\r\r";
  p.StripCR();
  EXPECT_EQ(p.s1, "xy");
  EXPECT_EQ(p.s2, "");
}

TEST_F(SerialRecordTest, ClearZeroesRegisteredMembersOnly) {
  Doc d = MakeDoc();
  d.Clear();
  EXPECT_EQ(d.id, 0);
  EXPECT_EQ(d.arr[0], 0);
  EXPECT_EQ(d.arr[2], 0);
  EXPECT_EQ(d.q, 0.0);
  EXPECT_EQ(d.late, 0);
  EXPECT_EQ(d.title, "");
  EXPECT_EQ(d.lateText, "");
  EXPECT_EQ(d.items.size(), 2u);  // extras are not in the tables

  Pair p;
  p.notRegistered = 5;
  p.a = 1;
  p.Clear();
  EXPECT_EQ(p.a, 0);
  EXPECT_EQ(p.notRegistered, 5);
}

TEST_F(SerialRecordTest, AssignCopiesWhatTheTablesDescribe) {
  Doc src = MakeDoc();
  Doc dst;
  dst.items.resize(5);
  dst.Assign(src);
  EXPECT_EQ(dst.id, src.id);
  EXPECT_EQ(dst.arr[1], -2);
  EXPECT_EQ(dst.q, 2.5);
  EXPECT_EQ(dst.late, 9);
  EXPECT_EQ(dst.title, src.title);
  EXPECT_EQ(dst.lateText, "zz");
  EXPECT_EQ(dst.items.size(), 5u);
}

// A copy's tables must describe the copy's own members, never the source's.
TEST_F(SerialRecordTest, CopiesOperateOnTheirOwnMembers) {
  auto pointsInto = [](const cSerialRecord& rec, const Doc& owner) {
    auto inside = [&](const void* p) {
      auto* b = reinterpret_cast<const unsigned char*>(&owner);
      auto* a = static_cast<const unsigned char*>(p);
      return a >= b && a < b + sizeof(Doc);
    };
    for (const auto& f : rec.Fields())
      if (f.owner != &rec || !inside(f.address)) return false;
    for (const auto& s : rec.Strings())
      if (s.owner != &rec || !inside(s.string)) return false;
    return true;
  };

  Doc src = MakeDoc();
  src.title = "x\ry";
  Doc assigned;
  assigned = src;
  EXPECT_EQ(assigned.title, "x\ry");
  EXPECT_EQ(assigned.items.size(), 2u);
  EXPECT_TRUE(pointsInto(assigned, assigned));
  assigned.StripCR();  // walks the tables without registering
  EXPECT_EQ(assigned.title, "xy");
  EXPECT_EQ(src.title, "x\ry");

  Doc built(src);
  built.Clear();
  EXPECT_TRUE(pointsInto(built, built));
  EXPECT_EQ(src.id, 0x01020304);
  EXPECT_EQ(src.title, "x\ry");

  // Loading into a copy leaves the source alone.
  Doc loaded(src);
  ASSERT_TRUE(loaded.LoadFromBytes(Doc().SaveToBytes()));
  EXPECT_EQ(loaded.id, 1);
  EXPECT_EQ(src.id, 0x01020304);
  EXPECT_TRUE(pointsInto(loaded, loaded));
}

// A file assembled by its own reader and writer: a count and record bodies
// right after the version word.
TEST_F(SerialRecordTest, OpenWriteAndOpenReadFrameHandBuiltFiles) {
  cVector<Pair> list(2);
  list[0].a = 1;
  list[0].s1 = "one";
  list[1].a = 2;
  cRecordWriter w;
  ASSERT_TRUE(cSerialRecord::OpenWrite(PathOf("list.dat"), w));
  WriteRecordVector(w, list);
  ASSERT_TRUE(cSerialRecord::Close(w));
  ByteBuilder expected;
  expected.U32(791).U32(2);
  expected.I32(2).I32(1).I16(0).I32(2).Str("one").Str("");
  expected.I32(2).I32(2).I16(0).I32(2).Str("").Str("");
  EXPECT_EQ(FileBytes("list.dat"), expected.bytes());

  cRecordReader r;
  ASSERT_TRUE(cSerialRecord::OpenRead(PathOf("list.dat"), r));
  EXPECT_EQ(r.Version(), 791u);
  cVector<Pair> back;
  ASSERT_TRUE(ReadRecordVector(r, back));
  EXPECT_TRUE(r.AtEnd());
  cSerialRecord::Close(r);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].s1, "one");
  EXPECT_EQ(back[1].a, 2);

  EXPECT_FALSE(cSerialRecord::OpenWrite("", w));
  EXPECT_FALSE(cSerialRecord::OpenRead(PathOf("nothing.dat"), r));
  EXPECT_FALSE(r.Ok());
}

TEST_F(SerialRecordTest, EmptyPathLoadsTheFileNamedErr) {
  bool loaded = false;
  Pair p;
  {
    testsupport::ProjectRootScope root(dir_.path());
    WriteFile("err", kExample29);
    loaded = p.Load("");
  }
  EXPECT_TRUE(loaded);
  EXPECT_EQ(p.a, 5);
}

}  // namespace

namespace {

// A failed read keeps its first failure: what was being read, how many bytes
// were missing, and the file offset the failed read started at.
TEST_F(SerialRecordTest, FailedReadNamesTheReasonAndOffset) {
  struct Case {
    const char* what;
    Bytes bytes;
    const char* reason;
    size_t offset;
  };
  const Case cases[] = {
      {"cut inside the second field", ByteBuilder().U32(791).I32(2).I32(5).I8(7).bytes(), "field 1: needs 2 bytes, 1 left",
       12},
      {"surplus fields", ByteBuilder().U32(791).I32(3).bytes(), "field count: 3, the record has 2 fields", 8},
      {"negative string length", ByteBuilder().U32(791).I32(2).I32(5).I16(7).I32(2).I32(-4).bytes(),
       "string 0: string length word -4, at least 1 expected", 18},
      {"string text cut", ByteBuilder().U32(791).I32(2).I32(5).I16(7).I32(2).I32(9).Raw({'a', 'b'}).bytes(),
       "string 0: string text needs 9 bytes, 2 left", 22},
      {"no version word", Bytes{1, 2}, "version word: needs 4 bytes, 2 left", 0},
      {"newer", ByteBuilder().U32(792).bytes(), "version word: 792 is newer than this program's 791", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Pair p;
    ClearLastReadFailure();
    EXPECT_FALSE(p.LoadFromBytes(c.bytes));
    EXPECT_EQ(LastReadFailure().reason, c.reason);
    EXPECT_EQ(LastReadFailure().offset, c.offset);
  }
}

TEST_F(SerialRecordTest, CountTooLargeForTheRestIsNamedAtItsWord) {
  cRecordReader r(ByteBuilder().U32(1000).Raw({0, 0, 0, 0, 0, 0, 0, 0}).bytes());
  r.Label("element count");
  uint32_t n = 0;
  EXPECT_FALSE(r.ReadCount(n, 8));
  EXPECT_EQ(r.Failure().Text(), "element count: count 1000 of at least 8 bytes each, 8 bytes left after it, at byte 0");
  // Only the first failure is kept.
  r.Fail("later");
  EXPECT_EQ(r.Failure().offset, 0u);
  EXPECT_EQ(LastReadFailure().reason, r.Failure().reason);
}

// The tables of a record in use come from the registering thread's buffers:
// a record can outlive that thread and still be used and destroyed.
TEST_F(SerialRecordTest, RecordLeftRegisteredOutlivesItsThread) {
  auto p = std::make_unique<Pair>();
  std::thread([&] {
    Pair warm;  // puts tables back into the thread's pool
    warm.SaveToBytes();
    p->a = 5;
    p->RegisterFields(dwDataVersion);  // left in use when the thread ends
  }).join();
  ASSERT_EQ(p->Fields().size(), 2u);
  EXPECT_EQ(p->SaveToBytes(), ByteBuilder().U32(791).I32(2).I32(5).I16(0).I32(2).I32(1).I32(1).bytes());
  p->RegisterFields(dwDataVersion);
  p.reset();
}

// Every field of a body that the file holds in full lands in its own member,
// whatever its width.
TEST_F(SerialRecordTest, FieldsOfEveryWidthReadIntoTheirMembers) {
  Doc d;
  ByteBuilder b;
  b.U32(791).I32(4).I32(-3).I16(1).I16(-2).I16(3).F64(2.5).I32(44).I32(2).Str("t").Str("u").U32(0);
  ASSERT_TRUE(d.LoadFromBytes(b.bytes()));
  EXPECT_EQ(d.id, -3);
  EXPECT_EQ(d.arr[0], 1);
  EXPECT_EQ(d.arr[1], -2);
  EXPECT_EQ(d.arr[2], 3);
  EXPECT_EQ(d.q, 2.5);
  EXPECT_EQ(d.late, 44);
  EXPECT_EQ(d.title, "t");
  EXPECT_EQ(d.lateText, "u");
  EXPECT_EQ(d.SaveToBytes(), b.bytes());
}

TEST_F(SerialRecordTest, MissingFileFailureHasNoOffset) {
  Pair p;
  EXPECT_FALSE(p.Load(PathOf("none.dat")));
  EXPECT_EQ(LastReadFailure().Text(), "file missing or unreadable");
  // Opening the next file forgets it.
  WriteFile("ok.dat", kExample29);
  EXPECT_TRUE(p.Load(PathOf("ok.dat")));
  EXPECT_FALSE(LastReadFailure().Failed());
}

}  // namespace
