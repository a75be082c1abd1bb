// clsRegEx walks over a subject: split, collect and the two global substitutions.
//
// Each step matches the remaining text as a subject of its own, so "^" matches at the start of
// every remainder and offsets in the match lists are relative to it. An empty match never
// swallows text: the next step must not be empty at the same place, and when nothing else
// matches there the walk moves on by one character, which stays in the output.
#include <pcre2.h>

#include "diagnostics/debug_output.h"
#include "foundation/regex.h"

namespace {

size_t CharLength(const String& s, size_t pos) {
  wchar_t c = s.At(static_cast<uint32_t>(pos));
  if (c >= 0xD800 && c <= 0xDBFF) {
    wchar_t d = s.At(static_cast<uint32_t>(pos + 1));
    if (d >= 0xDC00 && d <= 0xDFFF) return 2;
  }
  return 1;
}

String Piece(const String& s, size_t from, size_t to) {
  return String(s.c_str(), static_cast<int>(from), static_cast<int>(to - from));
}

}  // namespace

// onMatch(matchStart, matchEnd, matches): absolute positions within `subject`.
template <class OnMatch>
void clsRegEx::WalkMatches(const String& subject, OnMatch&& onMatch) {
  const size_t length = subject.Length();
  const wchar_t* text = subject.c_str();
  clsRegExMatchList matches;
  size_t pos = 0;
  bool lastEmpty = false;
  while (pos < length) {
    matches.Clear();
    uint32_t extra = lastEmpty ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
    if (Run(text + pos, length - pos, extra, &matches) <= 0) {
      if (!lastEmpty) return;
      lastEmpty = false;
      pos += CharLength(subject, pos);
      continue;
    }
    const scRegExMatch* whole = matches.First();
    size_t start = pos + static_cast<size_t>(whole->start);
    size_t end = start + whole->text.Length();
    onMatch(start, end, static_cast<const clsRegExMatchList&>(matches));
    lastEmpty = end == start;
    pos = end;
  }
}

std::vector<String> clsRegEx::Split(const String& subject) {
  std::vector<String> pieces;
  size_t last = 0;
  WalkMatches(subject, [&](size_t start, size_t end, const clsRegExMatchList&) {
    pieces.push_back(Piece(subject, last, start));
    last = end;
  });
  pieces.push_back(Piece(subject, last, subject.Length()));
  return pieces;
}

std::vector<String> clsRegEx::Collect(const String& subject) {
  std::vector<String> found;
  WalkMatches(subject, [&](size_t, size_t, const clsRegExMatchList& matches) {
    const scRegExMatch* m = matches.Count() > 1 ? matches.First()->next : matches.First();
    found.push_back(m->text);
  });
  return found;
}

String clsRegEx::GSub(const String& subject, IclsRegExGSubCB& callback) {
  String result;
  size_t last = 0;
  WalkMatches(subject, [&](size_t start, size_t end, const clsRegExMatchList& matches) {
    result.Append(subject.c_str() + last, static_cast<uint32_t>(start - last));
    result.Append(callback.Replacement(matches));
    last = end;
  });
  result.Append(subject.c_str() + last, static_cast<uint32_t>(subject.Length() - last));
  return result;
}

namespace {

// \d inserts record d, "\\" is kept as written, everything else is copied.
class clsTemplateReplacement : public IclsRegExGSubCB {
 public:
  explicit clsTemplateReplacement(const String& t) : template_(t) {}
  String Replacement(const clsRegExMatchList& matches) override {
    String out;
    const wchar_t* t = template_.c_str();
    const uint32_t n = template_.Length();
    for (uint32_t i = 0; i < n; ++i) {
      wchar_t c = t[i];
      if (c == L'\\' && i + 1 < n) {
        wchar_t d = t[i + 1];
        if (d == L'\\') {
          out.Append(L"\\\\", 2);
          ++i;
          continue;
        }
        if (d >= L'0' && d <= L'9') {
          int index = d - L'0';
          if (static_cast<uint32_t>(index) < matches.Count()) out.Append(matches.At(index)->text);
          else clsRegEx::Match(matches, index);  // reports the missing group
          ++i;
          continue;
        }
      }
      out.Append(&c, 1);
    }
    return out;
  }

 private:
  const String& template_;
};

}  // namespace

String clsRegEx::GSub(const String& subject, const String& replacementTemplate) {
  clsTemplateReplacement replacement(replacementTemplate);
  return GSub(subject, replacement);
}
