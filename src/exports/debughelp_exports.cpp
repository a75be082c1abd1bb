// Debug-help job entry points: checks of handles and pointers, then the symbol module.
#include "cstring/text.h"
#include "diagnostics/debug_help_jobs.h"
#include "diagnostics/debug_output.h"
#include "diagnostics/symbols.h"
#include "exports/export_guard.h"
#include "ovut19/debughelp.h"

namespace dbg = ovut::debug;
using ovut::exports::Guarded;

namespace {

UINT_PTR Id(HUTILDEBUGHELP job) { return reinterpret_cast<UINT_PTR>(job); }

}  // namespace

extern "C" {

HUTILDEBUGHELP WINAPI UtilDebugHelpJobOpen(void) {
  return Guarded<HUTILDEBUGHELP>(nullptr, [] { return reinterpret_cast<HUTILDEBUGHELP>(dbg::OpenJob()); });
}

int WINAPI UtilDebugHelpJobClose(HUTILDEBUGHELP job) {
  if (!job) return 0;
  return dbg::CloseJob(Id(job)) ? 0 : dbg::kJobInvalid;
}

int WINAPI UtilDebugHelpJobRefresh(HUTILDEBUGHELP job) {
  if (!dbg::CheckJob(Id(job), __func__)) return dbg::kJobInvalid;
  dbg::RefreshSymbols();
  return 0;
}

int WINAPI UtilDebugHelpJobGetSymbol(HUTILDEBUGHELP job, UINT_PTR address, LPWSTR buffer, int size) {
  if (!dbg::CheckJob(Id(job), __func__)) return dbg::kJobInvalid;
  return Guarded<int>(dbg::kJobFailed, [&] {
    const String text = dbg::SymbolText(address);
    if (text.IsEmpty()) return static_cast<int>(dbg::kJobNoModule);
    return ovut::cstring::CopyToBuffer(text, buffer, size);
  });
}

int WINAPI UtilDebugHelpJobGetSourceLine(HUTILDEBUGHELP job, UINT_PTR address, LPWSTR fileBuffer, int size,
                                         DWORD* line) {
  if (line) *line = 0;
  if (!dbg::CheckJob(Id(job), __func__)) return dbg::kJobInvalid;
  return Guarded<int>(dbg::kJobFailed, [&] {
    dbg::scSymbol symbol;
    if (!dbg::ResolveAddress(address, &symbol, dbg::kSourceLine)) return static_cast<int>(dbg::kJobNoModule);
    if (!symbol.file[0]) {
      dbg::Warning(L"WRN: UtilDebugHelpJobGetSourceLine: no source line known for %s+0x%Ix", symbol.module,
                   symbol.moduleOffset);
      return static_cast<int>(dbg::kJobNoSourceLine);
    }
    if (line) *line = symbol.line;
    return ovut::cstring::CopyToBuffer(symbol.file, -1, fileBuffer, size);
  });
}

int WINAPI UtilDebugHelpJobStackTrace(HUTILDEBUGHELP job, int skipFrames, int maxFrames, LPWSTR buffer, int size) {
  if (!dbg::CheckJob(Id(job), __func__)) return dbg::kJobInvalid;
  if (maxFrames <= 0 || maxFrames > 256) maxFrames = 256;
  void* frames[256];
  const int count = dbg::CaptureCallerFrames(__builtin_return_address(0), skipFrames, frames, maxFrames);
  return Guarded<int>(dbg::kJobFailed, [&] {
    return ovut::cstring::CopyToBuffer(dbg::FramesText(frames, count), buffer, size);
  });
}

}  // extern "C"
