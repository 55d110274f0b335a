// ctest-label: base
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/Containers.h"
#include "platform/CloseRequest.h"
#include "tests/support/TestSupport.h"

namespace {

struct BadIndexCase {
  int index;
  int size;
};

class VectorBadIndex : public ::testing::TestWithParam<BadIndexCase> {};

TEST_P(VectorBadIndex, LogsOnceRequestsCloseAndReturnsElementZeroValue) {
  testsupport::LogCapture log;
  const auto c = GetParam();
  cVector<int> v;
  for (int i = 0; i < c.size; ++i) v.push_back(10 + i);
  long closes = platform::CloseRequestCount();
  int value = v.At(c.index);
  EXPECT_EQ(platform::CloseRequestCount(), closes + 1);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0], "err V[" + std::to_string(c.index) + "] ( " + std::to_string(c.size) + " , 4 )");
  EXPECT_EQ(value, c.size ? 10 : 0);
}

INSTANTIATE_TEST_SUITE_P(Indexes, VectorBadIndex,
                         ::testing::Values(BadIndexCase{-1, 3}, BadIndexCase{3, 3}, BadIndexCase{INT_MIN, 3},
                                           BadIndexCase{INT_MAX, 3}, BadIndexCase{0, 0}, BadIndexCase{-1, 0}));

TEST(Vector, WritesThroughTheFallbackNeverReachLiveData) {
  testsupport::LogCapture log;
  cVector<int> v{1, 2, 3};
  v.At(7) = 99;
  EXPECT_EQ(v[0], 1);
  cVector<std::string> empty;
  empty.At(0) = "scratch";
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty.At(2), "");  // a fresh default each time, not the earlier write
}

TEST(Vector, InRangeAccessAndFill) {
  testsupport::LogCapture log;
  cVector<int> v(4, 1);
  v.At(2) = 5;
  EXPECT_EQ(v[2], 5);
  v.Fill(7);
  EXPECT_EQ(v, (cVector<int>(4, 7)));
  cVector<char> none;
  none.Fill('x');
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(log.Lines().empty());
}

TEST(List, BadIndexReturnsTheSharedDefaultElement) {
  testsupport::LogCapture log;
  cList<std::string> a{"x", "y"};
  cList<std::string> b;
  long closes = platform::CloseRequestCount();
  std::string& d1 = a.At(5);
  d1 = "changed";
  std::string& d2 = b.At(0);
  EXPECT_EQ(&d1, &d2);
  EXPECT_EQ(d2, "changed");
  EXPECT_EQ(platform::CloseRequestCount(), closes + 2);
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "err L[5] ( 2 , " + std::to_string(sizeof(std::string)) + " )");
  EXPECT_EQ(lines[1], "err L[0] ( 0 , " + std::to_string(sizeof(std::string)) + " )");
  EXPECT_EQ(a.At(1), "y");
}

}  // namespace
