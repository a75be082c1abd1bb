// Owns the BSTRs a test hands to the exports.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

struct Bstr {
  BSTR b = nullptr;
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b); }
  std::wstring str() const { return b ? std::wstring(b, SysStringLen(b)) : L"<null>"; }
};
