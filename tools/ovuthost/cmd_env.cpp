// "env": how the library classifies this process, and a few folder tokens expanded.
#include <windows.h>

#include "command.h"
#include "ovut19.h"

namespace {

const wchar_t* TypeName(DWORD type) {
  switch (type) {
    case 1: return L"interactive";
    case 3: return L"non-interactive (service)";
    case 4: return L"system or web server";
    default: return L"unknown";
  }
}

int Env(int argc, wchar_t** argv) {
  DWORD type = UtilGetOSEnvironmentType();
  ovuthost::Print(L"environment type: %lu (%s)\n", type, TypeName(type));
  ovuthost::Print(L"UI allowed:       %s\n", UtilGetUIInteractionAllowed() ? L"yes" : L"no");
  ovuthost::Print(L"version:          %d.%d\n", UtilGetVersion(1), UtilGetVersion(2));
  ovuthost::Print(L"language number:  %lu\n", UtilLanguageGet());
  ovuthost::Print(L"message 'ovuthost.demo': 0x%X\n", UtilGetWindowMessage(L"ovuthost.demo"));
  static const wchar_t* defaults[] = {L"%PERSONAL%\\Reports", L"%APPDATA%\\Orvask", L"%DESKTOP%",
                                      L"%TEMP%\\x", L"%NOSUCHFOLDER%\\x", L"C:\\Data"};
  const wchar_t* const* paths = argc > 1 ? argv + 1 : defaults;
  int count = argc > 1 ? argc - 1 : static_cast<int>(sizeof defaults / sizeof *defaults);
  BSTR out = nullptr;
  for (int i = 0; i < count; ++i) {
    UtilExpandDefaultTokensOfFolderPath(paths[i], &out, nullptr);
    ovuthost::Print(L"  %-22s -> %s\n", paths[i], out ? out : L"");
  }
  SysFreeString(out);
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(env, L"env", L"[PATH...]: environment type, UI policy, language and expanded folder tokens", Env);
OVUTHOST_EXAMPLE(env, L"%PERSONAL%\\Reports");
