// Leak reports of deleted heaps and closed modules, and the call trace of traced modules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "memory/line_capture.h"
#include "memory/object_layout.h"
#include "memory/registry.h"

namespace mem = ovut::memory;

namespace {

std::wstring Pointer(const void* p) {
  wchar_t b[40];
  _snwprintf(b, 40, L"%#p", p);
  return b;
}

TEST(LeakReport, HeapDeletedWithObjectsLeft) {
  void* m = mem::JobOpen(L"LeakMod", 0, OVUT_STACK_START());
  void* h = mem::CreateHeap(m, L"LeakHeap", mem::kDebug, OVUT_STACK_START());
  auto* text = static_cast<char*>(mem::ObjectAlloc(h, 10, 0, 0, OVUT_STACK_START()));
  memcpy(text, "ABC\0\xFFxyz12", 10);
  void* plain = mem::ObjectAlloc(h, 3, mem::kNeverDebug | mem::kZeroMemory, 0, OVUT_STACK_START());
  mem::ObjectFree(h, mem::ObjectAlloc(h, 1, 0, 0, OVUT_STACK_START()));

  LineCapture lines;
  EXPECT_EQ(mem::DeleteHeap(h), mem::kObjectsLeft);
  const auto t = lines.Texts();
  const auto& raw = lines.lines();
  ASSERT_FALSE(raw.empty());
  EXPECT_EQ(raw[0].rfind(L"        :", 0), 0u) << "the empty module tag in 8 places";

  EXPECT_EQ(lines.Find(L"Heap['LeakMod'/'LeakHeap']: max 3, total 3 allocations"), 0) << lines.All();
  int warning = lines.Find(L"Warning: deleting heap, but objects are left:");
  ASSERT_EQ(warning, 1);
  EXPECT_EQ(t[warning + 1], L"Heap['LeakMod'/'LeakHeap']: 2 objects");
  EXPECT_EQ(LineCapture::Depth(raw[warning + 1]), LineCapture::Depth(raw[warning]) + 1);
  EXPECT_EQ(t[warning + 2], L"Heap allocation stack trace:");

  int object = lines.Find(L"-Object at " + Pointer(text) + L", 10(=0x0000000a) Bytes");
  ASSERT_GT(object, warning) << lines.All();
  // Rows: two blanks, "%02x " per byte (three blanks beyond the end), a blank, the characters.
  EXPECT_EQ(LineCapture::Depth(raw[object + 1]), LineCapture::Depth(raw[object]) + 1 + 2);
  EXPECT_EQ(t[object + 1], L"41 42 43 00 ff 78 79 7a  ABC..xyz");
  EXPECT_EQ(t[object + 2], L"31 32" + std::wstring(20, L' ') + L"12      ");
  EXPECT_EQ(t[object + 3], L"Memory object allocation stack trace:");
  // Entries: " frame:symbol" and "  CALL ..." (the text above is shown without its blanks).
  const std::wstring entry = raw[object + 4];
  EXPECT_EQ(t[object + 5].rfind(L"CALL ", 0), 0u) << t[object + 5];
  EXPECT_NE(entry.find(L":test_memory.exe"), std::wstring::npos) << "first frame is the allocating test: " << entry;

  EXPECT_GE(lines.Find(L"-Object at " + Pointer(plain) + L", 3(=0x00000003) Bytes"), 0) << lines.All();
  EXPECT_GE(lines.Find(L"00 00 00"), 0);
  EXPECT_EQ(mem::JobClose(m), 0);
}

TEST(LeakReport, QuietHeapAndHeapWithoutObjects) {
  void* m = mem::JobOpen(L"QuietMod", 0, OVUT_STACK_START());
  void* quiet = mem::CreateHeap(m, L"q", mem::kNoLeakWarning, OVUT_STACK_START());
  mem::ObjectAlloc(quiet, 4, 0, 0, OVUT_STACK_START());
  void* unused = mem::CreateHeap(m, L"u", 0, OVUT_STACK_START());
  LineCapture lines;
  EXPECT_EQ(mem::DeleteHeap(quiet), mem::kObjectsLeft);
  EXPECT_EQ(mem::DeleteHeap(unused), 0);
  EXPECT_EQ(lines.Texts(), std::vector<std::wstring>{L"Heap['QuietMod'/'q']: max 1, total 1 allocations"});
  EXPECT_EQ(mem::JobClose(m), 0);
}

TEST(LeakReport, ModuleClosedWithHeapsLeft) {
  void* m = mem::JobOpen(L"LeftMod", 0, OVUT_STACK_START());
  void* a = mem::CreateHeap(m, L"first", mem::kDebug, OVUT_STACK_START());
  mem::CreateHeap(m, nullptr, 0, OVUT_STACK_START());
  void* obj = mem::ObjectAlloc(a, 2, 0, 0, OVUT_STACK_START());
  LineCapture lines;
  EXPECT_EQ(mem::JobClose(m), mem::kObjectsLeft);
  const auto t = lines.Texts();
  ASSERT_GE(t.size(), 3u) << lines.All();
  EXPECT_EQ(t[0], L"Error: deleting module 'LeftMod', but the following heaps are left:");
  EXPECT_EQ(t[1], L"Heap['LeftMod'/'first']: 1 objects");
  EXPECT_EQ(LineCapture::Depth(lines.lines()[1]), LineCapture::Depth(lines.lines()[0]) + 1);
  EXPECT_GE(lines.Find(L"-Object at " + Pointer(obj) + L", 2(=0x00000002) Bytes"), 0);
  EXPECT_GE(lines.Find(L"Heap['LeftMod'/'(NULL)']: 0 objects"), 0) << lines.All();
  EXPECT_EQ(mem::DeleteHeap(a), mem::kInvalidHandle);
}

TEST(LeakReport, TracedModuleWritesEachCall) {
  LineCapture lines;
  void* m = mem::JobOpen(L"TraceMod", mem::kModuleTrace, OVUT_STACK_START());
  void* h = mem::CreateHeap(m, L"th", 0, OVUT_STACK_START());
  EXPECT_EQ(mem::HeapBytes(h), mem::kUnavailable);  // not a debug heap
  EXPECT_EQ(mem::ValidateHeap(h, nullptr), 0);
  EXPECT_EQ(mem::DeleteHeap(h), 0);
  EXPECT_EQ(mem::JobClose(m), 0);
  const std::wstring mp = Pointer(m), hp = Pointer(h);
  const std::vector<std::wstring> expected = {
      L"UtilJobOpen('TraceMod',0x80000000)",
      L"->" + mp,
      L"TraceMod: UtilHeapCreate(..,'th',..) called with DEBUG bit",
      L"UtilHeapCreate(" + mp + L",'th',0x00000000)",
      L"->" + hp,
      L"UtilHeapSize(" + hp + L") ['TraceMod','th']",
      L"UtilHeapSize will only work for DEBUG heaps, or in NT >= 3.51",
      L"0x00000000",
      L"->-7",
      L"UtilHeapValidate(" + hp + L") ['TraceMod','th']",
      L"->0",
      L"UtilHeapDelete(" + hp + L") ['TraceMod','th']",
      L"->0",
      L"UtilJobClose(" + mp + L") ['TraceMod']",
      L"->0",
  };
  ASSERT_EQ(lines.lines().size(), expected.size()) << lines.All();
  for (size_t i = 0; i < expected.size(); ++i) {
    if (i == 2) continue;  // the UtilDebug line has no tag
    EXPECT_EQ(lines.Texts()[i], expected[i]) << i;
  }
  EXPECT_EQ(lines.lines()[2], expected[2]);
  // A call's result line closes its group: same depth as the call line.
  EXPECT_EQ(LineCapture::Depth(lines.lines()[0]), LineCapture::Depth(lines.lines()[1]));
}

}  // namespace
