#include "memory/stack_trace.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace ovut::memory {
namespace {

constexpr int kMaxFrames = 40;
constexpr int kEntries = 30;

using IsBadReadPtrFn = BOOL(WINAPI*)(const void*, UINT_PTR);
bool Readable(UINT_PTR address, size_t bytes) {
  static const IsBadReadPtrFn bad = reinterpret_cast<IsBadReadPtrFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsBadReadPtr")));
  return address > 0xFFFF && (!bad || !bad(reinterpret_cast<const void*>(address), bytes));
}

// The target of the call that precedes a return address: a direct call (E8 rel32) or an
// indirect one through memory (FF 15, absolute on 32-bit, RIP-relative on 64-bit).
UINT_PTR CallTarget(UINT_PTR ret) {
  if (!Readable(ret - 6, 6)) return 0;
  const unsigned char* code = reinterpret_cast<const unsigned char*>(ret);
  int32_t rel;
  if (code[-5] == 0xE8) {
    memcpy(&rel, code - 4, 4);
    return ret + static_cast<INT_PTR>(rel);
  }
  if (code[-6] == 0xFF && code[-5] == 0x15) {
    memcpy(&rel, code - 4, 4);
#ifdef _WIN64
    UINT_PTR slot = ret + static_cast<INT_PTR>(rel);
#else
    UINT_PTR slot = static_cast<uint32_t>(rel);
#endif
    if (!Readable(slot, sizeof(UINT_PTR))) return 0;
    UINT_PTR target;
    memcpy(&target, reinterpret_cast<const void*>(slot), sizeof target);
    return target;
  }
  return 0;
}

struct Collector {
  scStackTrace* trace;
  UINT_PTR startRet;
  bool started;
  int frames = 0, stored = 0;
  // False when the walk should stop.
  bool Add(UINT_PTR frame, UINT_PTR ret) {
    if (!started) {
      if (ret != startRet) return true;
      started = true;
    }
    if (++frames > kMaxFrames || stored == kEntries) return false;
    trace->entries[stored++] = scStackEntry{frame, ret, CallTarget(ret)};
    return true;
  }
};

#ifdef _WIN64
// Unwinds with the unwind tables, which hold for code without frame pointers.
void Walk(Collector& c) {
  CONTEXT ctx;
  RtlCaptureContext(&ctx);
  NT_TIB* tib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
  const UINT_PTR low = reinterpret_cast<UINT_PTR>(tib->StackLimit), high = reinterpret_cast<UINT_PTR>(tib->StackBase);
  for (int step = 0; step < 256 && ctx.Rip; ++step) {
    DWORD64 imageBase = 0;
    PRUNTIME_FUNCTION fn = RtlLookupFunctionEntry(ctx.Rip, &imageBase, nullptr);
    if (fn) {
      void* handlerData = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, ctx.Rip, fn, &ctx, &handlerData, &establisher, nullptr);
    } else {  // leaf function: the return address is on top of the stack
      if (ctx.Rsp < low || ctx.Rsp + 8 > high) break;
      ctx.Rip = *reinterpret_cast<DWORD64*>(ctx.Rsp);
      ctx.Rsp += 8;
    }
    if (!ctx.Rip || ctx.Rsp < low || ctx.Rsp > high) break;
    if (!c.Add(ctx.Rsp, ctx.Rip)) break;
  }
}
#else
// Follows the chain of saved frame pointers from the exported function's frame, checking
// each link against the thread's stack before reading it.
void Walk(Collector& c, const scStackStart& start) {
  NT_TIB* tib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
  const UINT_PTR low = reinterpret_cast<UINT_PTR>(tib->StackLimit), high = reinterpret_cast<UINT_PTR>(tib->StackBase);
  UINT_PTR fp = reinterpret_cast<UINT_PTR>(start.frame);
  c.started = true;
  for (int step = 0; step < 256; ++step) {
    if (fp < low || fp + 2 * sizeof(UINT_PTR) > high || (fp & 3)) break;
    const UINT_PTR* slot = reinterpret_cast<const UINT_PTR*>(fp);
    UINT_PTR next = slot[0], ret = slot[1];
    if (!ret || !c.Add(fp, ret)) break;
    if (next <= fp) break;
    fp = next;
  }
}
#endif

}  // namespace

scStackTrace* CaptureTrace(const scStackStart& start) {
  void* mem = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(scStackTrace));
  if (!mem) return nullptr;
  scStackTrace* trace = new (mem) scStackTrace;
  Collector c{trace, reinterpret_cast<UINT_PTR>(start.ret), start.ret == nullptr};
#ifdef _WIN64
  Walk(c);
  if (!c.started) {  // the start was not met (inlined or foreign frames): keep the whole walk
    memset(trace, 0, sizeof *trace);
    c.started = true;
    c.frames = c.stored = 0;
    Walk(c);
  }
#else
  Walk(c, start);
#endif
  return trace;
}

void FreeTrace(scStackTrace* trace) {
  if (trace) HeapFree(GetProcessHeap(), 0, trace);
}

}  // namespace ovut::memory
