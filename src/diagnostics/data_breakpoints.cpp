#include "diagnostics/data_breakpoints.h"

#include <new>

#include "diagnostics/debug_output.h"

namespace ovut::debug {
namespace {

// The DR7 length field has two bits per slot: 0 one byte, 1 two, 3 four, 2 eight (64-bit only).
int LengthCode(int size) noexcept {
  switch (size) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 3;
#ifdef _WIN64
    case 8: return 2;
#endif
    default: return -1;
  }
}

}  // namespace

scDataBreakpoint* SetDataBreakpoint(void* address, int size, bool writeOnly) noexcept {
  const int length = LengthCode(size);
  if (length < 0) {
    Warning(L"WRN: UtilSetDataBP: %d bytes cannot be watched (1, 2, 4%s): no breakpoint", size,
            sizeof(void*) == 8 ? L" or 8" : L"");
    return nullptr;
  }
  auto* breakpoint = new (std::nothrow) scDataBreakpoint{-1};
  if (!breakpoint) return nullptr;
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_DEBUG_REGISTERS;
  if (!GetThreadContext(GetCurrentThread(), &context)) return breakpoint;
  int slot = 0;
  while (slot < 4 && (context.Dr7 & (1u << (2 * slot)))) ++slot;
  if (slot == 4) return breakpoint;
  const auto watched = reinterpret_cast<UINT_PTR>(address);
  switch (slot) {
    case 0: context.Dr0 = watched; break;
    case 1: context.Dr1 = watched; break;
    case 2: context.Dr2 = watched; break;
    default: context.Dr3 = watched; break;
  }
  const unsigned condition = writeOnly ? 1 : 3;
  const unsigned shift = 16 + 4 * slot;
  auto dr7 = context.Dr7;
  dr7 &= ~(static_cast<decltype(dr7)>(0xF) << shift);
  dr7 |= static_cast<decltype(dr7)>(condition | (static_cast<unsigned>(length) << 2)) << shift;
  dr7 |= static_cast<decltype(dr7)>(1) << (2 * slot);
  context.Dr7 = dr7;
  context.ContextFlags = CONTEXT_DEBUG_REGISTERS;
  if (SetThreadContext(GetCurrentThread(), &context)) breakpoint->slot = slot;
  return breakpoint;
}

void RemoveDataBreakpoint(scDataBreakpoint* breakpoint) noexcept {
  if (!breakpoint) return;
  if (breakpoint->slot >= 0 && breakpoint->slot < 4) {
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_DEBUG_REGISTERS;
    if (GetThreadContext(GetCurrentThread(), &context)) {
      context.Dr7 &= ~(static_cast<decltype(context.Dr7)>(1) << (2 * breakpoint->slot));
      context.ContextFlags = CONTEXT_DEBUG_REGISTERS;
      SetThreadContext(GetCurrentThread(), &context);
    }
  }
  breakpoint->slot = -1;
  delete breakpoint;
}

}  // namespace ovut::debug
