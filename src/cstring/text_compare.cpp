#include <cwchar>

#include "cstring/text.h"

namespace ovut::cstring {
namespace {
const wchar_t* Text(const wchar_t* s) { return s ? s : L""; }
}  // namespace

int Strcmp(const wchar_t* a, const wchar_t* b) {
  a = Text(a);
  b = Text(b);
  while (*a && *a == *b) ++a, ++b;
  if (*a == *b) return 0;
  return *a < *b ? -1 : 1;
}

int Stricmp(const wchar_t* a, const wchar_t* b) { return _wcsicmp(Text(a), Text(b)); }

int Strncmp(const wchar_t* a, const wchar_t* b, int count) {
  return count > 0 ? wcsncmp(Text(a), Text(b), static_cast<size_t>(count)) : 0;
}

int Strnicmp(const wchar_t* a, const wchar_t* b, int count) {
  return count > 0 ? _wcsnicmp(Text(a), Text(b), static_cast<size_t>(count)) : 0;
}

wchar_t* Strchr(const wchar_t* text, wchar_t ch) { return text ? const_cast<wchar_t*>(wcschr(text, ch)) : nullptr; }

wchar_t* Strrchr(const wchar_t* text, wchar_t ch) {
  return text ? const_cast<wchar_t*>(wcsrchr(text, ch)) : nullptr;
}

wchar_t* Strstr(const wchar_t* text, const wchar_t* sought) {
  return text && sought ? const_cast<wchar_t*>(wcsstr(text, sought)) : nullptr;
}

}  // namespace ovut::cstring
