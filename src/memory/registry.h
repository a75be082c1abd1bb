// The process-wide registry of host modules and their heaps. Every operation holds the one
// registry lock for its whole duration, except the common plain-object allocation and free,
// which hold only their heap's lock; every call on a heap holds that lock, which also
// serialises the heaps created without serialisation (flag 0x10). Handles are checked for
// membership before they are used.
#pragma once
#include <windows.h>

#include <cstdint>

#include "memory/heap_node.h"
#include "memory/stack_trace.h"

namespace ovut::memory {

// At attach and detach (dll/lifecycle.cpp). Detach destroys what hosts left registered.
void Initialize();
void Shutdown();

// Result codes
constexpr int kInvalidHandle = -2;
constexpr int kCorrupt = -3;
constexpr int kObjectsLeft = -5;
constexpr int kBadObject = -6;
constexpr int kUnavailable = -7;

void* JobOpen(const wchar_t* name, int flags, const scStackStart& start);
int JobClose(void* module);
void* CreateHeap(void* module, const wchar_t* name, uint32_t flags, const scStackStart& start);
int DeleteHeap(void* heap);
int HeapBytes(void* heap);         // busy blocks; -7 when unavailable for a non-debug heap
int HeapObjectBytes(void* heap);   // busy blocks; -7 when heap walking is unavailable
int ValidateHeap(void* heap, const void* data);
int ShrinkHeap(void* heap);

// Objects; a null heap uses the C runtime heap.
void* ObjectAlloc(void* heap, int size, uint32_t flags, UINT_PTR tag, const scStackStart& start);
int ObjectFree(void* heap, void* data);
int ObjectSize(void* heap, const void* data);

// A heap's statistics; false for a handle the registry does not hold.
bool GetHeapStats(void* heap, scHeapStats* stats);

}  // namespace ovut::memory
