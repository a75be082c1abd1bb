// clsAutoRelease: holder of one COM reference, released when the holder ends.
#pragma once
#include <windows.h>
#include <unknwn.h>

template <typename T>
class clsAutoRelease {
 public:
  clsAutoRelease() = default;
  // Takes over a reference the caller already owns.
  explicit clsAutoRelease(T* p) : p_(p) {}
  clsAutoRelease(const clsAutoRelease& o) : p_(o.p_) { if (p_) p_->AddRef(); }
  clsAutoRelease(clsAutoRelease&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  clsAutoRelease& operator=(clsAutoRelease o) noexcept { T* t = p_; p_ = o.p_; o.p_ = t; return *this; }
  ~clsAutoRelease() { Reset(); }

  static clsAutoRelease AddRefOf(T* p) { if (p) p->AddRef(); return clsAutoRelease(p); }
  void Reset(T* p = nullptr) { if (p_) p_->Release(); p_ = p; }
  T* Detach() { T* p = p_; p_ = nullptr; return p; }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T** Put() { Reset(); return &p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};
