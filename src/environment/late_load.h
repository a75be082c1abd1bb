// System libraries loaded on first use and their functions looked up once by name.
//
// One CLateLoadBase object per library, process-wide. Each function is a clsLateFunction next
// to its library: an entry and a state (kNotLookedUp, kMissing, kPresent). The state is written
// once, under the library's lock, after the entry; afterwards it is read without a lock, so a
// call through a found function costs one load and compare more than a direct call.
//
// Both kinds of object are constant-initialised (no constructor code runs), so they work from
// any static constructor and at any point of attach and detach.
#pragma once
#include <windows.h>

#include <cstdarg>

namespace ovut::env {

enum : LONG { kNotLookedUp = 0, kMissing = 1, kPresent = 2 };

// Load error kept when the system reported none.
constexpr DWORD kUnknownLoadError = 0x20000000;

using LookupFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);

enum class LoadFrom {
  kSystemFolder,  // the system folder only, never the current or the executable's folder
  kSearchPath,    // the normal search order; modules of our own family retry from our folder
};

class CLateLoadBase {
 public:
  constexpr CLateLoadBase(const wchar_t* module, LoadFrom from = LoadFrom::kSystemFolder, int dropChars = 0)
      : module_(module), from_(from), dropChars_(dropChars) {}
  // Frees the library when this object loaded it.
  virtual ~CLateLoadBase();
  // Writes "WRN: ..." lines to the debug output channel.
  virtual void Log(const wchar_t* format, ...);

  CLateLoadBase(const CLateLoadBase&) = delete;
  CLateLoadBase& operator=(const CLateLoadBase&) = delete;

  // Loads the library unless a handle is held or an earlier load failed. True while a handle
  // is held. While the loader lock is held only an already mapped library is taken, and a
  // miss is not remembered as a failure.
  bool Load() noexcept;
  // Looks a function up under its four name forms (see late_load.cpp) and publishes the
  // result into *entry and *state: kPresent or kMissing, or kNotLookedUp when the library
  // is not loaded. Returns the entry or null.
  void* Resolve(const char* name, int argBytes, void* volatile* entry, volatile LONG* state) noexcept;

  const wchar_t* ModuleName() const { return module_; }
  HMODULE Handle() const noexcept;
  DWORD LastError() const noexcept;
  // How often the library was asked of the system.
  LONG LoadAttemptsForTesting() const { return loadAttempts_; }
  // Replaces GetProcAddress for this library (null restores it).
  void SetLookupForTesting(LookupFn lookup) noexcept;
  // Forgets the handle (freeing it when owned), the error and the attempt count.
  void ResetForTesting() noexcept;

 protected:
  void LogV(const wchar_t* format, va_list args);

 private:
  bool LoadLocked(bool* warn) noexcept;
  HMODULE LoadModule(DWORD* error) noexcept;
  void WarnLoadFailed() noexcept;

  const wchar_t* module_;
  LoadFrom from_;
  int dropChars_;
  HMODULE handle_ = nullptr;
  DWORD error_ = 0;
  bool owned_ = false;
  LookupFn lookup_ = nullptr;  // null: GetProcAddress
  LONG loadAttempts_ = 0;
  SRWLOCK lock_ = SRWLOCK_INIT;
};

template <typename Fn>
class clsLateFunction {
 public:
  constexpr clsLateFunction(CLateLoadBase& library, const char* name, int argBytes)
      : library_(&library), name_(name), argBytes_(argBytes) {}
  clsLateFunction(const clsLateFunction&) = delete;
  clsLateFunction& operator=(const clsLateFunction&) = delete;

  // The entry, or null when the function (or its library) is not there.
  Fn Get() noexcept {
    const LONG state = __atomic_load_n(&state_, __ATOMIC_ACQUIRE);
    if (state == kPresent) return reinterpret_cast<Fn>(entry_);
    if (state == kMissing) return nullptr;
    return reinterpret_cast<Fn>(library_->Resolve(name_, argBytes_, &entry_, &state_));
  }
  explicit operator bool() noexcept { return Get() != nullptr; }
  LONG State() const noexcept { return __atomic_load_n(&state_, __ATOMIC_ACQUIRE); }
  const char* Name() const { return name_; }
  CLateLoadBase& Library() const { return *library_; }
  void ResetForTesting() noexcept {
    entry_ = nullptr;
    __atomic_store_n(&state_, kNotLookedUp, __ATOMIC_RELEASE);
  }

 private:
  CLateLoadBase* library_;
  const char* name_;
  int argBytes_;
  void* volatile entry_ = nullptr;
  volatile LONG state_ = kNotLookedUp;
};

// A function object is declared in a header with its pointer type and defined in the
// wrapper's .cpp with its library and the argument byte count of its 32-bit standard-call
// form; the lookup name is the object's name (the "p_" goes before the lookup).
#define OVUT_LATE_DECL(name, type) extern ::ovut::env::clsLateFunction<type> name
#define OVUT_LATE_DEF(library, name, argBytes) decltype(name) name(library, #name, argBytes)

// Facts recorded at attach: the Windows version as 0xMMmm (0x0600 is 6.0), and the
// terminal-services session id when the process runs in a remote session (else 0).
void RecordSystemFacts() noexcept;
WORD WindowsVersion() noexcept;
DWORD RemoteSessionId() noexcept;

// At detach: releases what the wrappers set up (debug-help symbols, GDI+).
void ShutdownLateLoad() noexcept;

}  // namespace ovut::env
