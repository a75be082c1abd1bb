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
  if (maxFrames <= 0 || maxFrames > 256) maxFrames = 256;
  void* frames[256 + 1];
  // +1: this function's own frame.
  USHORT got = RtlCaptureStackBackTrace(static_cast<DWORD>(skipFrames) + 1, static_cast<DWORD>(maxFrames), frames,
                                        nullptr);
  RefreshSymbols();
  try {
    for (USHORT i = 0; i < got; ++i) {
      String frame = DescribeFrame(frames[i]);
      LibraryText((String(L"\n") + frame).c_str());
    }
  } catch (...) {
  }
  LibraryText(L"");
}

}  // namespace ovut::debug
