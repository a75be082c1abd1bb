// Profile text value entry points.
#include <cwchar>
#include <vector>

#include "exports/prof_guard.h"
#include "ovut19/prof.h"
#include "profile/string_ops.h"

using namespace ovut::profile;

namespace {

// The wide text into the caller's narrow buffer of `size` bytes, cut to size - 1 bytes.
void NarrowInto(const wchar_t* text, char* buffer, int size) {
  UINT cp = String::DefaultCodePage();
  int needed = WideCharToMultiByte(cp, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed > 0 && needed <= size) {
    WideCharToMultiByte(cp, 0, text, -1, buffer, size, nullptr, nullptr);
    return;
  }
  int copied = 0;
  if (needed > 0) {
    std::vector<char> all(static_cast<size_t>(needed));
    WideCharToMultiByte(cp, 0, text, -1, all.data(), needed, nullptr, nullptr);
    copied = size - 1;
    memcpy(buffer, all.data(), static_cast<size_t>(copied));
  }
  buffer[copied] = 0;
}

}  // namespace

extern "C" {

int WINAPI ProfGetStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPWSTR buffer, int size, LPCWSTR defaultText) {
  return GetString(job, list, name, buffer, size, defaultText);
}

// `size` is both the units of the wide buffer and the bytes of the caller's buffer.
int WINAPI ProfGetStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPSTR buffer, int size, LPCSTR defaultText) {
  return Guarded<int>(0, [&] {
    clsAnsiArg wideName(name), wideDefault(defaultText);
    if (!buffer || size <= 0) return GetString(job, list, wideName.Wide(), nullptr, 0, nullptr);
    // The wide buffer only needs room for the longer of value and default, not for `size`.
    int length = GetString(job, list, wideName.Wide(), nullptr, 0, nullptr);
    size_t longest = wcslen(wideDefault.Wide());
    if (length > 0 && static_cast<size_t>(length) > longest) longest = static_cast<size_t>(length);
    int wideSize = longest + 1 < static_cast<size_t>(size) ? static_cast<int>(longest + 1) : size;
    std::vector<wchar_t> wide(static_cast<size_t>(wideSize));
    int result = GetString(job, list, wideName.Wide(), wide.data(), wideSize, wideDefault.Wide());
    NarrowInto(wide.data(), buffer, size);
    return result;
  });
}

int WINAPI ProfGetStringLengthW(HPROFJOB job, HPROFLIST list, LPCWSTR name) { return GetStringLength(job, list, name); }

int WINAPI ProfGetStringLengthA(HPROFJOB job, HPROFLIST list, LPCSTR name) {
  return Guarded<int>(0, [&] { return GetStringLength(job, list, clsAnsiArg(name).Wide()); });
}

void WINAPI ProfSetStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR value) {
  WriteString(job, list, name, value, false);
}

void WINAPI ProfSetStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR value) {
  Guarded([&] { WriteString(job, list, clsAnsiArg(name).Wide(), clsAnsiArg(value).Wide(), false); });
}

void WINAPI ProfAppendStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR value) {
  WriteString(job, list, name, value, true);
}

void WINAPI ProfAppendStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR value) {
  Guarded([&] { WriteString(job, list, clsAnsiArg(name).Wide(), clsAnsiArg(value).Wide(), true); });
}

}  // extern "C"
