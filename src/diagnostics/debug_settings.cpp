#include "diagnostics/debug_settings.h"

#include "foundation/temp_folder.h"

namespace ovut::debug {
namespace {

const wchar_t kMachineKey[] = L"software\\orvask";

// A text value (REG_SZ, or REG_EXPAND_SZ expanded); empty when missing.
String ReadText(HKEY root, const wchar_t* subkey, const wchar_t* name) {
  UniqueRegKey key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return String();
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return String();
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 64 * 1024) return String();
  String value;
  DWORD units = bytes / sizeof(wchar_t);
  wchar_t* buffer = value.GetBuffer(units + 1);
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
    bytes = 0;
  buffer[bytes / sizeof(wchar_t) < units + 1 ? bytes / sizeof(wchar_t) : units] = 0;
  value.ReleaseBuffer();
  if (type == REG_EXPAND_SZ && !value.IsEmpty()) {
    wchar_t expanded[MAX_PATH * 2];
    DWORD n = ExpandEnvironmentStringsW(value, expanded, MAX_PATH * 2);
    if (n && n <= MAX_PATH * 2) value = expanded;
  }
  return value;
}

// A switch: a non-zero DWORD, or a text that is neither empty nor "0".
bool ReadSwitch(HKEY root, const wchar_t* subkey, const wchar_t* name) {
  UniqueRegKey key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD type = 0, value = 0, bytes = sizeof value;
  LONG rc = RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes);
  if (rc == ERROR_SUCCESS && type == REG_DWORD) return value != 0;
  String text = ReadText(root, subkey, name);
  return !text.IsEmpty() && text != L"0";
}

bool HasFolder(const String& name) {
  for (uint32_t i = 0; i < name.Length(); ++i) {
    wchar_t c = name.At(i);
    if (c == L'\\' || c == L'/' || c == L':') return true;
  }
  return false;
}

}  // namespace

LogSettings ReadLogSettings() {
  LogSettings s;
  s.fileName = ReadText(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFilename");
  s.fileName.Trim();
  if (!s.fileName.IsEmpty() && !HasFolder(s.fileName)) s.fileName = TempFolder(true) + s.fileName;
  s.flush = ReadSwitch(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFile.Flush");
  return s;
}

bool ReadForcePerfCounters() {
  clsUserRoot root;
  String value = ReadText(root.get(), L"SOFTWARE\\orvask", L"ForceUsePerfCounters");
  // An empty text is treated like a missing value.
  return !value.IsEmpty() && value != L"F" && value != L"0";
}

}  // namespace ovut::debug
