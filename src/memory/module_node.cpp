#include "memory/module_node.h"

#include <cwchar>
#include <new>

#include "cstring/text.h"

namespace ovut::memory {

clsModuleNode* clsModuleNode::Create(const wchar_t* name, int flags, const scStackStart& start) {
  void* mem = HeapAlloc(GetProcessHeap(), 0, sizeof(clsModuleNode));
  if (!mem) return nullptr;
  clsModuleNode* node = new (mem) clsModuleNode;
  node->hasName_ = name != nullptr;
  cstring::Strncpy(node->name_, name, 33);  // a longer name is cut
  node->flags_ = flags;
  if (flags < 0) node->trace_ = CaptureTrace(start);
  return node;
}

void clsModuleNode::Destroy() {
  FreeTrace(trace_);
  this->~clsModuleNode();
  HeapFree(GetProcessHeap(), 0, this);
}

bool clsModuleNode::HasName(const wchar_t* name) const {
  if (!name || !hasName_) return !name && !hasName_;
  wchar_t cut[33];
  cstring::Strncpy(cut, name, 33);
  return wcscmp(cut, name_) == 0;
}

void clsModuleNode::AddHeap(clsHeapNode* heap) {
  heap->prev = heapTail_;
  heap->next = nullptr;
  if (heapTail_) heapTail_->next = heap;
  else heapHead_ = heap;
  heapTail_ = heap;
}

void clsModuleNode::RemoveHeap(clsHeapNode* heap) {
  if (heap->prev) heap->prev->next = heap->next;
  else heapHead_ = heap->next;
  if (heap->next) heap->next->prev = heap->prev;
  else heapTail_ = heap->prev;
  heap->next = heap->prev = nullptr;
}

}  // namespace ovut::memory
