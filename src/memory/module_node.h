// A registered host module: its name, flags, open count and heaps. Called with the registry
// lock held.
#pragma once
#include <windows.h>

#include "memory/heap_node.h"
#include "memory/stack_trace.h"

namespace ovut::memory {

class clsModuleNode {
 public:
  static clsModuleNode* Create(const wchar_t* name, int flags, const scStackStart& start);  // null: out of memory
  void Destroy();  // the node only; its heaps are gone by then

  void AddHeap(clsHeapNode* heap);
  void RemoveHeap(clsHeapNode* heap);

  const wchar_t* Name() const { return hasName_ ? name_ : L"(NULL)"; }
  bool HasName(const wchar_t* name) const;  // exact, case-sensitive
  int Flags() const { return flags_; }
  bool Traced() const { return flags_ < 0; }
  clsHeapNode* FirstHeap() const { return heapHead_; }

  LONG openCount = 1;
  clsModuleNode* next = nullptr;
  clsModuleNode* prev = nullptr;

 private:
  clsModuleNode() = default;
  ~clsModuleNode() = default;

  wchar_t name_[33] = {};
  bool hasName_ = false;
  int flags_ = 0;
  scStackTrace* trace_ = nullptr;
  clsHeapNode* heapHead_ = nullptr;
  clsHeapNode* heapTail_ = nullptr;
};

}  // namespace ovut::memory
