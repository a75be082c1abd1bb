// The caller's stack as channel lines. The debug-help library is loaded on first use, so
// processes that never ask for a stack never load it.
#include <windows.h>

#include "diagnostics/debug_output.h"
#include "diagnostics/symbols.h"
#include "foundation/string.h"

namespace ovut::debug {
namespace {

// "0x<address> <MODULE>+0x<offset> <symbol>+0x<offset> (<file>:<line>)", with the parts that are known.
String DescribeFrame(void* address) {
  scSymbol symbol;
  if (!ResolveAddress(reinterpret_cast<UINT_PTR>(address), &symbol, kSourceLine))
    return String::Formatted(L"0x%p ?", address);
  String text = String::Formatted(L"0x%p %s+0x%Ix", address, symbol.module, symbol.moduleOffset);
  if (symbol.name[0]) text += String::Formatted(L" %s+0x%Ix", symbol.name, symbol.displacement);
  if (symbol.file[0]) text += String::Formatted(L" (%s:%lu)", symbol.file, symbol.line);
  return text;
}

}  // namespace

// Out of memory while describing the frames ends the trace where it stands.
void StackTrace(int skipFrames, int maxFrames) noexcept {
  if (!IsActive()) return;
  if (skipFrames < 0) skipFrames = 0;
  if (skipFrames > 256) skipFrames = 256;
  if (maxFrames <= 0 || maxFrames > 256) maxFrames = 256;
  // Captured without a skip count: the capture starts in this function on Windows, but one frame
  // further out in 32-bit Wine (its capture does not count its own frame). The trace starts where
  // this function returns to, found among the first frames, then skips the caller's count.
  void* frames[2 * 256 + 2];
  const USHORT got = RtlCaptureStackBackTrace(0, static_cast<DWORD>(skipFrames + maxFrames + 2), frames, nullptr);
  void* const returnAddress = __builtin_return_address(0);
  int first = 1;  // this function's frame, then its caller's
  for (int i = 0; i < 3 && i < got; ++i)
    if (frames[i] == returnAddress) {
      first = i;
      break;
    }
  first += skipFrames;
  RefreshSymbols();
  try {
    for (int i = first; i < got && i < first + maxFrames; ++i) {
      String frame = DescribeFrame(frames[i]);
      LibraryText((String(L"\n") + frame).c_str());
    }
  } catch (...) {
  }
  LibraryText(L"");
}

}  // namespace ovut::debug
