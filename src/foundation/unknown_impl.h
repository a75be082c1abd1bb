// clsIUnknownImpl: the reference count of the library's COM objects. A new object holds one
// reference (its creator's); the last Release deletes it. Subclasses that add interfaces
// override QueryInterface and answer IUnknown with their primary interface pointer.
#pragma once
#include <windows.h>
#include <unknwn.h>

class clsIUnknownImpl {
 public:
  clsIUnknownImpl() = default;
  clsIUnknownImpl(const clsIUnknownImpl&) = delete;
  clsIUnknownImpl& operator=(const clsIUnknownImpl&) = delete;

  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOINTERFACE;
  }
  virtual ULONG STDMETHODCALLTYPE AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  virtual ULONG STDMETHODCALLTYPE Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  virtual ~clsIUnknownImpl() = default;

  LONG RefCount() const { return refs_; }

 private:
  volatile LONG refs_ = 1;
};
