#include "diagnostics/debug_help_jobs.h"

#include <set>

#include "diagnostics/debug_output.h"
#include "diagnostics/symbols.h"
#include "foundation/critical_section.h"

namespace ovut::debug {
namespace {

ovut::CriticalSection g_lock;
std::set<UINT_PTR> g_open;
// Handles look like aligned pointers and never repeat (wrapping takes a billion opens).
UINT_PTR g_serial = 0;

}  // namespace

UINT_PTR OpenJob() {
  UINT_PTR job;
  {
    ovut::AutoLock lock(g_lock);
    job = 0x10000 + (++g_serial << 4);
    g_open.insert(job);
  }
  RefreshSymbols();
  return job;
}

bool CloseJob(UINT_PTR job) noexcept {
  {
    ovut::AutoLock lock(g_lock);
    if (g_open.erase(job)) return true;
  }
  Warning(L"ERR: UtilDebugHelpJobClose: invalid debug-help job handle %p", reinterpret_cast<void*>(job));
  return false;
}

bool CheckJob(UINT_PTR job, const char* function) noexcept {
  {
    ovut::AutoLock lock(g_lock);
    if (g_open.count(job)) return true;
  }
  Warning(L"ERR: %hs: invalid debug-help job handle %p", function, reinterpret_cast<void*>(job));
  return false;
}

String SymbolText(UINT_PTR address) {
  scSymbol symbol;
  if (!ResolveAddress(address, &symbol, kSymbolName)) return String();
  return symbol.name[0] ? String::Formatted(L"%s!%s+0x%Ix", symbol.module, symbol.name, symbol.displacement)
                        : String::Formatted(L"%s+0x%Ix", symbol.module, symbol.moduleOffset);
}

String FramesText(void* const* frames, int count) {
  RefreshSymbols();
  String text;
  for (int i = 0; i < count; ++i) {
    scSymbol symbol;
    const UINT_PTR address = reinterpret_cast<UINT_PTR>(frames[i]);
    text += String::Formatted(L"0x%p ", frames[i]);
    if (!ResolveAddress(address, &symbol, kSourceLine)) {
      text += L"?\r\n";
      continue;
    }
    text += symbol.name[0] ? String::Formatted(L"%s!%s+0x%Ix", symbol.module, symbol.name, symbol.displacement)
                           : String::Formatted(L"%s+0x%Ix", symbol.module, symbol.moduleOffset);
    if (symbol.file[0]) text += String::Formatted(L" (%s:%lu)", symbol.file, symbol.line);
    text += L"\r\n";
  }
  return text;
}

__attribute__((noinline)) int CaptureCallerFrames(void* returnAddress, int skipFrames, void** frames,
                                                  int capacity) noexcept {
  // The capture starts in this function (one frame further out in 32-bit Wine, whose capture
  // does not count its own frame); the caller's caller is found by its return address among the
  // first frames.
  constexpr int kOwnFrames = 4;
  void* captured[kOwnFrames + 2 * 256];
  if (capacity <= 0) return 0;
  if (skipFrames < 0) skipFrames = 0;
  if (skipFrames > 256) skipFrames = 256;
  if (capacity > 256) capacity = 256;
  const int got = RtlCaptureStackBackTrace(0, static_cast<DWORD>(kOwnFrames + skipFrames + capacity), captured, nullptr);
  int first = 2;  // this function's frame, then the export's, then its caller's
  for (int i = 0; i < kOwnFrames && i < got; ++i)
    if (captured[i] == returnAddress) {
      first = i;
      break;
    }
  first += skipFrames;
  int n = 0;
  for (int i = first; i < got && n < capacity; ++i) frames[n++] = captured[i];
  return n;
}

}  // namespace ovut::debug
