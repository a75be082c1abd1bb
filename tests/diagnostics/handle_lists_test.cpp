// GDI handle lists: counting, snapshots and their comparison, the lost-handle report, and the
// refusal of types outside the lists.
#include <gtest/gtest.h>
#include <windows.h>

#include "diagnostics/handle_lists.h"
#include "support/debug_capture.h"

namespace {

using ovut::handles::HandleListMgr;
namespace op = ovut::handles;

int Count(const std::vector<std::wstring>& lines, const std::wstring& part) {
  int n = 0;
  for (const auto& l : lines) n += l.find(part) != std::wstring::npos;
  return n;
}

TEST(HandleLists, TypesOutsideTheListsAreRefused) {
  for (int type : {-1, 15, 1000, INT_MIN}) {
    testsupport::DebugCapture capture;
    EXPECT_EQ(HandleListMgr(type, op::kAdd, 0x10), 0);
    EXPECT_EQ(HandleListMgr(type, op::kCount, 0), 0);
    EXPECT_TRUE(capture.Contains(L"is not a GDI object type")) << type;
  }
}

TEST(HandleLists, AddingCountsRemovingUncounts) {
  const int type = 2;  // BRUSH
  const UINT_PTR brush = 0xB001;
  EXPECT_EQ(HandleListMgr(type, op::kAdd, brush), 0);
  HandleListMgr(type, op::kAdd, brush);
  HandleListMgr(type, op::kRemove, brush);
  EXPECT_EQ(HandleListMgr(type, op::kCount, 0), 1);
  EXPECT_EQ(HandleListMgr(type, op::kContains, brush), 1);
  HandleListMgr(type, op::kRemove, 0xDEAD);  // unknown: ignored
  HandleListMgr(type, op::kRemove, brush);
  EXPECT_EQ(HandleListMgr(type, op::kContains, brush), 0);
  EXPECT_EQ(HandleListMgr(type, op::kCount, 0), 0);
  EXPECT_EQ(HandleListMgr(type, 7, brush), 0);  // no such operation
}

TEST(HandleLists, SnapshotComparisonNamesNewAndDeletedHandles) {
  const int type = 8;  // RGN
  HandleListMgr(type, op::kAdd, 0x8001);
  HandleListMgr(type, op::kPushSnapshot, 0);
  {
    testsupport::DebugCapture capture;
    HandleListMgr(type, op::kCompareSnapshots, 0);  // a single snapshot: nothing, and it stays
    EXPECT_TRUE(capture.lines().empty());
  }
  HandleListMgr(type, op::kRemove, 0x8001);
  HandleListMgr(type, op::kAdd, 0x8002);
  HandleListMgr(type, op::kPushSnapshot, 0);
  testsupport::DebugCapture capture;
  HandleListMgr(type, op::kCompareSnapshots, 0);
  const auto& lines = capture.lines();
  EXPECT_EQ(Count(lines, L"NEW 1 RGN HANDLES:"), 2);  // summary, then details
  EXPECT_EQ(Count(lines, L"DELETED 1 RGN HANDLES:"), 2);
  EXPECT_EQ(Count(lines, L"NEW RGN HANDLE"), 1);
  EXPECT_EQ(Count(lines, L"8002"), 1);
  EXPECT_EQ(Count(lines, L"DELETED RGN HANDLE"), 1);
  EXPECT_EQ(Count(lines, L"8001"), 1);
  capture.Clear();
  HandleListMgr(type, op::kCompareSnapshots, 0);  // both consumed
  EXPECT_TRUE(capture.lines().empty());
  HandleListMgr(type, op::kRemove, 0x8002);
}

TEST(HandleLists, LostHandlesAreReportedOnce) {
  const int type = 13;  // EMF
  HandleListMgr(type, op::kAdd, 0xE001);
  testsupport::DebugCapture capture;
  HandleListMgr(type, op::kReport, 0);
  ovut::handles::ReportLostHandles(false);  // as at unload: the EMF list was reported already
  EXPECT_EQ(Count(capture.lines(), L"LOST EMF HANDLE"), 1);
  EXPECT_EQ(Count(capture.lines(), L"E001:"), 1);
  HandleListMgr(type, op::kRemove, 0xE001);
}

}  // namespace
