// The boundary every export runs behind: what it catches becomes the failure result and one
// debug line naming the export, even when that line cannot be written.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "diagnostics/debug_channel.h"
#include "exports/export_guard.h"
#include "support/debug_capture.h"

namespace {

int ThrowingExport(int kind) {
  return ovut::exports::Guarded<int>(-6, [&]() -> int {
    if (kind == 0) throw std::bad_alloc();
    if (kind == 1) throw std::runtime_error("broken");
    if (kind == 2) throw 42;
    return 7;
  });
}

void ThrowingVoidExport() {
  ovut::exports::Guarded([] { throw std::bad_alloc(); });
}

TEST(ExportBoundary, CaughtExceptionsBecomeTheResultAndOneLine) {
  const struct {
    int kind;
    int result;
    const wchar_t* line;
  } cases[] = {
      {0, -6, L"ERR: ThrowingExport: exception caught (std::bad_alloc)"},
      {1, -6, L"ERR: ThrowingExport: exception caught (broken)"},
      {2, -6, L"ERR: ThrowingExport: exception caught (unknown exception)"},
      {3, 7, nullptr},
  };
  for (const auto& c : cases) {
    testsupport::DebugCapture capture;
    EXPECT_EQ(ThrowingExport(c.kind), c.result) << c.kind;
    if (c.line) {
      ASSERT_EQ(capture.lines().size(), 1u) << c.kind;
      EXPECT_EQ(capture.lines()[0], c.line);
    } else {
      EXPECT_TRUE(capture.lines().empty());
    }
  }
  testsupport::DebugCapture capture;
  ThrowingVoidExport();
  EXPECT_TRUE(capture.Contains(L"ERR: ThrowingVoidExport: exception caught"));
}

// Out of memory again while the boundary reports: the line is lost, the result still comes back.
TEST(ExportBoundary, ReportThatCannotBeWrittenIsLostQuietly) {
  testsupport::DebugCapture capture;
  ovut::debug::Channel()->FailNextEmitsForTesting(1);
  EXPECT_EQ(ThrowingExport(0), -6);
  EXPECT_TRUE(capture.lines().empty());
  EXPECT_EQ(ThrowingExport(0), -6);  // and the channel works again
  EXPECT_EQ(capture.lines().size(), 1u);
}

}  // namespace
