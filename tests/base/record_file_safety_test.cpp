// ctest-label: records
// Broken, hostile and unwritable record files: loads fail without touching
// the record, saves fail without touching the old file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>

#include "base/SerialRecord.h"
#include "tests/base/record_test_types.h"
#include "tests/support/TestSupport.h"

using namespace recordtest;

#if defined(__SANITIZE_ADDRESS__)
#define RECORD_TEST_ALLOC_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RECORD_TEST_ALLOC_HOOKS 1
#endif
#endif

#ifdef RECORD_TEST_ALLOC_HOOKS
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

namespace {

// The largest single allocation made while a hostile file is read (only
// measured in sanitizer builds, which offer allocation hooks).
std::atomic<bool> g_tracking{false};
std::atomic<size_t> g_largest{0};

#ifdef RECORD_TEST_ALLOC_HOOKS
void OnMalloc(const volatile void*, size_t size) {
  if (!g_tracking.load(std::memory_order_relaxed)) return;
  size_t prev = g_largest.load(std::memory_order_relaxed);
  while (size > prev && !g_largest.compare_exchange_weak(prev, size)) {
  }
}
void OnFree(const volatile void*) {}
#endif

bool AllocationHooksInstalled() {
#ifdef RECORD_TEST_ALLOC_HOOKS
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  return installed;
#else
  return false;
#endif
}

constexpr size_t kHugeAllocation = size_t{1} << 20;

// Loads `file` into `rec` and checks that the load fails, leaves the record
// as it was and allocates nothing out of proportion to the file.
template <class R>
void ExpectRefusedUnchanged(R& rec, const Bytes& file) {
  Bytes before = rec.SaveToBytes();
  bool hooks = AllocationHooksInstalled();
  Bytes image = file;  // copied outside the measurement
  g_largest = 0;
  g_tracking = true;
  bool loaded = rec.LoadFromBytes(std::move(image));
  g_tracking = false;
  EXPECT_FALSE(loaded);
  EXPECT_EQ(rec.SaveToBytes(), before);
  if (hooks) {
    EXPECT_LT(g_largest.load(), kHugeAllocation);
  }
}

class RecordFileSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dwDataVersion = 791;
    bStripCR = 1;
  }
  std::string PathOf(const std::string& name) const { return (dir_.path() / name).string(); }
  testsupport::TempDir dir_;
};

// A record with distinctive contents, so any partial read would show.
Doc PreparedDoc() {
  Doc d;
  d.id = 555;
  d.late = 666;
  d.title = "before";
  d.lateText = "also before";
  d.items.resize(1);
  d.items[0].name = "old item";
  d.items[0].leaves.resize(1);
  return d;
}

TEST_F(RecordFileSafetyTest, EveryTruncationOfAGoodFileIsRefused) {
  const Bytes doc = MakeDocBytes();
  for (size_t len = 0; len < doc.size(); ++len) {
    SCOPED_TRACE(len);
    Doc d = PreparedDoc();
    ExpectRefusedUnchanged(d, Bytes(doc.begin(), doc.begin() + static_cast<long>(len)));
  }
  Pair fresh;
  fresh.a = 5;
  fresh.b = 7;
  fresh.s1 = "ab";
  const Bytes pair = fresh.SaveToBytes();
  for (size_t len = 0; len < pair.size(); ++len) {
    SCOPED_TRACE(len);
    Pair p;  // read in place: a failed read must be undone
    p.a = 1;
    p.b = 2;
    p.s1 = "x";
    p.s2 = "y";
    ExpectRefusedUnchanged(p, Bytes(pair.begin(), pair.begin() + static_cast<long>(len)));
  }
}

struct HostileCase {
  const char* what;
  Bytes file;
};

std::vector<HostileCase> HostileDocFiles() {
  auto head = [](int32_t n) {
    ByteBuilder b;
    b.U32(791).I32(n);
    return b;
  };
  auto fields = [&]() {
    ByteBuilder b = head(4);
    b.I32(1).I16(0).I16(0).I16(0).F64(0).I32(0);
    return b;
  };
  std::vector<HostileCase> cases;
  cases.push_back({"n = 1000", head(1000).I32(1).I16(0).I16(0).I16(0).F64(0).I32(0).I32(0).I32(0).bytes()});
  cases.push_back({"n = 5, one surplus entry", head(5).I32(1).I16(0).I16(0).I16(0).F64(0).I32(0).I32(7).I32(0).U32(0).bytes()});
  cases.push_back({"n = -5", head(-5).I32(0).U32(0).bytes()});
  cases.push_back({"n = 0x7FFFFFFF", head(0x7FFFFFFF).I32(0).U32(0).bytes()});
  cases.push_back({"n = INT32_MIN", head(INT32_MIN).I32(0).U32(0).bytes()});
  cases.push_back({"m = 3", fields().I32(3).Str("a").Str("b").Str("c").U32(0).bytes()});
  cases.push_back({"m = -1", fields().I32(-1).U32(0).bytes()});
  cases.push_back({"m = 0x7FFFFFFF", fields().I32(0x7FFFFFFF).U32(0).bytes()});
  cases.push_back({"L = 0", fields().I32(1).I32(0).U32(0).bytes()});
  cases.push_back({"L = -5", fields().I32(1).I32(-5).U32(0).bytes()});
  cases.push_back({"L = 0x7FFFFFFF", fields().I32(1).I32(0x7FFFFFFF).Raw({'a', 0}).U32(0).bytes()});
  cases.push_back({"L past the end", fields().I32(1).I32(9).Raw({'a', 'b', 0}).bytes()});
  cases.push_back({"vector count 0xFFFFFFFF", fields().I32(0).U32(0xFFFFFFFFu).I32(0).I32(0).bytes()});
  cases.push_back({"vector count 0x7FFFFFFF", fields().I32(0).U32(0x7FFFFFFFu).I32(0).I32(0).bytes()});
  cases.push_back({"vector count 3, one body", fields().I32(0).U32(3).I32(0).I32(0).U32(0).bytes()});
  {
    // The count fits the file's bytes, but elements are far bigger in memory
    // than in the file: nothing may be sized from the count alone.
    ByteBuilder b = fields();
    b.I32(0).U32(500000).I32(0x7FFFFFFF);
    b.bytes().resize(b.bytes().size() + 4000000);
    cases.push_back({"vector count within the file, first body broken", b.bytes()});
  }
  cases.push_back({"nested count 0xFFFFFFFF", fields().I32(0).U32(1).I32(0).I32(0).U32(0xFFFFFFFFu).bytes()});
  return cases;
}

TEST_F(RecordFileSafetyTest, HostileCountsAndLengthsAreRefused) {
  for (const auto& c : HostileDocFiles()) {
    SCOPED_TRACE(c.what);
    Doc d = PreparedDoc();
    ExpectRefusedUnchanged(d, c.file);
  }
}

TEST_F(RecordFileSafetyTest, EntriesForARecordWithoutTablesAreRefused) {
  struct Empty : cSerialRecord {
  } e;
  EXPECT_TRUE(e.LoadFromBytes(ByteBuilder().U32(791).I32(0).I32(0).bytes()));
  EXPECT_FALSE(e.LoadFromBytes(ByteBuilder().U32(791).I32(1).I32(0).I32(0).bytes()));
  EXPECT_FALSE(e.LoadFromBytes(ByteBuilder().U32(791).I32(0).I32(1).I32(1).bytes()));
}

TEST_F(RecordFileSafetyTest, FailedLoadFromDiskLeavesTheRecordUnchanged) {
  Bytes doc = MakeDocBytes();
  doc.resize(doc.size() - 3);
  testsupport::WriteFileBytes(dir_.path() / "broken.dat", doc);
  Doc d = PreparedDoc();
  Bytes before = d.SaveToBytes();
  EXPECT_FALSE(d.Load(PathOf("broken.dat")));
  EXPECT_EQ(bNewerFile, 0);  // broken, not newer
  EXPECT_EQ(d.SaveToBytes(), before);
}

// Restores the file-size limit and SIGXFSZ when a test ends.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
  bool ok_ = false;
};

std::vector<std::string> FolderNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  return names;
}

TEST_F(RecordFileSafetyTest, SaveThatFailsHalfwayLeavesTheOldFileIntact) {
  Pair old;
  old.a = 5;
  old.s1 = "old";
  ASSERT_TRUE(old.Save(PathOf("target.dat")));
  const Bytes oldBytes = testsupport::ReadFileBytes(dir_.path() / "target.dat");

  Pair big;
  big.s1.assign(256 * 1024, 'x');
  bool saved = true;
  {
    FileSizeLimit limit(64 * 1024);  // the disk "fills" after 64 KiB
    ASSERT_TRUE(limit.ok());
    saved = big.Save(PathOf("target.dat"));
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(testsupport::ReadFileBytes(dir_.path() / "target.dat"), oldBytes);
  EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"target.dat"});  // no temporary left behind
}

TEST_F(RecordFileSafetyTest, SavesThatCannotBeMadeReturnFalse) {
  std::filesystem::create_directory(dir_.path() / "folder");
  // Paths are limited to 259 bytes.
  std::string base = PathOf("");
  std::string longest = base + std::string(259 - base.size(), 'n');
  std::string tooLong = longest + "n";
  ASSERT_EQ(longest.size(), 259u);

  Pair p;
  p.a = 3;
  EXPECT_FALSE(p.Save(""));
  EXPECT_FALSE(p.Save(PathOf("no-such-folder/x.dat")));
  EXPECT_FALSE(p.Save(PathOf("folder")));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "folder"));
  EXPECT_FALSE(p.Save(tooLong));
  EXPECT_FALSE(std::filesystem::exists(tooLong));
  EXPECT_TRUE(p.Save(longest));

  Pair q;
  EXPECT_TRUE(q.Load(longest));
  EXPECT_EQ(q.a, 3);
  std::filesystem::copy_file(longest, tooLong);
  bNewerFile = 1;
  EXPECT_FALSE(q.Load(tooLong));
  EXPECT_EQ(bNewerFile, 1);  // could not be opened at all
  bNewerFile = 0;
}

}  // namespace
