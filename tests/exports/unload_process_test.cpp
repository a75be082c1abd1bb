// Unload and process exit as seen from another process (tests/helpers/detach_peer): unloading the
// library tears everything down, releasing what hosts handed over; at process exit nothing is
// torn down that modules detached later might still use.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_support.h"

namespace {

int RunPeer(const std::wstring& mode, const std::wstring& marker) {
  return testsupport::RunProcess(L"\"" + testsupport::ProgramFolder() + L"\\detach_peer.exe\" " + mode + L" \"" +
                                 marker + L"\"");
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(UnloadProcess, UnloadReleasesHostStreamsProcessExitLeavesThem) {
  testsupport::TempDir dir;
  const std::wstring unloaded = dir.File(L"unload.marker"), exited = dir.File(L"exit.marker");
  ASSERT_EQ(RunPeer(L"unload", unloaded), 0);
  EXPECT_TRUE(Exists(unloaded));  // the open job's stream was released by the teardown
  ASSERT_EQ(RunPeer(L"exit", exited), 0);
  EXPECT_FALSE(Exists(exited));  // at exit the host's stream is not touched
}

}  // namespace
