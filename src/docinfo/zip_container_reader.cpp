// OOXML and ODF documents: the core properties part or the meta part of the ZIP container.
#include <string>

#include "docinfo/doc_dates.h"
#include "docinfo/doc_fields.h"
#include "docinfo/text_decode.h"
#include "docinfo/zip_entries.h"
#include "foundation/regex.h"
#include "locale/locale_time_info.h"

namespace docinfo {
namespace {

using ovut::locale::clsPatternLease;

// A properties part is a few KiB; inflating stops here whatever the entry declares.
constexpr size_t kMaxPartBytes = 4u << 20;

String ByteText(const std::string& bytes, size_t max) {
  std::wstring out;
  const size_t n = bytes.size() < max ? bytes.size() : max;
  for (size_t i = 0; i < n; ++i)
    if (bytes[i]) out += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
  return ToString(out);
}

// The part's text: a byte-order mark, else the encoding of the XML declaration, else UTF-8.
String PartText(const std::string& bytes) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return DecodeBytes(bytes.data() + 3, bytes.size() - 3, CP_UTF8);
  if (bytes.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return DecodeBytes(bytes.data() + 2, bytes.size() - 2, kUtf16LE);
  if (bytes.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) return DecodeBytes(bytes.data() + 2, bytes.size() - 2, kUtf16BE);
  UINT cp = CP_UTF8;
  clsPatternLease declaration(L"^<\\?xml[^>]*?\\sencoding\\s*=\\s*[\"']([-a-zA-Z0-9_.:]*)[\"']", 0);
  if (declaration.Get().Exec(ByteText(bytes, 200), &declaration.Matches())) {
    const UINT named = CodePageOfCharset(clsRegEx::Match(declaration.Matches(), 1));
    if (named && named != kUtf16LE && named != kUtf16BE) cp = named;
  }
  return DecodeBytes(bytes, cp);
}

String ElementText(const String& raw) { return TrimmedText(DecodeCharacterReferences(raw)); }

// Group 1 of `pattern` in `text`; false without a match.
bool Group(const wchar_t* pattern, const String& text, String& out) {
  clsPatternLease p(pattern, clsRegEx::kDotAll);
  if (!p.Get().Exec(text, &p.Matches())) return false;
  out = clsRegEx::Match(p.Matches(), 1);
  return true;
}

// One property element: its pattern, and the text or date field it fills.
struct ElementRule {
  const wchar_t* pattern;
  String DocFields::*text;
  SYSTEMTIME DocFields::*date;
};

void ApplyRules(const ElementRule* rules, size_t count, const String& block, DocFields& fields) {
  for (size_t i = 0; i < count; ++i) {
    const ElementRule& e = rules[i];
    String value;
    if (!Group(e.pattern, block, value)) continue;
    if (e.text) {
      fields.*(e.text) = ElementText(value);
    } else {
      SYSTEMTIME t;
      if (ParseIsoDate(ElementText(value), t)) fields.*(e.date) = t;
    }
  }
}

void ReadCoreProperties(const String& part, DocFields& fields) {
  String block;
  if (!Group(L"<cp:coreProperties\\b[^>]*>(.*?)</cp:coreProperties\\s*>", part, block)) return;
  static const ElementRule kElements[] = {
      {L"<dc:creator(?:\\s[^>]*)?>(.*?)</dc:creator\\s*>", &DocFields::author, nullptr},
      {L"<dcterms:created(?:\\s[^>]*)?>(.*?)</dcterms:created\\s*>", nullptr, &DocFields::created},
      {L"<dcterms:modified(?:\\s[^>]*)?>(.*?)</dcterms:modified\\s*>", nullptr, &DocFields::modified},
      {L"<cp:lastModifiedBy(?:\\s[^>]*)?>(.*?)</cp:lastModifiedBy\\s*>", &DocFields::lastAuthor, nullptr},
      {L"<dc:title(?:\\s[^>]*)?>(.*?)</dc:title\\s*>", &DocFields::title, nullptr},
      {L"<dc:subject(?:\\s[^>]*)?>(.*?)</dc:subject\\s*>", &DocFields::subject, nullptr},
      {L"<cp:keywords(?:\\s[^>]*)?>(.*?)</cp:keywords\\s*>", &DocFields::keywords, nullptr},
      {L"<dc:description(?:\\s[^>]*)?>(.*?)</dc:description\\s*>", &DocFields::comments, nullptr},
  };
  ApplyRules(kElements, sizeof kElements / sizeof kElements[0], block, fields);
}

void ReadOdfMeta(const String& part, DocFields& fields) {
  String block;
  if (!Group(L"<office:meta\\b[^>]*>(.*?)</office:meta\\s*>", part, block)) return;
  static const ElementRule kElements[] = {
      {L"<meta:initial-creator(?:\\s[^>]*)?>(.*?)</meta:initial-creator\\s*>", &DocFields::author, nullptr},
      {L"<meta:creation-date(?:\\s[^>]*)?>(.*?)</meta:creation-date\\s*>", nullptr, &DocFields::created},
      {L"<dc:creator(?:\\s[^>]*)?>(.*?)</dc:creator\\s*>", &DocFields::lastAuthor, nullptr},
      {L"<dc:title(?:\\s[^>]*)?>(.*?)</dc:title\\s*>", &DocFields::title, nullptr},
      {L"<dc:subject(?:\\s[^>]*)?>(.*?)</dc:subject\\s*>", &DocFields::subject, nullptr},
      {L"<dc:description(?:\\s[^>]*)?>(.*?)</dc:description\\s*>", &DocFields::comments, nullptr},
      {L"<dc:date(?:\\s[^>]*)?>(.*?)</dc:date\\s*>", nullptr, &DocFields::modified},
  };
  ApplyRules(kElements, sizeof kElements / sizeof kElements[0], block, fields);
  // Office suites write one meta:keyword per keyword, with or without a meta:keywords around them.
  clsPatternLease keyword(L"<meta:keyword(?:\\s[^>]*)?>(.*?)</meta:keyword\\s*>", clsRegEx::kDotAll);
  String joined;
  bool any = false;
  for (const String& k : keyword.Get().Collect(block)) {
    const String text = ElementText(k);
    if (text.IsEmpty()) continue;
    if (any) joined.Append(L", ");
    joined.Append(text);
    any = true;
  }
  if (any) fields.keywords = joined;
}

}  // namespace

int ReadZipContainer(const DocSource& source, DocFields& fields) noexcept {
  try {
    static const char* const kParts[] = {"docProps/core.xml", "meta.xml"};
    int found = -1;
    std::string bytes;
    const ZipEntryResult r = ExtractZipEntry(source, kParts, 2, kMaxPartBytes, found, bytes);
    if (r == ZipEntryResult::kUnknownMethod) return 0;  // a container of ours, its properties unreadable
    if (r != ZipEntryResult::kFound) return -1;
    const String part = PartText(bytes);
    if (found == 0) ReadCoreProperties(part, fields);
    else ReadOdfMeta(part, fields);
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // namespace docinfo
