// ctest-label: records
#include <gtest/gtest.h>

#include "base/SerialRecord.h"

namespace {
struct Sample : cSerialRecord {
  int32_t a = 0;
  int16_t b = 0;
  std::string s1, s2;
  Sample() { Clear(); }
  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&a);
    AddShort(&b);
    AddString(&s1);
    AddString(&s2);
  }
  SERIAL_RECORD_COPYABLE(Sample)
};

TEST(SerialRecordSmoke, TheTwentyNineByteExample) {
  Sample s;
  s.a = 5;
  s.b = 7;
  s.s1 = "ab";
  std::vector<unsigned char> expected = {0x17, 0x03, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 7, 0, 2, 0,
                                         0,    0,    3, 0, 0, 0, 'a', 'b', 0, 1, 0, 0, 0};
  EXPECT_EQ(s.SaveToBytes(), expected);
  Sample t;
  ASSERT_TRUE(t.LoadFromBytes(expected));
  EXPECT_EQ(t.a, 5);
  EXPECT_EQ(t.b, 7);
  EXPECT_EQ(t.s1, "ab");
  EXPECT_EQ(t.SaveToBytes(), expected);
}
}  // namespace
