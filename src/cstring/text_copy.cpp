#include <cstring>
#include <cwchar>

#include "cstring/text.h"
#include "foundation/string.h"

namespace ovut::cstring {

int Strlen(const wchar_t* text) { return text ? static_cast<int>(wcslen(text)) : 0; }

wchar_t* Strcpy(wchar_t* destination, const wchar_t* source) {
  if (!destination) return destination;
  if (!source) source = L"";
  wchar_t* d = destination;
  while ((*d++ = *source++) != 0) {
  }
  return destination;
}

// Copies forward, so a source inside the destination further on (UtilSubstr) is safe.
wchar_t* Strncpy(wchar_t* destination, const wchar_t* source, int size) {
  if (!destination || size <= 0) return destination;
  if (!source) source = L"";
  int i = 0;
  for (; i < size - 1 && source[i]; ++i) destination[i] = source[i];
  destination[i] = 0;
  return destination;
}

wchar_t* Strcat(wchar_t* destination, const wchar_t* source) {
  if (!destination) return destination;
  Strcpy(destination + wcslen(destination), source ? source : L"");
  return destination;
}

void* Memcpy(void* destination, const void* source, int bytes) {
  if (destination && source && bytes > 0) memmove(destination, source, static_cast<size_t>(bytes));
  return destination;
}

void* Memset(void* destination, int value, int bytes) {
  if (destination && bytes > 0) memset(destination, value, static_cast<size_t>(bytes));
  return destination;
}

int CopyToBuffer(const wchar_t* text, int length, wchar_t* buffer, int size) {
  if (!text) text = L"", length = 0;
  if (length < 0) length = static_cast<int>(wcslen(text));
  if (!buffer || size <= 0) return length + 1;
  int n = length < size - 1 ? length : size - 1;
  memcpy(buffer, text, static_cast<size_t>(n) * sizeof(wchar_t));
  buffer[n] = 0;
  return n < length ? kTextCut : 0;
}

int CopyToBuffer(const String& text, wchar_t* buffer, int size) {
  return CopyToBuffer(text.c_str(), static_cast<int>(text.Length()), buffer, size);
}

}  // namespace ovut::cstring
