#include "zip/zip_text.h"

#include <vector>

namespace ovut::zip {

clsZIPEntryNamer::clsZIPEntryNamer()
    : drive_(L"(?i)^([A-Z]:)(.*)$"), server_(L"(?i)^(\\\\\\\\.*?)(\\\\.*)$") {}

String clsZIPEntryNamer::Name(const String& path, const String& name) {
  String result = name.IsEmpty() ? path : name;
  clsRegExMatchList m;
  if (drive_.Exec(result, &m) || server_.Exec(result, &m)) result = clsRegEx::Match(m, 2);
  result.ReplaceChar(L'\\', L'/');
  // "." and ".." segments go: an entry named "../x" would unpack outside the target folder.
  String kept;
  bool any = false;
  const uint32_t n = result.Length();
  for (uint32_t start = 0; start <= n;) {
    int slash = result.FindChar(L'/', start);
    const uint32_t end = slash < 0 ? n : static_cast<uint32_t>(slash);
    const uint32_t len = end - start;
    const wchar_t* seg = result.c_str() + start;
    const bool dots = (len == 1 && seg[0] == L'.') || (len == 2 && seg[0] == L'.' && seg[1] == L'.');
    if (!dots) {
      if (any) kept.Append(L'/');
      kept.Append(seg, len);
      any = true;
    }
    if (slash < 0) break;
    start = end + 1;
  }
  return kept;
}

bool ToCP437(const String& text, std::string& bytes) {
  bytes.clear();
  if (text.IsEmpty()) return true;
  const int units = static_cast<int>(text.Length());
  BOOL usedDefault = FALSE;
  // No best-fit: a look-alike character would silently rename the entry.
  int n = WideCharToMultiByte(437, WC_NO_BEST_FIT_CHARS, text.c_str(), units, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  bytes.resize(static_cast<size_t>(n));
  WideCharToMultiByte(437, WC_NO_BEST_FIT_CHARS, text.c_str(), units, &bytes[0], n, nullptr, &usedDefault);
  if (usedDefault) return false;
  // The bytes must read back as the same text.
  std::vector<wchar_t> back(static_cast<size_t>(units) + 1);
  int m = MultiByteToWideChar(437, 0, bytes.data(), n, back.data(), units + 1);
  return m == units && std::wmemcmp(back.data(), text.c_str(), static_cast<size_t>(units)) == 0;
}

std::string ToUTF8(const String& text) {
  std::string bytes;
  if (text.IsEmpty()) return bytes;
  const int units = static_cast<int>(text.Length());
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), units, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return bytes;
  bytes.resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), units, &bytes[0], n, nullptr, nullptr);
  return bytes;
}

scEncodedTexts EncodeTexts(const String& name, const String& comment) {
  scEncodedTexts t;
  if (ToCP437(name, t.name) && ToCP437(comment, t.comment)) return t;
  t.utf8 = true;
  t.name = ToUTF8(name);
  t.comment = ToUTF8(comment);
  return t;
}

void DosDateTime(const FILETIME& utc, uint16_t& date, uint16_t& time) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) local = utc;
  WORD d = 0, t = 0;
  if (!FileTimeToDosDateTime(&local, &d, &t)) {
    d = (1 << 5) | 1;  // 1980-01-01
    t = 0;
  }
  date = d;
  time = t;
}

void CurrentDosDateTime(uint16_t& date, uint16_t& time) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  DosDateTime(now, date, time);
}

String JoinPath(const String& first, const String& second) {
  if (first.IsEmpty()) return second;
  if (second.IsEmpty()) return first;
  String joined = first;
  wchar_t last = first.At(first.Length() - 1);
  if (last != L'\\' && last != L'/') joined.Append(L'\\');
  joined.Append(second);
  return joined;
}

}  // namespace ovut::zip
