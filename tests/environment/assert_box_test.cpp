// The assertion box in a child process: answered from here, and skipped when the process may not
// show UI. Either way the child ends with exit code -1.
#include <gtest/gtest.h>

#include <string>

#include "env_test_util.h"
#include "environment/assert_box.h"

namespace {

struct FoundBox {
  DWORD pid;
  HWND box;
};

BOOL CALLBACK FindBox(HWND w, LPARAM param) {
  auto* f = reinterpret_cast<FoundBox*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t title[64] = L"";
  GetWindowTextW(w, title, 64);
  if (pid == f->pid && wcscmp(title, L"Assertion Failure") == 0) {
    f->box = w;
    return FALSE;
  }
  return TRUE;
}

// Starts the probe with "assert"; when `answer`, waits for its box, returns the box text and
// presses Cancel. The exit code goes to *code.
std::wstring RunAssert(const envtest::ProbeCopy& probe, bool answer, DWORD* code) {
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  std::wstring cmd = L"\"" + probe.path() + L"\" assert";
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return L"<no start>";
  std::wstring text = L"<no box>";
  for (int i = 0; answer && i < 300; ++i) {
    FoundBox f = {pi.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&f));
    if (f.box) {
      wchar_t buf[256] = L"";
      GetDlgItemTextW(f.box, 0xFFFF, buf, 256);  // the box's static text
      text = buf;
      PostMessageW(f.box, WM_COMMAND, IDCANCEL, 0);
      break;
    }
    Sleep(50);
  }
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return text;
}

}  // namespace

TEST(AssertBox, TextIsFormattedAndCut) {
  EXPECT_EQ(ovut::env::AssertionText(L"count == 3", L"probe.cpp", 42), L"line 42 in file probe.cpp:\n\"count == 3\"");
  String longText = ovut::env::AssertionText(std::wstring(200, L'x').c_str(), L"f.cpp", 1);
  EXPECT_EQ(longText.Length(), 80u);
  EXPECT_EQ(ovut::env::AssertionText(nullptr, nullptr, 0), L"line 0 in file (null):\n\"(null)\"");
}

TEST(AssertBox, ShownWhenUiIsAllowedThenTheProcessEnds) {
  envtest::ProbeCopy probe(L"env_probe_assert.exe");
  DWORD code = 0;
  std::wstring text = RunAssert(probe, true, &code);
  EXPECT_EQ(text, L"line 42 in file probe.cpp:\n\"count == 3\"");
  EXPECT_EQ(code, 0xFFFFFFFFu);
}

TEST(AssertBox, NoBoxWithoutUi) {
  envtest::ScopedRegValue list(HKEY_LOCAL_MACHINE, L"Software\\Orvask", L"NonInteractiveApps", L"ENV_PROBE_QUIET");
  envtest::ProbeCopy probe(L"env_probe_quiet.exe");
  DWORD code = 0;
  RunAssert(probe, false, &code);  // would hang until the time-out if a box were shown
  EXPECT_EQ(code, 0xFFFFFFFFu);
}
