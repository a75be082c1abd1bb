// Text handed back through a caller's BSTR variable: allocated when the variable holds null,
// otherwise reallocated in place; the caller frees it.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "foundation/string.h"

namespace ovut {

// False (and the variable unchanged) when no memory could be had.
inline bool StoreBSTR(BSTR* target, const wchar_t* text, uint32_t length) noexcept {
  if (!target) return false;
  if (!*target) {
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh) return false;
    *target = fresh;
    return true;
  }
  return SysReAllocStringLen(target, text, length) != FALSE;
}

inline bool StoreBSTR(BSTR* target, const String& text) noexcept {
  return StoreBSTR(target, text.c_str(), text.Length());
}

}  // namespace ovut
