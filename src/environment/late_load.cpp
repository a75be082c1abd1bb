#include "environment/late_load.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "diagnostics/debug_output.h"
#include "dll/lifecycle.h"
#include "environment/late_kernel32.h"
#include "environment/loader_lock.h"
#include "foundation/critical_section.h"
#include "foundation/string.h"

namespace ovut::env {
namespace {

FARPROC WINAPI DefaultLookup(HMODULE module, LPCSTR name) { return GetProcAddress(module, name); }

// The file name of this library's own module and its folder (with the trailing separator).
bool OwnModulePath(wchar_t* folder, size_t size, const wchar_t** name) {
  DWORD n = GetModuleFileNameW(ThisModule(), folder, static_cast<DWORD>(size));
  if (n == 0 || n >= size) return false;
  wchar_t* slash = nullptr;
  for (wchar_t* p = folder; *p; ++p)
    if (*p == L'\\' || *p == L'/') slash = p;
  if (!slash) return false;
  *name = slash + 1;
  return true;
}

// Our own companion modules share the first two letters of this library's file name; they
// are looked for beside it when the normal search order misses them.
HMODULE LoadFromOwnFolder(const wchar_t* module) {
  wchar_t folder[MAX_PATH];
  const wchar_t* own = nullptr;
  if (!OwnModulePath(folder, MAX_PATH, &own) || wcslen(own) < 2 || _wcsnicmp(module, own, 2) != 0) return nullptr;
  folder[own - folder] = 0;
  // The caller's search folder is put back afterwards (none when it had none).
  wchar_t previous[MAX_PATH] = L"";
  if (auto get = p_GetDllDirectory.Get()) {
    const DWORD n = get(MAX_PATH, previous);
    if (n == 0 || n >= MAX_PATH) previous[0] = 0;
  }
  auto set = p_SetDllDirectory.Get();
  if (!set || !set(folder)) return nullptr;
  HMODULE handle = LoadLibraryW(module);
  const DWORD error = GetLastError();
  set(previous[0] ? previous : nullptr);
  SetLastError(error);
  return handle;
}

volatile LONG g_version = 0;
volatile LONG g_session = 0;

}  // namespace

CLateLoadBase::~CLateLoadBase() {
  if (owned_ && handle_) FreeLibrary(handle_);
  handle_ = nullptr;
}

void CLateLoadBase::Log(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  LogV(format, args);
  va_end(args);
}

void CLateLoadBase::LogV(const wchar_t* format, va_list args) { debug::WarningV(format, args); }

HMODULE CLateLoadBase::Handle() const noexcept {
  ExclusiveSrwLock hold(const_cast<SRWLOCK&>(lock_));
  return handle_;
}

DWORD CLateLoadBase::LastError() const noexcept {
  ExclusiveSrwLock hold(const_cast<SRWLOCK&>(lock_));
  return error_;
}

void CLateLoadBase::SetLookupForTesting(LookupFn lookup) noexcept {
  ExclusiveSrwLock hold(lock_);
  lookup_ = lookup;
}

void CLateLoadBase::ResetForTesting() noexcept {
  ExclusiveSrwLock hold(lock_);
  if (owned_ && handle_) FreeLibrary(handle_);
  handle_ = nullptr;
  owned_ = false;
  error_ = 0;
  loadAttempts_ = 0;
}

HMODULE CLateLoadBase::LoadModule(DWORD* error) noexcept {
  HMODULE handle = nullptr;
  if (from_ == LoadFrom::kSystemFolder) {
    // A full path keeps the current folder and the executable's folder out of the search: a
    // planted copy there is never loaded. The library's own dependencies resolve from its folder.
    wchar_t path[MAX_PATH + 32];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || wcslen(module_) > 30) {
      *error = n == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
      return nullptr;
    }
    path[n] = L'\\';
    wcscpy(path + n + 1, module_);
    handle = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  } else {
    handle = LoadLibraryW(module_);
    if (!handle) {
      const DWORD first = GetLastError();
      handle = LoadFromOwnFolder(module_);
      if (!handle) SetLastError(first);
    }
  }
  *error = handle ? 0 : GetLastError();
  return handle;
}

bool CLateLoadBase::LoadLocked(bool* warn) noexcept {
  if (handle_) return true;
  if (error_) return false;
  if (UnderLoaderLock()) {
    // Loading here can deadlock against another thread's load; a library that is already
    // mapped costs nothing, anything else waits for a later call outside the loader lock.
    HMODULE mapped = nullptr;
    if (GetModuleHandleExW(0, module_, &mapped)) {
      handle_ = mapped;
      owned_ = true;
    }
    return handle_ != nullptr;
  }
  ++loadAttempts_;
  DWORD error = 0;
  handle_ = LoadModule(&error);
  owned_ = handle_ != nullptr;
  if (!handle_) {
    error_ = error ? error : kUnknownLoadError;
    *warn = true;
  }
  return handle_ != nullptr;
}

void CLateLoadBase::WarnLoadFailed() noexcept {
  // The desktop composition library is new with 6.0; its absence before is expected.
  if (_wcsicmp(module_, L"dwmapi") == 0 && WindowsVersion() < 0x0600) return;
  try {
    const String text = String::ErrorText(error_, 0);
    Log(L"WRN: module '%s' could not be loaded: %s", module_, text.c_str());
  } catch (...) {
    // Out of memory for the message: the failure itself is kept all the same.
  }
}

bool CLateLoadBase::Load() noexcept {
  bool warn = false, loaded;
  {
    ExclusiveSrwLock hold(lock_);
    loaded = LoadLocked(&warn);
  }
  if (warn) WarnLoadFailed();
  return loaded;
}

void* CLateLoadBase::Resolve(const char* name, int argBytes, void* volatile* entry, volatile LONG* state) noexcept {
  bool warn = false;
  void* found = nullptr;
  {
    ExclusiveSrwLock hold(lock_);
    // Another thread may have finished the lookup while this one waited.
    const LONG known = __atomic_load_n(state, __ATOMIC_ACQUIRE);
    if (known != kNotLookedUp) return known == kPresent ? *entry : nullptr;
    if (!LoadLocked(&warn)) {
      // Without a handle the state stays "not looked up".
    } else {
      if (name[0] == 'p' && name[1] == '_') name += 2;
      for (int i = 0; i < dropChars_ && *name; ++i) ++name;
      const LookupFn lookup = lookup_ ? lookup_ : DefaultLookup;
      const bool shell = _wcsicmp(module_, L"shell32") == 0;
      char forms[4][160];
      const size_t length = strlen(name);
      if (length < 140) {
        // shell32 is asked for the wide form first: some of its plain names are the ANSI forms.
        snprintf(forms[shell ? 1 : 0], sizeof forms[0], "%s", name);
        snprintf(forms[shell ? 0 : 1], sizeof forms[0], "%sW", name);
        snprintf(forms[2], sizeof forms[0], "_%s@%d", name, argBytes);
        snprintf(forms[3], sizeof forms[0], "_%s%c@%d", name, 'W', argBytes);
        for (const auto& form : forms)
          if ((found = reinterpret_cast<void*>(lookup(handle_, form))) != nullptr) break;
      }
      *entry = found;
      __atomic_store_n(state, found ? kPresent : kMissing, __ATOMIC_RELEASE);
    }
  }
  if (warn) WarnLoadFailed();
  return found;
}

void RecordSystemFacts() noexcept {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&info))
#pragma GCC diagnostic pop
    InterlockedExchange(&g_version, static_cast<LONG>(((info.dwMajorVersion & 0xFF) << 8) | (info.dwMinorVersion & 0xFF)));
  DWORD session = 0;
  if (GetSystemMetrics(SM_REMOTESESSION) && ProcessIdToSessionId(GetCurrentProcessId(), &session))
    InterlockedExchange(&g_session, static_cast<LONG>(session));
}

WORD WindowsVersion() noexcept { return static_cast<WORD>(g_version); }
DWORD RemoteSessionId() noexcept { return static_cast<DWORD>(g_session); }

}  // namespace ovut::env
