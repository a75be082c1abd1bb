// Checked string, memory, locale and path entry points.
#include <cstdarg>

#include "cstring/fs_info.h"
#include "cstring/text.h"
#include "exports/export_guard.h"
#include "ovut19/cstring.h"

namespace cs = ovut::cstring;
using ovut::exports::Guarded;

extern "C" {

int WINAPI UtilStrlen(LPCWSTR text) {
  return Guarded<int>(0, [&] { return cs::Strlen(text); });
}
LPWSTR WINAPI UtilStrcpy(LPWSTR destination, LPCWSTR source) {
  return Guarded<LPWSTR>(destination, [&] { return cs::Strcpy(destination, source); });
}
LPWSTR WINAPI UtilStrncpy(LPWSTR destination, LPCWSTR source, int size) {
  return Guarded<LPWSTR>(destination, [&] { return cs::Strncpy(destination, source, size); });
}
LPWSTR WINAPI UtilStrcat(LPWSTR destination, LPCWSTR source) {
  return Guarded<LPWSTR>(destination, [&] { return cs::Strcat(destination, source); });
}
int WINAPI UtilStrcmp(LPCWSTR text1, LPCWSTR text2) {
  return Guarded<int>(0, [&] { return cs::Strcmp(text1, text2); });
}
int WINAPI UtilStricmp(LPCWSTR text1, LPCWSTR text2) {
  return Guarded<int>(0, [&] { return cs::Stricmp(text1, text2); });
}
int WINAPI UtilStrncmp(LPCWSTR text1, LPCWSTR text2, int count) {
  return Guarded<int>(0, [&] { return cs::Strncmp(text1, text2, count); });
}
int WINAPI UtilStrnicmp(LPCWSTR text1, LPCWSTR text2, int count) {
  return Guarded<int>(0, [&] { return cs::Strnicmp(text1, text2, count); });
}
LPWSTR WINAPI UtilStrchr(LPCWSTR text, WCHAR ch) {
  return Guarded<LPWSTR>(nullptr, [&] { return cs::Strchr(text, ch); });
}
LPWSTR WINAPI UtilStrrchr(LPCWSTR text, WCHAR ch) {
  return Guarded<LPWSTR>(nullptr, [&] { return cs::Strrchr(text, ch); });
}
LPWSTR WINAPI UtilStrstr(LPCWSTR text, LPCWSTR sought) {
  return Guarded<LPWSTR>(nullptr, [&] { return cs::Strstr(text, sought); });
}
void* WINAPI UtilMemcpy(void* destination, const void* source, int bytes) {
  return Guarded<void*>(destination, [&] { return cs::Memcpy(destination, source, bytes); });
}
void* WINAPI UtilMemset(void* destination, int value, int bytes) {
  return Guarded<void*>(destination, [&] { return cs::Memset(destination, value, bytes); });
}

LPWSTR WINAPI UtilLtrim(LPWSTR text) {
  return Guarded<LPWSTR>(text, [&] { return cs::Ltrim(text); });
}
int WINAPI UtilRtrim(LPWSTR text) {
  return Guarded<int>(1, [&] { return cs::Rtrim(text); });
}
LPWSTR WINAPI UtilAtrim(LPWSTR text) {
  return Guarded<LPWSTR>(text, [&] { return cs::Atrim(text); });
}
int WINAPI UtilSubstr(LPWSTR text, int position, int count) {
  return Guarded<int>(0, [&] { return cs::Substr(text, position, count); });
}
LPWSTR WINAPI UtilStuff(LPWSTR text, int position, int deleteCount, LPCWSTR insert) {
  return Guarded<LPWSTR>(text, [&] { return cs::Stuff(text, position, deleteCount, insert); });
}

int __cdecl UtilSafeSprintf(LPWSTR destination, int size, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = Guarded<int>(-1, [&] { return cs::SafeVsprintf(destination, size, format, args); });
  va_end(args);
  return n;
}

LPWSTR WINAPI UtilLocaleStrupr(LPWSTR text) {
  return Guarded<LPWSTR>(text, [&] { return cs::LocaleUpper(text); });
}
LPWSTR WINAPI UtilLocaleStrlwr(LPWSTR text) {
  return Guarded<LPWSTR>(text, [&] { return cs::LocaleLower(text); });
}
int WINAPI UtilLocaleStrcmp(LPCWSTR text1, LPCWSTR text2) {
  return Guarded<int>(0, [&] { return cs::LocaleCompare(text1, text2, false); });
}
int WINAPI UtilLocaleStricmp(LPCWSTR text1, LPCWSTR text2) {
  return Guarded<int>(0, [&] { return cs::LocaleCompare(text1, text2, true); });
}
int WINAPI UtilLocaleStrncmp(LPCWSTR text1, LPCWSTR text2, int count) {
  return Guarded<int>(0, [&] { return cs::LocaleCompareN(text1, text2, count, false); });
}
int WINAPI UtilLocaleStrnicmp(LPCWSTR text1, LPCWSTR text2, int count) {
  return Guarded<int>(0, [&] { return cs::LocaleCompareN(text1, text2, count, true); });
}

int WINAPI UtilSplitpath(LPCWSTR path, LPWSTR drive, LPWSTR folder, LPWSTR name, LPWSTR extension) {
  return Guarded<int>(-1, [&] { return cs::Splitpath(path, drive, folder, name, extension); });
}
int WINAPI UtilMergepath(LPWSTR destination, LPCWSTR drive, LPCWSTR folder, LPCWSTR name, LPCWSTR extension) {
  return Guarded<int>(-1, [&] { return cs::Mergepath(destination, drive, folder, name, extension); });
}
void WINAPI UtilFullpath(LPWSTR destination, LPCWSTR path, int size) {
  Guarded([&] { cs::Fullpath(destination, path, size); });
}
int WINAPI UtilGetFSInfo(LPCWSTR root, scFSInfo* info) {
  return Guarded<int>(-1, [&] { return cs::GetFSInfo(root, info) ? 0 : -1; });
}

}  // extern "C"
