// Path splitting and merging with the rules of the C runtime's secure path functions (fixed
// buffer sizes, every output emptied on an error), written out so that a part too long for
// its buffer is an error result rather than a call of the runtime's invalid-parameter handler.
#include <cerrno>
#include <cstring>
#include <cwchar>

#include "cstring/text.h"
#include <initializer_list>

namespace ovut::cstring {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

void Clear(wchar_t* drive, wchar_t* folder, wchar_t* name, wchar_t* extension) {
  for (wchar_t* p : {drive, folder, name, extension})
    if (p) *p = 0;
}

// Copies [from, to) into out (size units, terminator included) when it fits.
bool Put(wchar_t* out, size_t size, const wchar_t* from, const wchar_t* to) {
  if (!out) return true;
  size_t n = static_cast<size_t>(to - from);
  if (n >= size) return false;
  memcpy(out, from, n * sizeof(wchar_t));
  out[n] = 0;
  return true;
}

}  // namespace

int Splitpath(const wchar_t* path, wchar_t* drive, wchar_t* folder, wchar_t* name, wchar_t* extension) {
  if (!path) {
    Clear(drive, folder, name, extension);
    return EINVAL;
  }
  const wchar_t* p = path;
  const wchar_t* driveEnd = (p[0] && p[1] == L':') ? p + 2 : p;
  const wchar_t* end = p + wcslen(p);
  const wchar_t* folderEnd = driveEnd;  // behind the last separator
  for (const wchar_t* q = driveEnd; q < end; ++q)
    if (IsSeparator(*q)) folderEnd = q + 1;
  const wchar_t* dot = nullptr;
  for (const wchar_t* q = folderEnd; q < end; ++q)
    if (*q == L'.') dot = q;
  const wchar_t* nameEnd = dot ? dot : end;
  if (!Put(drive, kDriveSize, p, driveEnd) || !Put(folder, kPartSize, driveEnd, folderEnd) ||
      !Put(name, kPartSize, folderEnd, nameEnd) || !Put(extension, kPartSize, nameEnd, end)) {
    Clear(drive, folder, name, extension);
    return ERANGE;
  }
  return 0;
}

int Mergepath(wchar_t* destination, const wchar_t* drive, const wchar_t* folder, const wchar_t* name,
              const wchar_t* extension) {
  if (!destination) return EINVAL;
  wchar_t out[kMergedSize];
  size_t n = 0;
  bool fits = true;
  auto add = [&](wchar_t c) {
    if (n + 1 < kMergedSize) out[n++] = c;
    else fits = false;
  };
  if (drive && *drive) {
    add(drive[0]);
    add(L':');
  }
  if (folder && *folder) {
    for (const wchar_t* q = folder; *q && fits; ++q) add(*q);
    if (!IsSeparator(folder[wcslen(folder) - 1])) add(L'\\');
  }
  if (name)
    for (const wchar_t* q = name; *q && fits; ++q) add(*q);
  if (extension && *extension) {
    if (*extension != L'.') add(L'.');
    for (const wchar_t* q = extension; *q && fits; ++q) add(*q);
  }
  if (!fits) {
    destination[0] = 0;
    return ERANGE;
  }
  out[n] = 0;
  memcpy(destination, out, (n + 1) * sizeof(wchar_t));
  return 0;
}

void Fullpath(wchar_t* destination, const wchar_t* path, int size) {
  if (!destination || size <= 0) return;
  DWORD n = GetFullPathNameW(path && *path ? path : L".", static_cast<DWORD>(size), destination, nullptr);
  if (n == 0 || n >= static_cast<DWORD>(size)) destination[0] = 0;
}

}  // namespace ovut::cstring
