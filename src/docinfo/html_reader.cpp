// HTML pages: title and meta elements of the head, and the Office properties block.
#include <cctype>
#include <string>
#include <vector>

#include "docinfo/doc_fields.h"
#include "docinfo/office_properties.h"
#include "docinfo/source_read.h"
#include "docinfo/text_decode.h"
#include "foundation/regex.h"
#include "locale/locale_time_info.h"

namespace docinfo {
namespace {

// The head of pages saved by word processors carries large style sheets; properties are never
// further in than this.
constexpr size_t kMaxHtmlBytes = 512 * 1024;

using ovut::locale::clsPatternLease;

// Each byte as one unit, for patterns that look at the ASCII parts of undecoded bytes.
String ByteText(const std::string& bytes) {
  String out;
  wchar_t* w = out.GetBuffer(static_cast<uint32_t>(bytes.size()));
  size_t k = 0;
  for (unsigned char c : bytes)
    if (c) w[k++] = c;
  w[k] = 0;
  out.ReleaseBuffer();
  return out;
}

// The code page of the page's bytes: a byte-order mark, a declared character set (meta charset
// or an http-equiv content type), UTF-8 when the bytes are valid UTF-8, else the default.
UINT PageCodePage(const std::string& bytes, bool cut, size_t& skip) {
  skip = 0;
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return skip = 3, CP_UTF8;
  if (bytes.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return skip = 2, kUtf16LE;
  if (bytes.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) return skip = 2, kUtf16BE;
  clsPatternLease declared(L"<meta\\b[^>]*?charset\\s*=\\s*[\"']?\\s*([-\\w.:]+)", clsRegEx::kCaseless);
  if (declared.Get().Exec(ByteText(bytes), &declared.Matches())) {
    const UINT cp = CodePageOfCharset(clsRegEx::Match(declared.Matches(), 1));
    // A page that declares UTF-16 yet reached here has no mark and ASCII bytes: not UTF-16.
    if (cp && cp != kUtf16LE && cp != kUtf16BE) return cp;
  }
  if (IsUtf8(bytes.data(), bytes.size(), cut)) return CP_UTF8;
  return String::DefaultCodePage();
}

// Web archives (".mht") carry the page as a MIME part, mostly quoted-printable: "=3D" for "=",
// "=" at a line end for a soft break. Such a part is decoded before the page is read.
bool QuotedPrintablePage(const std::string& bytes) {
  std::string lower(bytes, 0, bytes.size() < 64 * 1024 ? bytes.size() : 64 * 1024);
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  size_t page = lower.find("<html");
  if (page == std::string::npos) page = lower.find("<head");
  if (page == std::string::npos) return false;
  const size_t encoding = lower.rfind("content-transfer-encoding:", page);
  return encoding != std::string::npos && lower.find("quoted-printable", encoding) < page &&
         lower.find("mime-version") < page;
}

std::string DecodeQuotedPrintable(const std::string& in) {
  auto hex = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '=') {
      out += in[i];
    } else if (i + 1 < in.size() && (in[i + 1] == '\r' || in[i + 1] == '\n')) {
      i += in[i + 1] == '\r' && i + 2 < in.size() && in[i + 2] == '\n' ? 2 : 1;
    } else if (i + 2 < in.size() && hex(in[i + 1]) >= 0 && hex(in[i + 2]) >= 0) {
      out += static_cast<char>(hex(in[i + 1]) * 16 + hex(in[i + 2]));
      i += 2;
    } else {
      out += in[i];
    }
  }
  return out;
}

struct Attribute {
  String name, value;
};

// Attributes of a start tag's inner text: name, name=value, name="value", name='value'.
std::vector<Attribute> Attributes(const String& inner) {
  std::vector<Attribute> out;
  const wchar_t* p = inner.c_str();
  const uint32_t n = inner.Length();
  uint32_t i = 0;
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f' || c == L'/'; };
  while (i < n && out.size() < 32) {
    while (i < n && blank(p[i])) ++i;
    const uint32_t ns = i;
    while (i < n && !blank(p[i]) && p[i] != L'=') ++i;
    if (i == ns) break;
    Attribute a;
    a.name = String(p + ns, 0, static_cast<int>(i - ns));
    while (i < n && (p[i] == L' ' || p[i] == L'\t' || p[i] == L'\r' || p[i] == L'\n')) ++i;
    if (i < n && p[i] == L'=') {
      ++i;
      while (i < n && (p[i] == L' ' || p[i] == L'\t' || p[i] == L'\r' || p[i] == L'\n')) ++i;
      if (i < n && (p[i] == L'"' || p[i] == L'\'')) {
        const wchar_t q = p[i++];
        const uint32_t vs = i;
        while (i < n && p[i] != q) ++i;
        a.value = String(p + vs, 0, static_cast<int>(i - vs));
        if (i < n) ++i;
      } else {
        const uint32_t vs = i;
        while (i < n && p[i] != L' ' && p[i] != L'\t' && p[i] != L'\r' && p[i] != L'\n') ++i;
        a.value = String(p + vs, 0, static_cast<int>(i - vs));
      }
    }
    out.push_back(a);
  }
  return out;
}

String FieldText(const String& raw) { return TrimmedText(DecodeCharacterReferences(raw)); }

void TakeMeta(const String& inner, DocFields& fields) {
  String name, content;
  bool hasContent = false;
  for (const Attribute& a : Attributes(inner)) {
    if (_wcsicmp(a.name.c_str(), L"name") == 0) name = a.value;
    else if (_wcsicmp(a.name.c_str(), L"content") == 0) content = a.value, hasContent = true;
  }
  if (!hasContent || name.IsEmpty()) return;
  const wchar_t* n = name.c_str();
  String* field = _wcsicmp(n, L"author") == 0                                                   ? &fields.author
                  : _wcsicmp(n, L"description") == 0 || _wcsicmp(n, L"DC.Description") == 0     ? &fields.comments
                  : _wcsicmp(n, L"DC.Subject") == 0                                             ? &fields.subject
                  : _wcsicmp(n, L"keywords") == 0 || _wcsicmp(n, L"DC.Subject.Keywords") == 0   ? &fields.keywords
                                                                                                : nullptr;
  if (field) *field = FieldText(content);
}

}  // namespace

int ReadHtml(const DocSource& source, DocFields& fields) noexcept {
  try {
    std::string bytes;
    if (!ReadSourceAt(source, 0, kMaxHtmlBytes, bytes)) return -1;
    const bool cut = bytes.size() < source.size;
    if (QuotedPrintablePage(bytes)) bytes = DecodeQuotedPrintable(bytes);
    size_t skip = 0;
    const UINT cp = PageCodePage(bytes, cut, skip);
    const String page = DecodeBytes(bytes.data() + skip, bytes.size() - skip, cp);

    // A head cut off by the read limit ends where the read ended.
    clsPatternLease head(L"<head\\b[^>]*>(.*?)(?:</head\\s*>|<body\\b|$)", clsRegEx::kCaseless | clsRegEx::kDotAll);
    if (!head.Get().Exec(page, &head.Matches())) return 0;
    const String text = clsRegEx::Match(head.Matches(), 1);

    clsPatternLease title(L"<title\\b[^>]*>(.*?)</title\\s*>", clsRegEx::kCaseless | clsRegEx::kDotAll);
    if (title.Get().Exec(text, &title.Matches())) fields.title = FieldText(clsRegEx::Match(title.Matches(), 1));

    clsPatternLease meta(L"<meta\\b((?:[^>\"']|\"[^\"]*\"|'[^']*')*)>", clsRegEx::kCaseless);
    clsRegExMatchList& m = meta.Matches();
    const wchar_t* p = text.c_str();
    const size_t n = text.Length();
    size_t at = 0;
    while (at < n && meta.Get().Exec(p + at, n - at, &m)) {
      TakeMeta(clsRegEx::Match(m, 1), fields);
      const size_t advance = static_cast<size_t>(m.At(0)->start) + m.At(0)->text.Length();
      at += advance ? advance : 1;
    }
    ReadOfficePropertiesBlock(text, fields);
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // namespace docinfo
