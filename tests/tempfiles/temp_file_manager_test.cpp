// The temporary-file manager: counting, queued deletion with retries (also against another
// process), the activity signal file and the sweep of old files, and the remover under load.
// Each test gets its own temporary folder (TMP/TEMP) and shortened cycles.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/scoped_handle.h"
#include "foundation/temp_folder.h"
#include "support/debug_capture.h"
#include "support/test_support.h"
#include "tempfiles/temp_file_manager.h"

namespace tf = ovut::tempfiles;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WaitFor(const std::function<bool()>& done, DWORD limitMs = 3000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    Sleep(5);
  }
  return true;
}

void SetAge(const std::wstring& path, ULONGLONG minutes) { ASSERT_TRUE(testsupport::SetFileAgeMinutes(path, minutes)); }

class TempFileManager : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"TMP", (dir_.path() + L"\\").c_str());
    SetEnvironmentVariableW(L"TEMP", (dir_.path() + L"\\").c_str());
    ovut::ResetTempFolderCache();
    folder_ = dir_.path() + L"\\Orvask";
    tf::Timings fast;
    fast.firstWaitMs = 20;
    fast.cycleUnitMs = 2;
    fast.stopWaitMs = 5000;
    tf::SetTimingsForTesting(fast);
  }
  void TearDown() override {
    tf::Shutdown();
    tf::SetTimingsForTesting(tf::Timings{});
    SetEnvironmentVariableW(L"TMP", nullptr);
    SetEnvironmentVariableW(L"TEMP", nullptr);
    ovut::ResetTempFolderCache();
  }
  std::wstring Make(const wchar_t* name) {
    const std::wstring path = folder_ + L"\\" + name;
    CreateDirectoryW(folder_.c_str(), nullptr);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, "x"));
    return path;
  }

  testsupport::TempDir dir_;
  std::wstring folder_;
};

TEST_F(TempFileManager, CountsOpensAndDeletesAtOnceWithoutAManager) {
  const std::wstring a = Make(L"_19_a.tmp");
  tf::Add(a.c_str());  // no manager: gone at once
  EXPECT_FALSE(Exists(a));

  tf::Close();  // a close without an open changes nothing
  tf::Open();
  tf::Open();
  tf::Close();
  EXPECT_TRUE(tf::ManagerOpenForTesting());
  tf::Close();
  EXPECT_FALSE(tf::ManagerOpenForTesting());
  tf::Open();
  EXPECT_TRUE(tf::ManagerOpenForTesting());
  tf::Close();
  EXPECT_FALSE(tf::ManagerOpenForTesting());

  tf::Add(nullptr);
  tf::Add(L"");

  // Unloading ends an open manager whatever its count, and deletes what is queued.
  tf::Open();
  tf::Open();
  const std::wstring b = Make(L"_19_b.tmp");
  tf::Add(b.c_str());
  tf::Shutdown();
  EXPECT_FALSE(tf::ManagerOpenForTesting());
  EXPECT_FALSE(Exists(b));
}

TEST_F(TempFileManager, QueuedFilesGoInTheBackgroundAndTheRestAtTheLastClose) {
  testsupport::DebugCapture capture;
  tf::Timings slow;
  slow.firstWaitMs = 60000;  // no cycle runs: only the final close deletes
  tf::SetTimingsForTesting(slow);
  tf::Open();
  const std::wstring kept = Make(L"_19_kept.tmp");
  const std::wstring gone = Make(L"_19_gone.tmp");
  tf::Add(kept.c_str());
  tf::Add(gone.c_str());
  EXPECT_EQ(2u, tf::QueuedCountForTesting());
  EXPECT_TRUE(Exists(kept));
  DeleteFileW(gone.c_str());  // someone else was quicker
  tf::Close();
  EXPECT_FALSE(Exists(kept));
  EXPECT_TRUE(capture.Contains(L"oops, temp file '" + gone + L"' is gone!"));

  // With cycles running, a file deleted by someone else leaves the queue.
  capture.Clear();
  tf::SetTimingsForTesting([] {
    tf::Timings fast;
    fast.firstWaitMs = 20;
    fast.cycleUnitMs = 2;
    return fast;
  }());
  tf::Open();
  const std::wstring vanished = Make(L"_19_vanished.tmp");
  const std::wstring normal = Make(L"_19_normal.tmp");
  tf::Add(normal.c_str());
  DeleteFileW(vanished.c_str());
  tf::Add(vanished.c_str());
  EXPECT_TRUE(WaitFor([] { return tf::QueuedCountForTesting() == 0; }));
  EXPECT_FALSE(Exists(normal));
  tf::Close();
  EXPECT_TRUE(capture.Contains(L"oops, temp file '" + vanished + L"' is gone!"));
}

TEST_F(TempFileManager, AFileHeldByAnotherProcessStaysQueuedAndGoesOnceReleased) {
  tf::Open();
  const std::wstring held = Make(L"_19_held.tmp");
  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring readyName = L"ovut_holder_ready_" + tag, releaseName = L"ovut_holder_release_" + tag;
  ovut::UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
  ovut::UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
  std::wstring command = L"\"" + testsupport::ProgramFolder() + L"\\file_holder.exe\" \"" + held + L"\" " +
                         readyName + L" " + releaseName;
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ovut::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  HANDLE waits[2] = {ready.get(), process.get()};
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 30000)) << "the holder did not start";

  tf::Add(held.c_str());
  const unsigned cycles = tf::CyclesForTesting();
  ASSERT_TRUE(WaitFor([&] { return tf::CyclesForTesting() >= cycles + 3; }));
  EXPECT_TRUE(Exists(held));
  EXPECT_EQ(1u, tf::QueuedCountForTesting());

  SetEvent(release.get());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 10000));
  DWORD code = 99;
  GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(WaitFor([] { return tf::QueuedCountForTesting() == 0; }));
  EXPECT_FALSE(Exists(held));
  tf::Close();
}

// The first cycle sweeps this version's files older than an hour when nobody was active for
// 3 hours; other versions' files, newer files and the signal file stay.
TEST_F(TempFileManager, TheSweepRemovesOnlyOldFilesOfThisVersion) {
  struct Case {
    const wchar_t* what;
    int signalAgeMinutes;  // -1: no signal file
    bool swept;
  } cases[] = {
      {L"no signal file", -1, true},
      {L"signal file 4 hours old", 240, true},
      {L"signal file 1 hour old", 60, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring old = Make(L"_19_old.tmp"), fresh = Make(L"_19_fresh.tmp"), other = Make(L"_18_old.tmp");
    const std::wstring signal = folder_ + L"\\_19_activity.signal";
    SetAge(old, 120);
    SetAge(other, 120);
    DeleteFileW(signal.c_str());
    if (c.signalAgeMinutes >= 0) {
      Make(L"_19_activity.signal");
      SetAge(signal, c.signalAgeMinutes);
    }
    tf::Open();
    ASSERT_TRUE(WaitFor([] { return tf::CyclesForTesting() >= 1; }));
    tf::Close();
    EXPECT_EQ(!c.swept, Exists(old));
    EXPECT_TRUE(Exists(fresh));
    EXPECT_TRUE(Exists(other));
    // The signal file is refreshed with the time as text.
    ASSERT_TRUE(Exists(signal));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(signal.c_str(), GetFileExInfoStandard, &data));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG age = ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
                           (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                            data.ftLastWriteTime.dwLowDateTime)) / 10000000ull;
    EXPECT_LT(age, 60u);
    EXPECT_GT(data.nFileSizeLow, 8u);
    DeleteFileW(fresh.c_str());
    DeleteFileW(other.c_str());
    DeleteFileW(old.c_str());
  }
}

TEST_F(TempFileManager, WithoutItsFolderTheManagerOnlyDeletesQueuedFiles) {
  testsupport::DebugCapture capture;
  tf::Open();  // the folder does not exist yet
  EXPECT_TRUE(capture.Contains(L"WRN: UTIL: path '" + folder_ + L"' does not exist"));
  const std::wstring file = Make(L"_19_late.tmp");
  tf::Add(file.c_str());  // starts the thread
  EXPECT_TRUE(WaitFor([&] { return !Exists(file); }));
  tf::Close();
  EXPECT_FALSE(Exists(folder_ + L"\\_19_activity.signal"));
}

// 95 files in use: the remover waits 10 units between rounds instead of 100, keeps them all, and
// deletes them all once they are released. (The waits are read from the remover, not timed: a
// busy or emulated machine stretches the rounds themselves.)
TEST_F(TempFileManager, UnderLoadTheRemoverCyclesFasterAndLosesNoFile) {
  tf::Timings timings;
  timings.firstWaitMs = 50;
  timings.cycleUnitMs = 30;  // 3 s between idle rounds, 300 ms with 90 or more files
  timings.budgetPerFileMs = 2;
  tf::SetTimingsForTesting(timings);
  std::vector<std::wstring> files;
  std::vector<ovut::UniqueHandle> holds;
  for (int i = 0; i < 95; ++i) {
    files.push_back(Make((L"_19_load" + std::to_wstring(i) + L".tmp").c_str()));
    holds.emplace_back(CreateFileW(files.back().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  }
  tf::Open();
  for (const auto& f : files) tf::Add(f.c_str());  // all queued before the first round
  ASSERT_TRUE(WaitFor([] { return tf::CyclesForTesting() >= 2; }, 15000));
  EXPECT_EQ(300u, tf::LastWaitMsForTesting());  // 10 units: a loaded round
  EXPECT_EQ(95u, tf::QueuedCountForTesting());
  holds.clear();
  EXPECT_TRUE(WaitFor([] { return tf::QueuedCountForTesting() == 0; }, 15000));
  for (const auto& f : files) EXPECT_FALSE(Exists(f));
  // Idle again: the round after the deletions waits the full 100 units.
  EXPECT_TRUE(WaitFor([] { return tf::LastWaitMsForTesting() == 3000u; }, 15000));
  tf::Close();
}

}  // namespace
