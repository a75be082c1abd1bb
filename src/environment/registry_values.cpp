#include "environment/registry_values.h"

#include "foundation/scoped_handle.h"

namespace ovut::env {

bool ReadRegistryText(HKEY root, const wchar_t* subkey, const wchar_t* name, String& out) noexcept {
  try {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 64 * 1024) return false;
    const DWORD units = bytes / sizeof(wchar_t);
    String value;
    wchar_t* buffer = value.GetBuffer(units + 1);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      bytes = 0;
    // The stored text need not be terminated, and may have changed since the size query.
    DWORD got = bytes / sizeof(wchar_t);
    buffer[got < units ? got : units] = 0;
    value.ReleaseBuffer();
    out = value;
    return true;
  } catch (...) {
    return false;
  }
}

bool ReadRegistryDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD& out) noexcept {
  UniqueRegKey key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD type = 0, value = 0, bytes = sizeof value;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof value)
    return false;
  out = value;
  return true;
}

bool ReadRegistrySwitch(HKEY root, const wchar_t* subkey, const wchar_t* name) noexcept {
  DWORD value = 0;
  if (ReadRegistryDword(root, subkey, name, value)) return value != 0;
  String text;
  return ReadRegistryText(root, subkey, name, text) && !text.IsEmpty() && text != L"0";
}

}  // namespace ovut::env
