#ifndef OVUT19_HEAP_H
#define OVUT19_HEAP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* Named modules and heaps with debug objects and leak reports.
   A host registers itself with UtilJobOpen, creates heaps under its registration and allocates
   objects from them. Reports go to the debug channel while it is active. */
typedef struct UtilModule_* HUTILMODULE;
typedef struct UtilHeap_* HUTILHEAP;

/* Heap and object flags (one bit set) */
#define UTILHEAP_ZERO            0x00000001 /* zero the new object */
#define UTILHEAP_FILL            0x00000002 /* fill the new object with 0xF5 (unless ZERO) */
#define UTILHEAP_NO_STACKTRACE   0x00000004 /* no allocation stack trace in the debug header */
#define UTILHEAP_NO_SERIALIZE    0x00000010 /* heap: HEAP_NO_SERIALIZE (calls stay serialised) */
#define UTILHEAP_EXCEPTIONS      0x00000020 /* heap: a failed allocation raises STATUS_NO_MEMORY */
#define UTILHEAP_NEVER_DEBUG     0x00000040 /* never a debug heap / object */
#define UTILHEAP_FAIL            0x00000080 /* UtilHeapCreate returns 0 */
#define UTILHEAP_NO_LEAK_WARNING 0x00000100 /* heap: no report of objects left at deletion */
#define UTILHEAP_DEBUG           0x40000000 /* debug heap / debug object */
/* Module flags: a negative value traces every registry call of the module; bit 30 makes its
   new heaps debug heaps. */
#define UTILJOB_TRACE            ((int)0x80000000)
#define UTILJOB_DEBUG_HEAPS      0x40000000

/* Result codes */
#define UTILHEAP_INVALID_HANDLE  (-2)
#define UTILHEAP_CORRUPT         (-3)
#define UTILHEAP_OBJECTS_LEFT    (-5)
#define UTILHEAP_BAD_OBJECT      (-6)
#define UTILHEAP_UNAVAILABLE     (-7)

/* Registers a module by name (up to 32 units, case-sensitive); a second call with the same
   name returns the same handle and counts it. 0 when out of memory. */
OVUT_API HUTILMODULE WINAPI UtilJobOpen(LPCWSTR name, int flags);
/* Counts down; the last close deletes the module: 0, -2 (invalid handle), -5 (heaps were left;
   they are reported and deleted). */
OVUT_API int WINAPI UtilJobClose(HUTILMODULE module);

/* A growable heap of the module; 0 for flag UTILHEAP_FAIL, an invalid module or no memory. */
OVUT_API HUTILHEAP WINAPI UtilHeapCreate(HUTILMODULE module, LPCWSTR name, DWORD flags);
/* 0, -2 (invalid handle), -5 (objects were left; reported unless UTILHEAP_NO_LEAK_WARNING). */
OVUT_API int WINAPI UtilHeapDelete(HUTILHEAP heap);
/* Bytes in the heap's busy blocks (walking the heap); 0 for a null handle, -2 for an invalid
   one, -7 when the system cannot walk heaps. */
OVUT_API int WINAPI UtilHeapSize(HUTILHEAP heap);
OVUT_API int WINAPI UtilHeapSizeObjects(HUTILHEAP heap);

/* An object of `size` bytes (0 allowed, negative refused). A null heap uses the C runtime heap.
   Debug heaps (and UTILHEAP_DEBUG) give debug objects: a header with the allocation time, an
   optional stack trace and the tag, and a fence behind the data. */
OVUT_API void* WINAPI UtilHeapObjectAlloc(HUTILHEAP heap, int size, DWORD flags);
OVUT_API void* WINAPI UtilHeapObjectAllocExt(HUTILHEAP heap, int size, DWORD flags, DWORD_PTR reserved1,
                                             DWORD_PTR tag, DWORD_PTR reserved2);
/* 0 (a null pointer too), -2 (invalid heap handle), -6 (bad pointer, damaged object or the heap
   refused it). A damaged object (overrun fence, overwritten magic) stays allocated. */
OVUT_API int WINAPI UtilHeapObjectFree(HUTILHEAP heap, void* object);
/* The object's data size; -6 for a bad pointer, -2 for an invalid heap handle. */
OVUT_API int WINAPI UtilHeapObjectSize(HUTILHEAP heap, const void* object);
/* Checks the object's block (or, with a null object, the whole heap) and the fences of all
   debug objects: 0, -2 (bad heap handle), -3 (corrupt). */
OVUT_API int WINAPI UtilHeapValidate(HUTILHEAP heap, const void* object, DWORD_PTR reserved);
/* Compacts the heap: 0, -2 (failed or invalid handle), -7 (unavailable). */
OVUT_API int WINAPI UtilHeapShrink(HUTILHEAP heap, DWORD_PTR reserved);

OVUT_EXTERN_C_END

#endif
