// Owners of paired calls: the closing call happens on every way out, a throw included.
#include "foundation/scoped_calls.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ScopedCalls, ClipboardIsClosedWhenTheScopeThrows) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  try {
    ovut::ClipboardSession clipboard(window);
    ASSERT_TRUE(clipboard.IsOpen());
    EXPECT_EQ(GetOpenClipboardWindow(), window);
    throw std::runtime_error("out of memory while copying");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  DestroyWindow(window);
}

TEST(ScopedCalls, GlobalLockIsUndoneWhenTheScopeThrows) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_NE(block, nullptr);
  try {
    ovut::GlobalLockView view(block);
    ASSERT_NE(view.Data(), nullptr);
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 1u);
    throw std::runtime_error("failed while filling");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);
  GlobalFree(block);
}

}  // namespace
