// The window the crash report shows while it packs the support archive.
#include <gtest/gtest.h>

#include "diagnostics/wait_window.h"

namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

TEST(WaitWindow, ShowsTitleAndTextUntilClosedAndCanShowAgain) {
  for (int round = 0; round < 2; ++round) {  // the class is registered anew each time
    clsWaitWindow wait(L"Please wait...", L"Compressing the support information file.");
    ASSERT_TRUE(wait.Show());
    HWND window = FindWindowW(clsWaitWindow::kClassName, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), L"Please wait...");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(TextOf(FindWindowExW(window, nullptr, L"STATIC", nullptr)), L"Compressing the support information file.");
    // Closing it from outside is ignored: only its owner ends it.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    wait.Close();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindWindowW(clsWaitWindow::kClassName, nullptr), nullptr);
  }
}

}  // namespace
