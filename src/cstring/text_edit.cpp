// Trimming, cutting and inserting in place.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "cstring/text.h"

namespace ovut::cstring {

wchar_t* Ltrim(wchar_t* text) {
  if (!text) return text;
  size_t lead = 0;
  while (text[lead] == L' ') ++lead;
  if (lead) memmove(text, text + lead, (wcslen(text + lead) + 1) * sizeof(wchar_t));
  return text;
}

int Rtrim(wchar_t* text) {
  if (!text) return 1;
  size_t n = wcslen(text), end = n;
  while (end && text[end - 1] == L' ') --end;
  text[end] = 0;
  return end < n ? 0 : 1;
}

wchar_t* Atrim(wchar_t* text) {
  Rtrim(text);
  return Ltrim(text);
}

// Positive positions count from 1; 0 and negative ones from the end (-2: the last two units).
int Substr(wchar_t* text, int position, int count) {
  if (!text) return 0;
  const long long length = static_cast<long long>(wcslen(text));
  const long long pos = position;
  if ((pos < 0 ? -pos : pos) > length) {
    text[0] = 0;
    return 0;
  }
  const long long start = pos > 0 ? pos - 1 : length + pos;
  const long long size = static_cast<long long>(count) + 1;  // the copy's size, terminator included
  if (size <= 0) return static_cast<int>(length);             // nothing is written, as for a size of 0
  Strncpy(text, text + start, size > length + 1 ? static_cast<int>(length + 1) : static_cast<int>(size));
  return static_cast<int>(wcslen(text));
}

wchar_t* Stuff(wchar_t* text, int position, int deleteCount, const wchar_t* insert) {
  if (!text) return text;
  const size_t length = wcslen(text);
  if (position <= 0 || static_cast<size_t>(position - 1) > length) return text;
  const size_t at = static_cast<size_t>(position - 1);
  size_t remove = deleteCount > 0 ? static_cast<size_t>(deleteCount) : 0;
  if (remove > length - at) remove = length - at;
  size_t rest = length - at - remove + 1;  // units behind the cut, terminator included
  memmove(text + at, text + at + remove, rest * sizeof(wchar_t));
  if (insert && *insert) {
    size_t n = wcslen(insert);
    memmove(text + at + n, text + at, rest * sizeof(wchar_t));
    memmove(text + at, insert, n * sizeof(wchar_t));
  }
  return text;
}

int SafeVsprintf(wchar_t* destination, int size, const wchar_t* format, va_list args) {
  if (!destination || size <= 0) return -1;
  if (!format) {
    destination[0] = 0;
    return -1;
  }
  // The runtime's formatter returns -1 when the output exceeds the count; one unit is kept
  // for the terminator, which it does not write when the output fills the count exactly.
  int n = _vsnwprintf(destination, static_cast<size_t>(size - 1), format, args);
  if (n < 0 || n > size - 1) {
    destination[size - 1] = 0;
    return -1;
  }
  destination[n] = 0;
  return n;
}

}  // namespace ovut::cstring
