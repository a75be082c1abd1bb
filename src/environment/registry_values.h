// Small registry readers for the library's configuration values.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::env {

// "Software\Orvask": the key of machine-wide switches under HKEY_LOCAL_MACHINE and of per-user
// settings under the user root.
inline constexpr const wchar_t* kOrvaskKey = L"Software\\Orvask";

// A REG_SZ or REG_EXPAND_SZ value (not expanded), at most 64 KiB; false when missing or of
// another type.
bool ReadRegistryText(HKEY root, const wchar_t* subkey, const wchar_t* name, String& out) noexcept;
// A REG_DWORD value; false when missing or of another type.
bool ReadRegistryDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD& out) noexcept;
// A switch: a non-zero DWORD, or a text that is neither empty nor "0".
bool ReadRegistrySwitch(HKEY root, const wchar_t* subkey, const wchar_t* name) noexcept;

}  // namespace ovut::env
