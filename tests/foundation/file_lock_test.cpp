// clsFile locks: waiting with a timeout, the remembered list and release when the object ends.
#include <gtest/gtest.h>

#include <thread>

#include "file_test_util.h"
#include "foundation/file.h"
#include "foundation/scoped_handle.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

using testsupport::TempDir;

namespace {

bool OtherCanLock(HANDLE other, DWORD offset, DWORD length) {
  if (!LockFile(other, offset, 0, length, 0)) return false;
  UnlockFile(other, offset, 0, length, 0);
  return true;
}

// A stream whose every lock attempt fails; counts the attempts.
class BusyStream : public clsFile {
 public:
  BusyStream() : clsFile(filetest::MemoryStream().Get()) {}
  LONG attempts = 0;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    ++attempts;
    return STG_E_LOCKVIOLATION;
  }
};

class FileLock : public testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File(L"locked.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path_, std::string(100, 'x')));
    other_.reset(filetest::OtherHandle(path_));
    ASSERT_TRUE(other_);
  }
  TempDir dir_;
  std::wstring path_;
  ovut::UniqueHandle other_;
};

TEST_F(FileLock, LocksAreReleasedWhenTheObjectEnds) {
  testsupport::DebugCapture capture;
  {
    clsFileRW f(path_.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
    scFileLock* a = f.Lock(0, 10, 0);
    scFileLock* b = f.Lock(50, 5, 0);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(b, f.Locks());  // newest first
    EXPECT_EQ(a, f.Locks()->next);
    EXPECT_FALSE(OtherCanLock(other_.get(), 0, 10));
    EXPECT_FALSE(OtherCanLock(other_.get(), 50, 5));
    EXPECT_TRUE(OtherCanLock(other_.get(), 20, 10));
  }
  EXPECT_TRUE(OtherCanLock(other_.get(), 0, 10));
  EXPECT_TRUE(OtherCanLock(other_.get(), 50, 5));
  int warnings = 0;
  for (const auto& line : capture.lines())
    if (line.find(L"are still locked. they will be unlocked automatically") != std::wstring::npos) ++warnings;
  EXPECT_EQ(1, warnings);
}

TEST_F(FileLock, WaitsUntilTimeoutOrRelease) {
  clsFileRW f(path_.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
  ASSERT_TRUE(LockFile(other_.get(), 0, 0, 1, 0));
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(nullptr, f.Lock(0, 1, 200));
  EXPECT_GE(GetTickCount64() - start, 150u);  // waited, not given up at once
  EXPECT_EQ(nullptr, f.Locks());

  // Released by the other user while we wait.
  std::thread releaser([&] {
    Sleep(100);
    UnlockFile(other_.get(), 0, 0, 1, 0);
  });
  scFileLock* got = f.Lock(0, 1, 10000);
  releaser.join();
  ASSERT_NE(nullptr, got);
  EXPECT_FALSE(OtherCanLock(other_.get(), 0, 1));
  f.Unlock(got);
  EXPECT_EQ(nullptr, f.Locks());
  EXPECT_TRUE(OtherCanLock(other_.get(), 0, 1));
}

TEST(FileLockAttempts, TimeoutZeroTriesOnce) {
  BusyStream busy;
  clsFileRW f(busy.AsStream());
  EXPECT_EQ(nullptr, f.Lock(0, 1, 0));
  EXPECT_EQ(1, busy.attempts);
  EXPECT_EQ(nullptr, f.Lock(0, 1, 30));
  EXPECT_GT(busy.attempts, 2);
}

TEST(FileLockAttempts, StreamsThatCannotLockAreUsedUnlocked) {
  clsFileRW f(filetest::MemoryStream("abc").Get());
  scFileLock* l = f.Lock(0, 1, 0);
  ASSERT_NE(nullptr, l);
  f.Unlock(l);
  EXPECT_EQ(nullptr, f.Locks());
}

// A clsFile is a stream as well: a lock taken through it must really hold.
TEST_F(FileLock, LockThroughAFileObjectStream) {
  clsFileRW inner(path_.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
  clsFileRW outer(inner.AsStream());
  ASSERT_TRUE(LockFile(other_.get(), 0, 0, 1, 0));
  EXPECT_EQ(nullptr, outer.Lock(0, 1, 0));
  UnlockFile(other_.get(), 0, 0, 1, 0);
  EXPECT_NE(nullptr, outer.Lock(0, 1, 0));
  EXPECT_FALSE(OtherCanLock(other_.get(), 0, 1));
}

TEST_F(FileLock, UnlockWithAForeignTokenUnlocksAndReports) {
  clsFileRW mine(path_.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
  clsFileRW theirs(path_.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
  scFileLock* kept = mine.Lock(0, 4, 0);
  scFileLock* foreign = theirs.Lock(10, 4, 0);
  ASSERT_NE(nullptr, kept);
  ASSERT_NE(nullptr, foreign);
  testsupport::DebugCapture capture;
  mine.Unlock(foreign);
  EXPECT_TRUE(capture.Contains(L"tried to unlock a lock that has already been removed (or has never existed)"));
  EXPECT_EQ(kept, mine.Locks());
  EXPECT_EQ(nullptr, mine.Locks()->next);
  mine.Unlock(nullptr);  // does nothing
  EXPECT_EQ(kept, mine.Locks());
}

TEST_F(FileLock, CloseReleasesTheLocks) {
  clsFileRW f(path_.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
  ASSERT_NE(nullptr, f.Lock(0, 10, 0));
  f.Close();
  EXPECT_EQ(nullptr, f.Locks());
  EXPECT_TRUE(OtherCanLock(other_.get(), 0, 10));
}

}  // namespace
