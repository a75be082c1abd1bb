// Mail messages: the header block up to its first empty line, From, To, Subject and Date.
#include <cwctype>
#include <string>

#include "docinfo/doc_dates.h"
#include "docinfo/doc_fields.h"
#include "docinfo/encoded_words.h"
#include "docinfo/source_read.h"
#include "docinfo/text_decode.h"
#include "locale/mail_date.h"

namespace docinfo {
namespace {

// Real header blocks stay well below this even with long trace lines; a file without an empty
// line inside it is read up to its last complete line here.
constexpr size_t kMaxHeaderBytes = 256 * 1024;

// Length of the header block within the bytes: up to the first empty line, the whole when the
// file ends inside the bytes, else up to the last line break.
size_t HeaderLength(const std::string& b, bool wholeFile) {
  size_t lastBreak = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    if (b[i] != '\r' && b[i] != '\n') continue;
    size_t next = i + 1;
    if (b[i] == '\r' && next < b.size() && b[next] == '\n') ++next;
    lastBreak = i;
    if (next < b.size() && (b[next] == '\r' || b[next] == '\n')) return i;
    i = next - 1;
  }
  return wholeFile ? b.size() : lastBreak;
}

// Folding inserts a line break before white space; unfolding removes only the break.
String Unfold(const String& text) {
  std::wstring out;
  const wchar_t* p = text.c_str();
  const uint32_t n = text.Length();
  for (uint32_t i = 0; i < n; ++i) {
    if (p[i] == L'\r' || p[i] == L'\n') {
      uint32_t k = i + 1;
      if (p[i] == L'\r' && k < n && p[k] == L'\n') ++k;
      if (k < n && (p[k] == L' ' || p[k] == L'\t')) {
        i = k - 1;
        continue;
      }
    }
    out += p[i];
  }
  return ToString(out);
}

bool DateField(const String& value, SYSTEMTIME& out) {
  // The mail-date reader answers an empty text with the current time; an empty header has no date.
  const wchar_t* text = value.c_str();
  while (*text && iswspace(*text)) ++text;
  if (!*text) return false;
  SYSTEMTIME t;
  bool zoned = false;
  ovut::locale::ReadMailDate(text, &t, &zoned);
  if (t.wYear == 0 || t.wMonth == 0) return false;
  FILETIME check;
  if (!SystemTimeToFileTime(&t, &check)) return false;
  if (!zoned) {  // no zone: the writer's local time, as written
    t.wDayOfWeek = 0;
    out = t;
    return true;
  }
  return ZonedToLocal(t, 0, out);  // already brought to UTC
}

void TakeHeader(const String& name, const String& value, DocFields& fields) {
  if (_wcsicmp(name.c_str(), L"From") == 0) fields.author = DecodeEncodedWords(value);
  else if (_wcsicmp(name.c_str(), L"To") == 0) fields.lastAuthor = DecodeEncodedWords(value);
  else if (_wcsicmp(name.c_str(), L"Subject") == 0) fields.title = DecodeEncodedWords(value);
  else if (_wcsicmp(name.c_str(), L"Date") == 0) {
    SYSTEMTIME t;
    if (DateField(value, t)) fields.created = t;
  }
}

}  // namespace

int ReadMail(const DocSource& source, DocFields& fields) noexcept {
  try {
    std::string bytes;
    if (!ReadSourceAt(source, 0, kMaxHeaderBytes, bytes)) return -1;
    bytes.resize(HeaderLength(bytes, bytes.size() == source.size));
    // Raw 8-bit headers are UTF-8 from current clients; older ones used the local code page.
    const String block = IsUtf8(bytes.data(), bytes.size()) ? DecodeBytes(bytes, CP_UTF8)
                                                             : String(bytes.data(), static_cast<int>(bytes.size()));
    const String text = Unfold(block);
    const wchar_t* p = text.c_str();
    const uint32_t n = text.Length();
    for (uint32_t start = 0; start < n;) {
      uint32_t end = start;
      while (end < n && p[end] != L'\r' && p[end] != L'\n') ++end;
      // "Name: value"; a name holds no white space or control characters (obsolete blanks
      // before the colon are allowed).
      uint32_t colon = start;
      while (colon < end && p[colon] > L' ' && p[colon] != L':') ++colon;
      uint32_t nameEnd = colon;
      while (colon < end && (p[colon] == L' ' || p[colon] == L'\t')) ++colon;
      if (colon < end && p[colon] == L':' && nameEnd > start) {
        const String name(p + start, 0, static_cast<int>(nameEnd - start));
        const String value = TrimmedText(String(p + colon + 1, 0, static_cast<int>(end - colon - 1)));
        TakeHeader(name, value, fields);
      }
      start = end;
      while (start < n && (p[start] == L'\r' || p[start] == L'\n')) ++start;
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // namespace docinfo
