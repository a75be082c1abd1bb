// Modules, heaps and their objects: registration, flags, sizes, statistics and the refusal of
// damaged or foreign objects.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "diagnostics/debug_output.h"
#include "memory/line_capture.h"
#include "memory/object_layout.h"
#include "memory/registry.h"

namespace mem = ovut::memory;

namespace {

// A module with one heap, released at the end of the test whatever it left.
class HeapFixture {
 public:
  explicit HeapFixture(uint32_t heapFlags, const wchar_t* module = L"TestMod", int moduleFlags = 0) {
    module_ = mem::JobOpen(module, moduleFlags, OVUT_STACK_START());
    heap_ = mem::CreateHeap(module_, L"TestHeap", heapFlags, OVUT_STACK_START());
  }
  ~HeapFixture() {
    ovut::memory::SetLineSink([](void*, const wchar_t*) {}, nullptr);  // keep leak reports quiet
    mem::JobClose(module_);
    ovut::memory::SetLineSink(nullptr, nullptr);
  }
  void* module() const { return module_; }
  void* heap() const { return heap_; }
  void* Alloc(int size, uint32_t flags = 0, UINT_PTR tag = 0) {
    return mem::ObjectAlloc(heap_, size, flags, tag, OVUT_STACK_START());
  }
  mem::scHeapStats Stats() const {
    mem::scHeapStats s = {};
    EXPECT_TRUE(mem::GetHeapStats(heap_, &s));
    return s;
  }

 private:
  void* module_;
  void* heap_;
};

TEST(HeapRegistry, ModulesAreCountedByName) {
  void* a = mem::JobOpen(L"SameName", 0, OVUT_STACK_START());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(mem::JobOpen(L"SameName", 0x40000000, OVUT_STACK_START()), a);
  EXPECT_NE(mem::JobOpen(L"samename", 0, OVUT_STACK_START()), a);  // case-sensitive
  EXPECT_EQ(mem::JobClose(mem::JobOpen(L"samename", 0, OVUT_STACK_START())), 0);
  EXPECT_EQ(mem::JobClose(mem::JobOpen(L"samename", 0, OVUT_STACK_START())), 0);

  void* heap = mem::CreateHeap(a, L"h", 0, OVUT_STACK_START());
  ASSERT_NE(heap, nullptr);
  EXPECT_EQ(mem::JobClose(a), 0);  // first close keeps the module and its heap
  EXPECT_EQ(mem::HeapObjectBytes(heap), 0);
  LineCapture quiet;
  EXPECT_EQ(mem::JobClose(a), mem::kObjectsLeft);  // the last one deletes it with the heap left
  EXPECT_EQ(mem::DeleteHeap(heap), mem::kInvalidHandle);
  EXPECT_EQ(mem::JobClose(a), mem::kInvalidHandle);
  EXPECT_EQ(mem::JobClose(nullptr), 0);
}

TEST(HeapRegistry, LongNamesAreCutTo32Units) {
  std::wstring name(40, L'n');
  void* a = mem::JobOpen(name.c_str(), 0, OVUT_STACK_START());
  EXPECT_EQ(mem::JobOpen(name.substr(0, 32).c_str(), 0, OVUT_STACK_START()), a);
  EXPECT_EQ(mem::JobClose(a), 0);
  EXPECT_EQ(mem::JobClose(a), 0);
  void* unnamed = mem::JobOpen(nullptr, 0, OVUT_STACK_START());
  EXPECT_EQ(mem::JobOpen(nullptr, 0, OVUT_STACK_START()), unnamed);
  EXPECT_NE(mem::JobOpen(L"", 0, OVUT_STACK_START()), unnamed);
  mem::JobClose(mem::JobOpen(L"", 0, OVUT_STACK_START()));
  mem::JobClose(mem::JobOpen(L"", 0, OVUT_STACK_START()));
  mem::JobClose(unnamed);
  EXPECT_EQ(mem::JobClose(unnamed), 0);
}

TEST(HeapRegistry, HeapCreationFlags) {
  void* m = mem::JobOpen(L"FlagsMod", 0, OVUT_STACK_START());
  EXPECT_EQ(mem::CreateHeap(m, L"x", mem::kFailCreate, OVUT_STACK_START()), nullptr);
  int local = 0;
  EXPECT_EQ(mem::CreateHeap(&local, L"x", 0, OVUT_STACK_START()), nullptr);  // not a module handle
  EXPECT_EQ(mem::CreateHeap(nullptr, L"x", 0, OVUT_STACK_START()), nullptr);
  mem::JobClose(m);

  // A module with bit 30 makes debug heaps unless the heap says never-debug.
  void* dm = mem::JobOpen(L"DebugMod", mem::kModuleDebugHeaps, OVUT_STACK_START());
  void* debugHeap = mem::CreateHeap(dm, L"d", 0, OVUT_STACK_START());
  void* plainHeap = mem::CreateHeap(dm, L"p", mem::kNeverDebug | mem::kDebug, OVUT_STACK_START());
  void* d = mem::ObjectAlloc(debugHeap, 8, 0, 0, OVUT_STACK_START());
  void* p = mem::ObjectAlloc(plainHeap, 8, 0, 0, OVUT_STACK_START());
  EXPECT_EQ(mem::MagicBefore(d), mem::kObjectMagic);
  EXPECT_EQ(mem::MagicBefore(p), mem::kPlainMagic);
  EXPECT_EQ(mem::ObjectFree(debugHeap, d), 0);
  EXPECT_EQ(mem::ObjectFree(plainHeap, p), 0);
  EXPECT_EQ(mem::DeleteHeap(debugHeap), 0);
  EXPECT_EQ(mem::DeleteHeap(plainHeap), 0);
  EXPECT_EQ(mem::JobClose(dm), 0);
}

TEST(HeapObjects, DebugObjectLayout) {
  HeapFixture f(mem::kDebug);
  void* data = f.Alloc(10, 0, 0x5A5A);
  ASSERT_NE(data, nullptr);
  const mem::scDebugObjectHeader* h = mem::HeaderOf(data);
  EXPECT_EQ(h->blockMagic, mem::kBlockMagic);
  EXPECT_EQ(h->objectMagic, mem::kObjectMagic);
  EXPECT_EQ(h->size, 10);
  EXPECT_EQ(h->tag, 0x5A5Au);
  EXPECT_NE(h->trace, nullptr);
  EXPECT_NE(h->heap, nullptr);
  EXPECT_LE(GetTickCount() - h->tick, 10000u);
  EXPECT_EQ(mem::FenceOf(h), mem::kFenceValue);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(data) % sizeof(void*), static_cast<UINT_PTR>(mem::kDebugHeader % sizeof(void*)));
  EXPECT_EQ(mem::ObjectSize(f.heap(), data), 10);
  EXPECT_EQ(mem::HeapBytes(f.heap()), static_cast<int>(10 + mem::kDebugOverhead));

  void* untraced = f.Alloc(4, mem::kNoStackTrace);
  EXPECT_EQ(mem::HeaderOf(untraced)->trace, nullptr);
  EXPECT_EQ(mem::ObjectFree(f.heap(), untraced), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), data), 0);
}

TEST(HeapObjects, ZeroAndFillFlagsInEveryKindOfHeap) {
  HeapFixture debug(mem::kDebug), plain(0);
  for (void* heap : {debug.heap(), plain.heap(), static_cast<void*>(nullptr)}) {
    for (uint32_t flags : {uint32_t{mem::kZeroMemory}, uint32_t{mem::kFillMemory}, uint32_t{mem::kZeroMemory | mem::kFillMemory}}) {
      // Dirty the heap so that zeroing is seen.
      void* dirt = mem::ObjectAlloc(heap, 100, mem::kFillMemory, 0, OVUT_STACK_START());
      mem::ObjectFree(heap, dirt);
      auto* p = static_cast<unsigned char*>(mem::ObjectAlloc(heap, 100, flags, 0, OVUT_STACK_START()));
      ASSERT_NE(p, nullptr);
      const unsigned char want = (flags & mem::kZeroMemory) ? 0 : 0xF5;
      int wrong = 0;
      for (int i = 0; i < 100; ++i) wrong += p[i] != want;
      EXPECT_EQ(wrong, 0) << "heap " << heap << " flags " << flags;
      EXPECT_EQ(mem::ObjectSize(heap, p), 100);
      EXPECT_EQ(mem::ObjectFree(heap, p), 0);
    }
  }
}

TEST(HeapObjects, StatisticsAndFailedAllocations) {
  HeapFixture f(0);
  void* a = f.Alloc(16);
  void* b = f.Alloc(0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(mem::ObjectSize(f.heap(), b), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), a), 0);
  void* c = f.Alloc(16);
  mem::scHeapStats s = f.Stats();
  EXPECT_EQ(s.liveObjects, 2);
  EXPECT_EQ(s.totalAllocations, 3);
  EXPECT_EQ(s.maxLiveObjects, 2);

  LineCapture lines;
  EXPECT_EQ(f.Alloc(-1), nullptr);
  EXPECT_TRUE(lines.Has(L"Error: clsHeapNode['TestMod'/'TestHeap']::AllocObjectND(-1): Out of memory")) << lines.All();
  s = f.Stats();
  EXPECT_EQ(s.liveObjects, 2);
  EXPECT_EQ(s.totalAllocations, 3);
  EXPECT_EQ(mem::ObjectFree(f.heap(), b), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), c), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), nullptr), 0);
  EXPECT_EQ(f.Stats().liveObjects, 0);
  EXPECT_EQ(mem::DeleteHeap(f.heap()), 0);
}

TEST(HeapObjects, NegativeDebugSizeReportsTheCaller) {
  HeapFixture f(mem::kDebug);
  LineCapture lines;
  EXPECT_EQ(f.Alloc(-5), nullptr);
  int at = lines.Find(L"Error: clsHeapNode['TestMod'/'TestHeap']::AllocObjectD(-5)");
  ASSERT_GE(at, 0) << lines.All();
  EXPECT_EQ(lines.Texts()[at + 1], L"Caller stack trace:");
  EXPECT_EQ(f.Stats().totalAllocations, 0);
}

TEST(HeapObjects, RuntimeHeapObjects) {
  void* p = mem::ObjectAlloc(nullptr, 33, mem::kFillMemory, 0, OVUT_STACK_START());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(p)[32], 0xF5);
  EXPECT_EQ(mem::ObjectSize(nullptr, p), 33);
  EXPECT_EQ(mem::ObjectFree(nullptr, p), 0);
  EXPECT_EQ(mem::ObjectAlloc(nullptr, -1, 0, 0, OVUT_STACK_START()), nullptr);
  EXPECT_EQ(mem::ObjectFree(nullptr, nullptr), 0);
}

// Each damage is refused with its message; the object is still there afterwards.
TEST(HeapObjects, DamagedAndForeignObjectsAreRefused) {
  HeapFixture f(mem::kDebug), other(mem::kDebug, L"OtherMod"), plainOther(0, L"OtherMod");
  struct Case {
    const char* what;
    const wchar_t* message;
  };
  LineCapture lines;

  // One byte past the data.
  {
    auto* p = static_cast<unsigned char*>(f.Alloc(12));
    p[12] ^= 0xFF;
    lines.Clear();
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), mem::kBadObject);
    EXPECT_TRUE(lines.Has(L"Error: clsHeapNode['TestMod'/'TestHeap']::FreeObjectD(")) << lines.All();
    EXPECT_TRUE(lines.Has(L"Error: Memory overrun, fence value has been changed"));
    EXPECT_TRUE(lines.Has(L"-Object at "));
    EXPECT_TRUE(lines.Has(L"Memory overrun, fence value has been changed (object not freed)"));
    EXPECT_EQ(f.Stats().liveObjects, 1);
    EXPECT_EQ(mem::ValidateHeap(f.heap(), nullptr), mem::kCorrupt);
    p[12] ^= 0xFF;  // repaired, it can be freed
    EXPECT_EQ(mem::ValidateHeap(f.heap(), p), 0);
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
  }
  // An underrun over the block magic.
  {
    auto* p = static_cast<unsigned char*>(f.Alloc(12));
    mem::HeaderOf(p)->blockMagic = 0;
    lines.Clear();
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), mem::kBadObject);
    EXPECT_TRUE(lines.Has(L"Not allocated with UTIL or memory underrun (object not freed)")) << lines.All();
    EXPECT_EQ(f.Stats().liveObjects, 1);
    mem::HeaderOf(p)->blockMagic = mem::kBlockMagic;
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
  }
  // A second free of a debug and of a plain object.
  {
    void* p = f.Alloc(12);
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
    lines.Clear();
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), mem::kBadObject);
    EXPECT_TRUE(lines.Has(L"bad pointer, or memory underrun (magic=0x")) << lines.All();
    void* q = mem::ObjectAlloc(plainOther.heap(), 12, 0, 0, OVUT_STACK_START());
    EXPECT_EQ(mem::ObjectFree(plainOther.heap(), q), 0);
    EXPECT_EQ(mem::ObjectFree(plainOther.heap(), q), mem::kBadObject);
    EXPECT_EQ(f.Stats().liveObjects, 0);
    EXPECT_EQ(plainOther.Stats().liveObjects, 0);
  }
  // Objects of another heap, of the runtime heap, and no object at all.
  {
    void* theirs = mem::ObjectAlloc(other.heap(), 8, 0, 0, OVUT_STACK_START());
    lines.Clear();
    EXPECT_EQ(mem::ObjectFree(f.heap(), theirs), mem::kBadObject);
    EXPECT_TRUE(lines.Has(L"Object of another heap (object not freed)")) << lines.All();
    void* plain = mem::ObjectAlloc(plainOther.heap(), 8, 0, 0, OVUT_STACK_START());
    lines.Clear();
    EXPECT_EQ(mem::ObjectFree(f.heap(), plain), mem::kBadObject);
    EXPECT_TRUE(lines.Has(L"bad object size -1")) << lines.All();
    EXPECT_EQ(other.Stats().liveObjects, 1);
    EXPECT_EQ(plainOther.Stats().liveObjects, 1);
    EXPECT_EQ(mem::ObjectFree(other.heap(), theirs), 0);
    EXPECT_EQ(mem::ObjectFree(plainOther.heap(), plain), 0);

    void* runtime = mem::ObjectAlloc(nullptr, 8, 0, 0, OVUT_STACK_START());
    lines.Clear();
    EXPECT_EQ(mem::ObjectFree(f.heap(), runtime), mem::kBadObject);
    EXPECT_TRUE(lines.Has(L"bad pointer, or memory underrun (magic=0x00000008)")) << lines.All();
    EXPECT_EQ(mem::ObjectSize(f.heap(), runtime), mem::kBadObject);
    EXPECT_EQ(mem::ObjectFree(nullptr, runtime), 0);

    char stackBytes[64] = {};
    EXPECT_EQ(mem::ObjectFree(f.heap(), stackBytes + 32), mem::kBadObject);
    EXPECT_EQ(mem::ObjectFree(f.heap(), reinterpret_cast<void*>(0x20)), mem::kBadObject);
    EXPECT_EQ(mem::ObjectSize(f.heap(), reinterpret_cast<void*>(0x20)), mem::kBadObject);
  }
  EXPECT_EQ(f.Stats().liveObjects, 0);
}

TEST(HeapObjects, InvalidHeapHandlesAreNeverUsed) {
  int notAHeap[64] = {};
  void* bogus[] = {notAHeap, reinterpret_cast<void*>(0x1234), reinterpret_cast<void*>(~UINT_PTR(0) - 15)};
  HeapFixture f(0);
  void* p = f.Alloc(8);
  for (void* h : bogus) {
    EXPECT_EQ(mem::ObjectAlloc(h, 8, 0, 0, OVUT_STACK_START()), nullptr);
    EXPECT_EQ(mem::ObjectFree(h, p), mem::kInvalidHandle);
    EXPECT_EQ(mem::ObjectSize(h, p), mem::kInvalidHandle);
    EXPECT_EQ(mem::ValidateHeap(h, nullptr), mem::kInvalidHandle);
    EXPECT_EQ(mem::ShrinkHeap(h), mem::kInvalidHandle);
    EXPECT_EQ(mem::HeapBytes(h), mem::kInvalidHandle);
    EXPECT_EQ(mem::HeapObjectBytes(h), mem::kInvalidHandle);
    EXPECT_EQ(mem::DeleteHeap(h), mem::kInvalidHandle);
    EXPECT_EQ(mem::JobClose(h), mem::kInvalidHandle);
    EXPECT_EQ(mem::CreateHeap(h, L"x", 0, OVUT_STACK_START()), nullptr);
  }
  for (int v : notAHeap) EXPECT_EQ(v, 0);
  EXPECT_EQ(mem::HeapBytes(nullptr), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
}

TEST(HeapObjects, SizesValidationAndShrinking) {
  HeapFixture f(mem::kNoSerialize);
  void* a = f.Alloc(100);
  void* b = f.Alloc(50, mem::kDebug);  // a debug object in a plain heap
  EXPECT_EQ(mem::MagicBefore(b), mem::kObjectMagic);
  const int expected = static_cast<int>(100 + mem::kPlainOverhead + 50 + mem::kDebugOverhead);
  EXPECT_EQ(mem::HeapBytes(f.heap()), mem::kUnavailable);  // counts debug heaps only
  EXPECT_EQ(mem::HeapObjectBytes(f.heap()), expected);
  EXPECT_EQ(mem::ValidateHeap(f.heap(), a), 0);
  EXPECT_EQ(mem::ValidateHeap(f.heap(), b), 0);
  EXPECT_EQ(mem::ValidateHeap(f.heap(), nullptr), 0);
  EXPECT_EQ(mem::ShrinkHeap(f.heap()), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), a), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), b), 0);
  EXPECT_EQ(mem::HeapObjectBytes(f.heap()), 0);
}

// The heap size counts debug heaps only: a plain heap, and a heap that flag 0x40 keeps plain in
// a module whose heaps are debug heaps, give -7.
TEST(HeapObjects, HeapSizeOfDebugHeapsOnly) {
  const struct {
    uint32_t heapFlags;
    int moduleFlags;
    bool debug;
  } cases[] = {{0, 0, false},
               {mem::kDebug, 0, true},
               {0, mem::kModuleDebugHeaps, true},
               {mem::kNeverDebug, mem::kModuleDebugHeaps, false},
               {mem::kNeverDebug | mem::kDebug, mem::kModuleDebugHeaps, false}};
  for (const auto& c : cases) {
    HeapFixture f(c.heapFlags, L"SizeMod", c.moduleFlags);
    void* p = f.Alloc(10);
    const int used = static_cast<int>(10 + (c.debug ? mem::kDebugOverhead : mem::kPlainOverhead));
    EXPECT_EQ(mem::HeapBytes(f.heap()), c.debug ? used : mem::kUnavailable) << std::hex << c.heapFlags;
    EXPECT_EQ(mem::HeapObjectBytes(f.heap()), used) << std::hex << c.heapFlags;
    EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
  }
}

// A null pointer gets no system check of the heap, only the fence check of debug objects: a
// damaged block header elsewhere is found through that block's pointer, not through null.
TEST(HeapObjects, ValidateWithoutPointerSkipsTheSystemCheck) {
  HeapFixture f(0);
  auto* p = static_cast<unsigned char*>(f.Alloc(16));
  // The heap's own header lies right before the block, which starts at the plain magic.
  auto* header = reinterpret_cast<uint32_t*>(p - mem::kPlainOverhead) - 1;
  const uint32_t saved = *header;
  *header ^= 0x5A5A5A5A;
  const int whole = mem::ValidateHeap(f.heap(), nullptr);
  const int one = mem::ValidateHeap(f.heap(), p);
  *header = saved;
  EXPECT_EQ(whole, 0);
  EXPECT_EQ(one, mem::kCorrupt);
  EXPECT_EQ(mem::ValidateHeap(f.heap(), p), 0);
  EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
}

// Freeing another heap's plain object through this heap is refused also while no debug line
// is written (the ownership check must not depend on the channel).
TEST(HeapObjects, ForeignPlainObjectRefusedWithTheChannelOff) {
  ASSERT_FALSE(ovut::debug::IsActive()) << "the test needs the debug channel off";
  HeapFixture mine(0), theirs(0, L"OtherMod");
  void* p = theirs.Alloc(24);
  std::memset(p, 0x11, 24);
  EXPECT_EQ(mem::ObjectFree(mine.heap(), p), mem::kBadObject);
  EXPECT_EQ(mem::MagicBefore(p), mem::kPlainMagic);
  EXPECT_EQ(static_cast<unsigned char*>(p)[23], 0x11);
  EXPECT_EQ(theirs.Stats().liveObjects, 1);
  EXPECT_EQ(mine.Stats().liveObjects, 0);
  EXPECT_EQ(mem::ValidateHeap(theirs.heap(), p), 0);
  EXPECT_EQ(mem::ValidateHeap(mine.heap(), nullptr), 0);
  EXPECT_EQ(mem::ObjectFree(theirs.heap(), p), 0);
}

TEST(HeapObjects, SizeOfAnEmptyDebugObjectWarns) {
  HeapFixture f(mem::kDebug);
  void* p = f.Alloc(0);
  LineCapture lines;
  EXPECT_EQ(mem::ObjectSize(f.heap(), p), 0);
  EXPECT_TRUE(lines.Has(L"Warning: clsHeapNode['TestMod'/'TestHeap']::SizeObject(")) << lines.All();
  EXPECT_TRUE(lines.Has(L"Object has a size of 0 (bad pointer?)"));
  EXPECT_EQ(mem::ObjectFree(f.heap(), p), 0);
}

LONG g_noMemoryRaised = 0;
LONG CALLBACK CountNoMemory(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode != STATUS_NO_MEMORY) return EXCEPTION_CONTINUE_SEARCH;
  InterlockedIncrement(&g_noMemoryRaised);
  return EXCEPTION_CONTINUE_EXECUTION;  // RaiseException returns; the allocation gives null
}

TEST(HeapObjects, ExceptionHeapsRaiseAfterTheLockIsReleased) {
  HeapFixture f(mem::kGenerateExceptions), quiet(0, L"QuietMod");
  PVOID handler = AddVectoredExceptionHandler(1, CountNoMemory);
  g_noMemoryRaised = 0;
  EXPECT_EQ(f.Alloc(-1), nullptr);
  EXPECT_EQ(g_noMemoryRaised, 1);
  EXPECT_EQ(quiet.Alloc(-1), nullptr);  // without flag 0x20: no exception
  EXPECT_EQ(g_noMemoryRaised, 1);
  RemoveVectoredExceptionHandler(handler);
  // Another thread gets the registry: the lock was not left held by the raise.
  struct Arg {
    void* heap;
    int result;
  } arg = {f.heap(), -1};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](void* p) WINAPI -> DWORD {
        auto* a = static_cast<Arg*>(p);
        void* o = mem::ObjectAlloc(a->heap, 8, 0, 0, OVUT_STACK_START());
        a->result = mem::ObjectFree(a->heap, o);
        return 0;
      },
      &arg, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
  CloseHandle(t);
  EXPECT_EQ(arg.result, 0);
}

}  // namespace
