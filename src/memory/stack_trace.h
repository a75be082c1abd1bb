// Stack traces of allocations and registrations: 30 entries of (frame address, return
// address, call target), captured from up to 40 frames. Unused entries are 0.
#pragma once
#include <windows.h>

namespace ovut::memory {

struct scStackEntry {
  UINT_PTR frame;   // the frame's stack address
  UINT_PTR ret;     // return address into the frame's function
  UINT_PTR target;  // what the call before the return address called, or 0 when unknown
};
struct scStackTrace {
  scStackEntry entries[30];
};
#ifndef _WIN64
static_assert(sizeof(scStackTrace) == 30 * 12, "30 entries of three 32-bit values");
#endif

// Where a trace begins: the frame and return address of an exported function, so that the
// first entry is its caller's call site whatever the library's own frames look like.
struct scStackStart {
  void* frame;
  void* ret;
};
#define OVUT_STACK_START() (::ovut::memory::scStackStart{__builtin_frame_address(0), __builtin_return_address(0)})

// Captures into a record from the process heap; null when out of memory. Free with FreeTrace.
scStackTrace* CaptureTrace(const scStackStart& start);
void FreeTrace(scStackTrace* trace);

}  // namespace ovut::memory
