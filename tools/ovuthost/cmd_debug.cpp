// "debug": writes lines on the library's debug channel and says where they went.
#include <windows.h>

#include <string>

#include "command.h"
#include "ovut19.h"

namespace {

// The log file the channel writes to: HKLM\Software\Orvask "Debug.LogFilename"; a name without
// a folder lives in the library's temporary folder "%TEMP%".
std::wstring LogFileName() {
  wchar_t value[MAX_PATH] = L"";
  DWORD bytes = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Orvask", L"Debug.LogFilename", RRF_RT_REG_SZ, nullptr, value,
                   &bytes) != ERROR_SUCCESS || !value[0])
    return L"";
  std::wstring name = value;
  if (name.find_first_of(L"\\/:") == std::wstring::npos) {
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    GetLongPathNameW(temp, temp, MAX_PATH);
    (void)n;
    name = std::wstring(temp) + name;
  }
  return name;
}

int Debug(int argc, wchar_t** argv) {
  const wchar_t* text = argc > 1 ? argv[1] : L"hello from the demonstration host";
  ovuthost::Print(L"debug channel active: %s\n", UtilGetFlags() ? L"yes" : L"no (no viewer, no log file)");
  UtilDebugExt(L"OVUTHOST", 1, L"ovuthost starts a group of lines");
  UtilDebug(L"text: %s", text);
  UtilDebug(L"numbers: %d %08x %I64d", 42, 0xBEEF, 1234567890123LL);
  UtilDebugExt(L"OVUTHOST", -1, L"ovuthost ends the group");
  PasDebug(L"a plain text line through PasDebug");
  std::wstring log = LogFileName();
  if (log.empty()) {
    ovuthost::Print(L"log file: none (set HKLM\\Software\\Orvask \"Debug.LogFilename\" to get one)\n");
  } else {
    ovuthost::Print(L"log file: %s\n", log.c_str());
  }
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(debug, L"debug", L"[text]  write lines on the debug channel and show where the log went", Debug);
OVUTHOST_EXAMPLE(debug, L"\"some text\"");
