#include "locale/tz_functions.h"

namespace ovut::locale {
namespace {

struct Resolved {
  TzConvertFn localToUtc;
  TzConvertFn utcToLocal;
};

// INIT_ONCE is the lock: the first caller resolves, concurrent callers wait, and the answer
// (present or missing) is kept for the life of the process.
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
Resolved g_resolved = {};

BOOL CALLBACK Resolve(INIT_ONCE*, void*, void**) {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    g_resolved.localToUtc =
        reinterpret_cast<TzConvertFn>(GetProcAddress(kernel, "TzSpecificLocalTimeToSystemTime"));
    g_resolved.utcToLocal =
        reinterpret_cast<TzConvertFn>(GetProcAddress(kernel, "SystemTimeToTzSpecificLocalTime"));
  }
  return TRUE;
}

const Resolved& Functions() {
  InitOnceExecuteOnce(&g_once, Resolve, nullptr, nullptr);
  return g_resolved;
}

}  // namespace

TzConvertFn LocalToUtcFunction() noexcept { return Functions().localToUtc; }
TzConvertFn UtcToLocalFunction() noexcept { return Functions().utcToLocal; }

}  // namespace ovut::locale
