// Module and heap registry entry points. Stack traces start at the caller of the export.
#include "memory/registry.h"
#include "ovut19/heap.h"

namespace mem = ovut::memory;

extern "C" {

HUTILMODULE WINAPI UtilJobOpen(LPCWSTR name, int flags) {
  return static_cast<HUTILMODULE>(mem::JobOpen(name, flags, OVUT_STACK_START()));
}
int WINAPI UtilJobClose(HUTILMODULE module) { return mem::JobClose(module); }

HUTILHEAP WINAPI UtilHeapCreate(HUTILMODULE module, LPCWSTR name, DWORD flags) {
  return static_cast<HUTILHEAP>(mem::CreateHeap(module, name, flags, OVUT_STACK_START()));
}
int WINAPI UtilHeapDelete(HUTILHEAP heap) { return mem::DeleteHeap(heap); }
int WINAPI UtilHeapSize(HUTILHEAP heap) { return mem::HeapBytes(heap); }
int WINAPI UtilHeapSizeObjects(HUTILHEAP heap) { return mem::HeapObjectBytes(heap); }

void* WINAPI UtilHeapObjectAlloc(HUTILHEAP heap, int size, DWORD flags) {
  return mem::ObjectAlloc(heap, size, flags, 0, OVUT_STACK_START());
}
void* WINAPI UtilHeapObjectAllocExt(HUTILHEAP heap, int size, DWORD flags, DWORD_PTR, DWORD_PTR tag, DWORD_PTR) {
  return mem::ObjectAlloc(heap, size, flags, tag, OVUT_STACK_START());
}
int WINAPI UtilHeapObjectFree(HUTILHEAP heap, void* object) { return mem::ObjectFree(heap, object); }
int WINAPI UtilHeapObjectSize(HUTILHEAP heap, const void* object) { return mem::ObjectSize(heap, object); }
int WINAPI UtilHeapValidate(HUTILHEAP heap, const void* object, DWORD_PTR) { return mem::ValidateHeap(heap, object); }
int WINAPI UtilHeapShrink(HUTILHEAP heap, DWORD_PTR) { return mem::ShrinkHeap(heap); }

}  // extern "C"
