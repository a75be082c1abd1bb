// Text production: resource messages, system error texts, UTF-8 decoding, locale data;
// and the process-wide facts that String decides once.
#include <cwchar>

#include "diagnostics/debug_output.h"
#include "environment/late_kernel32.h"
#include "foundation/string.h"

namespace ovut {
namespace {
// Three-state facts: 0 not yet decided, 1 yes, 2 no. Racing threads decide the same value.
volatile LONG g_debugger = 0;
volatile LONG g_developer = 0;
volatile LONG g_uiLanguage = -1;
// The developer diagnostics switch: environment variable "user" equal to this, ignoring case.
const wchar_t kDeveloperId[] = L"oxd";
}  // namespace

bool DebuggerAttached() {
  if (g_debugger == 0) InterlockedExchange(&g_debugger, IsDebuggerPresent() ? 1 : 2);
  return g_debugger == 1;
}

bool DeveloperDiagnostics() {
  if (g_developer == 0) {
    wchar_t value[9];
    DWORD n = GetEnvironmentVariableW(L"user", value, 9);
    bool on = n == 3 && _wcsicmp(value, kDeveloperId) == 0;
    InterlockedExchange(&g_developer, on ? 1 : 2);
  }
  return g_developer == 1;
}

LANGID UILanguage() {
  if (g_uiLanguage < 0) {
    auto fn = env::p_GetUserDefaultUILanguage.Get();
    InterlockedExchange(&g_uiLanguage, fn ? fn() : GetUserDefaultLangID());
  }
  return static_cast<LANGID>(g_uiLanguage);
}
}  // namespace ovut

String String::ErrorText(DWORD code, DWORD languageId) {
  String s;
  wchar_t* buf = s.GetBuffer(256 + 7);  // a 264-unit buffer
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, languageId,
                           buf, 256, nullptr);
  if (n == 0 && languageId != 0)  // the system may lack that language: take its default
    n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf, 256, nullptr);
  buf[n < 256 ? n : 255] = 0;
  s.ReleaseBuffer();
  if (s.IsEmpty()) return Formatted(L"(error code %#08lx)", static_cast<unsigned long>(code));
  while (!s.IsEmpty() && (s.At(s.Length() - 1) == L'\r' || s.At(s.Length() - 1) == L'\n')) s.Delete(s.Length() - 1, 1);
  s.Append(Formatted(L" (%08lx)", static_cast<unsigned long>(code)));
  return s;
}

String String::Message(HMODULE module, UINT id, ...) {
  String text;
  LANGID lang = ovut::UILanguage();
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), lang);
  if (block) {
    HGLOBAL loaded = LoadResource(module, block);
    DWORD bytes = SizeofResource(module, block);
    const wchar_t* p = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    const wchar_t* end = p ? p + bytes / sizeof(wchar_t) : nullptr;
    for (UINT i = 0; p && p < end && i < 16; ++i) {
      UINT len = *p++;
      if (len > static_cast<UINT>(end - p)) break;  // damaged table
      if (i == id % 16) {
        text = String(p, 0, static_cast<int>(len));
        break;
      }
      p += len;
    }
  } else {
    wchar_t* buf = text.GetBuffer(4096);
    int n = LoadStringW(module, id, buf, 4096);
    buf[n > 0 ? n : 0] = 0;
    text.ReleaseBuffer();
  }
  if (text.IsEmpty()) {
    if (ovut::DeveloperDiagnostics()) {
      DWORD err = GetLastError();
      wchar_t name[MAX_PATH] = L"";
      GetModuleFileNameW(module, name, MAX_PATH);
      ovut::debug::Warning(L"String::Message(): String ressource %d not found in %s: '%s'", id, name,
                           ErrorText(err).c_str());
    }
    return text;
  }
  va_list args;
  va_start(args, id);
  wchar_t* out = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING, text.c_str(), 0, 0,
                           reinterpret_cast<wchar_t*>(&out), 0, &args);
  va_end(args);
  if (n && out) {
    String formatted(out);
    LocalFree(out);
    return formatted;
  }
  if (out) LocalFree(out);
  return text;
}

namespace {
// Shared by both FromUTF8 forms: `byteAt(i)` yields the low byte of unit i.
template <typename ByteAt>
String DecodeUTF8(uint32_t count, ByteAt byteAt) {
  static const uint32_t kSmallest[7] = {0, 0, 0x7F, 0x7FF, 0xFFFF, 0x1FFFFF, 0x3FFFFFF};
  String out;
  out.GetBuffer(count);  // never longer than its input
  out.ReleaseBuffer();
  for (uint32_t i = 0; i < count; ++i) {
    unsigned b = byteAt(i);
    if (b < 0x80) {
      if (b) out.Append(static_cast<wchar_t>(b));
      continue;
    }
    int n = 0;
    while (n < 8 && (b & (0x80u >> n))) ++n;
    if (n == 1 || n > 6) return String(L"invalid UTF-8 sequence found!");
    uint32_t value = b & ((1u << (6 - (n - 1))) - 1);
    for (int k = 1; k < n; ++k) {
      if (i + 1 >= count) return String(L"invalid UTF-8 sequence found!");
      unsigned c = byteAt(++i);
      if ((c & 0xC0) != 0x80) return String(L"invalid UTF-8 sequence found!");
      value = (value << 6) | (c & 0x3F);
    }
    if (value <= kSmallest[n]) return String(L"invalid UTF-8 encoding!");
    if (value > 0xFFFF) return String(L"UCS-4 not supported!");
    if (value) out.Append(static_cast<wchar_t>(value));
  }
  return out;
}
}  // namespace

String String::FromUTF8(const String& bytes) {
  const wchar_t* p = bytes.c_str();
  return DecodeUTF8(bytes.Length(), [p](uint32_t i) { return static_cast<unsigned>(p[i] & 0xFF); });
}

String String::FromUTF8(const char* utf8, int count) {
  if (!utf8) return String();
  uint32_t n = count < 0 ? static_cast<uint32_t>(strlen(utf8)) : static_cast<uint32_t>(count);
  return DecodeUTF8(n, [utf8](uint32_t i) { return static_cast<unsigned>(static_cast<unsigned char>(utf8[i])); });
}

String String::LocaleInfo(LCTYPE type) {
  wchar_t buf[256];
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 256);
  if (n <= 0) return String();
  return String(buf, 0, n);  // n counts the terminator, which the construction cuts off
}
