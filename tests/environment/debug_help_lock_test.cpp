// The shared debug-help section: stack traces and leak reports take it, leak reports name
// their symbols after the registry lock is released, and nothing is looked up under the
// loader lock.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "diagnostics/debug_output.h"
#include "environment/loader_lock.h"
#include "environment/shared_locks.h"
#include "memory/line_capture.h"
#include "memory/object_layout.h"
#include "memory/registry.h"
#include "support/debug_capture.h"

namespace mem = ovut::memory;
using ovut::env::DebugHelpSection;

namespace {

// A module with a debug heap holding `objects` leaked objects; deleting the heap reports them.
struct LeakyHeap {
  void* module;
  void* heap;
  explicit LeakyHeap(const wchar_t* name, int objects = 2) {
    module = mem::JobOpen(name, 0, OVUT_STACK_START());
    heap = mem::CreateHeap(module, L"Heap", mem::kDebug, OVUT_STACK_START());
    for (int i = 0; i < objects; ++i) mem::ObjectAlloc(heap, 16, 0, 0, OVUT_STACK_START());
  }
  int Delete() {
    const int result = mem::DeleteHeap(heap);
    mem::JobClose(module);
    return result;
  }
};

DWORD WINAPI DeleteLeakyHeap(void* p) { return static_cast<DWORD>(static_cast<LeakyHeap*>(p)->Delete()); }
DWORD WINAPI WriteStackTrace(void*) {
  ovut::debug::StackTrace(0, 20);
  return 0;
}

struct SectionHolder {
  SectionHolder() { EnterCriticalSection(DebugHelpSection()); }
  ~SectionHolder() { LeaveCriticalSection(DebugHelpSection()); }
};

}  // namespace

TEST(DebugHelpLock, StackTracesWaitForTheSharedSection) {
  testsupport::DebugCapture capture;  // makes the channel active
  HANDLE thread;
  {
    SectionHolder hold;
    thread = CreateThread(nullptr, 0, WriteStackTrace, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 300), static_cast<DWORD>(WAIT_TIMEOUT));
  }
  EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
  CloseHandle(thread);
}

TEST(DebugHelpLock, LeakReportsNameSymbolsAfterReleasingTheRegistryLock) {
  LineCapture lines;
  LeakyHeap leaky(L"SymbolsLater");
  HANDLE thread;
  {
    SectionHolder hold;
    thread = CreateThread(nullptr, 0, DeleteLeakyHeap, &leaky, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // The report waits for the debug-help section ...
    EXPECT_EQ(WaitForSingleObject(thread, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    // ... without holding the registry lock: another module can register meanwhile.
    void* other = mem::JobOpen(L"Meanwhile", 0, OVUT_STACK_START());
    EXPECT_NE(other, nullptr);
    EXPECT_EQ(mem::JobClose(other), 0);
  }
  ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
  DWORD result = 0;
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  EXPECT_EQ(static_cast<int>(result), mem::kObjectsLeft);
  EXPECT_TRUE(lines.Has(L"Warning: deleting heap, but objects are left:")) << lines.All();
  EXPECT_TRUE(lines.Has(L"Memory object allocation stack trace:")) << lines.All();
  // The report's lines stay in order: the group begins before the objects.
  EXPECT_LT(lines.Find(L"Warning: deleting heap"), lines.Find(L"-Object at")) << lines.All();
}

TEST(DebugHelpLock, UnderTheLoaderLockReportsGiveModuleAndOffset) {
  LineCapture lines;
  LeakyHeap leaky(L"InLoader", 1);
  // Another thread holds the debug-help section: a report that asked for symbols would hang.
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    SectionHolder hold;
    held = true;
    while (!release) Sleep(1);
  });
  while (!held) Sleep(1);
  {
    ovut::env::clsAttachDetachScope inLoader;
    EXPECT_TRUE(ovut::env::UnderLoaderLock());
    EXPECT_EQ(leaky.Delete(), mem::kObjectsLeft);
  }
  release = true;
  holder.join();
  EXPECT_FALSE(ovut::env::UnderLoaderLock());
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring module = std::wstring(wcsrchr(exe, L'\\') + 1) + L"+0x";
  const int trace = lines.Find(L"Memory object allocation stack trace:");
  ASSERT_GE(trace, 0) << lines.All();
  EXPECT_NE(lines.Texts()[trace + 1].find(module), std::wstring::npos) << lines.All();
  EXPECT_EQ(lines.All().find(L'!'), std::wstring::npos) << lines.All();
}

TEST(DebugHelpLock, StackTracesAndLeakReportsOnTwoThreadsAtOnce) {
  testsupport::DebugCapture capture;
  LineCapture lines;
  std::atomic<bool> go{false};
  std::atomic<int> leaks{0};
  std::thread traces([&] {
    while (!go) std::this_thread::yield();
    for (int i = 0; i < 40; ++i) ovut::debug::StackTrace(0, 20);
  });
  std::thread reports([&] {
    while (!go) std::this_thread::yield();
    for (int i = 0; i < 40; ++i) {
      LeakyHeap leaky(L"TwoThreads", 3);
      if (leaky.Delete() == mem::kObjectsLeft) ++leaks;
    }
  });
  go = true;
  traces.join();
  reports.join();
  EXPECT_EQ(leaks.load(), 40);
  int objects = 0;
  for (const auto& text : lines.Texts())
    if (text.rfind(L"-Object at", 0) == 0) ++objects;
  EXPECT_EQ(objects, 40 * 3);
}
