// Owners of PROPVARIANT values: cleared when the owner ends, whatever path leaves the reader.
#pragma once
#include <windows.h>
#include <propidl.h>

#include <cstddef>

namespace docinfo {

// A fixed array of values filled by one ReadMultiple call.
template <size_t N>
class PropVariantArray {
 public:
  PropVariantArray() noexcept {
    for (auto& v : values_) PropVariantInit(&v);
  }
  ~PropVariantArray() { FreePropVariantArray(N, values_); }
  PropVariantArray(const PropVariantArray&) = delete;
  PropVariantArray& operator=(const PropVariantArray&) = delete;
  PROPVARIANT* Data() noexcept { return values_; }
  const PROPVARIANT& operator[](size_t i) const noexcept { return values_[i]; }
  static constexpr size_t Count() { return N; }

 private:
  PROPVARIANT values_[N];
};

// One value handed out by an interface (a filter's value chunk).
class PropVariantPtr {
 public:
  PropVariantPtr() = default;
  ~PropVariantPtr() { Reset(); }
  PropVariantPtr(const PropVariantPtr&) = delete;
  PropVariantPtr& operator=(const PropVariantPtr&) = delete;
  void Reset() noexcept {
    if (p_) {
      PropVariantClear(p_);
      CoTaskMemFree(p_);
      p_ = nullptr;
    }
  }
  PROPVARIANT** Put() noexcept { Reset(); return &p_; }
  const PROPVARIANT* Get() const noexcept { return p_; }

 private:
  PROPVARIANT* p_ = nullptr;
};

}  // namespace docinfo
