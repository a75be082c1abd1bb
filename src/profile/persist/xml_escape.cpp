#include "profile/persist/xml_escape.h"
#include "profile/persist/unit_scan.h"

#include <cwchar>

namespace ovut::persist {

namespace {
const wchar_t kHex[] = L"0123456789abcdef";

inline size_t UnitCost(const wchar_t* t, size_t i, size_t n) {
  wchar_t c = t[i];
  switch (c) {
    case L'\r': return (i + 1 < n && t[i + 1] == L'\n') ? 0 : 4;
    case L'\n': return 4;
    case L'\t': return 5;
    case L'<': case L'>': return 4;
    case L'&': return 5;
    case L'\'': case L'"': return 6;
    default: return c < 0x20 ? 8 : 1;
  }
}
}  // namespace

size_t EscapedLength(const wchar_t* text, size_t length) noexcept {
  size_t total = 0;
  for (size_t i = 0; i < length; ++i) total += UnitCost(text, i, length);
  return total;
}

void AppendEscaped(std::wstring& out, const wchar_t* t, size_t n) {
  size_t run = 0;  // start of the pending run of plain units
  for (size_t i = 0; i < n; ++i) {
    wchar_t c = t[i];
    const wchar_t* rep = nullptr;
    wchar_t num[9];
    switch (c) {
      case L'\r':
        if (i + 1 < n && t[i + 1] == L'\n') {
          out.append(t + run, i - run);
          run = i + 1;  // the LF that follows writes "&cr;"
          continue;
        }
        rep = L"&cr;";
        break;
      case L'\n': rep = L"&cr;"; break;
      case L'\t': rep = L"&tab;"; break;
      case L'<': rep = L"&lt;"; break;
      case L'>': rep = L"&gt;"; break;
      case L'&': rep = L"&amp;"; break;
      case L'\'': rep = L"&apos;"; break;
      case L'"': rep = L"&quot;"; break;
      default:
        if (c >= 0x20) continue;
        wcscpy(num, L"&#x0000;");
        num[5] = kHex[(c >> 4) & 15];
        num[6] = kHex[c & 15];
        rep = num;
        break;
    }
    out.append(t + run, i - run);
    out.append(rep);
    run = i + 1;
  }
  out.append(t + run, n - run);
}

void AppendXmlSpecials(std::wstring& out, const wchar_t* t, size_t n) {
  size_t run = 0;
  for (size_t i = 0; i < n; ++i) {
    const wchar_t* rep;
    switch (t[i]) {
      case L'<': rep = L"&lt;"; break;
      case L'>': rep = L"&gt;"; break;
      case L'&': rep = L"&amp;"; break;
      case L'\'': rep = L"&apos;"; break;
      case L'"': rep = L"&quot;"; break;
      default: continue;
    }
    out.append(t + run, i - run);
    out.append(rep);
    run = i + 1;
  }
  out.append(t + run, n - run);
}

size_t UnescapeInPlace(wchar_t* t, size_t n) noexcept {
  static const struct { const wchar_t* name; size_t len; wchar_t ch; } kNamed[] = {
      {L"&tab;", 5, L'\t'}, {L"&lt;", 4, L'<'},    {L"&gt;", 4, L'>'},
      {L"&amp;", 5, L'&'},  {L"&apos;", 6, L'\''}, {L"&quot;", 6, L'"'},
  };
  // Most texts hold no entity: up to the first "&" nothing moves.
  size_t r = FindUnit(t, 0, n, L'&');
  size_t w = r;
  while (r < n) {
    wchar_t c = t[r];
    if (c != L'&') {
      t[w++] = c;
      ++r;
      continue;
    }
    const size_t rest = n - r;
    if (rest >= 4 && wmemcmp(t + r, L"&cr;", 4) == 0) {
      t[w++] = L'\r';
      t[w++] = L'\n';  // 4 units read, 2 written
      r += 4;
      continue;
    }
    bool done = false;
    for (const auto& e : kNamed) {
      if (rest >= e.len && wmemcmp(t + r, e.name, e.len) == 0) {
        t[w++] = e.ch;
        r += e.len;
        done = true;
        break;
      }
    }
    if (done) continue;
    if (rest >= 3 && t[r + 1] == L'#') {
      const bool hex = t[r + 2] == L'x';
      size_t p = r + (hex ? 3 : 2);
      auto digit = [hex](wchar_t d) -> int {
        if (d >= L'0' && d <= L'9') return d - L'0';
        if (!hex) return -1;
        if (d >= L'a' && d <= L'f') return d - L'a' + 10;
        if (d >= L'A' && d <= L'F') return d - L'A' + 10;
        return -1;
      };
      if (p < n && digit(t[p]) >= 0) {
        uint32_t v = 0;
        while (p < n && digit(t[p]) >= 0) v = v * (hex ? 16 : 10) + uint32_t(digit(t[p++]));
        t[w++] = static_cast<wchar_t>(v & 0xFFFF);
        while (p < n && t[p] != L';') ++p;
        if (p >= n) return w;  // no ";": the text ends after this character
        r = p + 1;
        continue;
      }
    }
    t[w++] = c;  // any other "&"
    ++r;
  }
  return w;
}

}  // namespace ovut::persist
