// "whoami" and "grant": the current user as the library sees it, and explicit file access.
#include <windows.h>
#include <accctrl.h>

#include <cwchar>
#include <cstdlib>

#include "command.h"
#include "ovut19.h"

namespace {

void PrintList(const wchar_t* title, BSTR text) {
  ovuthost::Print(L"%s\n", title);
  if (!text || !*text) return;
  const wchar_t* p = text;
  for (;;) {
    const wchar_t* tab = wcschr(p, L'\t');
    ovuthost::Print(L"  %.*s\n", static_cast<int>(tab ? tab - p : wcslen(p)), p);
    if (!tab) break;
    p = tab + 1;
  }
}

int WhoAmI(int, wchar_t**) {
  BSTR account = nullptr, sid = nullptr, groups = nullptr, back = nullptr;
  int rc = UtilGetCurrentUserDomainSID(&account, &sid);
  ovuthost::Print(L"account:  %s\n", account ? account : L"<unknown>");
  ovuthost::Print(L"SID text: %s\n", sid ? sid : L"<unknown>");
  if (sid && UtilGetUserOfSID(sid, &back) == 0) ovuthost::Print(L"SID text names: %s\n", back);
  int grc = UtilGetListOfNames(2, &groups);
  PrintList(L"groups:", groups);
  SysFreeString(account);
  SysFreeString(sid);
  SysFreeString(groups);
  SysFreeString(back);
  return rc != 0 ? rc : grc;
}

// RIGHTS: "read", "write", "full" or a number (0x... for hexadecimal).
bool ParseRights(const wchar_t* text, DWORD& mask) {
  if (_wcsicmp(text, L"read") == 0) mask = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
  else if (_wcsicmp(text, L"write") == 0) mask = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE;
  else if (_wcsicmp(text, L"full") == 0) mask = FILE_ALL_ACCESS;
  else {
    wchar_t* end = nullptr;
    mask = wcstoul(text, &end, 0);
    return end && end != text && *end == 0;
  }
  return true;
}

int Grant(int argc, wchar_t** argv) {
  DWORD mask = 0;
  if (argc != 4 || !ParseRights(argv[3], mask)) {
    ovuthost::Print(L"usage: grant PATH ACCOUNT read|write|full|MASK\n");
    return 2;
  }
  DWORD attributes = GetFileAttributesW(argv[1]);
  DWORD inheritance = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                          ? SUB_CONTAINERS_AND_OBJECTS_INHERIT
                          : NO_INHERITANCE;
  int rc = UtilAddAccessRights(argv[1], argv[2], mask, inheritance);
  ovuthost::Print(L"UtilAddAccessRights(%s, %s, 0x%lX) = %d\n", argv[1], argv[2], mask, rc);
  return rc == 0 ? 0 : 1;
}

}  // namespace

OVUTHOST_COMMAND(whoami, L"whoami", L"the current user's account, SID text and groups", WhoAmI);
OVUTHOST_COMMAND(grant, L"grant", L"PATH ACCOUNT read|write|full|MASK: give an account explicit access", Grant);
OVUTHOST_EXAMPLE(whoami, L"");
OVUTHOST_EXAMPLE(grant, L"settings-copy.prf Everyone read");
