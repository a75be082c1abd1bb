// clsFile: opening (error classes, retries), reading and writing, closing.
#include <gtest/gtest.h>

#include "foundation/file.h"
#include "foundation/scoped_handle.h"
#include "file_test_util.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

using filetest::Pattern;
using testsupport::TempDir;

namespace {

// Counts how often Open asks for a handle; can be told to fail the first attempts.
class CountingFile : public clsFile {
 public:
  int calls = 0;
  int failFirst = 0;

 protected:
  HANDLE CreateHandle(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) override {
    ++calls;
    if (calls <= failFirst) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return INVALID_HANDLE_VALUE;
    }
    return clsFile::CreateHandle(name, access, share, disposition, flags);
  }
};

TEST(FileOpen, FailuresAreClassified) {
  TempDir dir;
  const std::wstring held = dir.File(L"held.bin"), folder = dir.File(L"folder");
  ASSERT_TRUE(testsupport::WriteFileBytes(held, "x"));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ovut::UniqueHandle holder(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);

  struct Case {
    std::wstring path;
    int access, creation;
    int state;
    DWORD error;
  } cases[] = {
      {dir.File(L"missing.bin"), clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kOpenNotFound, ERROR_FILE_NOT_FOUND},
      {dir.File(L"no\\such\\folder.bin"), clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kOpenNotFound, ERROR_PATH_NOT_FOUND},
      {held, clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kOpenSharing, ERROR_SHARING_VIOLATION},
      {folder, clsFile::kAccessReadWrite, clsFile::kOpenExisting, clsFile::kOpenDenied, ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.path.begin(), c.path.end()));
    clsFile f;
    EXPECT_EQ(-1, f.Open(c.path.c_str(), c.access, c.creation, clsFile::kShareReadWrite, 0));
    EXPECT_EQ(c.error, GetLastError());  // kept for callers with their own retry policy
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(c.state, f.OpenErrorState());
    EXPECT_EQ(c.error, f.OpenErrorCode());
    EXPECT_FALSE(f.OpenErrorText().IsEmpty());
  }
}

TEST(FileOpen, ThreeAttemptsAndSuccessClearsTheError) {
  TempDir dir;
  const std::wstring path = dir.File(L"a.bin");
  CountingFile missing;
  EXPECT_EQ(-1, missing.Open(path.c_str(), clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kShareRead, 0));
  EXPECT_EQ(3, missing.calls);

  CountingFile late;
  late.failFirst = 2;  // the third attempt gets through
  EXPECT_EQ(0, late.Open(path.c_str(), clsFile::kAccessReadWrite, clsFile::kOpenAlways, clsFile::kShareRead,
                         clsFile::kOptTemporary));
  EXPECT_EQ(3, late.calls);
  EXPECT_TRUE(late.IsOpen());
  EXPECT_EQ(clsFile::kOpenOk, late.OpenErrorState());
  EXPECT_TRUE(late.OpenErrorText().IsEmpty());
}

TEST(FileOpen, CreatingWithoutWriteAccessIsReported) {
  TempDir dir;
  testsupport::DebugCapture capture;
  clsFile f(dir.File(L"r.bin").c_str(), clsFile::kAccessRead, clsFile::kOpenAlways, clsFile::kShareRead, 0);
  EXPECT_TRUE(f.IsOpen());
  EXPECT_TRUE(capture.Contains(L"creating a file without write access does not make much sense"));
}

TEST(FileReadWrite, BytesTextAndPositions) {
  TempDir dir;
  const std::wstring path = dir.File(L"rw.bin");
  clsFileRW f(path.c_str(), clsFile::kCreateAlways);
  ASSERT_TRUE(f.IsOpen());
  EXPECT_EQ(0u, f.Write("abc", 0));  // nothing written, nothing moved
  EXPECT_EQ(0u, f.Size());
  EXPECT_EQ(5, f.WriteText("hello"));
  EXPECT_EQ(2, f.WriteText("xyz", 2));
  EXPECT_EQ(3, f.WriteText(L"\u00e4bc"));
  EXPECT_EQ(13u, f.Position());
  EXPECT_EQ(1u, f.Write("H", 1, uint64_t{0}));  // absolute write position
  EXPECT_EQ(1u, f.Position());

  char head[8] = {};
  EXPECT_EQ(0u, f.Seek(0));
  EXPECT_EQ(7u, f.Read(head, 7));
  EXPECT_STREQ("Helloxy", head);
  wchar_t wide[4] = {};
  EXPECT_EQ(3u, f.ReadChars(wide, 4));  // whole characters only, even when more were asked
  EXPECT_STREQ(L"\u00e4bc", wide);
  EXPECT_EQ(0u, f.Read(head, 7));  // at the end

  EXPECT_EQ(13u, f.SeekToEnd());
  EXPECT_EQ(10u, f.SeekRelative(-3));
  EXPECT_EQ(0u, f.SeekRelative(-100));  // a failed handle seek gives 0 ...
  EXPECT_EQ(10u, f.Position());         // ... and leaves the position alone
  EXPECT_TRUE(f.Flush());
}

TEST(FileReadWrite, NothingOpen) {
  clsFile f;
  char buf[4];
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(0u, f.Read(buf, 4));
  EXPECT_EQ(0u, f.Write("ab", 2));
  EXPECT_EQ(-1, f.WriteText("ab"));
  EXPECT_EQ(-1, f.WriteText(L"ab"));
  EXPECT_EQ(clsFile::kUnknown, f.Seek(3));
  EXPECT_EQ(clsFile::kUnknown, f.Position());
  EXPECT_EQ(clsFile::kUnknown, f.Size());
  EXPECT_FALSE(f.SetSize(1));
  EXPECT_FALSE(f.SetEOF());
  EXPECT_EQ(nullptr, f.Lock(0, 1, 0));
}

TEST(FileOpen, GivenHandleIsDuplicated) {
  TempDir dir;
  const std::wstring path = dir.File(L"dup.bin");
  ASSERT_TRUE(testsupport::WriteFileBytes(path, "0123456789"));
  ovut::UniqueHandle mine(filetest::OtherHandle(path));
  ASSERT_TRUE(mine);
  {
    clsFileRO f(mine.get());
    ASSERT_TRUE(f.IsOpen());
    EXPECT_NE(mine.get(), f.Handle());
    EXPECT_EQ(10u, f.Size());
  }
  // The object closed only its duplicate.
  char c = 0;
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(mine.get(), &c, 1, &got, nullptr));
  EXPECT_EQ('0', c);

  clsFileRO copy(mine.get());
  mine.reset();  // and the duplicate outlives the caller's handle
  EXPECT_EQ(10u, copy.Size());
}

TEST(FileOpen, DeleteOnCloseRemovesTheFileOnce) {
  TempDir dir;
  const std::wstring path = dir.File(L"gone.bin");
  clsFileRW f(path.c_str(), clsFile::kCreateAlways, clsFile::kShareReadWrite, clsFile::kOptDeleteOnClose);
  ASSERT_TRUE(f.IsOpen());
  f.Close();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
  // Someone makes a new file of that name: closing again must leave it.
  ASSERT_TRUE(testsupport::WriteFileBytes(path, "new"));
  f.Close();
  EXPECT_EQ("new", testsupport::ReadFileBytes(path));
}

}  // namespace

namespace {

TEST(FileOpen, StreamElementOfAStorage) {
  TempDir dir;
  const std::wstring docfile = dir.File(L"store.stg");
  clsAutoRelease<IStorage> storage;
  ASSERT_EQ(S_OK, StgCreateDocfile(docfile.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                   storage.Put()));
  // A file in the working folder named like the element must survive the element's deletion.
  const std::wstring lookalike = dir.File(L"Element");
  ASSERT_TRUE(testsupport::WriteFileBytes(lookalike, "keep"));
  wchar_t oldFolder[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, oldFolder);
  SetCurrentDirectoryW(dir.path().c_str());

  clsFile f;
  EXPECT_EQ(-1, f.OpenInStorage(storage.Get(), L"Element", clsFile::kAccessReadWrite, clsFile::kOpenExisting, 0));
  EXPECT_EQ(clsFile::kOpenNotFound, f.OpenErrorState());
  ASSERT_EQ(0, f.OpenInStorage(storage.Get(), L"Element", clsFile::kAccessReadWrite, clsFile::kOpenAlways,
                               clsFile::kOptDeleteOnClose));
  EXPECT_TRUE(f.IsStream());
  EXPECT_EQ(5, f.WriteText("abcde"));
  EXPECT_EQ(5u, f.Size());
  f.Close();

  clsAutoRelease<IStream> gone;
  EXPECT_EQ(STG_E_FILENOTFOUND, storage->OpenStream(L"Element", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, gone.Put()));
  SetCurrentDirectoryW(oldFolder);
  EXPECT_EQ("keep", testsupport::ReadFileBytes(lookalike));
}

}  // namespace
