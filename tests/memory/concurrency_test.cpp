// Several threads allocating and freeing in one heap at once.
#include <gtest/gtest.h>

#include <vector>

#include "memory/object_layout.h"
#include "memory/registry.h"

namespace mem = ovut::memory;

namespace {

struct Work {
  void* heap;
  uint32_t objectFlags;
  LONG failures;
};

DWORD WINAPI Churn(void* p) {
  auto* w = static_cast<Work*>(p);
  void* kept[16] = {};
  for (int i = 0; i < 4000; ++i) {
    int slot = i % 16;
    if (kept[slot] && mem::ObjectFree(w->heap, kept[slot]) != 0) InterlockedIncrement(&w->failures);
    kept[slot] = mem::ObjectAlloc(w->heap, 8 + i % 200, w->objectFlags | mem::kNoStackTrace, 0, OVUT_STACK_START());
    if (!kept[slot]) InterlockedIncrement(&w->failures);
    else static_cast<char*>(kept[slot])[0] = static_cast<char>(i);
  }
  for (void* k : kept)
    if (k && mem::ObjectFree(w->heap, k) != 0) InterlockedIncrement(&w->failures);
  return 0;
}

TEST(HeapConcurrency, ThreadsShareOneHeap) {
  void* m = mem::JobOpen(L"ThreadMod", 0, OVUT_STACK_START());
  for (uint32_t heapFlags : {uint32_t{0}, uint32_t{mem::kNoSerialize}}) {
    for (uint32_t objectFlags : {uint32_t{0}, uint32_t{mem::kDebug}}) {
      void* h = mem::CreateHeap(m, L"shared", heapFlags, OVUT_STACK_START());
      Work work = {h, objectFlags, 0};
      HANDLE threads[4];
      for (HANDLE& t : threads) t = CreateThread(nullptr, 0, Churn, &work, 0, nullptr);
      WaitForMultipleObjects(4, threads, TRUE, 60000);
      for (HANDLE t : threads) CloseHandle(t);
      mem::scHeapStats s = {};
      ASSERT_TRUE(mem::GetHeapStats(h, &s));
      EXPECT_EQ(work.failures, 0) << heapFlags << "/" << objectFlags;
      EXPECT_EQ(s.liveObjects, 0);
      EXPECT_EQ(s.liveBytes, 0);
      EXPECT_EQ(s.totalAllocations, 4 * 4000);
      EXPECT_EQ(mem::ValidateHeap(h, nullptr), 0);
      EXPECT_EQ(mem::DeleteHeap(h), 0);
    }
  }
  EXPECT_EQ(mem::JobClose(m), 0);
}

}  // namespace
