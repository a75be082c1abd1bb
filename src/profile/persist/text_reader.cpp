#include "profile/persist/text_reader.h"

#include <climits>
#include <cwchar>
#include <memory>
#include <new>
#include <string>

#include "diagnostics/debug_output.h"
#include "profile/item_list.h"
#include "profile/persist/line_source.h"
#include "profile/persist/xml_escape.h"
#include "profile/persist/unit_scan.h"
#include "profile/tree_depth.h"

namespace ovut::persist {

namespace {

// The tags are literals: their lengths are known at compile time and the scans below stay
// inline loops instead of a library call per position.
struct Span {
  wchar_t* p;
  size_t n;
  template <size_t K>
  bool Starts(const wchar_t (&s)[K]) const {  // case-sensitive
    constexpr size_t k = K - 1;
    if (n < k) return false;
    for (size_t i = 0; i < k; ++i)
      if (p[i] != s[i]) return false;
    return true;
  }
  template <size_t K>
  bool StartsNoCase(const wchar_t (&s)[K]) const {
    constexpr size_t k = K - 1;
    if (n < k) return false;
    for (size_t i = 0; i < k; ++i) {
      wchar_t a = p[i], b = s[i];
      if (a >= L'A' && a <= L'Z') a = wchar_t(a + 32);
      if (b >= L'A' && b <= L'Z') b = wchar_t(b + 32);
      if (a != b) return false;
    }
    return true;
  }
  // Offset of the first `s` at or after `from`, or npos.
  template <size_t K>
  size_t Find(const wchar_t (&s)[K], size_t from = 0) const {
    constexpr size_t k = K - 1;
    if (n < k) return std::wstring::npos;
    const size_t last = n - k + 1;  // candidates start before it
    for (size_t i = FindUnit(p, from, last, s[0]); i < last; i = FindUnit(p, i + 1, last, s[0])) {
      size_t j = 1;
      while (j < k && p[i + j] == s[j]) ++j;
      if (j == k) return i;
    }
    return std::wstring::npos;
  }
  size_t FindChar(wchar_t c, size_t from = 0) const {
    const size_t i = from < n ? FindUnit(p, from, n, c) : n;
    return i < n ? i : std::wstring::npos;
  }
  void Skip(size_t k) { p += k; n -= k; }
  void SkipBlanks() {
    while (n && (*p == L' ' || *p == L'\t')) Skip(1);
  }
};

constexpr size_t npos = std::wstring::npos;

using ovut::profile::kMaxListDepth;
static_assert(kMaxListDepth == 1000, "the message below names the bound");
const wchar_t kTooDeep[] = L"prof::list: nesting too deep (more than 1000 levels)";
const wchar_t kNameTooLong[] = L"prof::xml::value: field name too long (more than 4096 units)";

struct Frame {
  clsItemList* list;
  std::unique_ptr<clsItemList> owned;  // a list being read, attached to its parent when done
  int level;
  int mode;
  bool returnAfter;  // the parent frame ends with this one (profile, xfdf and "[/]" bodies)
};

class Reader {
 public:
  Reader(clsLineSource& lines, uint32_t& counter) : lines_(lines), counter_(counter) {}

  void Run(clsItemList& list, int level, int mode) {
    baseDepth_ = ovut::profile::ListDepth(&list);
    frames_.push_back(Frame{&list, nullptr, level, mode, false});
    while (!frames_.empty()) {
      ++counter_;
      size_t n = 0;
      wchar_t* p = lines_.Next(n);
      if (!p) break;
      Span line{p, n};
      switch (frames_.back().mode) {
        case kModeXml: Xml(line); break;
        case kModeIni: Ini(line); break;
        default: Xfdf(line); break;
      }
    }
    // The end of the text ends every open list normally.
    while (!frames_.empty()) Return();
  }

 private:
  [[noreturn]] void Raise(const wchar_t* message) {
    clsLoadException e{counter_, String(message), {}};
    for (size_t i = 0; i < marks_.size(); ++i) {
      size_t from = marks_[i] + (i ? 1 : 0);
      size_t to = i + 1 < marks_.size() ? marks_[i + 1] : joined_.size();
      e.fieldNames.push_back(String(joined_.substr(from, to - from).c_str()));
    }
    throw e;
  }

  Frame& Top() { return frames_.back(); }

  void Return() {
    Frame f = std::move(frames_.back());
    frames_.pop_back();
    if (f.owned) --depth_;
    if (f.owned && !frames_.empty()) {
      if (!frames_.back().list->AppendList(f.owned.release())) throw std::bad_alloc();
    }
    if (f.returnAfter && !frames_.empty()) Return();
  }

  void Enter(const wchar_t* name, size_t n, int mode) {
    // A list deeper than the bound fails the read before it is made: such text is hostile, and
    // every later walk, save and listing of the tree stays small.
    if (baseDepth_ + depth_ >= kMaxListDepth) Raise(kTooDeep);
    clsItemList* l = clsItemList::Create(name, static_cast<uint32_t>(n));
    if (!l) throw std::bad_alloc();
    ++depth_;
    int level = Top().level < INT_MAX ? Top().level + 1 : INT_MAX;
    frames_.push_back(Frame{l, std::unique_ptr<clsItemList>(l), level, mode, false});
  }

  void EnterSame(int mode) {  // the body of <profile>, <xfdf> or "[/]": same list, level 0
    frames_.push_back(Frame{Top().list, nullptr, 0, mode, true});
  }

  void AddItem(const wchar_t* name, size_t nl, const wchar_t* value, size_t vl) {
    if (!Top().list->AppendValue(name, static_cast<uint32_t>(nl), value, static_cast<uint32_t>(vl)))
      throw std::bad_alloc();
  }

  // Name of an attribute `name="..."`; false when it has none (no quote: `unfinished` true).
  static bool NameAttr(Span s, Span& name, size_t& end, bool& unfinished) {
    size_t at = s.Find(L"name=\"");
    unfinished = false;
    if (at == npos) return false;
    size_t start = at + 6;
    size_t q = s.FindChar(L'"', start);
    if (q == npos) {
      unfinished = true;
      return false;
    }
    name = Span{s.p + start, q - start};
    end = q;
    return true;
  }

  void Xml(Span line) {
    line.SkipBlanks();
    if (!line.n) return;
    if (comment_ && line.Starts(L"-->")) {
      comment_ = false;
      line.Skip(3);
      line.SkipBlanks();
      if (!line.n) return;
    }
    if (line.p[0] != L'<') Raise(L"prof::xml: bad format");
    Span tag{line.p + 1, line.n - 1};
    if (!comment_ && tag.StartsNoCase(L"!--")) {
      comment_ = true;
      tag.Skip(3);
      tag.SkipBlanks();
      if (!tag.n) return;
    }
    if (comment_) {
      size_t at = tag.Find(L" -->");
      if (at == npos) at = tag.Find(L"\t-->");
      if (at == npos) return;
      comment_ = false;
      tag.Skip(at + 4);
      tag.SkipBlanks();
      if (!tag.n) return;
      if (tag.p[0] != L'<') Raise(L"prof::xml: bad format");
      tag.Skip(1);
    }
    XmlTag(tag);
  }

  void XmlTag(Span tag) {
    const int level = Top().level;
    if (tag.StartsNoCase(L"item ")) {
      if (level < 0) Raise(L"prof::xml::item bad nesting level (becomes negative)");
      Span name{};
      size_t end = 0;
      bool unfinished = false;
      if (!NameAttr(tag, name, end, unfinished)) {
        Raise(unfinished ? L"prof::xml::item no end tag" : L"prof::xml::item empty name");
      }
      size_t gt = tag.FindChar(L'>', end);
      if (gt == npos) Raise(L"prof::xml::item no end tag (2)");
      size_t close = tag.Find(L"</item>", gt + 1);
      if (close == npos) Raise(L"prof::xml::item no '</item>' tag found");
      wchar_t* value = tag.p + gt + 1;
      size_t vl = UnescapeInPlace(value, close - gt - 1);
      size_t nl = UnescapeInPlace(name.p, name.n);
      AddItem(name.p, nl, value, vl);
    } else if (tag.StartsNoCase(L"list ")) {
      if (level < 0) Raise(L"prof::xml::list: bad nesting level");
      Span name{};
      size_t end = 0;
      bool unfinished = false;
      if (!NameAttr(tag, name, end, unfinished))
        Raise(unfinished ? L"prof::xml::list: name is unfinished" : L"prof::xml::list: name is empty");
      size_t nl = UnescapeInPlace(name.p, name.n);
      Enter(name.p, nl, kModeXml);
    } else if (tag.StartsNoCase(L"/list>")) {
      if (level < 0) Raise(L"prof::xml::profile: bad nesting level (becomes negative)");
      Return();
    } else if (tag.StartsNoCase(L"profile>")) {
      if (level != -1) Raise(L"prof::xml::profile: bad nesting level (should be -1)");
      EnterSame(kModeXml);
    } else if (tag.StartsNoCase(L"/profile>")) {
      if (level != 0) Raise(L"prof::xml::profile: bad nesting level (should be 0)");
      Return();
    } else if (tag.StartsNoCase(L"xfdf ")) {
      if (level != -1) Raise(L"prof::xml::xfdf: bad nesting level (should be -1)");
      EnterSame(kModeXfdf);
    } else if (tag.StartsNoCase(L"/xfdf>")) {
      if (level != 0) Raise(L"prof::xml::xfdf: bad nesting level (should be 0)");
      Return();
    }
    // Anything else (declaration, DTD lines, unknown elements) is ignored.
  }

  void Ini(Span line) {
    const int level = Top().level;
    if (level < 0) {
      if (line.n == 3 && wmemcmp(line.p, L"[/]", 3) == 0) EnterSame(kModeIni);
      return;
    }
    switch (line.p[0]) {
      case L'#': case L';': case L'{': return;
      case L'}': Return(); return;
      case L'[': Enter(line.p + 1, line.n >= 2 ? line.n - 2 : 0, kModeIni); return;
      default: break;
    }
    size_t eq = line.FindChar(L'=');
    size_t nl = eq == npos ? line.n : eq;
    for (size_t i = 0; i < nl; ++i) {
      wchar_t& c = line.p[i];
      if (c == 0x2338) c = L'=';
      else if (c == 0x301A) c = L'[';
      else if (c == 0x301B) c = L']';
    }
    wchar_t* value = eq == npos ? line.p + line.n : line.p + eq + 1;
    size_t vl = eq == npos ? 0 : line.n - eq - 1;
    for (size_t i = 0; i < vl; ++i)
      if (value[i] >= 0x2401 && value[i] <= 0x241F) value[i] = wchar_t(value[i] - 0x2400);
    AddItem(line.p, nl, value, vl);
  }

  void Xfdf(Span line) {
    while (line.n && line.p[0] == L' ') line.Skip(1);
    if (!line.n) return;
    if (line.p[0] != L'<') Raise(L"prof::xml::xfdf: bad format ('<' expected)");
    const int level = Top().level;
    if (line.StartsNoCase(L"<value>")) {
      if (level < 0) Raise(L"prof::xml::value: bad format (negative level)");
      if (joined_.size() > kMaxFieldName) Raise(kNameTooLong);
      std::wstring value(line.p + 7, line.n - 7);
      size_t end, from = 0;
      // Only the newly joined line is searched: "</value>" holds no line break, so it cannot
      // straddle the CR LF put between two lines.
      while ((end = value.find(L"</value>", from)) == npos) {
        ++counter_;
        size_t n = 0;
        wchar_t* next = lines_.Next(n);
        if (!next) Raise(L"prof::xml::value: bad format (missing next line)");
        from = value.size();
        value.append(L"\r\n");
        value.append(next, n);
      }
      size_t vl = UnescapeInPlace(&value[0], end);
      AddItem(joined_.c_str(), joined_.size(), value.c_str(), vl);
    } else if (line.StartsNoCase(L"<field ")) {
      if (level < 0) Raise(L"prof::xml::field: bad format (negative level)");
      Span name{};
      size_t end = 0;
      bool unfinished = false;
      if (!NameAttr(line, name, end, unfinished))
        Raise(unfinished ? L"prof::xml::field: name unfinished" : L"prof::xml::field: no name found");
      size_t nl = UnescapeInPlace(name.p, name.n);
      marks_.push_back(joined_.size());
      if (marks_.size() > 1) joined_.push_back(L'.');
      joined_.append(name.p, nl);
    } else if (line.StartsNoCase(L"</field>")) {
      if (level < 0) Raise(L"prof::xml::field: bad format (negative level)");
      if (!marks_.empty()) {
        joined_.resize(marks_.back());
        marks_.pop_back();
      }
      // Reading goes on with the next field.
    } else if (level < 0 && line.StartsNoCase(L"<xfdf ")) {
      EnterSame(kModeXfdf);  // an 8-bit export enters its body here
    }
  }

  clsLineSource& lines_;
  uint32_t& counter_;
  std::vector<Frame> frames_;
  // The XFDF field-name stack as the item name it gives: the names joined with ".", and where
  // each name starts. Values name their items with it, so it is kept joined rather than joined
  // again for every value; a value whose name would be longer than kMaxFieldName fails the read,
  // so nested fields cannot make every value cost the whole nesting.
  static constexpr size_t kMaxFieldName = 4096;
  static_assert(kMaxFieldName == 4096, "the message names the bound");
  std::wstring joined_;
  std::vector<size_t> marks_;
  uint32_t baseDepth_ = 0;  // depth of the list the read started in
  uint32_t depth_ = 0;      // lists opened by this read and not yet complete
  bool comment_ = false;
};

}  // namespace

void ReadProfileText(clsItemList& list, int level, clsLineSource& lines, int mode, uint32_t& lineCounter) {
  Reader(lines, lineCounter).Run(list, level, mode);
}

int ReadNamedRootIni(clsItemList& root, clsLineSource& lines) {
  size_t n = 0;
  wchar_t* p;
  while ((p = lines.Next(n)) != nullptr && p[0] != L'[') {
  }
  if (!p) return 1;
  uint32_t counter = 0;
  try {
    ReadProfileText(root, 0, lines, kModeIni, counter);
  } catch (const clsLoadException& e) {
    // A read failing later in the text outranks the format error (the caller reports it).
    while (lines.Next(n) != nullptr) {
    }
    if (lines.status() != clsLineSource::kComplete) return 1;
    ovut::debug::Warning(L"INI: error '%s' in line %d", e.message.c_str(), static_cast<int>(e.line));
    return 0;
  }
  return 1;
}

}  // namespace ovut::persist
