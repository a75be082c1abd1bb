#include "profile/persist/tree_writer.h"

#include <climits>
#include <vector>

#include "foundation/file.h"
#include "profile/item_list.h"
#include "profile/persist/xml_escape.h"
#include "profile/tree_depth.h"

namespace ovut::persist {

namespace {

constexpr size_t kFlushAt = 64 * 1024;  // units or bytes buffered before a write

const wchar_t kXmlHeader[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\r\n"
    L"<!-- DTD -->\r\n"
    L"<!DOCTYPE profile [\r\n"
    L" <!ENTITY cr \"&#x000a;<!--CR-->\">\r\n"
    L" <!ENTITY tab \"&#x0009;<!--TAB-->\">\r\n"
    L" <!ELEMENT profile (list*, item*)*>\r\n"
    L"  <!ELEMENT list (list?, item?)*>\r\n"
    L"  <!ATTLIST list name CDATA #REQUIRED>\r\n"
    L"   <!ELEMENT item (#PCDATA)>\r\n"
    L"   <!ATTLIST item name CDATA #REQUIRED>\r\n"
    L"   <!ATTLIST item xml:space (default|preserve) \"preserve\"> ]>\r\n"
    L"<!-- DATA -->\r\n";
static_assert(sizeof kXmlHeader / sizeof(wchar_t) - 1 == 426, "the XML header is 426 units");

const char kXfdfNamespace[] = "http://ns.adobe.com/xfdf/";

bool IsRootName(const clsItemList& l) { return l.NameLength() == 1 && l.Name()[0] == L'/'; }

// One level further in; a stream object's level may stand anywhere, so never past INT_MAX.
int Deeper(int level) { return level < INT_MAX ? level + 1 : level; }

// INI names: "=", "[", "]" become look-alikes so the line stays parseable.
void AppendIniName(std::wstring& out, const wchar_t* t, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    wchar_t c = t[i];
    out.push_back(c == L'=' ? wchar_t(0x2338) : c == L'[' ? wchar_t(0x301A) : c == L']' ? wchar_t(0x301B) : c);
  }
}

}  // namespace

clsTreeWriter::clsTreeWriter(clsFile& target, int form) : target_(&target), form_(form) {
  line_.reserve(256);
}

clsTreeWriter::clsTreeWriter(clsTextSink& sink, int form) : sink_(&sink), form_(form) {
  line_.reserve(256);
}

bool clsTreeWriter::Emit(const void* data, size_t bytes) {
  if (sink_) return sink_->Put(data, bytes);
  return target_->Write(data, static_cast<DWORD>(bytes)) == bytes;
}

clsTreeWriter::~clsTreeWriter() { Flush(); }

bool clsTreeWriter::Flush() {
  if (!wide_.empty()) {
    if (!Emit(wide_.data(), wide_.size() * sizeof(wchar_t))) ok_ = false;
    wide_.clear();
  }
  if (!narrow_.empty()) {
    if (!Emit(narrow_.data(), narrow_.size())) ok_ = false;
    narrow_.clear();
  }
  return ok_;
}

void clsTreeWriter::Indent(int level) {
  if (level <= 0) return;
  level = ovut::profile::IndentLevel(level);  // bounded cost per line, whatever the level
  line_.append(size_t(level / 4), L'\t');
  line_.append(size_t(level % 4), L' ');
}

bool clsTreeWriter::EndLine() {
  line_.append(L"\r\n");
  if (form_ == kFormXfdf) {
    UINT cp = String::DefaultCodePage();
    int n = WideCharToMultiByte(cp, 0, line_.data(), static_cast<int>(line_.size()), nullptr, 0, nullptr, nullptr);
    size_t at = narrow_.size();
    narrow_.resize(at + size_t(n > 0 ? n : 0));
    if (n > 0)
      WideCharToMultiByte(cp, 0, line_.data(), static_cast<int>(line_.size()), &narrow_[at], n, nullptr, nullptr);
    if (narrow_.size() >= kFlushAt) Flush();
  } else {
    wide_.append(line_);
    if (wide_.size() >= kFlushAt) Flush();
  }
  line_.clear();
  return ok_;
}

bool clsTreeWriter::ItemLine(const wchar_t* name, uint32_t nl, const wchar_t* value, uint32_t vl, int level) {
  Indent(level);
  switch (form_) {
    case kFormIni: {
      size_t from = line_.size();
      AppendIniName(line_, name, nl);
      line_.push_back(L'=');
      line_.append(value, vl);
      for (size_t i = from; i < line_.size(); ++i)
        if (line_[i] < 0x20) line_[i] = wchar_t(0x2400 + line_[i]);  // control pictures
      return EndLine();
    }
    case kFormXfdf:
      Text(L"<field name=\"");
      AppendXmlSpecials(line_, name, nl);
      Text(L"\">");
      EndLine();
      Indent(level);
      Text(L" <value>");
      AppendXmlSpecials(line_, value, vl);
      Text(L"</value>");
      EndLine();
      Indent(level);
      Text(L"</field>");
      return EndLine();
    default:
      Text(L"<item name=\"");
      AppendEscaped(line_, name, nl);
      Text(L"\">");
      AppendEscaped(line_, value, vl);
      Text(L"</item>");
      return EndLine();
  }
}

bool clsTreeWriter::ListStart(const wchar_t* name, uint32_t n, int level) {
  Indent(level);
  switch (form_) {
    case kFormIni:
      Text(L"[");
      line_.append(name, n);
      Text(L"]");
      EndLine();
      Indent(Deeper(level));
      Text(L"{");
      return EndLine();
    case kFormXfdf:
      Text(L"<field name=\"");
      AppendXmlSpecials(line_, name, n);
      Text(L"\">");
      return EndLine();
    default:
      Text(L"<list name=\"");
      AppendEscaped(line_, name, n);
      Text(L"\">");
      return EndLine();
  }
}

bool clsTreeWriter::ListEnd(int level) {
  Indent(level);
  Text(form_ == kFormIni ? L"}" : form_ == kFormXfdf ? L"</field>" : L"</list>");
  return EndLine();
}

bool clsTreeWriter::WriteList(const clsItemList& list, int level) {
  struct Frame {
    const clsItem* next;
    int itemLevel;
    int closeLevel;
    bool closes;  // a list named "/" in the XML and XFDF forms writes no closing line
  };
  std::vector<Frame> stack;
  auto open = [&](const clsItemList& l, int lv) -> bool {
    if (form_ != kFormIni && IsRootName(l)) {
      stack.push_back({l.First(), lv, lv, false});
      return true;
    }
    bool r = ListStart(l.Name(), l.NameLength(), lv);
    // INI: the closing brace stands one level in, like the opening one.
    stack.push_back({l.First(), Deeper(lv), form_ == kFormIni ? Deeper(lv) : lv, true});
    return r;
  };
  if (!open(list, level)) return false;
  while (!stack.empty()) {
    Frame& f = stack.back();
    const clsItem* item = f.next;
    if (!item) {
      int close = f.closeLevel;
      bool closes = f.closes;
      stack.pop_back();
      if (closes && !ListEnd(close)) return false;
      continue;
    }
    f.next = item->Next();
    if (item->IsList()) {
      int lv = f.itemLevel;
      if (!open(*item->SubList(), lv)) return false;
    } else if (!ItemLine(item->Name(), item->NameLength(), item->Value(), item->ValueLength(), f.itemLevel)) {
      return false;
    }
  }
  return ok_;
}

bool clsTreeWriter::WritePrologue() {
  switch (form_) {
    case kFormIni:
      wide_.push_back(wchar_t(0xFEFF));
      return true;
    case kFormXfdf:
      narrow_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<xfdf xmlns=\"");
      narrow_.append(kXfdfNamespace);
      narrow_.append("\" xml:space=\"preserve\">\r\n<fields>\r\n");
      return true;
    default:
      wide_.push_back(wchar_t(0xFEFF));
      wide_.append(kXmlHeader);
      wide_.append(L"<profile>\r\n");
      return true;
  }
}

bool clsTreeWriter::WriteEpilogue() {
  if (form_ == kFormXml) wide_.append(L"</profile>\r\n");
  if (form_ == kFormXfdf) narrow_.append("</fields>\r\n</xfdf>\r\n");
  return Flush();
}

uint64_t SizeEstimate(const clsItemList& list, int level, int form) noexcept {
  // Every line: indentation, tags (at most ~40 units) and the escaped texts.
  struct Frame { const clsItem* next; int level; };
  std::vector<Frame> stack;
  uint64_t units = 0;
  auto lineCost = [](int lv) -> uint64_t {
    lv = ovut::profile::IndentLevel(lv);
    return uint64_t(lv > 0 ? lv / 4 + lv % 4 : 0) + 48;
  };
  try {
    units += 2 * lineCost(level) + EscapedLength(list.Name(), list.NameLength());
    stack.push_back({list.First(), Deeper(level)});
    while (!stack.empty()) {
      Frame& f = stack.back();
      const clsItem* item = f.next;
      if (!item) {
        stack.pop_back();
        continue;
      }
      f.next = item->Next();
      if (item->IsList()) {
        const clsItemList& sub = *item->SubList();
        units += 3 * lineCost(f.level) + EscapedLength(sub.Name(), sub.NameLength());
        stack.push_back({sub.First(), Deeper(f.level)});
      } else {
        units += (form == kFormXfdf ? 3 : 1) * lineCost(f.level) +
                 EscapedLength(item->Name(), item->NameLength()) + EscapedLength(item->Value(), item->ValueLength());
      }
    }
  } catch (...) {
  }
  // 8-bit output may take up to 3 bytes per unit (UTF-8); UTF-16 takes 2.
  return units * (form == kFormXfdf ? 3 : 2);
}

}  // namespace ovut::persist
