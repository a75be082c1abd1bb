// Shell links, shares that do not answer, background loads with their timeout and their limit,
// and several threads on one list while its reload thread runs.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <thread>
#include <vector>

#include "docinfo/doc_info_api.h"
#include "docinfo/docu.h"
#include "docinfo/docu_list.h"
#include "docinfo/share_set.h"
#include "foundation/com_ptr.h"
#include "foundation/scoped_handle.h"
#include "loader_test_util.h"

namespace {

using docinfo::DocuState;
using loadertest::Counts;
using loadertest::Local;
using loadertest::SameDay;
using loadertest::WriteDocument;

bool MakeShellLink(const std::wstring& link, const std::wstring& target) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  {
    clsAutoRelease<IShellLinkW> shell;
    clsAutoRelease<IPersistFile> file;
    ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(shell.Put()))) &&
         SUCCEEDED(shell->SetPath(target.c_str())) &&
         SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()))) &&
         SUCCEEDED(file->Save(link.c_str(), TRUE));
  }
  CoUninitialize();
  return ok;
}

// A network share without a network: Wine serves \\server\share from the folder
// <prefix>\dosdevices\unc\server\share. Elsewhere the tests that need one are skipped.
class LocalShare {
 public:
  LocalShare() {
    wchar_t prefix[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || prefix[0] != L'/') return;
    std::wstring dos = L"Z:" + std::wstring(prefix);
    for (auto& c : dos) if (c == L'/') c = L'\\';
    const std::wstring server = L"ovut" + std::to_wstring(GetCurrentProcessId());
    for (const wchar_t* part : {L"\\dosdevices", L"\\unc"}) {
      dos += part;
      CreateDirectoryW(dos.c_str(), nullptr);
    }
    serverFolder_ = dos + L"\\" + server;
    folder_ = serverFolder_ + L"\\share";
    CreateDirectoryW(serverFolder_.c_str(), nullptr);
    CreateDirectoryW(folder_.c_str(), nullptr);
    unc_ = L"\\\\" + server + L"\\share";
    const DWORD attributes = GetFileAttributesW((unc_ + L"\\.").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) unc_.clear();
  }
  ~LocalShare() {
    if (folder_.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    RemoveDirectoryW(folder_.c_str());
    RemoveDirectoryW(serverFolder_.c_str());
  }
  bool ok() const { return !unc_.empty(); }
  std::wstring File(const std::wstring& name) const { return unc_ + L"\\" + name; }

 private:
  std::wstring serverFolder_, folder_, unc_;
};

#define NEED_SHARE(share) \
  if (!(share).ok()) GTEST_SKIP() << "no share to test with"

TEST(LoaderLinks, LinkDeliversItsTargetAndNamesIt) {
  testsupport::TempDir dir;
  const std::wstring target = dir.File(L"target.dat");
  const std::wstring link = dir.File(L"shortcut.lnk");
  ASSERT_TRUE(WriteDocument(target, "target", Local(2014, 9, 10)));
  ASSERT_TRUE(MakeShellLink(link, target));
  docinfo::clsDocuList list(0);
  DocuState state;
  ASSERT_TRUE(list.Get(link.c_str(), 5, &state));
  EXPECT_EQ(0, _wcsicmp(target.c_str(), state.sourcePath.c_str())) << state.sourcePath.c_str();
  EXPECT_TRUE(SameDay(Local(2014, 9, 10), state.fields.modified));

  // A link that is no link: nothing, not the link file's own dates.
  const std::wstring broken = dir.File(L"broken.lnk");
  ASSERT_TRUE(WriteDocument(broken, "not a link", Local(2014, 9, 11)));
  EXPECT_FALSE(list.Get(broken.c_str(), 5, nullptr));
}

TEST(LoaderShares, ShareThatDoesNotExistIsRememberedAsUnreachable) {
  docinfo::clsDocuList list(0);
  Counts counts;
  EXPECT_FALSE(list.Get(L"\\\\nosuchserver\\share\\report.doc", 5, nullptr));
  EXPECT_EQ(0, counts.Opens());
  EXPECT_EQ(0, docinfo::ShareAccessibility(L"\\\\NoSuchServer\\SHARE\\other\\file.txt"));
  EXPECT_EQ(0, docinfo::ShareAccessibility(L"\\\\nosuchserver\\share"));
  // Later requests for any file there return at once, without a probe or a load.
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(list.Get(L"\\\\nosuchserver\\share\\b.doc", 60, nullptr));
  EXPECT_LT(GetTickCount64() - start, 1000u);
}

TEST(LoaderShares, ShareOfPathAndAccessibilityOfOtherPaths) {
  EXPECT_STREQ(L"\\\\srv\\share", docinfo::ShareOfPath(L"\\\\srv\\share\\dir\\f.txt").c_str());
  EXPECT_STREQ(L"\\\\srv\\share", docinfo::ShareOfPath(L"\\\\srv\\share").c_str());
  EXPECT_STREQ(L"", docinfo::ShareOfPath(L"\\\\srv").c_str());
  EXPECT_STREQ(L"", docinfo::ShareOfPath(L"C:\\dir\\f.txt").c_str());
  testsupport::TempDir dir;
  EXPECT_EQ(-1, docinfo::ShareAccessibility(dir.path().c_str()));
  EXPECT_EQ(-1, docinfo::ShareAccessibility(L"relative\\file.txt"));
  EXPECT_EQ(-1, docinfo::ShareAccessibility(nullptr));
}

TEST(LoaderShares, BackgroundLoadWithinTheTimeoutDeliversItsValues) {
  LocalShare share;
  NEED_SHARE(share);
  const std::wstring file = share.File(L"remote.dat");
  ASSERT_TRUE(WriteDocument(file, "remote", Local(2013, 11, 12)));
  docinfo::clsDocuList list(0);
  DocuState state;
  ASSERT_TRUE(list.Get(file.c_str(), 10, &state));
  EXPECT_TRUE(SameDay(Local(2013, 11, 12), state.fields.modified));
  EXPECT_EQ(1, docinfo::ShareAccessibility(file.c_str()));
}

TEST(LoaderShares, LoadOutlivingTheTimeoutGivesNothingNowAndIsLimitedToTwentyPending) {
  LocalShare share;
  NEED_SHARE(share);
  const DWORD previous = docinfo::SetLockRetryMsForTesting(20000);
  // Every file carries another handle's exclusive range lock, so each background load waits for it.
  std::vector<std::wstring> files;
  std::vector<ovut::UniqueHandle> writers;
  for (int i = 0; i < 21; ++i) {
    files.push_back(share.File(L"slow" + std::to_wstring(i) + L".dat"));
    ASSERT_TRUE(WriteDocument(files.back(), "slow", Local(2012, 1, 1)));
    writers.emplace_back(
        CreateFileW(files.back().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    OVERLAPPED at{};
    ASSERT_TRUE(LockFileEx(writers.back().get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 4, 0, &at));
  }
  {
    docinfo::clsDocuList list(0);
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(list.Get(files[i].c_str(), 0, nullptr));
    // None waited for its load (each would take the 20 s lock wait).
    EXPECT_LT(GetTickCount64() - start, 15000u);
    EXPECT_EQ(20u, list.PendingCountForTesting());

    std::atomic<bool> done{false};
    std::thread twentyFirst([&] {
      list.Get(files[20].c_str(), 0, nullptr);
      done = true;
    });
    Sleep(400);
    EXPECT_FALSE(done) << "a 21st load waits for a place";
    EXPECT_LE(list.PendingCountForTesting(), 20u);
    writers.clear();  // the loads finish, places free up
    twentyFirst.join();
    EXPECT_LE(list.PendingCountForTesting(), 20u);
    // Loaded now that the file is free.
    EXPECT_TRUE(list.Get(files[0].c_str(), 10, nullptr));
  }  // closing waits for the loads still running
  docinfo::SetLockRetryMsForTesting(previous);
}

TEST(LoaderThreads, SeveralThreadsOnOneListWhileTheReloadThreadSweeps) {
  testsupport::TempDir dir;
  LocalShare share;
  std::vector<std::wstring> files;
  for (int i = 0; i < 6; ++i) {
    files.push_back(dir.File((L"t" + std::to_wstring(i) + L".dat").c_str()));
    ASSERT_TRUE(WriteDocument(files.back(), "threads", Local(2011, 1 + i, 1)));
  }
  if (share.ok()) {
    files.push_back(share.File(L"t6.dat"));  // background loads among the local ones
    ASSERT_TRUE(WriteDocument(files.back(), "threads", Local(2011, 1, 1)));
  }
  docinfo::clsDocuList list(1);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  const ULONGLONG end = GetTickCount64() + 1500;  // past one lifetime: entries expire and reload
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int n = 0; GetTickCount64() < end; ++n) {
        const size_t i = (n + t) % files.size();
        DocuState state;
        const int month = static_cast<int>(i % 6) + 1;
        if (!list.Get(files[i].c_str(), 10, &state) || state.fields.modified.wMonth != month) ++wrong;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(0, wrong.load());
}

}  // namespace
