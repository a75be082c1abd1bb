#include "memory/heap_node.h"

#include <climits>
#include <cstring>
#include <new>

#include "cstring/text.h"
#include "memory/memory_lines.h"
#include "memory/module_node.h"
#include "memory/object_layout.h"
#include "memory/object_report.h"

namespace ovut::memory {
namespace {

constexpr SIZE_T kInitialHeapSize = 32768;
constexpr SIZE_T kNoBlock = static_cast<SIZE_T>(-1);  // HeapSize of a pointer the heap does not know

using IsBadReadPtrFn = BOOL(WINAPI*)(const void*, UINT_PTR);
// Reading the value in front of a caller's pointer must not fault on a wild one.
bool Readable(const void* p, size_t bytes) {
  static const IsBadReadPtrFn bad = reinterpret_cast<IsBadReadPtrFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsBadReadPtr")));
  return reinterpret_cast<UINT_PTR>(p) > 0xFFFF && (!bad || !bad(p, bytes));
}

int Clamp(SIZE_T n) { return n > static_cast<SIZE_T>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

}  // namespace

const wchar_t* clsHeapNode::ModuleName() const { return module_->Name(); }

namespace {
clsHeapNode* g_kept = nullptr;  // destroyed nodes for reuse; under the registry lock
}  // namespace

void clsNodeLock::Wait() noexcept {
  for (int spins = 0;; ++spins) {
    if (!__atomic_load_n(&word_, __ATOMIC_RELAXED) && !__atomic_exchange_n(&word_, 1, __ATOMIC_ACQUIRE)) return;
    if (spins < 64) YieldProcessor();
    else if (spins < 256) SwitchToThread();
    else Sleep(1);
  }
}

clsHeapNode* clsHeapNode::Create(clsModuleNode* module, const wchar_t* name, uint32_t flags,
                                 const scStackStart& start) {
  clsHeapNode* node = g_kept;
  if (node) {
    g_kept = node->nextKept_;
  } else {
    void* mem = HeapAlloc(GetProcessHeap(), 0, sizeof(clsHeapNode));
    if (!mem) return nullptr;
    node = new (mem) clsHeapNode;
  }
  Hold hold(node);
  node->module_ = module;
  node->hasName_ = name != nullptr;
  cstring::Strncpy(node->name_, name, 33);
  __atomic_store_n(&node->flags_, flags, __ATOMIC_RELAXED);  // read unlocked by DebugHint
  node->heapFlags_ = ((flags & kNoSerialize) ? HEAP_NO_SERIALIZE : 0) |
                     ((flags & kGenerateExceptions) ? HEAP_GENERATE_EXCEPTIONS : 0);
  // Every call on the heap happens under the node's lock, which serialises them already.
  // Exceptions on failure are raised by the registry after it released its lock, so the
  // Windows heap itself is created without HEAP_GENERATE_EXCEPTIONS.
  node->callFlags_ = HEAP_NO_SERIALIZE;
  node->trace_ = nullptr;
  node->stats_ = {};
  node->next = node->prev = nullptr;
  node->nextKept_ = nullptr;
  node->heap_ = HeapCreate(node->heapFlags_ & HEAP_NO_SERIALIZE, kInitialHeapSize, 0);
  if (!node->heap_) {
    node->nextKept_ = g_kept;
    g_kept = node;
    return nullptr;
  }
  if (node->IsDebug()) node->trace_ = CaptureTrace(start);
  node->alive_ = true;
  return node;
}

void clsHeapNode::FreeKeptNodes() {
  while (clsHeapNode* node = g_kept) {
    g_kept = node->nextKept_;
    node->~clsHeapNode();
    HeapFree(GetProcessHeap(), 0, node);
  }
}

template <typename F>
void clsHeapNode::WalkBusy(F&& visit) {
  // A heap created without serialisation must not be locked; the node's lock covers it.
  const bool lock = !(heapFlags_ & HEAP_NO_SERIALIZE) && HeapLock(heap_);
  PROCESS_HEAP_ENTRY entry = {};
  while (HeapWalk(heap_, &entry))
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) visit(entry.lpData, static_cast<SIZE_T>(entry.cbData));
  if (lock) HeapUnlock(heap_);
}

bool clsHeapNode::IsOwnDebugBlock(const void* block, SIZE_T blockSize) const {
  if (blockSize < kDebugOverhead) return false;
  const auto* h = static_cast<const scDebugObjectHeader*>(block);
  return h->blockMagic == kBlockMagic && h->heap == heap_ && h->objectMagic == kObjectMagic;
}

void clsHeapNode::Destroy() {
  WalkBusy([&](void* block, SIZE_T size) {
    if (IsOwnDebugBlock(block, size)) FreeTrace(static_cast<scDebugObjectHeader*>(block)->trace);
  });
  HeapDestroy(heap_);
  heap_ = nullptr;
  FreeTrace(trace_);
  trace_ = nullptr;
  plainBlocks_.Clear();
  alive_ = false;
  nextKept_ = g_kept;
  g_kept = this;
}

// ---- Allocation ------------------------------------------------------------------------------

void* clsHeapNode::AllocFailed(bool debug, int size, uint32_t flags, bool* raise) {
  if (LinesActive())
    Line(L"Error: clsHeapNode['%s'/'%s']::AllocObject%s(%d): Out of memory", ModuleName(), Name(),
         debug ? L"D" : L"ND", size);
  if (raise) *raise = (flags_ & kGenerateExceptions) != 0;
  return nullptr;
}

void* clsHeapNode::AllocObject(int size, uint32_t flags, UINT_PTR tag, const scStackStart& start, bool* raise) {
  const bool debug = (flags & kDebug) || (IsDebug() && !(flags & kNeverDebug));
  if (size < 0) {
    // A negative size would wrap to a small block; it is reported with the caller and refused.
    if (LinesActive()) {
      GroupBegin(L"Error: clsHeapNode['%s'/'%s']::AllocObject%s(%d)", ModuleName(), Name(), debug ? L"D" : L"ND",
                 size);
      if (scStackTrace* caller = CaptureTrace(start)) {
        PrintTrace(caller, L"Caller");
        FreeTrace(caller);
      }
      GroupEnd(nullptr);
    }
    return AllocFailed(debug, size, flags, raise);
  }
  const DWORD zero = (flags & kZeroMemory) ? HEAP_ZERO_MEMORY : 0;
  void* data;
  if (debug) {
    auto* h = static_cast<scDebugObjectHeader*>(
        HeapAlloc(heap_, callFlags_ | zero, static_cast<SIZE_T>(size) + kDebugOverhead));
    if (!h) return AllocFailed(debug, size, flags, raise);
    h->blockMagic = kBlockMagic;
#ifdef _WIN64
    h->reserved0 = h->reserved1 = 0;
#endif
    h->heap = heap_;
    h->tick = GetTickCount();
    h->trace = (flags & kNoStackTrace) ? nullptr : CaptureTrace(start);
    h->tag = tag;
    h->size = size;
    h->objectMagic = kObjectMagic;
    SetFence(h);
    data = DataOf(h);
    stats_.liveBytes += size;
  } else {
    auto* block = static_cast<uint32_t*>(HeapAlloc(heap_, callFlags_ | zero, static_cast<SIZE_T>(size) + kPlainOverhead));
    if (!block) return AllocFailed(debug, size, flags, raise);
    if (!plainBlocks_.Insert(block)) {
      HeapFree(heap_, callFlags_, block);
      return AllocFailed(debug, size, flags, raise);
    }
    *block = kPlainMagic;
    data = block + 1;
  }
  if (!zero && (flags & kFillMemory)) memset(data, kNewFill, static_cast<size_t>(size));
  ++stats_.totalAllocations;
  if (++stats_.liveObjects > stats_.maxLiveObjects) stats_.maxLiveObjects = stats_.liveObjects;
  return data;
}

void* clsHeapNode::AllocPlainQuick(int size, uint32_t flags) {
  if (size < 0 || (flags & kDebug) || (IsDebug() && !(flags & kNeverDebug))) return nullptr;
  const DWORD zero = (flags & kZeroMemory) ? HEAP_ZERO_MEMORY : 0;
  auto* block = static_cast<uint32_t*>(HeapAlloc(heap_, callFlags_ | zero, static_cast<SIZE_T>(size) + kPlainOverhead));
  if (!block) return nullptr;  // AllocObject tries again and reports
  if (!plainBlocks_.Insert(block)) {
    HeapFree(heap_, callFlags_, block);
    return nullptr;
  }
  *block = kPlainMagic;
  void* data = block + 1;
  if (!zero && (flags & kFillMemory)) memset(data, kNewFill, static_cast<size_t>(size));
  ++stats_.totalAllocations;
  if (++stats_.liveObjects > stats_.maxLiveObjects) stats_.maxLiveObjects = stats_.liveObjects;
  return data;
}

// ---- Free ------------------------------------------------------------------------------------

int clsHeapNode::Refuse(const wchar_t* operation, const void* data, const wchar_t* why) {
  if (LinesActive()) {
    GroupBegin(L"Error: clsHeapNode['%s'/'%s']::%s(%#p)", ModuleName(), Name(), operation, data);
    Line(L"%s", why);
    GroupEnd(nullptr);
  }
  return -6;
}

int clsHeapNode::FreeObject(void* data) {
  if (!data) return 0;
  if (!Readable(static_cast<char*>(data) - sizeof(uint32_t), sizeof(uint32_t)))
    return Refuse(L"FreeObject", data, L"bad pointer (not readable)");
  const uint32_t magic = MagicBefore(data);
  if (magic == kObjectMagic) return FreeDebug(data);
  if (magic == kPlainMagic) return FreePlain(data);
  if (LinesActive()) {
    GroupBegin(L"Error: clsHeapNode['%s'/'%s']::FreeObject(%#p)", ModuleName(), Name(), data);
    Line(L"bad pointer, or memory underrun (magic=0x%08x)", magic);
    GroupEnd(nullptr);
  }
  return -6;
}

bool clsHeapNode::FenceIntact(const scDebugObjectHeader* h, SIZE_T blockSize, bool report) {
  if (h->size >= 0 && static_cast<SIZE_T>(h->size) + kDebugOverhead == blockSize && FenceOf(h) == kFenceValue)
    return true;
  if (report && LinesActive()) {
    const int readable = Clamp(blockSize - kDebugOverhead);
    if (h->size < 0 || static_cast<SIZE_T>(h->size) + kDebugOverhead != blockSize) {
      Line(L"bad size %d", h->size);
      DumpObject(DataOf(const_cast<scDebugObjectHeader*>(h)), h->size, readable, nullptr);
    } else {
      Line(L"Error: Memory overrun, fence value has been changed");
      DumpObject(DataOf(const_cast<scDebugObjectHeader*>(h)), h->size, readable, h->trace);
    }
  }
  return false;
}

int clsHeapNode::FreeDebug(void* data) {
  scDebugObjectHeader* h = HeaderOf(data);
  if (!Readable(h, kDebugHeader) || h->blockMagic != kBlockMagic)
    return Refuse(L"FreeObjectD", data, L"Not allocated with UTIL or memory underrun (object not freed)");
  if (h->heap != heap_) return Refuse(L"FreeObjectD", data, L"Object of another heap (object not freed)");
  const SIZE_T blockSize = HeapSize(heap_, callFlags_, h);
  if (blockSize == kNoBlock)
    return Refuse(L"FreeObjectD", data, L"Not allocated with UTIL or memory underrun (object not freed)");
  const bool sizeOk = h->size >= 0 && static_cast<SIZE_T>(h->size) + kDebugOverhead == blockSize;
  if (!FenceIntact(h, blockSize, false)) {
    const bool active = LinesActive();
    if (active) GroupBegin(L"Error: clsHeapNode['%s'/'%s']::FreeObjectD(%#p)", ModuleName(), Name(), data);
    FenceIntact(h, blockSize, true);
    if (sizeOk) {  // the fence is damaged: the object stays allocated
      if (active) GroupEnd(L"Memory overrun, fence value has been changed (object not freed)");
      return -6;
    }
    if (active) GroupEnd(nullptr);
    // A damaged size field: the block is freed unfilled; its trace pointer is not trusted.
    h->blockMagic = h->objectMagic = kFreedMagic;
    if (!HeapFree(heap_, callFlags_, h)) {
      h->blockMagic = kBlockMagic;
      h->objectMagic = kObjectMagic;
      return Refuse(L"FreeObjectD", data, L"error freeing object");
    }
    --stats_.liveObjects;
    return 0;
  }
  scStackTrace* trace = h->trace;
  const int size = h->size;
  if (LinesActiveCached()) memset(data, kFreedFill, static_cast<size_t>(size));
  h->blockMagic = h->objectMagic = kFreedMagic;  // a second free is refused
  if (!HeapFree(heap_, callFlags_, h)) {
    h->blockMagic = kBlockMagic;
    h->objectMagic = kObjectMagic;
    return Refuse(L"FreeObjectD", data, L"error freeing object");
  }
  FreeTrace(trace);
  --stats_.liveObjects;
  stats_.liveBytes -= size;
  return 0;
}

bool clsHeapNode::FreePlainQuick(void* data) {
  // Only a live plain object of this heap is read; everything else goes to FreeObject, which
  // reports it. The fill on free needs the block size, so it goes there too.
  auto* block = reinterpret_cast<uint32_t*>(static_cast<char*>(data) - kPlainOverhead);
  const bool freed = plainBlocks_.EraseUnless(block, [&] {
    if (*block != kPlainMagic || LinesActiveCached()) return true;
    *block = kFreedMagic;
    if (HeapFree(heap_, callFlags_, block)) return false;
    *block = kPlainMagic;
    return true;
  });
  if (freed) --stats_.liveObjects;
  return freed;
}

int clsHeapNode::FreePlain(void* data) {
  auto* block = reinterpret_cast<uint32_t*>(static_cast<char*>(data) - kPlainOverhead);
  // Asked whether the lines are on or not: a pointer this heap did not hand out (another heap's
  // object, one freed already) is refused before it reaches the Windows heap.
  const SIZE_T blockSize = plainBlocks_.Contains(block) ? HeapSize(heap_, callFlags_, block) : kNoBlock;
  if (blockSize == kNoBlock || blockSize < kPlainOverhead) {
    if (LinesActive()) {
      GroupBegin(L"Error: clsHeapNode['%s'/'%s']::FreeObjectND(%#p)", ModuleName(), Name(), data);
      Line(L"bad object size %d", blockSize == kNoBlock ? -1 : Clamp(blockSize));
      GroupEnd(nullptr);
    }
    return -6;
  }
  if (LinesActiveCached()) memset(block, kFreedFill, blockSize);
  *block = kFreedMagic;
  if (!HeapFree(heap_, callFlags_, block)) {
    *block = kPlainMagic;
    return Refuse(L"FreeObjectND", data, L"error freeing object");
  }
  plainBlocks_.Erase(block);
  --stats_.liveObjects;
  return 0;
}

// ---- Size, validation, shrinking -------------------------------------------------------------

int clsHeapNode::SizeObject(const void* data) {
  if (!data || !Readable(static_cast<const char*>(data) - sizeof(uint32_t), sizeof(uint32_t))) {
    if (LinesActive()) {
      GroupBegin(L"Error: clsHeapNode['%s'/'%s']::SizeObject(%#p)", ModuleName(), Name(), data);
      Line(L"bad pointer (not readable)\n");
      GroupEnd(nullptr);
    }
    return -6;
  }
  const uint32_t magic = MagicBefore(data);
  const bool debug = magic == kObjectMagic;
  SIZE_T blockSize = kNoBlock;
  if (debug || magic == kPlainMagic)
    blockSize = HeapSize(heap_, callFlags_, static_cast<const char*>(data) - (debug ? kDebugHeader : kPlainOverhead));
  if (blockSize == kNoBlock) {
    if (LinesActive()) {
      GroupBegin(L"Error: clsHeapNode['%s'/'%s']::SizeObject(%#p)", ModuleName(), Name(), data);
      Line(L"bad pointer, or memory underrun (magic=0x%08x)\n", magic);
      GroupEnd(nullptr);
    }
    return -6;
  }
  const int size = Clamp(blockSize - (debug ? kDebugOverhead : kPlainOverhead));
  if (size == 0 && IsDebug() && LinesActive()) {
    GroupBegin(L"Warning: clsHeapNode['%s'/'%s']::SizeObject(%#p):", ModuleName(), Name(), data);
    Line(L"Object has a size of 0 (bad pointer?)\n");
    GroupEnd(nullptr);
  }
  return size;
}

int clsHeapNode::SumBusyBlocks() {
  SIZE_T total = 0;
  WalkBusy([&](void*, SIZE_T size) { total += size; });
  return Clamp(total);
}

int clsHeapNode::CheckFences() {
  int damaged = 0;
  WalkBusy([&](void* block, SIZE_T size) {
    if (IsOwnDebugBlock(block, size) && !FenceIntact(static_cast<scDebugObjectHeader*>(block), size, true)) ++damaged;
  });
  return damaged;
}

int clsHeapNode::Validate(const void* data) {
  const void* block = data;
  if (data && Readable(static_cast<const char*>(data) - sizeof(uint32_t), sizeof(uint32_t))) {
    const uint32_t magic = MagicBefore(data);
    if (magic == kObjectMagic) block = static_cast<const char*>(data) - kDebugHeader;
    else if (magic == kPlainMagic) block = static_cast<const char*>(data) - kPlainOverhead;
  }
  // A null pointer gets no system check, only the fence check below.
  bool corrupt = block && !HeapValidate(heap_, callFlags_, block);
  if (corrupt && LinesActive()) {
    Line(L" Error: Heap corrupted");
    ReportObjects();
  }
  if (IsDebug() && CheckFences() > 0) corrupt = true;
  return corrupt ? -3 : 0;
}

int clsHeapNode::Shrink() {
  SetLastError(NO_ERROR);
  if (HeapCompact(heap_, heapFlags_ & HEAP_NO_SERIALIZE) == 0 && GetLastError() != NO_ERROR) {
    if (LinesActive()) Line(L"Error: clsHeapNode['%s'/'%s']::ShrinkHeap(%#p) failed", ModuleName(), Name(), this);
    return -2;
  }
  return 0;
}

// ---- Reports ---------------------------------------------------------------------------------

void clsHeapNode::ReportTotals() {
  if (stats_.totalAllocations > 0 && LinesActive())
    Line(L"Heap['%s'/'%s']: max %d, total %d allocations", ModuleName(), Name(), static_cast<int>(stats_.maxLiveObjects),
         static_cast<int>(stats_.totalAllocations));
}

void clsHeapNode::ReportObjects() {
  if (!LinesActive()) return;
  int count = 0;
  WalkBusy([&](void* block, SIZE_T size) {
    if (IsOwnDebugBlock(block, size) || (size >= kPlainOverhead && *static_cast<uint32_t*>(block) == kPlainMagic))
      ++count;
  });
  GroupBegin(L"Heap['%s'/'%s']: %d objects", ModuleName(), Name(), count);
  PrintTrace(trace_, L"Heap allocation");
  WalkBusy([&](void* block, SIZE_T size) {
    if (IsOwnDebugBlock(block, size)) {
      auto* h = static_cast<scDebugObjectHeader*>(block);
      DumpObject(DataOf(h), h->size, Clamp(size - kDebugOverhead), h->trace);
    } else if (size >= kPlainOverhead && *static_cast<uint32_t*>(block) == kPlainMagic) {
      const int bytes = Clamp(size - kPlainOverhead);
      DumpObject(static_cast<char*>(block) + kPlainOverhead, bytes, bytes, nullptr);
    }
  });
  GroupEnd(nullptr);
}

}  // namespace ovut::memory
