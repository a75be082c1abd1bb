// Module and heap registry entry points. Stack traces start at the caller of the export.
#include "exports/export_guard.h"
#include "memory/registry.h"
#include "ovut19/heap.h"

namespace mem = ovut::memory;
using ovut::exports::Guarded;

extern "C" {

HUTILMODULE WINAPI UtilJobOpen(LPCWSTR name, int flags) {
  const auto start = OVUT_STACK_START();
  return Guarded<HUTILMODULE>(nullptr, [&] { return static_cast<HUTILMODULE>(mem::JobOpen(name, flags, start)); });
}
int WINAPI UtilJobClose(HUTILMODULE module) {
  return Guarded<int>(-2, [&] { return mem::JobClose(module); });
}

HUTILHEAP WINAPI UtilHeapCreate(HUTILMODULE module, LPCWSTR name, DWORD flags) {
  const auto start = OVUT_STACK_START();
  return Guarded<HUTILHEAP>(nullptr,
                            [&] { return static_cast<HUTILHEAP>(mem::CreateHeap(module, name, flags, start)); });
}
int WINAPI UtilHeapDelete(HUTILHEAP heap) {
  return Guarded<int>(-2, [&] { return mem::DeleteHeap(heap); });
}
int WINAPI UtilHeapSize(HUTILHEAP heap) {
  return Guarded<int>(-7, [&] { return mem::HeapBytes(heap); });
}
int WINAPI UtilHeapSizeObjects(HUTILHEAP heap) {
  return Guarded<int>(-7, [&] { return mem::HeapObjectBytes(heap); });
}

void* WINAPI UtilHeapObjectAlloc(HUTILHEAP heap, int size, DWORD flags) {
  const auto start = OVUT_STACK_START();
  return Guarded<void*>(nullptr, [&] { return mem::ObjectAlloc(heap, size, flags, 0, start); });
}
void* WINAPI UtilHeapObjectAllocExt(HUTILHEAP heap, int size, DWORD flags, DWORD_PTR, DWORD_PTR tag, DWORD_PTR) {
  const auto start = OVUT_STACK_START();
  return Guarded<void*>(nullptr, [&] { return mem::ObjectAlloc(heap, size, flags, tag, start); });
}
int WINAPI UtilHeapObjectFree(HUTILHEAP heap, void* object) {
  return Guarded<int>(-6, [&] { return mem::ObjectFree(heap, object); });
}
int WINAPI UtilHeapObjectSize(HUTILHEAP heap, const void* object) {
  return Guarded<int>(-6, [&] { return mem::ObjectSize(heap, object); });
}
int WINAPI UtilHeapValidate(HUTILHEAP heap, const void* object, DWORD_PTR) {
  return Guarded<int>(-3, [&] { return mem::ValidateHeap(heap, object); });
}
int WINAPI UtilHeapShrink(HUTILHEAP heap, DWORD_PTR) {
  return Guarded<int>(-2, [&] { return mem::ShrinkHeap(heap); });
}

}  // extern "C"
