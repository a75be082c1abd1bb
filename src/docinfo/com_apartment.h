// CoInitializeEx ... CoUninitialize for the span of one reader run on a thread that may not have
// entered COM yet. A thread already in another apartment keeps it (RPC_E_CHANGED_MODE): COM is
// usable there all the same, and only a successful call is paired.
#pragma once
#include <windows.h>
#include <objbase.h>

namespace docinfo {

class ComApartment {
 public:
  ComApartment() noexcept : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Usable() const noexcept { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace docinfo
