// The shared per-thread CBT hook, the Ctrl+Break state dump and the concurrency markers.
#include <gtest/gtest.h>

#include <thread>

#include "diagnostics/ctrl_break.h"
#include "ovut19/hooks.h"
#include "support/debug_capture.h"

namespace {

int g_created = 0;

// Only the test's own windows: the system may create helper windows (IME) on the same thread.
bool IsTestWindow(int code, LPARAM lParam) {
  if (code != HCBT_CREATEWND) return false;
  const CREATESTRUCTW* cs = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
  return cs && !IS_INTRESOURCE(cs->lpszName) && cs->lpszName && wcscmp(cs->lpszName, L"cbt-test") == 0;
}

LRESULT CALLBACK CountCreations(int code, WPARAM, LPARAM lParam) {
  if (IsTestWindow(code, lParam)) ++g_created;
  return 0;
}

LRESULT CALLBACK RefuseCreations(int code, WPARAM, LPARAM lParam) { return IsTestWindow(code, lParam) ? 1 : 0; }

LRESULT CALLBACK CancelDialogs(int code, WPARAM wParam, LPARAM) {
  wchar_t cls[16] = L"";
  if (code == HCBT_ACTIVATE && GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 16) && wcscmp(cls, L"#32770") == 0)
    PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
  return 0;
}

bool CreateAndDestroy() {
  HWND w = CreateWindowW(L"STATIC", L"cbt-test", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (w) DestroyWindow(w);
  return w != nullptr;
}

}  // namespace

TEST(CBTHook, CallbacksRunInOrderAndTheFirstNonZeroResultStopsTheAction) {
  g_created = 0;
  ASSERT_EQ(UtilSetCBTHook(CountCreations, TRUE), 0);
  ASSERT_EQ(UtilSetCBTHook(RefuseCreations, TRUE), 0);
  EXPECT_FALSE(CreateAndDestroy());
  EXPECT_EQ(g_created, 1);
  // Another thread has no hook: its windows are neither counted nor refused.
  bool otherCreated = false;
  std::thread([&] { otherCreated = CreateAndDestroy(); }).join();
  EXPECT_TRUE(otherCreated);
  EXPECT_EQ(g_created, 1);

  ASSERT_EQ(UtilSetCBTHook(RefuseCreations, FALSE), 0);
  EXPECT_TRUE(CreateAndDestroy());
  EXPECT_EQ(g_created, 2);
  ASSERT_EQ(UtilSetCBTHook(CountCreations, FALSE), 0);
  EXPECT_TRUE(CreateAndDestroy());
  EXPECT_EQ(g_created, 2);

  EXPECT_EQ(UtilSetCBTHook(CountCreations, FALSE), -5);
  EXPECT_EQ(UtilSetCBTHook(nullptr, TRUE), -5);
}

TEST(CBTHook, AnswersTheThreadsMessageBox) {
  ASSERT_EQ(UtilSetCBTHook(CancelDialogs, TRUE), 0);
  EXPECT_EQ(MessageBoxW(nullptr, L"answered by the hook", L"hook test", MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(UtilSetCBTHook(CancelDialogs, FALSE), 0);
}

TEST(CtrlBreak, AttachedHandlerDumpsTheStateAndKeepsTheProcess) {
  EXPECT_EQ(UtilCtrlBreakHookAttach(FALSE), -5);
  ASSERT_EQ(UtilCtrlBreakHookAttach(TRUE), 0);
  ASSERT_EQ(UtilCtrlBreakHookAttach(TRUE), 0);
  {
    testsupport::DebugCapture capture;
    EXPECT_TRUE(ovut::debug::CtrlBreakHandler(CTRL_BREAK_EVENT));
    EXPECT_TRUE(capture.Contains(L"Ctrl+Break: state of process "));
    EXPECT_TRUE(capture.Contains(L"Ctrl+Break: end of state"));
    capture.Clear();
    EXPECT_FALSE(ovut::debug::CtrlBreakHandler(CTRL_C_EVENT));  // Ctrl+C keeps its usual meaning
    EXPECT_TRUE(capture.lines().empty());
  }
  EXPECT_EQ(UtilCtrlBreakHookAttach(FALSE), 0);
  EXPECT_EQ(UtilCtrlBreakHookAttach(FALSE), 0);
  EXPECT_EQ(UtilCtrlBreakHookAttach(FALSE), -5);
}

TEST(ConcurrencyMarkers, SpansPairWithoutASession) {
  EXPECT_FALSE(UtilCVIsEnabled());
  HANDLE outer = UtilCVEnterSpan(L"outer");
  HANDLE inner = UtilCVEnterSpan(nullptr);
  EXPECT_NE(outer, nullptr);
  EXPECT_NE(inner, outer);
  UtilCVWriteFlag(L"flag");
  UtilCVWriteMessage(nullptr);
  UtilCVLeaveSpan(inner);
  UtilCVLeaveSpan(outer);
  UtilCVLeaveSpan(nullptr);
}
