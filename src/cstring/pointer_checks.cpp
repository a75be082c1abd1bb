#include "cstring/pointer_checks.h"

#include <cwchar>

#include "cstring/report.h"
#include "foundation/string.h"

namespace ovut::cstring {
namespace {

using IsBadPtrFn = BOOL(WINAPI*)(const void*, UINT_PTR);
using IsBadWritePtrFn = BOOL(WINAPI*)(void*, UINT_PTR);
using IsBadStringPtrWFn = BOOL(WINAPI*)(LPCWSTR, UINT_PTR);

// The three tests are looked up once; a missing one makes its check pass.
struct SystemChecks {
  IsBadPtrFn read = nullptr;
  IsBadWritePtrFn write = nullptr;
  IsBadStringPtrWFn string = nullptr;
  SystemChecks() {
    HMODULE k = GetModuleHandleW(L"kernel32.dll");
    if (!k) return;
    read = reinterpret_cast<IsBadPtrFn>(reinterpret_cast<void*>(GetProcAddress(k, "IsBadReadPtr")));
    write = reinterpret_cast<IsBadWritePtrFn>(reinterpret_cast<void*>(GetProcAddress(k, "IsBadWritePtr")));
    string = reinterpret_cast<IsBadStringPtrWFn>(reinterpret_cast<void*>(GetProcAddress(k, "IsBadStringPtrW")));
  }
};
const SystemChecks& Checks() {
  static const SystemChecks checks;  // thread-safe one-time initialisation
  return checks;
}

const wchar_t* Text(const wchar_t* s) { return s ? s : L"(NULL)"; }

// The pointer is shown with the width of a pointer ("0x%08x" on 32-bit).
void ReportFailure(const wchar_t* function, const wchar_t* what, const void* pointer, DWORD error) {
  Report(L"\nVR32UTIL['%s']: error in '%s': %s\n ptr=0x%08Ix\n err=%d\n", ModuleTag(), Text(function), Text(what),
         reinterpret_cast<UINT_PTR>(pointer), static_cast<int>(error));
}

constexpr UINT_PTR kPage = 4096;  // smallest page size: a tested unit clears the rest of its page

}  // namespace

bool IsReadable(const wchar_t* function, const void* pointer, const wchar_t* parameter, UINT bytes) {
  if (!pointer || DebuggerAttached()) return true;
  IsBadPtrFn bad = Checks().read;
  if (!bad || !bad(pointer, bytes)) return true;
  DWORD error = GetLastError();
  if (ReportActive()) {
    ReportFailure(function, parameter, pointer, error);
    Report(L" -> does not point to %d byte(s) of readable memory\n", static_cast<int>(bytes));
  }
  return false;
}

bool IsWritable(const wchar_t* function, void* pointer, const wchar_t* parameter, UINT bytes) {
  if (!pointer || DebuggerAttached()) return true;
  IsBadWritePtrFn bad = Checks().write;
  if (!bad || !bad(pointer, bytes)) return true;
  DWORD error = GetLastError();
  if (ReportActive()) {
    ReportFailure(function, parameter, pointer, error);
    if (bad(pointer, 2)) Report(L" -> does not point to writeable memory at all\n");
    else Report(L" -> does not point to enough (%d Bytes) writeable memory\n", static_cast<int>(bytes));
  }
  return false;
}

bool IsString(const wchar_t* function, const wchar_t* pointer, const wchar_t* parameter) {
  if (!pointer || DebuggerAttached()) return true;
  if (!IsReadable(function, pointer, parameter, 1)) return false;
  IsBadStringPtrWFn bad = Checks().string;
  if (!bad || !bad(pointer, 65535)) return true;
  DWORD error = GetLastError();
  if (ReportActive()) {
    ReportFailure(function, parameter, pointer, error);
    Report(L" -> does not point to valid string\n");
  }
  return false;
}

int SafeStrlen(const wchar_t* function, const wchar_t* text) {
  if (!text) return 0;
  IsBadPtrFn bad = Checks().read;
  if (DebuggerAttached() || !bad) return static_cast<int>(wcslen(text));
  UINT_PTR readableEnd = 0;  // first address not yet known to be readable
  int n = 0;
  for (const wchar_t* p = text;; ++p, ++n) {
    UINT_PTR at = reinterpret_cast<UINT_PTR>(p);
    if (readableEnd == 0 || at + sizeof(wchar_t) > readableEnd) {
      if (bad(p, sizeof(wchar_t))) {
        DWORD error = GetLastError();
        if (ReportActive()) ReportFailure(function, L"bad string (unterminated)\n", p, error);
        return n > 0 ? n - 1 : 0;
      }
      readableEnd = ((at + sizeof(wchar_t) - 1) | (kPage - 1)) + 1;
    }
    if (*p == 0) return n;
  }
}

void ParameterError(const wchar_t* function, const wchar_t* message) {
  if (!ReportActive()) return;
  // The fourth place has no argument of its own: it stays empty.
  Report(L"\nVR32UTIL['%s']: error in '%s' (%s): %s\n", ModuleTag(), Text(function), Text(message), L"");
}

}  // namespace ovut::cstring
