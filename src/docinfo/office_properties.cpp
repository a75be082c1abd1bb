#include "docinfo/office_properties.h"

#include "docinfo/doc_dates.h"
#include "docinfo/text_decode.h"
#include "foundation/regex.h"
#include "locale/locale_time_info.h"

namespace docinfo {

bool TakeOfficeProperty(const String& name, const String& value, DocFields& fields) {
  const wchar_t* n = name.c_str();
  String* text = _wcsicmp(n, L"Title") == 0         ? &fields.title
                 : _wcsicmp(n, L"Subject") == 0     ? &fields.subject
                 : _wcsicmp(n, L"Author") == 0      ? &fields.author
                 : _wcsicmp(n, L"LastAuthor") == 0  ? &fields.lastAuthor
                 : _wcsicmp(n, L"Keywords") == 0    ? &fields.keywords
                 : _wcsicmp(n, L"Description") == 0 ? &fields.comments
                                                    : nullptr;
  if (text) {
    *text = value;
    return true;
  }
  SYSTEMTIME* date = _wcsicmp(n, L"Created") == 0 ? &fields.created : _wcsicmp(n, L"LastSaved") == 0 ? &fields.modified : nullptr;
  if (!date) return false;
  SYSTEMTIME t;
  if (ParseIsoDate(value, t)) *date = t;
  return true;
}

bool ReadOfficePropertiesBlock(const String& text, DocFields& fields) {
  ovut::locale::clsPatternLease block(L"<o:DocumentProperties\\b[^>]*>(.*?)</o:DocumentProperties\\s*>",
                                      clsRegEx::kCaseless | clsRegEx::kDotAll);
  if (!block.Get().Exec(text, &block.Matches())) return false;
  const String body = clsRegEx::Match(block.Matches(), 1);
  ovut::locale::clsPatternLease element(L"<o:(\\w+)\\b[^>]*>(.*?)</o:\\1\\s*>", clsRegEx::kDotAll);
  const wchar_t* p = body.c_str();
  size_t at = 0;
  const size_t n = body.Length();
  clsRegExMatchList& m = element.Matches();
  while (at < n && element.Get().Exec(p + at, n - at, &m)) {
    const scRegExMatch* whole = m.At(0);
    TakeOfficeProperty(clsRegEx::Match(m, 1), TrimmedText(DecodeCharacterReferences(clsRegEx::Match(m, 2))), fields);
    const size_t advance = static_cast<size_t>(whole->start) + whole->text.Length();
    at += advance ? advance : 1;
  }
  return true;
}

}  // namespace docinfo
