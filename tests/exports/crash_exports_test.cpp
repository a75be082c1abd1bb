// The crash-report exports a host calls outside of a crash: the minidump with its support archive
// on request, and data breakpoints on the calling thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ovut19.h"
#include "support/test_support.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The platform's dump writer reads the process through ReadProcessMemory, which fails for the own
// process in emulated 32-bit Wine.
bool DumpsCanBeWritten() {
  int probe = 7, copy = 0;
  SIZE_T got = 0;
  return ReadProcessMemory(GetCurrentProcess(), &probe, &copy, sizeof copy, &got) && copy == 7;
}

TEST(CrashExports, MiniDumpOnRequestLeavesTheArchiveAndNamesIt) {
  testsupport::TempDir dir;
  wchar_t path[MAX_PATH];
  wcscpy(path, dir.File(L"request.dmp").c_str());
  const int rc = UtilDebugHelpWriteMiniDump(nullptr, path, MAX_PATH);
  if (!DumpsCanBeWritten()) {
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(path[0], 0);
    return;
  }
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(std::wstring(path), dir.File(L"orvask.dmp.zip"));
  EXPECT_TRUE(Exists(path));
  EXPECT_FALSE(Exists(dir.File(L"request.dmp")));  // packed, then deleted
}

TEST(CrashExports, DataBreakpointArmsAndDisarmsTheCallingThreadsRegisters) {
  alignas(8) static volatile LONG watched = 0;
  EXPECT_EQ(UtilSetDataBP(const_cast<LONG*>(&watched), 3, TRUE), nullptr);  // no such length
  HUTILDATABP bp = UtilSetDataBP(const_cast<LONG*>(&watched), 4, TRUE);
  ASSERT_NE(bp, nullptr);
  CONTEXT c = {};
  c.ContextFlags = CONTEXT_DEBUG_REGISTERS;
  ASSERT_TRUE(GetThreadContext(GetCurrentThread(), &c));
  EXPECT_EQ(static_cast<UINT_PTR>(c.Dr0), reinterpret_cast<UINT_PTR>(&watched));
  EXPECT_EQ(c.Dr7 & 1, 1u);                    // slot 0 enabled locally
  EXPECT_EQ((c.Dr7 >> 16) & 0xF, 0x1u | (3u << 2));  // write, 4 bytes
  UtilRemoveDataBP(bp);
  ASSERT_TRUE(GetThreadContext(GetCurrentThread(), &c));
  EXPECT_EQ(c.Dr7 & 1, 0u);
  UtilRemoveDataBP(nullptr);
}

}  // namespace
