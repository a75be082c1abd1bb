// Checked operations on zero-terminated UTF-16 texts and raw memory. A null text reads as the
// empty text; a null destination, a size or count of 0 or below makes the call write nothing.
#pragma once
#include <windows.h>
#include <cstdarg>

class String;

namespace ovut::cstring {

// Copy, append
int Strlen(const wchar_t* text);
wchar_t* Strcpy(wchar_t* destination, const wchar_t* source);
wchar_t* Strncpy(wchar_t* destination, const wchar_t* source, int size);  // size - 1 units, terminated
wchar_t* Strcat(wchar_t* destination, const wchar_t* source);
void* Memcpy(void* destination, const void* source, int bytes);  // overlapping ranges are fine
void* Memset(void* destination, int value, int bytes);

// Compare (unit values: -1, 0, 1; the others as the C runtime), search
int Strcmp(const wchar_t* a, const wchar_t* b);
int Stricmp(const wchar_t* a, const wchar_t* b);
int Strncmp(const wchar_t* a, const wchar_t* b, int count);
int Strnicmp(const wchar_t* a, const wchar_t* b, int count);
wchar_t* Strchr(const wchar_t* text, wchar_t ch);
wchar_t* Strrchr(const wchar_t* text, wchar_t ch);
wchar_t* Strstr(const wchar_t* text, const wchar_t* sought);

// In-place editing
wchar_t* Ltrim(wchar_t* text);
int Rtrim(wchar_t* text);       // 0 when blanks were removed, else 1
wchar_t* Atrim(wchar_t* text);
int Substr(wchar_t* text, int position, int count);  // returns the new length
wchar_t* Stuff(wchar_t* text, int position, int deleteCount, const wchar_t* insert);

// Bounded formatting: units written, or -1 when cut (the cut text is terminated).
int SafeVsprintf(wchar_t* destination, int size, const wchar_t* format, va_list args);

// Locale (user default locale)
wchar_t* LocaleUpper(wchar_t* text);
wchar_t* LocaleLower(wchar_t* text);
int LocaleCompare(const wchar_t* a, const wchar_t* b, bool ignoreCase);            // -1, 0, 1; -2 failed
int LocaleCompareN(const wchar_t* a, const wchar_t* b, int count, bool ignoreCase);  // -1, 0, 1

// Paths. Split and merge return 0, EINVAL or ERANGE (then every output is emptied).
constexpr int kDriveSize = 3, kPartSize = 256, kMergedSize = 260;
int Splitpath(const wchar_t* path, wchar_t* drive, wchar_t* folder, wchar_t* name, wchar_t* extension);
int Mergepath(wchar_t* destination, const wchar_t* drive, const wchar_t* folder, const wchar_t* name,
              const wchar_t* extension);
void Fullpath(wchar_t* destination, const wchar_t* path, int size);

// Text into a caller's buffer: with a null buffer or size 0 the size needed (length + 1);
// otherwise at most size - 1 units, terminated, and -44 when it did not fit, else 0.
constexpr int kTextCut = -44;
int CopyToBuffer(const wchar_t* text, int length, wchar_t* buffer, int size);
int CopyToBuffer(const String& text, wchar_t* buffer, int size);

}  // namespace ovut::cstring
