// Hardware data breakpoints on the calling thread: one of the four debug-register slots watches
// writes (or reads and writes) of 1, 2 or 4 bytes (8 on 64-bit).
#pragma once
#include <windows.h>

namespace ovut::debug {

struct scDataBreakpoint {
  LONG slot;  // 0 to 3, or -1 when no slot was free or the context could not be changed
};

// Null when the size is not one the processor can watch, or out of memory.
scDataBreakpoint* SetDataBreakpoint(void* address, int size, bool writeOnly) noexcept;
// Disarms (on the calling thread) and frees; null is ignored.
void RemoveDataBreakpoint(scDataBreakpoint* breakpoint) noexcept;

}  // namespace ovut::debug
