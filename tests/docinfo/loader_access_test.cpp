// Files the loader cannot read now: held by another process, locked against it, or refused by
// the reader their extension names.
#include <gtest/gtest.h>

#include "docinfo/docu.h"
#include "docinfo/docu_list.h"
#include "docinfo/whole_file_lock.h"
#include "foundation/scoped_handle.h"
#include "loader_test_util.h"

namespace {

using docinfo::DocuState;
using loadertest::Counts;
using loadertest::Local;
using loadertest::WriteDocument;

TEST(LoaderAccess, FileHeldExclusivelyByAnotherProcessIsReadOnceFree) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"held.dat");
  ASSERT_TRUE(WriteDocument(file, "held", Local(2018, 2, 3)));
  const std::wstring ready = L"LoaderAccessReady" + std::to_wstring(GetCurrentProcessId());
  const std::wstring release = L"LoaderAccessRelease" + std::to_wstring(GetCurrentProcessId());
  ovut::UniqueHandle readyEvent(CreateEventW(nullptr, TRUE, FALSE, ready.c_str()));
  ovut::UniqueHandle releaseEvent(CreateEventW(nullptr, TRUE, FALSE, release.c_str()));
  std::wstring command = L"\"" + testsupport::ProgramFolder() + L"\\file_holder.exe\" \"" + file + L"\" " + ready +
                         L" " + release;
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ovut::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(readyEvent.get(), 20000));

  docinfo::clsDocuList list(60);  // a cached entry must not keep the failure
  Counts counts;
  EXPECT_FALSE(list.Get(file.c_str(), 5, nullptr));
  EXPECT_EQ(0, counts.Reads());

  SetEvent(releaseEvent.get());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 20000));
  DocuState state;
  EXPECT_TRUE(list.Get(file.c_str(), 5, &state));
  EXPECT_EQ(1, counts.Reads());
  EXPECT_TRUE(loadertest::SameDay(Local(2018, 2, 3), state.fields.modified));
}

// Windows refuses a write into a range another handle locked; Wine keeps range locks only among
// the locks themselves, so what is checked here is that readers get in and lockers wait.
TEST(LoaderAccess, WholeFileLockLetsReadersInAndMakesExclusiveLockersWait) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"locked.dat");
  ASSERT_TRUE(testsupport::WriteFileBytes(file, "0123456789"));
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  ovut::UniqueHandle mine(CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
  ovut::UniqueHandle other(
      CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(mine && other);
  {
    docinfo::WholeFileLock lock(mine.get(), 10, 0);
    ASSERT_TRUE(lock);
    // Readers that open the file again by name (structured storage, filters) still read it.
    char buffer[10];
    DWORD got = 0;
    OVERLAPPED at{};
    EXPECT_TRUE(ReadFile(other.get(), buffer, sizeof buffer, &got, &at));
    EXPECT_EQ(10u, got);
    at = OVERLAPPED{};
    EXPECT_FALSE(LockFileEx(other.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
  }
  // Held exclusively by someone else: the lock gives up after its time.
  OVERLAPPED at{};
  ASSERT_TRUE(LockFileEx(other.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 10, 0, &at));
  const ULONGLONG start = GetTickCount64();
  docinfo::WholeFileLock refused(mine.get(), 10, 100);
  EXPECT_FALSE(refused);
  EXPECT_GE(GetTickCount64() - start, 90u);
  at = OVERLAPPED{};
  UnlockFileEx(other.get(), 0, 10, 0, &at);
}

TEST(LoaderAccess, FileThatStayedLockedIsReadOnTheNextRequest) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"busy.dat");
  ASSERT_TRUE(WriteDocument(file, "busy", Local(2017, 4, 5)));
  const DWORD previous = docinfo::SetLockRetryMsForTesting(50);
  docinfo::DocuRef docu(new docinfo::clsDocu(file.c_str(), 0, 5, nullptr));
  Counts counts;
  {
    // A range lock without write access, so the loader's read-only open is not refused.
    ovut::UniqueHandle writer(
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    OVERLAPPED at{};
    ASSERT_TRUE(LockFileEx(writer.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 4, 0, &at));
    docu->Refresh();
    EXPECT_EQ(0, counts.Reads());
  }
  Sleep(40);  // past the tick count's resolution
  // Same last-write time as the attempt that was locked out: it must still be read.
  docu->Refresh();
  EXPECT_EQ(1, counts.Reads());
  docinfo::SetLockRetryMsForTesting(previous);
}

// What the extension says decides what a failing reader means. The content of every file is no
// format at all: the format readers refuse it, while the mail and HTML readers take any text (a
// ".msg" that is no structured storage goes on to the mail reader).
TEST(LoaderAccess, ReaderChoiceByExtension) {
  struct Case {
    const wchar_t* name;
    bool available;  // false: the reader the extension names refused the file
  };
  const Case cases[] = {
      {L"a.pdf", false}, {L"a.RTF", false}, {L"a.xml", false}, {L"a.tif", false},
      {L"a.html", true}, {L"a.htm", true},  {L"a.mht", true},  {L"a.eml", true}, {L"a.msg", true},
      {L"a.jpg", true},  // a JPEG without properties keeps its dates
      {L"a.JPEG", true}, {L"a.dat", true},  // no reader of its own: the signature chain never fails
      {L"a", true},      {L"dir.x\\a", true},
  };
  testsupport::TempDir dir;
  CreateDirectoryW(dir.File(L"dir.x").c_str(), nullptr);
  docinfo::clsDocuList list(0);
  for (const Case& c : cases) {
    const std::wstring file = dir.File(c.name);
    ASSERT_TRUE(WriteDocument(file, "nothing to see here", Local(2016, 6, 7))) << file;
    DocuState state;
    EXPECT_EQ(c.available, list.Get(file.c_str(), 5, &state)) << file;
    if (c.available) {
      EXPECT_TRUE(loadertest::SameDay(Local(2016, 6, 7), state.fields.modified)) << file;
    }
  }
}

TEST(LoaderAccess, SignaturesOfEmptyAndShortFilesFallBackToDates) {
  testsupport::TempDir dir;
  docinfo::clsDocuList list(0);
  const char* contents[] = {"", "PK", "PK\x03\x04", "%PDF-1.4\n%%EOF\n", "II*\0 broken", "\xFF\xD8\xFF", "\xFFWPC"};
  int i = 0;
  for (const char* content : contents) {
    const std::wstring file = dir.File((L"s" + std::to_wstring(i++) + L".bin").c_str());
    ASSERT_TRUE(WriteDocument(file, std::string(content, content == contents[4] ? 11 : strlen(content)),
                              Local(2015, 8, 9)));
    EXPECT_TRUE(list.Get(file.c_str(), 5, nullptr)) << file;
  }
  EXPECT_FALSE(list.Get(dir.File(L"missing.bin").c_str(), 5, nullptr));
}

}  // namespace
