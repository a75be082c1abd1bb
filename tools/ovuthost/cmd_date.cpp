// "date TEXT [LCID]": reads locale date text and shows the SYSTEMTIME, the compact form and the
// locale text back. "maildate TEXT": reads a mail header date.
#include <windows.h>
#include <oleauto.h>

#include <cwchar>

#include "command.h"
#include "ovut19.h"

namespace {

void PrintSystemTime(const SYSTEMTIME& t) {
  ovuthost::Print(L"SYSTEMTIME:   year %u, month %u, day %u, %02u:%02u:%02u.%03u, day of week %u\n", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
}

int Date(int argc, wchar_t** argv) {
  if (argc < 2) {
    ovuthost::Print(L"usage: date TEXT [LCID]   (LCID as 0x0407 or 1031; default: the user's locale)\n");
    return 2;
  }
  const LCID lcid = argc > 2 ? static_cast<LCID>(wcstoul(argv[2], nullptr, 0)) : LOCALE_USER_DEFAULT;
  BSTR text = SysAllocString(argv[1]);
  SYSTEMTIME t;
  const int rc = UtilLocSystemTimeFromLocaleString(lcid, text, &t, TRUE);
  SysFreeString(text);
  ovuthost::Print(L"locale:       0x%04lx\nresult:       %d%s\n", static_cast<unsigned long>(lcid), rc,
                  rc == UTIL_LOC_DATE_UNREADABLE ? L" (no valid date)" : L"");
  if (rc != 0) return 1;
  PrintSystemTime(t);
  wchar_t compact[16];
  swprintf(compact, 16, L"%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  ovuthost::Print(L"compact:      %s\n", compact);
  VARIANT back;
  VariantInit(&back);
  UtilLocLocaleStringFromSystemTime(lcid, &t, &back);
  ovuthost::Print(L"locale text:  %s\n", V_VT(&back) == VT_BSTR ? V_BSTR(&back) : L"");
  VariantClear(&back);
  wchar_t user[100];
  if (UtilDateTimeToLocaleString(compact, user, 100) == 1) ovuthost::Print(L"user locale:  %s\n", user);
  return 0;
}

int MailDate(int argc, wchar_t** argv) {
  if (argc < 2) {
    ovuthost::Print(L"usage: maildate TEXT   (for example \"Tue, 5 Mar 2024 10:00:00 +0200\")\n");
    return 2;
  }
  SYSTEMTIME t;
  UtilLocDateTimeToSYSTEMTIME(argv[1], &t);
  PrintSystemTime(t);
  if (t.wDayOfWeek != 0xFFFF) ovuthost::Print(L"(the text named a zone: the time is UTC)\n");
  return t.wYear ? 0 : 1;
}

}  // namespace

OVUTHOST_COMMAND(date, L"date", L"TEXT [LCID]  read locale date text: SYSTEMTIME, compact form, text back", Date);
OVUTHOST_COMMAND(maildate, L"maildate", L"TEXT  read a mail header date", MailDate);
OVUTHOST_EXAMPLE(date, L"\"5.3.2024 14:30\" 0x0407");
OVUTHOST_EXAMPLE(maildate, L"\"Tue, 5 Mar 2024 10:00:00 +0200\"");
