// Owners of paired calls: the closing call happens on every way out, a throw included.
#include "foundation/scoped_calls.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

// The clipboard is held per thread: another thread can open it only after the owner closed it.
bool OpenableFromAnotherThread() {
  bool opened = false;
  std::thread([&] {
    if (OpenClipboard(nullptr)) {
      opened = true;
      CloseClipboard();
    }
  }).join();
  return opened;
}

TEST(ScopedCalls, ClipboardIsClosedWhenTheScopeThrows) {
  ASSERT_TRUE(OpenableFromAnotherThread());
  try {
    ovut::ClipboardSession clipboard(nullptr);
    ASSERT_TRUE(clipboard.IsOpen());
    EXPECT_FALSE(OpenableFromAnotherThread());
    throw std::runtime_error("out of memory while copying");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(OpenableFromAnotherThread());
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
