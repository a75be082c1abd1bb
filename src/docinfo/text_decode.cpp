#include "docinfo/text_decode.h"

#include <cwchar>
#include <cwctype>

namespace docinfo {
namespace {

struct CharsetName {
  const wchar_t* name;
  UINT codePage;
};

const CharsetName kCharsets[] = {
    {L"utf-8", CP_UTF8},         {L"utf8", CP_UTF8},           {L"us-ascii", 20127},
    {L"ascii", 20127},           {L"iso-8859-1", 28591},       {L"latin1", 28591},
    {L"iso-8859-2", 28592},      {L"iso-8859-3", 28593},       {L"iso-8859-4", 28594},
    {L"iso-8859-5", 28595},      {L"iso-8859-6", 28596},       {L"iso-8859-7", 28597},
    {L"iso-8859-8", 28598},      {L"iso-8859-9", 28599},       {L"iso-8859-13", 28603},
    {L"iso-8859-15", 28605},     {L"shift_jis", 932},          {L"shift-jis", 932},
    {L"sjis", 932},              {L"x-sjis", 932},             {L"euc-jp", 20932},
    {L"iso-2022-jp", 50220},     {L"gb2312", 936},             {L"gbk", 936},
    {L"gb18030", 54936},         {L"big5", 950},               {L"euc-kr", 949},
    {L"ks_c_5601-1987", 949},    {L"koi8-r", 20866},           {L"koi8-u", 21866},
    {L"utf-16", kUtf16LE},       {L"utf-16le", kUtf16LE},      {L"utf-16be", kUtf16BE},
    {L"unicode", kUtf16LE},      {L"macintosh", 10000},        {L"tis-620", 874},
};

// Wide text without a terminator, lowered for the name table.
bool SameName(const wchar_t* a, size_t length, const wchar_t* name) {
  size_t i = 0;
  for (; i < length && name[i]; ++i)
    if (towlower(a[i]) != name[i]) return false;
  return i == length && !name[i];
}

UINT NumberAfter(const wchar_t* text, size_t length, size_t from) {
  UINT v = 0;
  if (from >= length) return 0;
  for (size_t i = from; i < length; ++i) {
    if (text[i] < L'0' || text[i] > L'9' || v > 100000) return 0;
    v = v * 10 + (text[i] - L'0');
  }
  return v;
}

bool StartsWithName(const wchar_t* text, size_t length, const wchar_t* prefix) {
  size_t n = wcslen(prefix);
  return length > n && _wcsnicmp(text, prefix, n) == 0;
}

String DecodeUtf16(const char* bytes, size_t count, bool bigEndian) {
  String out;
  const size_t units = count / 2;
  wchar_t* w = out.GetBuffer(static_cast<uint32_t>(units));
  for (size_t i = 0; i < units; ++i) {
    const unsigned char a = static_cast<unsigned char>(bytes[2 * i]);
    const unsigned char b = static_cast<unsigned char>(bytes[2 * i + 1]);
    w[i] = static_cast<wchar_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  }
  w[units] = 0;
  out.ReleaseBuffer();  // stops at an embedded 0, which no property text holds
  return out;
}

struct NamedReference {
  const wchar_t* name;
  wchar_t ch;
};

const NamedReference kNamed[] = {
    {L"amp", L'&'},      {L"lt", L'<'},        {L"gt", L'>'},       {L"quot", L'"'},
    {L"apos", L'\''},    {L"nbsp", 0xA0},      {L"copy", 0xA9},     {L"reg", 0xAE},
    {L"auml", 0xE4},     {L"ouml", 0xF6},      {L"uuml", 0xFC},     {L"Auml", 0xC4},
    {L"Ouml", 0xD6},     {L"Uuml", 0xDC},      {L"szlig", 0xDF},    {L"eacute", 0xE9},
    {L"egrave", 0xE8},   {L"ecirc", 0xEA},     {L"agrave", 0xE0},   {L"aacute", 0xE1},
    {L"acirc", 0xE2},    {L"ccedil", 0xE7},    {L"oacute", 0xF3},   {L"iacute", 0xED},
    {L"uacute", 0xFA},   {L"ntilde", 0xF1},    {L"Eacute", 0xC9},   {L"aring", 0xE5},
    {L"oslash", 0xF8},   {L"aelig", 0xE6},     {L"euro", 0x20AC},   {L"ndash", 0x2013},
    {L"mdash", 0x2014},  {L"lsquo", 0x2018},   {L"rsquo", 0x2019},  {L"ldquo", 0x201C},
    {L"rdquo", 0x201D},  {L"hellip", 0x2026},  {L"bull", 0x2022},   {L"trade", 0x2122},
    {L"laquo", 0xAB},    {L"raquo", 0xBB},     {L"deg", 0xB0},      {L"middot", 0xB7},
};

}  // namespace

UINT CodePageOfCharset(const wchar_t* name, size_t length) {
  while (length && iswspace(*name)) ++name, --length;
  while (length && (iswspace(name[length - 1]) || name[length - 1] == L'"' || name[length - 1] == L'\''))
    --length;
  if (length == 0 || length > 40) return 0;
  for (const auto& c : kCharsets)
    if (SameName(name, length, c.name)) return c.codePage;
  if (StartsWithName(name, length, L"windows-")) return NumberAfter(name, length, 8);
  if (StartsWithName(name, length, L"cp")) return NumberAfter(name, length, 2);
  if (StartsWithName(name, length, L"x-cp")) return NumberAfter(name, length, 4);
  return 0;
}

bool IsUtf8(const char* bytes, size_t count, bool cutAllowed) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  size_t i = 0;
  while (i < count) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t n;
    uint32_t v;
    if (b >= 0xC2 && b <= 0xDF) n = 1, v = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF) n = 2, v = b & 0x0F;
    else if (b >= 0xF0 && b <= 0xF4) n = 3, v = b & 0x07;
    else return false;
    if (i + n >= count + (cutAllowed ? 0 : 1)) {
      if (!cutAllowed) return false;
      // A cut sequence at the end: the bytes that are there must still be continuations.
      for (size_t k = i + 1; k < count; ++k)
        if ((p[k] & 0xC0) != 0x80) return false;
      return true;
    }
    for (size_t k = 1; k <= n; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      v = (v << 6) | (p[i + k] & 0x3F);
    }
    if ((n == 2 && v < 0x800) || (n == 3 && (v < 0x10000 || v > 0x10FFFF)) || (v >= 0xD800 && v <= 0xDFFF))
      return false;
    i += n + 1;
  }
  return true;
}

String DecodeBytes(const char* bytes, size_t count, UINT codePage) {
  if (count == 0) return String();
  if (count > 0x7FFFFFF) count = 0x7FFFFFF;
  if (codePage == kUtf16LE || codePage == kUtf16BE) return DecodeUtf16(bytes, count, codePage == kUtf16BE);
  const int n = static_cast<int>(count);
  int units = MultiByteToWideChar(codePage, 0, bytes, n, nullptr, 0);
  if (units <= 0) {
    codePage = GetACP();
    units = MultiByteToWideChar(codePage, 0, bytes, n, nullptr, 0);
    if (units <= 0) return String();
  }
  String out;
  wchar_t* w = out.GetBuffer(static_cast<uint32_t>(units));
  MultiByteToWideChar(codePage, 0, bytes, n, w, units);
  w[units] = 0;
  out.ReleaseBuffer();
  return out;
}

String DecodeCharacterReferences(const String& text) {
  if (text.FindChar(L'&') < 0) return text;
  std::wstring out;
  const wchar_t* p = text.c_str();
  const uint32_t n = text.Length();
  for (uint32_t i = 0; i < n; ++i) {
    if (p[i] != L'&') {
      out += p[i];
      continue;
    }
    uint32_t end = i + 1;
    while (end < n && end - i <= 10 && p[end] != L';' && p[end] != L'&') ++end;
    if (end >= n || p[end] != L';' || end == i + 1) {
      out += p[i];
      continue;
    }
    const wchar_t* ref = p + i + 1;
    const uint32_t len = end - i - 1;
    uint32_t code = 0;
    bool ok = false;
    if (ref[0] == L'#') {
      const bool hex = len > 1 && (ref[1] == L'x' || ref[1] == L'X');
      ok = len > (hex ? 2u : 1u);
      for (uint32_t k = hex ? 2 : 1; ok && k < len; ++k) {
        const wchar_t c = ref[k];
        int d = c >= L'0' && c <= L'9' ? c - L'0'
                : hex && c >= L'a' && c <= L'f' ? c - L'a' + 10
                : hex && c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
        if (d < 0) ok = false;
        else code = code * (hex ? 16 : 10) + d;
        if (code > 0x10FFFF) ok = false;
      }
      ok = ok && code != 0 && !(code >= 0xD800 && code <= 0xDFFF);
    } else {
      for (const auto& r : kNamed)
        if (wcslen(r.name) == len && wcsncmp(r.name, ref, len) == 0) {
          code = r.ch;
          ok = true;
          break;
        }
    }
    if (!ok) {
      out += p[i];
      continue;
    }
    if (code > 0xFFFF) {
      code -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (code >> 10));
      out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<wchar_t>(code);
    }
    i = end;
  }
  return ToString(out);
}

String TrimmedText(const String& text) {
  String out(text);
  const wchar_t* p = out.c_str();
  uint32_t b = 0, e = out.Length();
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0; };
  while (b < e && blank(p[b])) ++b;
  while (e > b && blank(p[e - 1])) --e;
  if (b == 0 && e == out.Length()) return out;
  return out.Mid(b, static_cast<int>(e - b));
}

}  // namespace docinfo
