// One named heap of a registered module: a growable Windows heap, its objects' statistics and
// the object operations. All members are called with the registry lock held.
#pragma once
#include <windows.h>

#include <cstdint>

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

class clsHeapNode {
 public:
  // Null when the node or its Windows heap cannot be created.
  static clsHeapNode* Create(clsModuleNode* module, const wchar_t* name, uint32_t flags, const scStackStart& start);
  // Frees the traces of objects left, destroys the Windows heap and the node.
  void Destroy();

  // *raise is set when the caller asked for an exception on failure (flag 0x20); the registry
  // raises it once its lock is released.
  void* AllocObject(int size, uint32_t flags, UINT_PTR tag, const scStackStart& start, bool* raise);
  int FreeObject(void* data);
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
};

}  // namespace ovut::memory
