/** @file
    Named modules and heaps with debug objects and leak reports.
    A host registers itself with UtilJobOpen, creates heaps under its registration and allocates
    objects from them. Reports go to the debug channel while it is active.
    Threads: every call holds one registry lock, so any thread may call them, also for heaps made
    with UTILHEAP_NO_SERIALIZE. */
#ifndef OVUT19_HEAP_H
#define OVUT19_HEAP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

typedef struct UtilModule_* HUTILMODULE; /**< A registered host module. */
typedef struct UtilHeap_* HUTILHEAP;     /**< A named heap of a module; null: the C runtime heap. */

/* Heap and object flags (one bit set) */
#define UTILHEAP_ZERO            0x00000001 /**< zero the new object */
#define UTILHEAP_FILL            0x00000002 /**< fill the new object with 0xF5 (unless ZERO) */
#define UTILHEAP_NO_STACKTRACE   0x00000004 /**< no allocation stack trace in the debug header */
#define UTILHEAP_NO_SERIALIZE    0x00000010 /**< heap: HEAP_NO_SERIALIZE (calls stay serialised) */
#define UTILHEAP_EXCEPTIONS      0x00000020 /**< heap: a failed allocation raises STATUS_NO_MEMORY */
#define UTILHEAP_NEVER_DEBUG     0x00000040 /**< never a debug heap / object */
#define UTILHEAP_FAIL            0x00000080 /**< UtilHeapCreate returns 0 */
#define UTILHEAP_NO_LEAK_WARNING 0x00000100 /**< heap: no report of objects left at deletion */
#define UTILHEAP_DEBUG           0x40000000 /**< debug heap / debug object */
/* Module flags: a negative value traces every registry call of the module; bit 30 makes its
   new heaps debug heaps. */
#define UTILJOB_TRACE            ((int)0x80000000) /**< Module flag: a trace line for each registry call. */
#define UTILJOB_DEBUG_HEAPS      0x40000000 /**< Module flag: the module's new heaps are debug heaps. */

/* Result codes */
#define UTILHEAP_INVALID_HANDLE  (-2) /**< Result: invalid module or heap handle. */
#define UTILHEAP_CORRUPT         (-3) /**< Result: the heap or a debug object is damaged. */
#define UTILHEAP_OBJECTS_LEFT    (-5) /**< Result: heaps or objects were left (and reported). */
#define UTILHEAP_BAD_OBJECT      (-6) /**< Result: bad pointer or damaged object. */
#define UTILHEAP_UNAVAILABLE     (-7) /**< Result: the system cannot do it for this heap. */

/** Registers a module by name; a second call with the same name returns the same handle and counts it.
    @param name   up to 32 characters, case-sensitive
    @param flags  UTILJOB_TRACE, UTILJOB_DEBUG_HEAPS or 0
    @return the module, or 0 when out of memory. */
OVUT_API HUTILMODULE WINAPI UtilJobOpen(LPCWSTR name, int flags);
/** Counts the module down; the last close deletes it.
    @param module  the module
    @return 0, -2 invalid handle, -5 heaps were left (they are reported and deleted). */
OVUT_API int WINAPI UtilJobClose(HUTILMODULE module);

/** Creates a growable heap of the module.
    @param module  the module
    @param name    the heap's name in reports
    @param flags   UTILHEAP_... heap flags
    @return the heap, or 0 for flag UTILHEAP_FAIL, an invalid module or no memory. */
OVUT_API HUTILHEAP WINAPI UtilHeapCreate(HUTILMODULE module, LPCWSTR name, DWORD flags);
/** Deletes a heap with every object left in it.
    @param heap  the heap
    @return 0, -2 invalid handle, -5 objects were left (reported unless UTILHEAP_NO_LEAK_WARNING). */
OVUT_API int WINAPI UtilHeapDelete(HUTILHEAP heap);
/** Bytes in the heap's busy blocks, for debug heaps.
    @param heap  the heap
    @return the bytes; 0 for a null handle, -2 an invalid one, -7 not a debug heap or the system
            cannot walk heaps. */
OVUT_API int WINAPI UtilHeapSize(HUTILHEAP heap);
/** Bytes in the heap's busy blocks, walking the heap.
    @param heap  the heap
    @return the bytes; 0 for a null handle, -2 an invalid one, -7 the system cannot walk heaps. */
OVUT_API int WINAPI UtilHeapSizeObjects(HUTILHEAP heap);

/** Allocates an object. Debug heaps (and UTILHEAP_DEBUG) give debug objects: a header with the
    allocation time, an optional stack trace and the tag, and a fence behind the data.
    @param heap   the heap; null: the C runtime heap
    @param size   the bytes (0 allowed, negative refused)
    @param flags  UTILHEAP_ZERO, UTILHEAP_FILL, UTILHEAP_DEBUG, UTILHEAP_NEVER_DEBUG, UTILHEAP_NO_STACKTRACE
    @return the object, or null. */
OVUT_API void* WINAPI UtilHeapObjectAlloc(HUTILHEAP heap, int size, DWORD flags);
/** Allocates an object with a tag the reports show.
    @param heap       the heap; null: the C runtime heap
    @param size       the bytes (0 allowed, negative refused)
    @param flags      as for UtilHeapObjectAlloc
    @param reserved1  not used; pass 0
    @param tag        the caller's value kept in a debug object's header
    @param reserved2  not used; pass 0
    @return the object, or null. */
OVUT_API void* WINAPI UtilHeapObjectAllocExt(HUTILHEAP heap, int size, DWORD flags, DWORD_PTR reserved1,
                                             DWORD_PTR tag, DWORD_PTR reserved2);
/** Frees an object after checking a debug object's header and fence. A damaged object (overrun
    fence, overwritten magic) is reported and stays allocated.
    @param heap    the heap the object came from
    @param object  the object; null does nothing (result 0)
    @return 0, -2 invalid heap handle, -6 bad pointer, damaged object or the heap refused it. */
OVUT_API int WINAPI UtilHeapObjectFree(HUTILHEAP heap, void* object);
/** The object's data size.
    @param heap    the heap the object came from
    @param object  the object
    @return the bytes, -6 bad pointer, -2 invalid heap handle. */
OVUT_API int WINAPI UtilHeapObjectSize(HUTILHEAP heap, const void* object);
/** Checks the object's block (or, with a null object, the whole heap) and the fences of all
    debug objects.
    @param heap      the heap
    @param object    the object, or null
    @param reserved  not used; pass 0
    @return 0, -2 bad heap handle, -3 corrupt. */
OVUT_API int WINAPI UtilHeapValidate(HUTILHEAP heap, const void* object, DWORD_PTR reserved);
/** Compacts the heap.
    @param heap      the heap
    @param reserved  not used; pass 0
    @return 0, -2 failed or invalid handle, -7 unavailable. */
OVUT_API int WINAPI UtilHeapShrink(HUTILHEAP heap, DWORD_PTR reserved);

OVUT_EXTERN_C_END

#endif
