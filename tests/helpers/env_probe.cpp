// Reports the process policy of OVUT19.DLL for the name it runs under (tests copy it under the
// names the rules know), or runs one check that needs a fresh process. Commands:
//   type       exit code = environment type * 10 + UI allowed
//   assert     UtilAssert(...) (ends the process with -1)
//   messages   0 when the first names of a fresh process get 0x8000 and 0x8001
//   exhaust    0 when the message range ends at 0xBFFF and a further name gets 0
#include <windows.h>

#include <cwchar>

#include "ovut19.h"

namespace {

int Messages() {
  if (UtilGetWindowMessage(L"alpha") != 0x8000) return 1;
  if (UtilGetWindowMessage(L"Beta") != 0x8001) return 2;
  if (UtilGetWindowMessage(L"BETA") != 0x8001 || UtilGetWindowMessage(L"alpha") != 0x8000) return 3;
  BSTR name = nullptr;
  if (!UtilGetWindowMessageName(0x8001, &name) || wcscmp(name, L"Beta") != 0) return 4;
  SysFreeString(name);
  return 0;
}

int Exhaust() {
  wchar_t name[32];
  for (UINT i = 0x8000; i <= 0xBFFF; ++i) {
    wsprintfW(name, L"m%u", i);
    if (UtilGetWindowMessage(name) != i) return 1;
  }
  if (UtilGetWindowMessage(L"one too many") != 0) return 2;
  if (UtilGetWindowMessage(L"M49151") != 0xBFFF) return 3;  // known names still answer
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* cmd = argc > 1 ? argv[1] : L"type";
  if (wcscmp(cmd, L"type") == 0)
    return static_cast<int>(UtilGetOSEnvironmentType() * 10 + (UtilGetUIInteractionAllowed() ? 1 : 0));
  if (wcscmp(cmd, L"assert") == 0) UtilAssert(L"count == 3", L"probe.cpp", 42);
  if (wcscmp(cmd, L"messages") == 0) return Messages();
  if (wcscmp(cmd, L"exhaust") == 0) return Exhaust();
  return 100;
}
