// Move-only owners for Win32 resources. One owner per resource; the closing call is
// named by the type, so an early return can never skip it.
#pragma once
#include <windows.h>
#include <utility>

namespace ovut {

template <typename Traits>
class ScopedResource {
 public:
  using Type = typename Traits::Type;
  ScopedResource() noexcept : value_(Traits::Invalid()) {}
  explicit ScopedResource(Type v) noexcept : value_(v) {}
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;
  ScopedResource(ScopedResource&& o) noexcept : value_(o.release()) {}
  ScopedResource& operator=(ScopedResource&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~ScopedResource() { reset(); }

  bool valid() const noexcept { return Traits::IsValid(value_); }
  explicit operator bool() const noexcept { return valid(); }
  Type get() const noexcept { return value_; }
  Type release() noexcept { Type v = value_; value_ = Traits::Invalid(); return v; }
  // Closing keeps the caller's last error: the owner is often reset on a failure path.
  void reset(Type v = Traits::Invalid()) noexcept {
    if (Traits::IsValid(value_)) {
      DWORD err = GetLastError();
      Traits::Close(value_);
      SetLastError(err);
    }
    value_ = v;
  }
  Type* put() noexcept { reset(); return &value_; }

 private:
  Type value_;
};

struct KernelHandleTraits {  // CreateFile style: INVALID_HANDLE_VALUE and NULL both mean none
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindClose(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};
struct MapViewTraits {
  using Type = void*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type p) { return p != nullptr; }
  static void Close(Type p) { ::UnmapViewOfFile(p); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::FreeLibrary(h); }
};
struct GlobalMemTraits {
  using Type = HGLOBAL;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::GlobalFree(h); }
};
struct LocalMemTraits {
  using Type = HLOCAL;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::LocalFree(h); }
};

using UniqueHandle = ScopedResource<KernelHandleTraits>;
using UniqueFindHandle = ScopedResource<FindHandleTraits>;
using UniqueRegKey = ScopedResource<RegKeyTraits>;
using UniqueMapView = ScopedResource<MapViewTraits>;
using UniqueModule = ScopedResource<ModuleTraits>;
using UniqueGlobal = ScopedResource<GlobalMemTraits>;
using UniqueLocal = ScopedResource<LocalMemTraits>;

}  // namespace ovut
