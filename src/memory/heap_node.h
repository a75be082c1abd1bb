// One named heap of a registered module: a growable Windows heap, its objects' statistics and
// the object operations. Every call on a node holds its own lock (clsHeapNode::Hold), which also
// serialises heaps created without serialisation (flag 0x10). Create and Destroy are called with
// the registry lock held; the other members may be called without it (the plain-object paths).
#pragma once
#include <windows.h>

#include <cstdint>

#include "memory/pointer_set.h"
#include "memory/stack_trace.h"

namespace ovut::memory {

class clsModuleNode;
struct scDebugObjectHeader;

struct scHeapStats {
  LONG liveObjects;
  LONG liveBytes;  // debug objects
  LONG totalAllocations;
  LONG maxLiveObjects;
};

// Held for one object operation, a few instructions long: taken with one atomic exchange, given
// back with a store. A waiter spins briefly, then yields its time slice.
class clsNodeLock {
 public:
  void Enter() noexcept {
    if (__atomic_exchange_n(&word_, 1, __ATOMIC_ACQUIRE)) Wait();
  }
  void Leave() noexcept { __atomic_store_n(&word_, 0, __ATOMIC_RELEASE); }

 private:
  void Wait() noexcept;
  LONG word_ = 0;
};

class clsHeapNode {
 public:
  // The node's lock for the span of one operation.
  class Hold {
   public:
    explicit Hold(clsHeapNode* node) noexcept : lock_(node->lock_) { lock_.Enter(); }
    ~Hold() { lock_.Leave(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    clsNodeLock& lock_;
  };

  // Null when the node or its Windows heap cannot be created.
  static clsHeapNode* Create(clsModuleNode* module, const wchar_t* name, uint32_t flags, const scStackStart& start);
  // Frees the traces of objects left and destroys the Windows heap; the node is kept for the
  // next Create (a thread that still looks the old handle up finds it dead, never freed memory).
  // The caller holds the node's lock.
  void Destroy();
  // At registry shutdown: frees the kept nodes.
  static void FreeKeptNodes();
  bool Alive() const { return alive_; }
  // Without the node's lock, as a hint only: a debug heap's objects skip the plain-object path.
  bool DebugHint() const { return (__atomic_load_n(&flags_, __ATOMIC_RELAXED) & 0x40000000u) != 0; }

  // *raise is set when the caller asked for an exception on failure (flag 0x20); the registry
  // raises it once its lock is released.
  void* AllocObject(int size, uint32_t flags, UINT_PTR tag, const scStackStart& start, bool* raise);
  int FreeObject(void* data);
  // The common cases of a plain object, with no line to write: the data, or null (nothing was
  // done) when AllocObject must handle the call. FreePlainQuick is true when the object was freed.
  void* AllocPlainQuick(int size, uint32_t flags);
  bool FreePlainQuick(void* data);
  int SizeObject(const void* data);
  int SumBusyBlocks();                // bytes in busy blocks
  int Validate(const void* data);     // 0 or -3
  int Shrink();                       // 0 or -2
  int CheckFences();                  // debug objects whose fence or size is damaged (reported)
  void ReportObjects();               // "Heap[..]: n objects" and each object's dump
  void ReportTotals();                // "Heap[..]: max .., total .. allocations"

  const wchar_t* Name() const { return hasName_ ? name_ : L"(NULL)"; }
  const wchar_t* ModuleName() const;
  clsModuleNode* Module() const { return module_; }
  uint32_t Flags() const { return flags_; }
  bool IsDebug() const { return (flags_ & 0x40000000u) != 0; }
  const scHeapStats& Stats() const { return stats_; }

  clsHeapNode* next = nullptr;
  clsHeapNode* prev = nullptr;

 private:
  clsHeapNode() = default;
  ~clsHeapNode() = default;
  void* AllocFailed(bool debug, int size, uint32_t flags, bool* raise);
  int FreeDebug(void* data);
  int FreePlain(void* data);
  int Refuse(const wchar_t* operation, const void* data, const wchar_t* why);
  bool IsOwnDebugBlock(const void* block, SIZE_T blockSize) const;
  bool FenceIntact(const scDebugObjectHeader* h, SIZE_T blockSize, bool report);
  template <typename F>
  void WalkBusy(F&& visit);

  clsModuleNode* module_ = nullptr;
  wchar_t name_[33] = {};
  bool hasName_ = false;
  uint32_t flags_ = 0;
  DWORD heapFlags_ = 0;  // HEAP_NO_SERIALIZE / HEAP_GENERATE_EXCEPTIONS as asked for
  DWORD callFlags_ = 0;  // flags of the individual heap calls
  scStackTrace* trace_ = nullptr;
  HANDLE heap_ = nullptr;
  scHeapStats stats_ = {};
  // Blocks of the live plain objects: proof that a pointer is one of ours and still allocated,
  // without reading the caller's memory or asking the Windows heap.
  clsPointerSet plainBlocks_;
  // Never reset by Create: a thread may hold or wait for it while the node is reused.
  clsNodeLock lock_;
  bool alive_ = false;
  clsHeapNode* nextKept_ = nullptr;
};

}  // namespace ovut::memory
