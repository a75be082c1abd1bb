// The caller's stack as channel lines. The debug-help library is loaded on first use, so
// processes that never ask for a stack never load it.
#include <windows.h>
#include <dbghelp.h>

#include <cwchar>

#include "diagnostics/debug_output.h"
#include "foundation/critical_section.h"
#include "foundation/string.h"

namespace ovut::debug {
namespace {

struct DebugHelp {
  using SymInitializeWFn = BOOL(WINAPI*)(HANDLE, PCWSTR, BOOL);
  using SymSetOptionsFn = DWORD(WINAPI*)(DWORD);
  using SymFromAddrWFn = BOOL(WINAPI*)(HANDLE, DWORD64, PDWORD64, PSYMBOL_INFOW);
  using SymGetLineFromAddrW64Fn = BOOL(WINAPI*)(HANDLE, DWORD64, PDWORD, PIMAGEHLP_LINEW64);

  SymInitializeWFn initialize = nullptr;
  SymSetOptionsFn setOptions = nullptr;
  SymFromAddrWFn fromAddr = nullptr;
  SymGetLineFromAddrW64Fn lineFromAddr = nullptr;
  bool ready = false;

  template <typename F>
  static F Get(HMODULE m, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
  }

  // Loaded once; the library stays loaded for the life of the process.
  void Load() {
    HMODULE m = LoadLibraryW(L"dbghelp.dll");
    if (!m) return;
    initialize = Get<SymInitializeWFn>(m, "SymInitializeW");
    setOptions = Get<SymSetOptionsFn>(m, "SymSetOptions");
    fromAddr = Get<SymFromAddrWFn>(m, "SymFromAddrW");
    lineFromAddr = Get<SymGetLineFromAddrW64Fn>(m, "SymGetLineFromAddrW64");
    if (!initialize || !fromAddr) return;
    if (setOptions) setOptions(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS);
    ready = initialize(GetCurrentProcess(), nullptr, TRUE) != FALSE;
  }
};

// Debug-help calls are not thread-safe; the lock also guards the one-time load.
CriticalSection& HelpLock() {
  static CriticalSection lock(4000);
  return lock;
}
DebugHelp& Help() {
  static DebugHelp help;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    help.Load();
  }
  return help;
}

// "0x<address> <MODULE>!<symbol>+0x<offset> (<file>:<line>)", with the parts that are known.
String DescribeFrame(void* address) {
  DWORD64 at = reinterpret_cast<DWORD_PTR>(address);
  wchar_t module[MAX_PATH] = L"?";
  HMODULE owner = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(address), &owner)) {
    wchar_t path[MAX_PATH] = L"";
    DWORD n = GetModuleFileNameW(owner, path, MAX_PATH);
    path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
      if (*p == L'\\' || *p == L'/') name = p + 1;
    if (*name) wcsncpy(module, name, MAX_PATH - 1);
  }
  String text = String::Formatted(L"0x%p %s", address, module);
  if (owner) text += String::Formatted(L"+0x%Ix", static_cast<size_t>(at - reinterpret_cast<DWORD_PTR>(owner)));

  AutoLock hold(HelpLock());
  DebugHelp& help = Help();
  if (!help.ready) return text;
  alignas(SYMBOL_INFOW) BYTE buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)] = {};
  auto* symbol = reinterpret_cast<SYMBOL_INFOW*>(buffer);
  symbol->SizeOfStruct = sizeof(SYMBOL_INFOW);
  symbol->MaxNameLen = 255;
  DWORD64 displacement = 0;
  if (help.fromAddr(GetCurrentProcess(), at, &displacement, symbol) && symbol->NameLen) {
    symbol->Name[symbol->NameLen < 255 ? symbol->NameLen : 255] = 0;
    text += String::Formatted(L" %s+0x%I64x", symbol->Name, static_cast<unsigned long long>(displacement));
  }
  IMAGEHLP_LINEW64 line = {};
  line.SizeOfStruct = sizeof line;
  DWORD lineDisplacement = 0;
  if (help.lineFromAddr && help.lineFromAddr(GetCurrentProcess(), at, &lineDisplacement, &line) && line.FileName)
    text += String::Formatted(L" (%s:%lu)", line.FileName, line.LineNumber);
  return text;
}

}  // namespace

void StackTrace(int skipFrames, int maxFrames) {
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
  for (int i = first; i < got && i < first + maxFrames; ++i) {
    String frame = DescribeFrame(frames[i]);
    LibraryText((String(L"\n") + frame).c_str());
  }
  LibraryText(L"");
}

}  // namespace ovut::debug
